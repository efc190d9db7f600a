// The thorough check of an index file: structure of every tree, the free list, and every
// tag against the table's records.
#include "cdx.h"

#include "cdx_verify.h"

#include <cstring>
#include <unordered_map>

namespace rk::store {

using namespace cdx;

namespace {

constexpr size_t kMaxTableProblems = 50;

uint64_t keyHash(const uint8_t* key, size_t n) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, key + i, 8);
        h = (h ^ w) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 29;
    }
    uint64_t tail = 0;
    for (; i < n; ++i)
        tail = (tail << 8) | key[i];
    h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 32;
    return h ? h : 1; // 0 marks a record the tag leaves out
}

} // namespace

void IndexFile::verify(bool withTable, std::vector<std::string>* problems,
                       std::vector<std::string>* notes) {
    const std::string name = fileName();
    std::set<uint32_t> used{0, kPageSize};
    TreeReport report;
    size_t before = problems->size();
    verifyTree(pager_.get(), name + ": tag directory", compound_.root, compound_.keyLength, ' ',
               true, &used, problems, {}, &report);
    if (report.keys != tags_.size() && problems->size() == before)
        problems->push_back(name + ": the tag directory lists tags that cannot be read");

    // Expected keys, as hashes per record number, for every tag (one pass over the table).
    const uint32_t n = table_->recordCount();
    std::vector<std::vector<uint64_t>> expected;
    if (withTable) {
        expected.assign(tags_.size(), std::vector<uint64_t>(size_t(n) + 1, 0));
        const uint16_t len = table_->recordLength();
        const uint32_t per = std::max<uint32_t>(1, (1u << 20) / len);
        std::vector<char> buf(size_t(per) * len);
        std::string key;
        for (uint32_t r = 1; r <= n; r += per) {
            uint32_t count = std::min(per, n - r + 1);
            Status s = table_->readRecords(r, count, buf.data());
            if (!s) {
                problems->push_back(name + ": cannot read the table: " + s.message());
                withTable = false;
                break;
            }
            for (uint32_t i = 0; i < count; ++i) {
                std::string_view image(buf.data() + size_t(i) * len, len);
                for (size_t t = 0; t < tags_.size(); ++t)
                    if (tags_[t].key.make(image, r + i, &key))
                        expected[t][r + i] =
                            keyHash(reinterpret_cast<const uint8_t*>(key.data()), key.size());
            }
        }
    }

    for (size_t t = 0; t < tags_.size(); ++t) {
        Tag& tag = tags_[t];
        const std::string label = name + ": tag " + tag.info.name;
        for (uint32_t page : {tag.headerOffset, tag.headerOffset + kPageSize})
            if (!used.insert(page).second)
                problems->push_back(label + ": its header shares page " + hexOffset(page));
        std::vector<bool> seen;
        std::unordered_map<uint64_t, uint32_t> firstOfKey; // unique tags: key -> first record
        size_t tableProblems = 0;
        auto tableProblem = [&](const std::string& text) {
            if (++tableProblems <= kMaxTableProblems)
                problems->push_back(label + ": " + text);
            else if (tableProblems == kMaxTableProblems + 1)
                problems->push_back(label + ": more differences from the table not listed");
        };
        std::function<void(const uint8_t*, uint32_t)> onEntry;
        if (withTable) {
            seen.assign(size_t(n) + 1, false);
            if (tag.info.unique)
                for (uint32_t r = n; r >= 1; --r)
                    if (expected[t][r]) firstOfKey[expected[t][r]] = r;
            onEntry = [&](const uint8_t* key, uint32_t recno) {
                if (recno < 1 || recno > n) {
                    tableProblem("an entry for record " + std::to_string(recno) +
                                 ", which the table does not have");
                    return;
                }
                if (seen[recno]) {
                    tableProblem("record " + std::to_string(recno) + " has more than one entry");
                    return;
                }
                seen[recno] = true;
                uint64_t want = expected[t][recno];
                if (want == 0)
                    tableProblem("record " + std::to_string(recno) +
                                 " has an entry although the FOR condition leaves it out");
                else if (keyHash(key, tag.info.keyLength) != want)
                    tableProblem("the entry of record " + std::to_string(recno) +
                                 " holds a key that differs from the record's");
                else if (tag.info.unique && firstOfKey[want] != recno)
                    tableProblem("record " + std::to_string(recno) +
                                 " is not the first record with its key");
            };
        }
        verifyTree(pager_.get(), label, tag.tree->root(), tag.info.keyLength, tag.key.fill(),
                   tag.info.unique, &used, problems, onEntry, &report);
        if (withTable) {
            for (uint32_t r = 1; r <= n; ++r) {
                uint64_t want = expected[t][r];
                if (want == 0 || seen[r]) continue;
                if (tag.info.unique && firstOfKey[want] != r) continue;
                tableProblem("record " + std::to_string(r) + " has no entry");
            }
        }
        notes->push_back(label + ": " + std::to_string(report.keys) + " keys, " +
                         std::to_string(report.pages) + " pages, depth " +
                         std::to_string(report.depth));
    }
    verifyFreeList(pager_.get(), pager_->freeHead(), used, problems);
    for (size_t i = before; i < problems->size(); ++i)
        if ((*problems)[i].compare(0, name.size(), name) != 0)
            (*problems)[i] = name + ": " + (*problems)[i];
}

} // namespace rk::store
