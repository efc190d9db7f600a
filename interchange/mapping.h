// Foreign titles into records of our titles table, and back (for the exports).
//
//   foreign                    ours
//   title                      TITLE (100)
//   year (first 4 digits)      YEAR
//   genres                     CATEGORY: the first; USER4: the others, joined by ", "
//   directors, producers       DIRECTOR, PRODUCER: joined by ", "
//   cast                       STAR1..STAR4: the first four; the rest are left out
//   medium                     FORMAT: the catalogue's own spelling when it has the format
//   certification              RATED
//   minutes                    RUNTIME as hh:mm
//   plot                       SUMMARY, cut to 255
//   rating (n of max)          RATING: scaled onto the rating list (best first)
//   purchase price, price      PRICE (the first that is set; currency signs dropped)
//   direct (FIELD, text)       that field, as setFromText takes it
//   other                      left out; USER1..USER3 as "name: text" when asked
// Covers and loans go beside the record (ImportPlan's sides), written by applyPlan.
#pragma once

#include "dbf.h"
#include "foreign.h"
#include "status.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rk::store {
class Table;
}

namespace rk::interchange {

struct MapOptions {
    std::vector<std::string> ratings; // the catalogue's rating list, best first
    std::vector<std::string> formats; // the catalogue's media formats
    bool merge = false;               // a duplicate fills the blank fields of the title kept
    bool othersToUserFields = false;  // the other fields into USER1..USER3
};

// What one title's mapping cut, transliterated and left out, by our field names (left out:
// the foreign names).
struct MapNotes {
    std::vector<std::string> cut, transliterated, leftOut;
    std::string refused; // why the title is not taken ("" when it is)
};

// The record image of a foreign title: a blank record of `fields` (the titles table's)
// filled in; `notes` gets what did not fit.
std::string mapTitle(const ForeignTitle& t, const std::vector<dbf::FieldDef>& fields,
                     const MapOptions& options, MapNotes* notes);

// A title's cover and loan, to be stored once its record number is known.
struct SideItems {
    std::string title; // for the report
    std::string coverName, coverBytes;
    std::string borrower, loanDate, dueDate; // borrower in Windows-1252
};

struct ImportPlan {
    std::vector<std::string> appends;                     // new records
    std::vector<std::pair<uint32_t, std::string>> merges; // existing records changed
    std::vector<std::string> preview;                     // the first titles, UTF-8
    uint32_t read = 0, duplicatesSkipped = 0, duplicatesMerged = 0;
    uint32_t titlesCut = 0, titlesTransliterated = 0, titlesWithLeftOut = 0;
    // How many titles had each field cut / transliterated / left out.
    std::map<std::string, uint32_t> cut, transliterated, leftOut;
    std::vector<std::string> refused; // "title 12: no title"
    std::vector<std::string> notes;   // the reader's notes
    // Covers and loans of the titles taken: by index into appends, or by the record number
    // of the existing title a duplicate is merged into.
    std::vector<std::pair<size_t, SideItems>> appendSides;
    std::vector<std::pair<uint32_t, SideItems>> mergeSides;
    uint32_t covers = 0, loans = 0;
};

// Maps every title and finds duplicates by title and year, against the titles table and
// within the file. Reads the table; changes nothing.
Result<ImportPlan> planImport(const ReadResult& read, store::Table& titles,
                              const MapOptions& options, size_t previewCount = 10);

// The same one title at a time, for files read as a stream (CSV): start(), add() for each
// title in file order, then finish().
class ImportPlanner {
public:
    ImportPlanner(store::Table& titles, const MapOptions& options, size_t previewCount = 10);
    ~ImportPlanner();
    // Reads the titles already in the table for the duplicates.
    Status start();
    void add(const ForeignTitle& t);
    ImportPlan finish();

private:
    struct Keys;
    store::Table& titles_;
    const MapOptions& options_;
    size_t previewCount_;
    std::unique_ptr<Keys> keys_;
    ImportPlan plan_;
};

// Our record as a foreign title, for the exports: the reverse of the table above, the
// rating given as 1..5 (ratingMax 5) when it is on the list. The fields no slot holds are
// left in `direct` under their names (the CSV export writes them all).
ForeignTitle fromRecord(std::string_view image, const store::Table& titles,
                        const std::vector<std::string>& ratings);

// "118" -> "01:58"; "" for a text that is not a number of minutes. Back: "01:58" -> 118,
// -1 when the text is not h:mm.
std::string runTimeFromMinutes(std::string_view minutes);
int minutesFromRunTime(std::string_view runTime);

// A rating of n out of max onto a list of `size` entries, best first: the index, or -1 when
// the title has no rating. Back: the index into 1..max.
int ratingIndex(double rating, double max, size_t size);
int ratingFromIndex(size_t index, size_t size, int max);

} // namespace rk::interchange
