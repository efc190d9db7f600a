// The full-text index of the titles table as it is read: its file, its entry texts, whether it
// belongs to the table, and the search (searchTitles: the whole of a search, markMatches: the
// verification of the candidates). Only the catalogue engine (catalogue/) writes the index:
// it builds it and keeps each title's entry current.
//
// Entry n of the index holds the text of physical record n of the titles table. The entry
// text is the record's stored image with a word break (kFieldBreak) after every field and a
// zero byte at the end: a field filled to its width (a title of 100 characters, a star cut
// to 25, a summary cut to 255) would otherwise run into the first word of the next field and
// make both unfindable by themselves.
#pragma once

#include "dbf.h"
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

// An index belongs to its table while it was built from a table of the same layout (the
// stamp below), holds an entry number for every record (the highest number given is the
// table's record count) and has missed no change of the table since (it is not marked
// stale). An index that does not is reported as needing a rebuild, never searched: its
// numbers would point at the wrong records, or leave titles out.
//
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

// The layout stamp of a table: its record length and each field's name, type, width and
// decimals.
int64_t tableStamp(const store::Table& titles);

// Whether the open index belongs to the table (see above): ok, or Corruption saying why not
// and that the index needs a rebuild.
Status checkTitlesIndex(TFts& fts, const store::Table& titles);
// The same for an index that should hold `entries` entry numbers (one change before or after
// the table's).
Status checkTitlesIndex(FtsIndex& ix, const store::Table& titles, uint32_t entries);

// Called after each record of a build with the add's result: the entry number (the record
// number), or a negative error code for a record that could not be added. Returning false
// abandons the build.
using BuildStep = std::function<bool(int32_t addResult)>;

struct BuildReport {
    uint32_t records = 0; // records read
    uint32_t failed = 0;  // records whose add failed
    int32_t lastResult = 0;
};

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

// What a search that found `matches` titles says: "1 Match Found.", "6 Matches Found.".
std::string matchesFoundText(uint32_t matches);

enum class SearchOutcome {
    IndexMissing, // no index file: build one first
    NotUsable,    // FtsSet gave kFtsNotUsable
    NeedsRebuild, // the index does not belong to the table (checkTitlesIndex)
    NothingFound, // no candidate, or none verified
    Found,
};

struct SearchResult {
    SearchOutcome outcome = SearchOutcome::NothingFound;
    MarkReport report;
    Status detail; // why the index is not usable or needs a rebuild
};

// FindButClick without its window, steps 2 to 12: the deleted filter off for the search and on
// again after, the table's query cleared, the matches marked by their query bits.
Result<SearchResult> searchTitles(store::Table& titles, const std::string& indexPath,
                                  std::string_view query, int fieldChoice);

} // namespace rk::search
