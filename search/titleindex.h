// The full-text index of the titles table, in the steps of the main window's handlers:
// UseTitles builds it (buildTitlesIndex), FindButClick searches (TFts::FtsSet, then
// markMatches), Table1AfterPost stores a new or changed title (addTitleEntry) and TrashButClick
// removes a deleted one (deleteTitleEntry). searchTitles runs a whole search without a window, for
// rkdb and tests.
//
// Entry n of the index holds the text of physical record n of the titles table. The entry
// text is the record's stored image with a word break (kFieldBreak) after every field and a
// zero byte at the end: a field filled to its width (a title of 100 characters, a star cut
// to 25, a summary cut to 255) would otherwise run into the first word of the next field and
// make both unfindable by themselves.
#pragma once

#include "dbf.h"
#include "oldimport.h"
#include "status.h"
#include "table.h"
#include "tfts.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rk::search {

inline constexpr const char* kTitlesIndexFile = "Titles.ia";
inline constexpr char kFieldBreak = '\x1F';

// The data folder's index file: an existing "Titles.ia" in any case of letters, or the
// folder followed by "Titles.ia".
std::string titlesIndexPath(const std::string& dataDir);
bool indexFileExists(const std::string& indexPath);

// The Find dialog's "Search in:" choices, by item index.
inline constexpr int kFieldChoiceCount = 12;
// "ALL Fields", "Titles", "Stars", "Producer", "Director", "Rating", "Year", "ID", "User1",
// "User2", "User3", "User4"; nullptr out of range.
const char* fieldChoiceCaption(int item);
// The item index of a caption, compared without regard to case; -1 when none.
int fieldChoiceByCaption(std::string_view caption);

// The entry text of a record image.
std::string entryText(std::string_view image, const std::vector<dbf::FieldDef>& fields);
void entryText(std::string_view image, const std::vector<dbf::FieldDef>& fields, std::string* out);

// The text that a candidate is verified against for a field choice: item 0 the entry text,
// item 2 STAR1 to STAR4 each at its full width, the others one field at its full width.
class FieldText {
public:
    // NotFound when the table lacks a field the choice needs; InvalidArgument out of range.
    static Result<FieldText> make(const std::vector<dbf::FieldDef>& fields, int choice);
    // The text for one record image; valid until the next call.
    std::string_view of(std::string_view image);

private:
    std::vector<dbf::FieldDef> fields_; // those joined; every field for item 0
    bool whole_ = false;
    std::string buf_;
};

// Called after each record of a build with the add's result: the entry number (the record
// number), or a negative error code for a record that could not be added. Returning false
// abandons the build.
using BuildStep = std::function<bool(int32_t addResult)>;

struct BuildReport {
    uint32_t records = 0; // records read
    uint32_t failed = 0;  // records whose add failed
    int32_t lastResult = 0;
};

// UseTitles, steps 6 and 7: makes a new index at indexPath from every physical record of the
// open table, in record order, deleted records included, whatever order, query or deleted
// filter is set. The new file replaces indexPath only when complete. Leaves `fts` open on it,
// as the build hands the index to its caller. When the build fails or is abandoned, indexPath
// is left as it was and `fts` is closed.
Result<BuildReport> buildTitlesIndex(TFts& fts, store::Table& titles, const std::string& indexPath,
                                     const BuildStep& step = {});

struct MarkReport {
    uint32_t matches = 0;    // shown records that verified: their query bits are set
    uint32_t candidates = 0; // candidates read from the index
    uint32_t deleted = 0;    // candidates that are deleted records (not verified, not counted)
};

// FindButClick, steps 7 to 9, after FtsSet found candidates: switches the table to natural
// order, verifies each candidate record's chosen text against the query, sets the query bit of
// each match, restores the order and goes to the first record. Candidate records are read
// straight from the file in record order, several at a time where they lie close together. Deleted
// records are passed over: the count is the number of records the table then shows. Candidates
// beyond the table's end (an index older than the table) are passed over too.
Result<MarkReport> markMatches(TFts& fts, store::Table& titles, std::string_view query,
                               int fieldChoice);

enum class SearchOutcome {
    IndexMissing, // no index file: build one first
    NotUsable,    // FtsSet gave kFtsNotUsable
    NothingFound, // no candidate, or none verified
    Found,
};

struct SearchResult {
    SearchOutcome outcome = SearchOutcome::NothingFound;
    MarkReport report;
    Status detail; // why the index is not usable
};

// FindButClick without its window, steps 2 to 12: the deleted filter off for the search and on
// again after, the table's query cleared, the matches marked by their query bits.
Result<SearchResult> searchTitles(store::Table& titles, const std::string& indexPath,
                                  std::string_view query, int fieldChoice);

// Table1AfterPost's index step: when the index file exists, opens it, stores the current
// record's entry text as the entry numbered by the record (replacing the entry's earlier
// text), and closes it. Returns the entry
// number, 0 when there is no index file, or a negative error code.
int32_t addTitleEntry(TFts& fts, const std::string& indexPath, store::Table& titles);

// TrashButClick's index step: when the index file exists, opens it, removes entry `recno`
// (the deleted record's number, taken before the delete) and closes it. Returns FtsDelete's
// result, 0 when there is no index file, or a negative error code.
int32_t deleteTitleEntry(TFts& fts, const std::string& indexPath, uint32_t recno);

// The import of an earlier version's data file (store/oldimport.h) with the index kept current.
// When the index file exists, every imported record is stored as the entry numbered by its
// record, as a typed new title is, a group of records in one transaction that is committed
// before the group reaches the table: a process killed during the import leaves an entry for
// every record written. Entries of records that never came (a failed write) are removed again;
// any that a kill leaves lie beyond the table's end, where searches pass them over and the
// next title of that number replaces them. An index file that cannot be opened stops the
// import before anything is appended. `hooks` may carry the progress callbacks (the index
// hooks are set here); `report` tells how many records were added, also when the import
// stopped.
Status importOldTitles(TFts& fts, store::Table& titles, const std::string& dataFile,
                       const store::OldFileCounts& counts, const std::string& indexPath,
                       store::OldImportHooks hooks, store::OldImportReport* report);

} // namespace rk::search
