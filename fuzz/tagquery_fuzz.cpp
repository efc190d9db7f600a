// Any bytes as a query of a table with tags of every kind (UPPER joins, descending, unique,
// FOR, deleted records, accented text): what the query finds through the tags must be
// exactly the records for which it holds when each is tested. Text that reads as a key
// expression is also made into a tag's key, whose fast form must agree with the evaluator.
#include "cdx_key.h"
#include "record.h"
#include "table.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace rk;

class Fixture {
public:
    Fixture() {
        char dir[] = "/tmp/rk-tagquery-fuzz-XXXXXX";
        if (!mkdtemp(dir)) std::abort();
        dir_ = dir;
        const std::string path = dir_ + "/t.dbf";
        const std::vector<dbf::FieldDef> fields = {{"TITLE", 'C', 8, 0, 0},
                                                   {"CATEGORY", 'C', 6, 0, 0},
                                                   {"YEAR", 'C', 4, 0, 0},
                                                   {"MARKED", 'L', 1, 0, 0}};
        if (!dbf::DbfFile::create(path, fields)) std::abort();
        table = std::make_unique<store::Table>(path);
        if (!table->open()) std::abort();
        static const std::string letters = "aAbB \xe9\xc9\xdf\xff\x9f";
        std::mt19937 rng(3);
        for (int i = 0; i < 300; ++i) {
            std::string img = table->dbf()->blankRecord();
            for (const auto& f : table->fields()) {
                std::string text;
                for (size_t n = rng() % (f.length + 1u); text.size() < n;)
                    text += letters[rng() % letters.size()];
                if (f.type == 'L')
                    dbf::setLogical(img, f, rng() % 2);
                else
                    dbf::setString(img, f,
                                   f.name == "YEAR" ? std::to_string(1977 + rng() % 3) : text);
            }
            dbf::setDeleted(img, rng() % 5 == 0);
            images.push_back(img);
            if (!table->appendRecord(img)) std::abort();
        }
        const std::vector<store::TagSpec> tags = {
            {"CATEGORY", "UPPER(CATEGORY+TITLE)", "", false, false},
            {"YR", "YEAR+UPPER(TITLE)", "", false, false},
            {"CATD", "UPPER(CATEGORY)", "", true, false},
            {"TITLE", "TITLE", "", true, false},
            {"UYEAR", "YEAR", "", false, true},
            {"MTITLE", "UPPER(TITLE)", "MARKED", false, false},
        };
        if (!table->createIndex(tags)) std::abort();
    }
    ~Fixture() {
        table.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::unique_ptr<store::Table> table;
    std::vector<std::string> images;

private:
    std::string dir_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Fixture f;
    store::Table& t = *f.table;
    const std::string text(reinterpret_cast<const char*>(data), size);
    auto e = xbase::Expr::parse(text, t.fields());
    if (e && e->type() == xbase::Type::Char) {
        auto key = cdx::TagKey::compile(text, "", t.fields(), t.dbf()->blankRecord());
        for (size_t i = 0; key && i < f.images.size(); ++i) {
            std::string fast, slow = e->eval(f.images[i], uint32_t(i + 1)).s;
            key->makeAlways(f.images[i], uint32_t(i + 1), &fast);
            slow.resize(key->length(), ' ');
            if (fast != slow) {
                std::fprintf(stderr, "the key of [%s] differs from its value\n", text.c_str());
                std::abort();
            }
        }
    }
    if (!e || e->type() != xbase::Type::Logical || e->mayFault()) {
        // Refused as the parser refuses it, or (date arithmetic) tested on every record.
        Status s = t.query(text);
        if (s && e && e->type() != xbase::Type::Logical) std::abort();
        if (s && t.lastQueryPlan().fromTags) std::abort();
        return 0;
    }
    if (!t.query(text)) std::abort();
    std::vector<uint32_t> got, want;
    if (!t.visibleRecords(&got)) std::abort();
    for (uint32_t r = 1; r <= f.images.size(); ++r)
        if (!dbf::isDeleted(f.images[r - 1]) && e->test(f.images[r - 1], r)) want.push_back(r);
    if (got != want) {
        std::fprintf(stderr, "the tags' answer to [%s] differs: %s\n", text.c_str(),
                     t.lastQueryPlan().describe().c_str());
        std::abort();
    }
    return 0;
}
