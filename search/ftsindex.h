// The full-text index file (Titles.ia): numbered entries of text and the search over them.
//
// The file is an SQLite database:
//   PRAGMA application_id  0x526B4941 ("RkIA"), which tells our index from any other file
//   PRAGMA user_version    kFormatVersion, the layout below
//   meta(key, value)       "last_entry": the highest entry number ever given, so that a
//                          removed number is never given again, across close and open too
//   entries                FTS5 table with our tokenizer (fts5_tokenizer.h); rowid = entry
//                          number, column `words` = the entry text's folded words joined by
//                          spaces (tokenizer.h: joinedWords), which tokenizes back into the
//                          same words at the same positions and is much smaller than the
//                          padded record images it comes from; prefix=1 keeps an index of
//                          first letters, so that a one-letter query does not merge the
//                          lists of thousands of words
//
// A file without that application id and layout, one that SQLite cannot read, or one whose
// index is damaged is refused with Corruption (or NotFound when missing), never a crash.
//
// Writing comes in two kinds:
//   - create() fills a new file in one transaction, without journal or syncing, under a
//     temporary name beside the path (path + ".new"); finish() commits, syncs and renames it
//     over the path. Until then the path keeps whatever it held; a FtsIndex destroyed before
//     finish() removes its temporary file.
//   - open() changes an existing file one entry at a time, each change its own journalled
//     transaction, so that a change that returned survives a crash; or, between begin() and
//     commit(), many changes as one transaction (an import), which a crash loses whole.
#pragma once

#include "query.h"
#include "status.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace rk::search {

inline constexpr int kFormatVersion = 1;
inline constexpr int32_t kApplicationId = 0x526B4941;
// Entry numbers are 32-bit signed at the TFts interface.
inline constexpr uint32_t kMaxEntry = 0x7FFFFFFF;

class FtsIndex {
public:
    static Result<std::unique_ptr<FtsIndex>> create(const std::string& path);
    static Result<std::unique_ptr<FtsIndex>> open(const std::string& path);
    ~FtsIndex();
    FtsIndex(const FtsIndex&) = delete;
    FtsIndex& operator=(const FtsIndex&) = delete;

    const std::string& path() const { return path_; }
    // Made by create() and not yet finished.
    bool isNew() const { return !buildPath_.empty(); }
    // The highest entry number given so far (0 for none).
    uint32_t lastEntry() const { return lastEntry_; }

    // Adds an entry and returns its number: one more than the highest given so far.
    Result<uint32_t> add(std::string_view text);
    // Sets the text of entry `entry`, adding it when it is not there. Numbers up to it count
    // as given. Lets a caller whose entry numbers are record numbers keep them equal even
    // after an add that never happened.
    Status put(uint32_t entry, std::string_view text);
    // Removes an entry; *removed tells whether it was there.
    Status remove(uint32_t entry, bool* removed = nullptr);

    // The changes from begin() to commit() make one transaction; rollback() (or closing
    // before commit) drops them. A file made by create() is one transaction already: there
    // both do nothing.
    Status begin();
    Status commit();
    void rollback();
    bool inBatch() const { return batch_; }

    // Starts a query; *any is false when no entry can match. Candidates then come from
    // next() in increasing order; a candidate holds every term of the query (or, for a query
    // of exclusions only, none of them) in its indexed text.
    Status start(const Query& q, bool* any);
    // The next candidate, or 0 when there are no more.
    Result<uint32_t> next();

    // Completes a file made by create(): commits, syncs and renames it over the path. The
    // object is closed afterwards.
    Status finish();

private:
    FtsIndex() = default;
    Status exec(const char* sql);
    Status prepareStatements();
    Status validate();
    Status writeLastEntry(uint32_t value);
    Status insertWords(uint32_t entry, std::string_view text);
    Status fail(const char* what);
    void closeDb();

    std::string path_;
    std::string buildPath_; // create(): the temporary file, "" for open()
    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* delete_ = nullptr;
    sqlite3_stmt* setMeta_ = nullptr;
    sqlite3_stmt* query_ = nullptr;
    uint32_t lastEntry_ = 0;
    uint32_t pending_ = 0; // the candidate that start() or next() stepped to
    bool inQuery_ = false;
    bool batch_ = false;          // between begin() and commit()
    uint32_t batchLastEntry_ = 0; // lastEntry_ at begin()
};

} // namespace rk::search
