// The structural compound index of a table (its .CDX file): the tags, their upkeep on every
// change of the table, navigation in a tag's order, rebuilding, and the thorough check.
//
// Crash safety. Before the first page of a change is written the file is marked "being
// changed" (see cdx_header.h); when every page of the change is written the mark says
// "sound" again, with the change counter, the table's record count and the table file's
// stamp (size, time of last write). A process killed at any moment therefore leaves either a
// sound index or a marked one. At open, a marked index is rebuilt from the table; one whose
// mark disagrees with the file or the table (changed by another program, or the table
// changed without it) is checked against the table, kept when sound (the verdict saved) and
// rebuilt when not, with a notice. Rebuilds write a new file and rename it over the old one,
// so the tag definitions are never lost.
#pragma once

#include "cdx_cursor.h"
#include "cdx_header.h"
#include "cdx_key.h"
#include "cdx_pager.h"
#include "cdx_tree.h"
#include "cdx_verify.h"
#include "dbf.h"
#include "env.h"
#include "indextags.h"
#include "status.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace rk::store {

using IndexProgress = std::function<void(int percent)>;
class IndexBuilder;

// A tag of an open index file.
struct TagInfo {
    std::string name; // upper case, no padding
    std::string keyExpr, forExpr;
    cdx::KeyType keyType = cdx::KeyType::Char;
    uint16_t keyLength = 0;
    bool descending = false;
    bool unique = false;
};

struct IndexOptions {
    bool readOnly = false;
    bool exclusive = true;
    // An index found stale, damaged or in an unsupported collation is rebuilt at open: in
    // place when the open is writable and exclusive, else in memory for the session (the
    // file stays as it is). Off: such an index opens unusable, with notices (for checks).
    bool repair = true;
    IndexProgress rebuildProgress;
    // Keys held in memory while rebuilding; beyond it they go to a temporary file in sorted runs.
    size_t memoryBudget = size_t(64) << 20;
    size_t cachePages = 16384;
};

class IndexFile {
public:
    ~IndexFile();
    IndexFile(const IndexFile&) = delete;
    IndexFile& operator=(const IndexFile&) = delete;

    // Opens the index of `table` (which must stay open as long as the index).
    static Result<std::unique_ptr<IndexFile>> open(const std::string& path, dbf::DbfFile* table,
                                                   const IndexOptions& opts = {},
                                                   Env* env = Env::standard());
    // Creates the file (replacing any) with these tags built from the table's records, sets
    // the table's structural index flag and opens the result.
    static Result<std::unique_ptr<IndexFile>> create(const std::string& path, dbf::DbfFile* table,
                                                     const std::vector<TagSpec>& tags,
                                                     const IndexOptions& opts = {},
                                                     Env* env = Env::standard(),
                                                     const IndexProgress& progress = {});

    const std::string& path() const { return path_; }
    // What the open found and did (rebuilt, checked, ...).
    const std::vector<std::string>& notices() const { return notices_; }
    // False when the index could not be proven sound and was not rebuilt (repair off): its
    // orders must not be used.
    bool usable() const { return usable_; }
    // True when the orders come from a copy rebuilt beside the file (in memory, or a scratch
    // file for a large table) because the file could not be.
    bool inMemory() const { return scratch_ != nullptr; }
    // The table's deleted records as the index knows them (-1 when it does not): counted by
    // a build and a check, read from a trusted mark, kept by recordAdded and recordChanged.
    // Zero lets a reader of the table skip reading records for their deleted flags.
    int64_t deletedCount() const { return broken_ ? -1 : deleted_; }
    // The table moved to another file object (after a pack).
    void setTable(dbf::DbfFile* table) { table_ = table; }

    // Tags in the order of their headers in the file (their creation order).
    int tagCount() const { return static_cast<int>(tags_.size()); }
    const TagInfo& tag(int i) const { return tags_[static_cast<size_t>(i)].info; }
    int findTag(std::string_view name) const; // case-insensitive; -1 when there is none
    std::vector<TagSpec> specs() const;

