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
    auto mix = [](uint64_t h, uint64_t w) {
        h = (h ^ w) * 0xFF51AFD7ED558CCDull;
        return h ^ (h >> 29);
    };
    uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
    uint64_t w = 0;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::memcpy(&w, key + i, 8);
        h = mix(h, w);
    }
    // The last bytes in whole loads that may overlap bytes already taken (n is hashed too).
    if (i < n) {
        if (n >= 8) {
            std::memcpy(&w, key + n - 8, 8);
        } else if (n >= 4) {
            uint32_t a, b;
            std::memcpy(&a, key, 4);
            std::memcpy(&b, key + n - 4, 4);
            w = (uint64_t(a) << 32) | b;
        } else {
            w = (uint64_t(key[0]) << 16) | (uint64_t(key[n / 2]) << 8) | key[n - 1];
        }
        h = mix(h, w);
    }
    h *= 0xC4CEB9FE1A85EC53ull;
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

// The length of bytes without their trailing spaces.
size_t trimmed(const uint8_t* p, size_t n) {
    constexpr uint64_t kSpaces = 0x2020202020202020ull;
    for (uint64_t w; n >= 8; n -= 8) {
        std::memcpy(&w, p + n - 8, 8);
        if (w != kSpaces) break;
    }
    while (n > 0 && p[n - 1] == ' ')
        --n;
    return n;
}

