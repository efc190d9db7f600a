// The thorough check of an index file: structure of every tree, the free list, and every
// tag against the table's records.
#include "cdx.h"

#include "cdx_verify.h"
#include "record.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <thread>
#include <unordered_map>

namespace rk::store {

using namespace cdx;

namespace {

// Hands fn every record of the table in file order, read a block at a time: at most 1 MiB, and
// no more than the table holds (a small table is not given a large buffer).
Status eachRecord(dbf::DbfFile* table,
                  const std::function<void(uint32_t recno, std::string_view image)>& fn) {
    const uint32_t n = table->recordCount();
    const uint16_t len = std::max<uint16_t>(1, table->recordLength());
    const uint32_t per = std::max<uint32_t>(1, std::min<uint32_t>(n, (1u << 20) / len));
    std::vector<char> buf(size_t(per) * len);
    for (uint32_t r = 1; r <= n; r += per) {
        const uint32_t count = std::min(per, n - r + 1);
        RK_RETURN_IF_ERROR(table->readRecords(r, count, buf.data()));
        for (uint32_t i = 0; i < count; ++i)
            fn(r + i, std::string_view(buf.data() + size_t(i) * len, len));
    }
    return Status::ok();
}

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

// One entry (key, record number) as a summand of a tag's fingerprint.
uint64_t entryHash(uint64_t keyHash, uint32_t recno) {
    uint64_t h = keyHash ^ (uint64_t(recno) * 0x9E3779B97F4A7C15ull);
    h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
    h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
    return h ^ (h >> 31);
}

} // namespace

// Every tag's trees; with the table, each tag's entries against the records. The records are
// read once, in file order, for all tags together, and each non-unique tag's entries are
// compared with them as a whole: the sum of a hash of every (key, record number) and the
// count, kept for the records the tag includes and for the entries met walking its tree
// (the records on a second thread while the trees are walked).
// Equal sums and counts mean the same entries; only a tag that differs (and a unique tag,
// which holds the first record of each key) is checked record by record, to say what differs.
// Memory stays a few words per tag however large the table.
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
    // The records' side on a thread of its own while the trees are walked.
    std::vector<Fingerprint> want(tags_.size()), got(tags_.size());
    std::vector<std::string> readProblems;
    bool tableRead = false;
    std::thread pass;
    if (withTable) pass = std::thread([&] { tableRead = fingerprintTable(&want, &readProblems); });
    for (size_t t = 0; t < tags_.size(); ++t)
        verifyTag(t, withTable, &got[t], &used, problems, notes);
    if (pass.joinable()) pass.join();
    problems->insert(problems->end(), readProblems.begin(), readProblems.end());
    if (withTable && tableRead)
        for (size_t t = 0; t < tags_.size(); ++t)
            if (tags_[t].info.unique || !(got[t] == want[t])) compareEntries(t, problems);
    verifyFreeList(pager_.get(), pager_->freeHead(), used, problems);
    for (size_t i = before; i < problems->size(); ++i)
        if ((*problems)[i].compare(0, name.size(), name) != 0)
            (*problems)[i] = name + ": " + (*problems)[i];
}

bool IndexFile::fingerprintTable(std::vector<Fingerprint>* want,
                                 std::vector<std::string>* problems) {
    std::string key;
    tableDeleted_ = 0;
    const Status s = eachRecord(table_, [&](uint32_t recno, std::string_view image) {
        if (dbf::isDeleted(image)) ++tableDeleted_;
        for (size_t t = 0; t < tags_.size(); ++t) {
            if (tags_[t].info.unique || !tags_[t].key.make(image, recno, &key)) continue;
            Fingerprint& f = (*want)[t];
            f.sum += entryHash(
                keyHash(reinterpret_cast<const uint8_t*>(key.data()), tags_[t].info.keyLength),
                recno);
            ++f.count;
        }
    });
    if (!s) {
        problems->push_back(fileName() + ": cannot read the table: " + s.message());
        return false;
    }
    return true;
}