    // Upkeep around one change of the table:
    //   beginChange() (and sync()); write the table (and sync it); recordAdded /
    //   recordChanged; endChange(durable).
    // A failure leaves the file marked; the caller should rebuild() it.
    Status beginChange();
    Status recordAdded(std::string_view image, uint32_t recno);
    Status recordChanged(std::string_view before, std::string_view after, uint32_t recno);
    // Writes the changed pages, then the mark "sound". Durable: each of the two is flushed to
    // stable storage before what follows it, so that the mark never reaches the disk before
    // the pages it vouches for.
    Status endChange(bool durable = false);
    // The table write between begin and end failed: the file stays marked, and the next
    // change first needs a rebuild (see broken()).
    void abandonChange() {
        if (changing_) broken_ = true;
    }
    bool broken() const { return broken_; }
    bool changing() const { return changing_; }
    // Deferred upkeep (a batch): while on, the keys of recordAdded and recordChanged wait in
    // a list per tag and reach the trees sorted, which visits each page once for many keys,
    // when applyPending() is called: before the trees are read, at endChange, or when the
    // lists grow large. Unique tags are kept at once.
    void deferUpkeep(bool on) { defer_ = on; }
    bool hasPending() const { return pendingOps_ > 0 || unresolved_ > 0; }
    Status applyPending();
    // Flushes the file to stable storage.
    Status sync();

    // Rebuilds every tag from the table (re-index, after a pack); machine collation.
    Status rebuild(const IndexProgress& progress = {});
    // A rebuild fed by the caller (a pack, with the records it keeps as it copies them):
    // startRebuild gives the builder; finishRebuild, once the table holds exactly the records
    // added, puts the new file in place.
    Result<std::unique_ptr<IndexBuilder>> startRebuild(uint32_t expectedRecords,
                                                       const IndexProgress& progress);
    Status finishRebuild(std::unique_ptr<IndexBuilder> builder);
    // After damage met in use: rebuilds in place when the open allows it, else in memory.
    Status repair(const IndexProgress& progress = {});

    // Navigation in tag i's order.
    std::unique_ptr<cdx::Cursor> cursor(int i);
    // Calls fn(recno) for every entry in tag i's order (from its last, with `backwards`)
    // until fn returns false.
    Status walk(int i, const std::function<bool(uint32_t recno)>& fn, bool backwards = false);
    // The record's key in tag i; false when the tag's FOR condition leaves it out (the key
    // is then where the record would be).
    bool keyOf(int i, std::string_view image, uint32_t recno, std::string* key) const;
    // Key bytes to seek in tag i for a text (see cdx::TagKey::seekKey).
    Result<std::string> seekKey(int i, std::string_view text) const;

    // The thorough check: every tag's tree and the free list, and with `withTable` every
    // record's key against the table (each included record has exactly one entry with its
    // key; nothing else is there).
    void verify(bool withTable, std::vector<std::string>* problems,
                std::vector<std::string>* notes);

private:
    struct Tag {
        TagInfo info;
        uint32_t headerOffset = 0;
        cdx::Header header;
        cdx::TagKey key;
        std::unique_ptr<cdx::Tree> tree;
        uint32_t storedRoot = 0;
        // Deferred upkeep: key bytes, and per change where its key starts.
        struct Op {
            uint32_t key, recno, seq;
            bool add;
        };
        std::vector<uint8_t> pendingKeys;
        std::vector<Op> pending;
        // Unique tags: keys whose record left them, to be given to the next record with the
        // key; and a tag with the same key and FOR expressions that is not unique (-1: none),
        // which holds every record of a key in record order.
        std::set<std::string> unresolved;
        int companion = -1;
    };
    Status resolveUnique();
    Status setHolder(Tag& t, const std::string& key, uint32_t recno);
    void defer(Tag& t, const std::string& key, uint32_t recno, bool add);
    void dropPending();

    IndexFile(std::string path, dbf::DbfFile* table, IndexOptions opts, Env* env);
    Status load(std::unique_ptr<File> file);
    Status rebuildInMemory(const IndexProgress& progress);
    Status install(std::unique_ptr<File> written, const std::string& tmp);
    Status settle();
    // What a tag must hold: over the records it includes, a sum of a hash of (key, record
    // number) and their count (see cdx_check.cpp).
    struct Fingerprint {
        uint64_t sum = 0, count = 0;
        bool operator==(const Fingerprint& o) const { return sum == o.sum && count == o.count; }
    };
    // A unique tag holds the first record of each key, which a sum cannot tell: it is compared
    // record by record.
    static bool fingerprinted(const Tag& t) {
        return !t.info.unique && t.key.length() == t.info.keyLength;
    }
    bool fingerprintTable(std::vector<Fingerprint>* want, std::vector<std::string>* problems);
    void verifyTag(size_t t, bool withTable, Fingerprint* got, cdx::PageSet* usedPages,
                   std::vector<std::string>* problems, std::vector<std::string>* notes);
    void compareEntries(size_t t, std::vector<std::string>* problems);
    Status insertKey(Tag& t, const std::string& key, uint32_t recno);
    Status removeKey(Tag& t, const std::string& key, uint32_t recno);
    Status boundChanges();
    static constexpr size_t kMaxDirtyPages = 8192; // 4 MB of pages, about 16 MB decoded
    Status writeHeaderPage();
    cdx::StateMark currentMark(bool sound) const;
    Status saveVerdict();
    bool saveMemoryCopy();
    Status fail(Status s);
    std::string fileName() const;
    uint32_t pageCount() const;