// A fingerprint's key hash is made of the hashes of the key's pieces (fields, chosen and
// fixed texts; see TagKey::pieces), each without its trailing spaces: the records' side then
// hashes each field once for all the tags that hold it (eleven hold UPPER(TITLE)), upper-cases
// only the text before the padding, and makes no key; the trees' side cuts each key it meets
// at the same places. A key that is evaluated is one piece.
uint64_t pieceHash(const uint8_t* p, size_t n) {
    return keyHash(p, trimmed(p, n));
}
uint64_t joinPiece(uint64_t acc, uint64_t piece) {
    acc = (acc ^ piece) * 0x9E3779B97F4A7C15ull;
    return acc ^ (acc >> 32);
}
uint64_t textHash(const std::string& text) {
    return pieceHash(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// The records' side of the fingerprints: for every tag, the hash of each record's key.
class RecordKeyHasher {
public:
    explicit RecordKeyHasher(const std::vector<const cdx::TagKey*>& keys) {
        tags_.resize(keys.size());
        for (size_t t = 0; t < keys.size(); ++t) {
            tags_[t].key = keys[t];
            for (const cdx::TagKey::Piece& p : keys[t]->pieces())
                tags_[t].sources.push_back(sourceOf(p));
        }
        values_.resize(sources_.size());
    }

    // Hashes the record's pieces once; then the key of tag t, or false where the tag leaves
    // the record out.
    void load(std::string_view image) {
        for (size_t i = 0; i < sources_.size(); ++i)
            values_[i] = sources_[i].hash(image);
    }
    bool tagKeyHash(size_t t, std::string_view image, uint32_t recno, std::string* scratch,
                    uint64_t* out) const {
        const TagHashes& tag = tags_[t];
        if (tag.sources.empty()) {
            if (!tag.key->make(image, recno, scratch)) return false;
            *out = joinPiece(
                0, pieceHash(reinterpret_cast<const uint8_t*>(scratch->data()), scratch->size()));
            return true;
        }
        if (!tag.key->includes(image, recno)) return false;
        uint64_t acc = 0;
        for (size_t s : tag.sources)
            acc = joinPiece(acc, values_[s]);
        *out = acc;
        return true;
    }

private:
    struct Source {
        cdx::TagKey::Piece piece;
        uint64_t ifTrue = 0, ifFalse = 0; // hashes of the texts
        uint64_t hash(std::string_view image) const {
            switch (piece.kind) {
            case cdx::TagKey::Piece::Text:
                return ifTrue;
            case cdx::TagKey::Piece::Choice:
                return piece.chooses(image) ? ifTrue : ifFalse;
            case cdx::TagKey::Piece::Field:
                break;
            }
            const auto* at = reinterpret_cast<const uint8_t*>(image.data()) + piece.offset;
            size_t n = trimmed(at, piece.length);
            if (!piece.upper) return keyHash(at, n);
            uint8_t up[256];
            std::memcpy(up, at, n);
            cdx::upperBytes(up, n);
            return keyHash(up, trimmed(up, n)); // a letter upper-cased to a space is padding
        }
    };
    struct TagHashes {
        const cdx::TagKey* key = nullptr;
        std::vector<size_t> sources; // empty: the key is made whole
    };

    size_t sourceOf(const cdx::TagKey::Piece& p) {
        for (size_t i = 0; i < sources_.size(); ++i) {
            const cdx::TagKey::Piece& q = sources_[i].piece;
            if (q.kind == p.kind && q.offset == p.offset && q.length == p.length &&
                q.upper == p.upper && q.ifTrue == p.ifTrue && q.ifFalse == p.ifFalse)
                return i;
        }
        Source s{p, textHash(p.ifTrue), textHash(p.ifFalse)};
        sources_.push_back(std::move(s));
        return sources_.size() - 1;
    }

    std::vector<TagHashes> tags_;
    std::vector<Source> sources_;
    std::vector<uint64_t> values_;
};

// The trees' side: the hash of a key met in tag t's tree, cut as the records' side cuts it.
std::vector<uint16_t> pieceLengths(const cdx::TagKey& key, uint16_t keyLength) {
    std::vector<uint16_t> lengths;
    for (const cdx::TagKey::Piece& p : key.pieces())
        lengths.push_back(p.kind == cdx::TagKey::Piece::Field ? p.length
                                                              : uint16_t(p.ifTrue.size()));
    uint32_t total = 0;
    for (uint16_t n : lengths)
        total += n;
    if (lengths.empty() || lengths.size() > cdx::kMaxKeyLength || total != keyLength)
        return {keyLength};
    return lengths;
}
// The fingerprint of a leaf's entries: a piece equal to the same piece of the key before it
// (the category of a run of titles in one category) is not hashed again.
void fingerprintLeaf(const cdx::Node& leaf, const std::vector<uint16_t>& lengths, uint64_t* sum,
                     uint64_t* count) {
    uint64_t pieces[cdx::kMaxKeyLength + 1];
    const size_t k = leaf.keyLength;
    for (size_t i = 0; i < leaf.count(); ++i) {
        const uint8_t* key = leaf.key(i);
        uint64_t acc = 0;
        size_t at = 0;
        for (size_t p = 0; p < lengths.size(); ++p) {
            const uint16_t n = lengths[p];
            if (i == 0 || std::memcmp(key + at, key - k + at, n) != 0)
                pieces[p] = pieceHash(key + at, n);
            acc = joinPiece(acc, pieces[p]);
            at += n;
        }
        *sum += entryHash(acc, leaf.recnos[i]);
        ++*count;
    }
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
    cdx::PageSet used{0, kPageSize};
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
            if (!fingerprinted(tags_[t]) || !(got[t] == want[t])) compareEntries(t, problems);
    verifyFreeList(pager_.get(), pager_->freeHead(), used, problems);
    for (size_t i = before; i < problems->size(); ++i)
        if ((*problems)[i].compare(0, name.size(), name) != 0)
            (*problems)[i] = name + ": " + (*problems)[i];
}

bool IndexFile::fingerprintTable(std::vector<Fingerprint>* want,
                                 std::vector<std::string>* problems) {
    std::vector<size_t> summed; // the tags a fingerprint checks
    std::vector<const cdx::TagKey*> keys;
    for (size_t t = 0; t < tags_.size(); ++t)
        if (fingerprinted(tags_[t])) {
            summed.push_back(t);
            keys.push_back(&tags_[t].key);
        }
    RecordKeyHasher hasher(keys);
    std::string scratch;
    tableDeleted_ = 0;
    const Status s = eachRecord(table_, [&](uint32_t recno, std::string_view image) {
        if (dbf::isDeleted(image)) ++tableDeleted_;
        hasher.load(image);
        for (size_t i = 0; i < summed.size(); ++i) {
            uint64_t h;
            if (!hasher.tagKeyHash(i, image, recno, &scratch, &h)) continue;
            Fingerprint& f = (*want)[summed[i]];
            f.sum += entryHash(h, recno);
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
void IndexFile::verifyTag(size_t t, bool withTable, Fingerprint* got, cdx::PageSet* usedPages,
                          std::vector<std::string>* problems, std::vector<std::string>* notes) {
    Tag& tag = tags_[t];
    const std::string label = fileName() + ": tag " + tag.info.name;
    for (uint32_t page : {tag.headerOffset, tag.headerOffset + kPageSize})
        if (!usedPages->insert(page))
            problems->push_back(label + ": its header shares page " + hexOffset(page));
    std::function<void(const cdx::Node&)> onLeaf;
    const std::vector<uint16_t> lengths = pieceLengths(tag.key, tag.info.keyLength);
    if (withTable && fingerprinted(tag))
        onLeaf = [&](const cdx::Node& leaf) {
            fingerprintLeaf(leaf, lengths, &got->sum, &got->count);
        };
    TreeReport report;
    verifyTree(pager_.get(), label, tag.tree->root(), tag.info.keyLength, tag.key.fill(),
               tag.info.unique, usedPages, problems, onLeaf, &report);
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