// Tag t's tree; with the table, the fingerprint of its entries in *got (see verify).
void IndexFile::verifyTag(size_t t, bool withTable, Fingerprint* got, std::set<uint32_t>* usedPages,
                          std::vector<std::string>* problems, std::vector<std::string>* notes) {
    Tag& tag = tags_[t];
    const std::string label = fileName() + ": tag " + tag.info.name;
    for (uint32_t page : {tag.headerOffset, tag.headerOffset + kPageSize})
        if (!usedPages->insert(page).second)
            problems->push_back(label + ": its header shares page " + hexOffset(page));
    std::function<void(const uint8_t*, uint32_t)> onEntry;
    if (withTable && !tag.info.unique)
        onEntry = [&](const uint8_t* key, uint32_t recno) {
            got->sum += entryHash(keyHash(key, tag.info.keyLength), recno);
            ++got->count;
        };
    TreeReport report;
    verifyTree(pager_.get(), label, tag.tree->root(), tag.info.keyLength, tag.key.fill(),
               tag.info.unique, usedPages, problems, onEntry, &report);
    notes->push_back(label + ": " + std::to_string(report.keys) + " keys, " +
                     std::to_string(report.pages) + " pages, depth " +
                     std::to_string(report.depth));
}

// Tag t's entries against the table record by record: its expected keys (as hashes, one per
// record number), one more pass over the table, and a walk of the tag.
void IndexFile::compareEntries(size_t t, std::vector<std::string>* problems) {
    Tag& tag = tags_[t];
    const std::string label = fileName() + ": tag " + tag.info.name;
    const uint32_t n = table_->recordCount();
    std::vector<uint64_t> wanted(size_t(n) + 1, 0);
    std::string made;
    const Status s = eachRecord(table_, [&](uint32_t recno, std::string_view image) {
        if (tag.key.make(image, recno, &made))
            wanted[recno] =
                keyHash(reinterpret_cast<const uint8_t*>(made.data()), tag.info.keyLength);
    });
    if (!s) {
        problems->push_back(label + ": cannot read the table: " + s.message());
        return;
    }
    std::vector<bool> seen(size_t(n) + 1, false);
    std::unordered_map<uint64_t, uint32_t> firstOfKey; // unique tags: key -> first record
    if (tag.info.unique)
        for (uint32_t r = n; r >= 1; --r)
            if (wanted[r]) firstOfKey[wanted[r]] = r;
    size_t tableProblems = 0;
    auto tableProblem = [&](const std::string& text) {
        if (++tableProblems <= kMaxTableProblems)
            problems->push_back(label + ": " + text);
        else if (tableProblems == kMaxTableProblems + 1)
            problems->push_back(label + ": more differences from the table not listed");
    };
    // Damage that stops the walk is reported by the tree check.
    rk::ignore(walkTag(tag.tree.get(), false,
                       [&](uint32_t recno, const uint8_t* key) {
                           if (recno < 1 || recno > n) {
                               tableProblem("an entry for record " + std::to_string(recno) +
                                            ", which the table does not have");
                               return true;
                           }
                           if (seen[recno]) {
                               tableProblem("record " + std::to_string(recno) +
                                            " has more than one entry");
                               return true;
                           }
                           seen[recno] = true;
                           uint64_t want = wanted[recno];
                           if (want == 0)
                               tableProblem("record " + std::to_string(recno) +
                                            " has an entry although the FOR condition leaves it "
                                            "out");
                           else if (keyHash(key, tag.info.keyLength) != want)
                               tableProblem("the entry of record " + std::to_string(recno) +
                                            " holds a key that differs from the record's");
                           else if (tag.info.unique && firstOfKey[want] != recno)
                               tableProblem("record " + std::to_string(recno) +
                                            " is not the first record with its key");
                           return true;
                       }),
               "the tree check reports damage that stops the walk");
    for (uint32_t r = 1; r <= n; ++r) {
        uint64_t want = wanted[r];
        if (want == 0 || seen[r]) continue;
        if (tag.info.unique && firstOfKey[want] != r) continue;
        tableProblem("record " + std::to_string(r) + " has no entry");
    }
    if (tableProblems == 0 && !tag.info.unique)
        problems->push_back(label + ": its entries differ from the table's records");
}

} // namespace rk::store