    std::string path_;
    dbf::DbfFile* table_;
    IndexOptions opts_;
    Env* env_;
    std::unique_ptr<Env> scratch_; // holds the rebuilt copy, when there is one
    std::unique_ptr<cdx::Pager> pager_;
    std::vector<uint8_t> header_; // the compound header as in the file
    cdx::Header compound_;
    std::vector<Tag> tags_;
    std::vector<std::string> notices_;
    std::vector<std::string> loadProblems_; // faults found while reading the headers
    bool usable_ = true;
    bool changing_ = false;
    bool broken_ = false;
    bool defer_ = false;
    int64_t deleted_ = -1;
    uint32_t tableDeleted_ = 0; // deleted records the last check's pass over the table met
    size_t pendingOps_ = 0, pendingBytes_ = 0, unresolved_ = 0;
    static constexpr size_t kMaxPendingBytes = size_t(32) << 20;
};

// The index part of a table check: opens the table's structural index (when its flag says
// it has one) read-only, without repairing anything, and verifies it against the table.
void checkStructuralIndex(dbf::DbfFile* table, const std::string& tablePath, Env* env,
                          std::vector<std::string>* problems, std::vector<std::string>* notes);
// The path of a table's structural index: the same name with .CDX, found without regard to
// case (a new one takes upper case).
std::string structuralIndexPath(const std::string& tablePath, Env* env);

// Writes a complete index file at `path` with the tags built from the table's records
// (used by create and rebuild; see cdx_rebuild.cpp). Returns the open, locked file.
struct BuildTag {
    std::string name;
    cdx::TagKey key;
    cdx::Header header; // expressions, options, descending
};
Result<std::unique_ptr<File>> writeIndexFile(const std::string& path, Env* env, dbf::DbfFile* table,
                                             const std::vector<BuildTag>& tags, uint32_t counter,
                                             size_t memoryBudget, const IndexProgress& progress);

// What a build did, for tests and benchmarks: sorted runs written, and the share of the second
// thread.
struct BuildWork {
    uint64_t spills = 0;       // times the caller's keys went to runs
    uint64_t runs = 0;         // runs written, all tags and threads
    uint64_t helperBlocks = 0; // blocks of records whose keys the helper threads made
    size_t tagsApart = 0;      // trees built on the second thread
};

// A whole index file built from records handed over in record order (writeIndexFile hands it
// the table's records; a pack the records it keeps, as it copies them). Keys beyond the memory
// budget wait in sorted runs in temporary files beside it. A builder dropped unfinished
// removes what it wrote. With two threads (`threads` 0: two when the machine has two cores),
// two helper threads make the keys of the blocks while the caller reads or copies the next,
// and a second thread builds the trees of the last tags; the file written is the same, byte
// for byte.
class IndexBuilder {
public:
    static Result<std::unique_ptr<IndexBuilder>>
    start(const std::string& path, Env* env, const std::vector<BuildTag>& tags, size_t memoryBudget,
          const IndexProgress& progress, uint32_t expectedRecords, unsigned threads = 0);
    ~IndexBuilder();
    Status add(uint32_t recno, std::string_view image);
    // Records first to first + count - 1, their images one after another, `length` bytes
    // each: the same as add() for each; from the second block on, the blocks' keys are made
    // on the helper threads while the caller goes on.
    Status addRecords(uint32_t first, uint32_t count, const char* images, uint16_t length);
    // Writes the trees and the headers, marked as made for `table` as it is now (which must
    // hold the records added); returns the file, open and locked.
    Result<std::unique_ptr<File>> finish(dbf::DbfFile* table, uint32_t counter);
    const BuildWork& work() const;

private:
    IndexBuilder();
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace rk::store
