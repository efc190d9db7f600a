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

struct OldFileCounts {
    uint32_t records = 0; // lines
    int fields = 0;       // fieldCount of the first line
};

// Reads the whole file: counts its lines and the fields of its first line, and checks that
// every line makes a record that `fields` can store. A file that cannot be opened or read,
// or a line that cannot be stored (named by its number), is an error; nothing is changed.
Result<OldFileCounts> countOldDataFile(const std::string& path,
                                       const std::vector<dbf::FieldDef>& fields,
                                       Env* env = Env::standard());

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
    uint32_t lines = 0; // lines read
    uint32_t added = 0; // records appended, also when the import stopped
};

// Appends a record to the open titles table for every line of the file, in order, a group of
// lines at a time, each group with one write of the table. The index takes each group in one
// change; an import of many lines (`counts`, from countOldDataFile, tells how many) against
// the table's size instead rebuilds it once at the end. A process killed during the import
// leaves every added record whole, and an index that the next open rebuilds.
//
// The import stops at a line that cannot be stored (countOldDataFile finds those first),
// keeping what was added before it. A failure (a disk error, such a line, a hook's error) is
// returned with a message saying at which line the import stopped and how many records were
// added; `report` is filled in either case.
Status importOldDataFile(Table& titles, const std::string& path, const OldFileCounts& counts,
                         const OldImportHooks& hooks, OldImportReport* report,
                         Env* env = Env::standard());

} // namespace rk::store
