// The data file that the program's earlier versions exported (*.dat), and its import into the
// titles table.
//
// File layout: 8-bit text (Windows-1252), one title a line, no header line. A line ends at
// CR LF, LF or CR; a last line without an ending counts; a Ctrl+Z (0x1A) ends the text, as
// it does in the text files of those versions. Columns are separated by commas; a comma
// always separates (double quotes do not protect it), every double quote is removed from a
// column's text, and nothing is trimmed. Missing columns read as empty; columns after the
// 18th are not read.
//
//   column  field      conversion
//   1       RATING     "nodat" (as written, quotes included) becomes "Empty Title"
//   2       FORMAT     "nodat" becomes empty
//   3       CATEGORY   (4 TITLE, 5 ID likewise) the text as it stands
//   6       COUNTER    a decimal integer; any other text gives 0
//   7..10   RUNTIME, USER1, USER2, SUMMARY
//   11      -          not read
//   12..18  PRODUCER, DIRECTOR, STAR1, STAR2, STAR3, USER3, USER4
//
// Texts longer than their field are cut to its width. The other fields keep the values of a
// newly appended record (blank).
#pragma once

#include "dbf.h"
#include "env.h"
#include "status.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rk::store {

class Table;

namespace oldfile {

inline constexpr int kColumns = 18;
inline constexpr int kCounterColumn = 6; // numbered from 1
inline constexpr int kSkippedColumn = 11;
inline constexpr char kEndOfText = '\x1A';
inline constexpr std::string_view kNoData = "nodat";
inline constexpr std::string_view kEmptyTitle = "Empty Title";

// The title field each column fills, by column number - 1; nullptr for the column not read.
extern const std::array<const char*, kColumns> kColumnField;

// One line as the import reads it: the text of each column after the conversions (the
// skipped column empty, the counter's column as written but without quotes) and the counter.
struct Line {
    std::array<std::string, kColumns> text;
    int64_t counter = 0;
};

// The line's columns and counter. A pure function of the line (without its ending).
Line parseLine(std::string_view line);

// The count the import reports as " Fields in this File.": the columns of the line, from
// the first, before the first empty one (texts as written, quotes included).
int fieldCount(std::string_view firstLine);

// Column 6: optional leading spaces, an optional sign and decimal digits that make a 32-bit
// integer; anything else gives 0.
int64_t counterValue(std::string_view text);

// Fills a title record image (blank where the line gives nothing). InvalidArgument when a
// field the line fills is missing from the table or the counter does not fit its field.
Status fillRecord(const Line& line, const std::vector<dbf::FieldDef>& fields, std::string* image);

} // namespace oldfile

// What the lines of a file look like against the layout above, over its first kShapeLines
// lines that are not empty. The data file has at most 18 columns, texts without quotes
// around them, a rating (or "nodat", or nothing) in column 1 and a whole number (or nothing)
// in column 6; a comma export of a table, or another program's list, has not.
struct OldFileShape {
    static constexpr uint32_t kShapeLines = 1000;
    uint32_t lines = 0;        // lines looked at
    uint32_t wide = 0;         // with more than 18 columns
    uint32_t quoted = 0;       // with quotes around (nearly) every column
    uint32_t badCounter = 0;   // whose column 6 is text other than a whole number
    uint32_t notRating = 0;    // whose column 1 is not a rating
    int mostColumns = 0;       // the most columns of a line
    std::string firstColumn;   // column 1 of the first line that is not a rating
    std::string counterColumn; // column 6 of the first line where it is not a number

    // False when most lines look like another file: then `problem()` says what was found
    // and what the layout expects.
    bool looksOld() const;
    std::string problem() const;
};

// A line that cannot be stored and is left out of the import.
struct OldSkippedLine {
    uint32_t line = 0; // numbered from 1
    std::string reason;
};

struct OldFileCounts {
    static constexpr size_t kListedSkips = 100;
    static constexpr size_t kPreviewRecords = 5;
    uint32_t records = 0;                // lines
    int fields = 0;                      // fieldCount of the first line
    uint32_t skippedLines = 0;           // lines that cannot be stored
    std::vector<OldSkippedLine> skipped; // the first kListedSkips of them
    // The first kPreviewRecords lines that can be stored, as the records they become.
    std::vector<std::pair<uint32_t, std::string>> preview;
    OldFileShape shape;
};

// Reads the whole file: counts its lines and the fields of its first line, finds the lines
// that `fields` cannot store (the import leaves them out), keeps the first records as they
// will be stored, and looks at the file's shape (`ratings`: the texts column 1 may hold). A
// file that cannot be opened or read is an error; nothing is changed.
Result<OldFileCounts> countOldDataFile(const std::string& path,
                                       const std::vector<dbf::FieldDef>& fields,
                                       Env* env = Env::standard(),
                                       const std::vector<std::string>* ratings = nullptr);

// "line 3: the counter ...", one a line, with "... and N more" past the listed ones.
std::string skippedLinesText(const OldFileCounts& counts);

// What the import tells its caller while it runs.
struct OldImportHooks {
    // Each line as it is read, numbered from 1.
    std::function<void(uint32_t line)> progress;
    // While the table's index is rebuilt after a large import, 0..100.
    std::function<void(int percent)> indexing;
    // Each new record before it is written, with the number it will have in the table: a
    // caller keeps other files current here (the full-text index). An error stops the import
    // before the record is written.
    std::function<Status(uint32_t recno, std::string_view image)> record;
    // After a group of records was handed to `record` and before that group is written.
    std::function<Status()> commit;
    // After a failure: records from `recno` on were handed to `record` but are not in the
    // table.
    std::function<void(uint32_t recno)> abandon;
};

struct OldImportReport {
    uint32_t lines = 0;   // lines read
    uint32_t added = 0;   // records appended, also when the import stopped
    uint32_t skipped = 0; // lines left out: they cannot be stored
};

// Appends a record to the open titles table for every line of the file, in order, a group of
// lines at a time, each group with one write of the table. The index takes each group in one
// change; an import of many lines (`counts`, from countOldDataFile, tells how many) against
// the table's size instead rebuilds it once at the end. A process killed during the import
// leaves every added record whole, and an index that the next open rebuilds.
//
// A line that cannot be stored (countOldDataFile lists those first) is left out and counted
// in `report->skipped`. A failure (a disk error, a hook's error) is returned with a message
// saying at which line the import stopped and how many records were added; `report` is
// filled in either case.
Status importOldDataFile(Table& titles, const std::string& path, const OldFileCounts& counts,
                         const OldImportHooks& hooks, OldImportReport* report,
                         Env* env = Env::standard());

} // namespace rk::store
