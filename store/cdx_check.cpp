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

    // Expected keys, as hashes per record number, for as many tags at a time as the memory
    // budget holds: one pass over the table for each such group.
    const uint32_t n = table_->recordCount();
    const size_t perTag = (size_t(n) + 1) * sizeof(uint64_t);
    const size_t group = std::max<size_t>(1, opts_.memoryBudget / perTag);
    for (size_t first = 0; first < tags_.size(); first += group) {
        const size_t last = std::min(tags_.size(), first + group);
        std::vector<std::vector<uint64_t>> expected;
        if (withTable) {
            expected.assign(last - first, std::vector<uint64_t>(size_t(n) + 1, 0));
            const uint16_t len = table_->recordLength();
            const uint32_t per = std::max<uint32_t>(1, std::min<uint32_t>(n, (1u << 20) / len));
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
                    for (size_t t = first; t < last; ++t)
                        if (tags_[t].key.make(image, r + i, &key))
                            expected[t - first][r + i] =
                                keyHash(reinterpret_cast<const uint8_t*>(key.data()), key.size());
                }
            }
        }
        verifyTags(first, last, withTable, expected, &used, problems, notes);
    }
    verifyFreeList(pager_.get(), pager_->freeHead(), used, problems);
    for (size_t i = before; i < problems->size(); ++i)
        if ((*problems)[i].compare(0, name.size(), name) != 0)
            (*problems)[i] = name + ": " + (*problems)[i];
}

// The trees of tags [first, last), and with `withTable` their entries against the expected
// keys of those tags (expected[t - first]).
void IndexFile::verifyTags(size_t first, size_t last, bool withTable,
                           const std::vector<std::vector<uint64_t>>& expected,
                           std::set<uint32_t>* usedPages, std::vector<std::string>* problems,
                           std::vector<std::string>* notes) {
    const std::string name = fileName();
    const uint32_t n = table_->recordCount();
    std::set<uint32_t>& used = *usedPages;
    TreeReport report;
    for (size_t t = first; t < last; ++t) {
        Tag& tag = tags_[t];
        const std::vector<uint64_t>* wanted = withTable ? &expected[t - first] : nullptr;
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
                    if ((*wanted)[r]) firstOfKey[(*wanted)[r]] = r;
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
                uint64_t want = (*wanted)[recno];
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
                uint64_t want = (*wanted)[r];
                if (want == 0 || seen[r]) continue;
                if (tag.info.unique && firstOfKey[want] != r) continue;
                tableProblem("record " + std::to_string(r) + " has no entry");
            }
        }
        notes->push_back(label + ": " + std::to_string(report.keys) + " keys, " +
                         std::to_string(report.pages) + " pages, depth " +
                         std::to_string(report.depth));
    }
}

} // namespace rk::store
