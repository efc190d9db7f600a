// TFts: the main window's full-text engine component. It holds one index handle and offers
// the eight operations the window's handlers call, with the integer results those handlers
// rely on:
//
//   FtsCreate(path, 20, 2, 1, 1)  starts a new, empty index for `path`; it takes its place at
//                                 `path` when FtsClose completes it (a build that stops
//                                 half-way never leaves a partial index there). Returns the
//                                 handle (> 0) or a negative error.
//   FtsOpen(path, 20, 1)          opens an existing index: the handle, or a negative error
//                                 (kFtsNotUsable for a file that is not our index).
//   FtsClose()                    closes (and, after FtsCreate, puts the new index in place):
//                                 0, or a negative error.
//   FtsAdd(text)                  adds an entry: its number, 1 more than the highest given so
//                                 far (removed ones included, across close and open), or a
//                                 negative error.
//   FtsDelete(entry)              removes an entry: 1 removed, 0 no such entry, negative error.
//   FtsSet(query)                 starts a query (query.h): kFtsNotUsable (-13) when there is
//                                 no usable index (not opened, missing, damaged, another
//                                 program's file), 0 when no entry can match, 1 when
//                                 candidates follow.
//   FtsNextRec()                  the next candidate entry number (> 0), or 0 when there are
//                                 no more, or a negative error.
//   FtsVerify(text, query, 4)     1 when the text satisfies the query, 0 when not. Needs no
//                                 open index; uses the index's own tokenizer, so every text
//                                 that verifies is among the candidates of the same query.
//
// A handle holds one index at a time: FtsCreate or FtsOpen on a handle that holds one closes
// it first (an index started with FtsCreate and not closed is dropped, not completed).
// The numeric arguments of FtsCreate, FtsOpen and FtsVerify are accepted and have no
// effect. Texts are Windows-1252; an entry or verified text may hold zero bytes, which
// separate words like any other non-letter. Paths are used whole, never cut.
//
// Beyond the eight: FtsPut sets the text of a given entry number (see FtsIndex::put),
// FtsAbandon drops an index started with FtsCreate, FtsBegin and FtsCommit make the changes
// between them one transaction (FtsRollback or FtsClose before FtsCommit drops them), and
// lastStatus() explains the last negative result.
#pragma once

#include "ftsindex.h"
#include "query.h"
#include "status.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace rk::search {

inline constexpr int32_t kFtsNotOpen = -1;    // no index open
inline constexpr int32_t kFtsWriteError = -2; // the file refused a change
inline constexpr int32_t kFtsBadArgument = -3;
inline constexpr int32_t kFtsNotUsable = -13; // not a usable search index

class TFts {
public:
    TFts();
    ~TFts(); // drops an index started with FtsCreate and not completed
    TFts(const TFts&) = delete;
    TFts& operator=(const TFts&) = delete;

    int32_t FtsCreate(const std::string& path, int32_t = 20, int32_t = 2, int32_t = 1, int32_t = 1);
    int32_t FtsOpen(const std::string& path, int32_t = 20, int32_t = 1);
    int32_t FtsClose();
    int32_t FtsAdd(std::string_view text);
    int32_t FtsDelete(int32_t entry);
    int32_t FtsSet(std::string_view query);
    int32_t FtsNextRec();
    int32_t FtsVerify(std::string_view text, std::string_view query, int32_t = 4);

    int32_t FtsPut(int32_t entry, std::string_view text);
    void FtsAbandon();
    int32_t FtsBegin();  // 0 or a negative error
    int32_t FtsCommit(); // 0 or a negative error (the changes are then dropped)
    void FtsRollback();

    // The handle of the open index (> 0), or the negative result of the last open or create.
    int32_t handle() const { return handle_; }
    bool isOpen() const { return index_ != nullptr; }
    const Status& lastStatus() const { return status_; }

private:
    int32_t failed(Status s, int32_t code);
    const Query& parsed(std::string_view query);

    std::unique_ptr<FtsIndex> index_;
    int32_t handle_ = kFtsNotOpen;
    Status status_;
    bool unusable_ = false; // the open found no usable index
    // The last query verified, parsed once for the many candidates of a search.
    std::string verifyText_;
    Query verifyQuery_;
    bool verifyValid_ = false;
    WordList words_;
};

} // namespace rk::search
