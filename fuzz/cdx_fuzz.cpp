// An index file of arbitrary bytes beside a fixed table: the open (with its check and
// rebuild), walks and cursor moves in every tag, the check, and changes kept in every tag
// must end in a Status, never a crash, a hang or a wrong order.
//
// The seed corpus (corpus/cdx) holds index files of this very table, written by the engine.
// Kept fast (a million inputs in well under an hour): a table of 120 records (every tag still
// has interior pages), one open per input (for reading or for changes, as the input's last
// byte says), a small memory budget for rebuilds, and the thorough check once before and once
// after the changes.
#include "cdx.h"
#include "cdx_node.h"
#include "dbf.h"
#include "mem_env.h"
#include "record.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const char* kDbf = "F.DBF";
const char* kCdx = "F.CDX";

// 120 records of four fields, the same on every run.
std::string tableBytes() {
    static const std::string bytes = [] {
        rk::MemEnv env;
        std::vector<rk::dbf::FieldDef> fields = {{"NAME", 'C', 10, 0, 0},
                                                 {"AMT", 'N', 6, 1, 0},
                                                 {"BORN", 'D', 8, 0, 0},
                                                 {"OK", 'L', 1, 0, 0}};
        rk::dbf::CreateOptions co;
        co.structuralIndex = true;
        co.lastUpdate = {2024, 1, 1};
        if (!rk::dbf::DbfFile::create(kDbf, fields, co, &env)) std::abort();
        auto t = rk::dbf::DbfFile::open(kDbf, {}, &env);
        if (!t) std::abort();
        const auto& f = (*t)->fields();
        uint32_t seed = 7;
        auto next = [&] { return seed = seed * 1103515245u + 12345u; };
        for (int i = 0; i < 120; ++i) {
            std::string img = (*t)->blankRecord();
            std::string name;
            for (int k = 0; k < 1 + int(next() >> 28) % 8; ++k)
                name += static_cast<char>('A' + (next() >> 16) % 6);
            rk::dbf::setString(img, f[0], name);
            (void)rk::dbf::setNumber(img, f[1], double(int(next() >> 16) % 20000 - 10000) / 10);
            if (i % 7) rk::dbf::setDate(img, f[2], {1950 + i % 60, 1 + i % 12, 1 + i % 28});
            rk::dbf::setLogical(img, f[3], i % 3 == 0);
            if (!(*t)->appendRecord(img)) std::abort();
        }
        t->reset();
        return env.file(kDbf);
    }();
    return bytes;
}

void exercise(rk::store::IndexFile& index, rk::dbf::DbfFile& table) {
    for (int i = 0; i < index.tagCount(); ++i) {
        uint32_t steps = 0;
        (void)index.walk(i, [&](uint32_t) { return ++steps < 100000; });
        auto c = index.cursor(i);
        if (c->last()) {
            for (int k = 0; k < 50 && c->valid(); ++k)
                if (!c->prev()) break;
        }
        auto key = index.seekKey(i, "C");
        if (key) (void)c->seekPrefix(reinterpret_cast<const uint8_t*>(key->data()), key->size());
    }
    std::vector<std::string> problems, notes;
    index.verify(true, &problems, &notes);
    if (!index.usable() || !problems.empty()) return;
    // A sound index stays sound through changes.
    std::string img = table.blankRecord();
    rk::dbf::setString(img, table.fields()[0], "CCC");
    if (!index.beginChange()) return;
    auto n = table.appendRecord(img);
    if (!n || !index.recordAdded(img, *n)) return;
    std::string before;
    if (!table.readRecord(1, &before)) return;
    std::string after = before;
    rk::dbf::setString(after, table.fields()[0], "ZZ");
    if (!table.writeRecord(1, after) || !index.recordChanged(before, after, 1)) return;
    if (!index.endChange()) return;
    problems.clear();
    index.verify(true, &problems, &notes);
    if (!problems.empty()) std::abort(); // upkeep broke a sound index
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The page codec alone, on every page of the input, at a few key lengths.
    for (size_t off = 0; off + rk::cdx::kPageSize <= size; off += rk::cdx::kPageSize) {
        for (uint16_t k : {1, 8, 10, 100, 240}) {
            rk::cdx::Node n;
            (void)rk::cdx::decodeNode(data + off, static_cast<uint32_t>(off), k, ' ', &n);
        }
    }
    const bool readOnly = size > 0 && (data[size - 1] & 1);
    rk::MemEnv env;
    env.setFile(kDbf, tableBytes());
    env.setFile(kCdx, std::string(reinterpret_cast<const char*>(data), size));
    rk::dbf::OpenOptions o;
    o.readOnly = readOnly;
    auto table = rk::dbf::DbfFile::open(kDbf, o, &env);
    if (!table) std::abort();
    rk::store::IndexOptions io;
    io.readOnly = readOnly;
    io.memoryBudget = size_t(1) << 20;
    io.cachePages = 256;
    auto index = rk::store::IndexFile::open(kCdx, table->get(), io, &env);
    if (index) exercise(**index, **table);
    return 0;
}
