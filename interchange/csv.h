// Comma- or tab-separated text with a header row (RFC 4180 quoting), in UTF-8 or
// Windows-1252, and the mapping of its columns to a title.
#pragma once

#include "foreign.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rk::interchange {

// No field of a title is anywhere near this long: a longer one refuses the file.
inline constexpr size_t kMaxCsvField = size_t(1) << 20;

struct CsvTable {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows; // UTF-8
    char separator = ',';
    bool windows1252 = false; // the file was not UTF-8 and was read as Windows-1252
    // The first row was a title, not a header: our own comma export (Export Database), whose
    // columns are our fields in table order; `header` names them.
    bool noHeader = false;
};

// Reads the text: a UTF-8 byte order mark is dropped; text that is not UTF-8 is read as
// Windows-1252; the separator is a tab when the header line holds more tabs than commas.
// Empty lines are passed over. A first row of as many cells as our fields, none of them a
// known column name, is a title of our own comma export (noHeader). Refused: no header, an open
// quote at the end, a field longer than kMaxCsvField, a row with more fields than the header.
Result<CsvTable> parseCsv(std::string_view bytes);
// The same, each row handed to `onRow` with the header as it is read (padded to the header's
// width) instead of kept in `rows`; a Status other than ok from onRow stops the reading.
using CsvRowFn =
    std::function<Status(const std::vector<std::string>& header, std::vector<std::string>&& row)>;
Result<CsvTable> parseCsv(std::string_view bytes, const CsvRowFn& onRow);

// One target per column: "" skips the column; a slot of the foreign title ("title", "year",
// "genres", "directors", "producers", "cast", "medium", "certification", "minutes", "plot",
// "rating", "price", "purchase-price", "borrower"); or the name of one of our fields
// ("USER1"), set as it stands.
using CsvMapping = std::vector<std::string>;
// Every target a column can take, slots first.
const std::vector<std::string>& csvTargets();
// The mapping guessed from the header: a header that is exactly one of our field names (our
// own export) sets that field; otherwise the usual names of the other programs (Title,
// Genre, Running Time, Plot Summary, Personal Rating, ...) go to their slots, case ignored.
CsvMapping guessMapping(const std::vector<std::string>& header);
// The rows as titles. Multi-valued cells are split at ';' (Tellico writes "a; b"); a cast cell's
// "Actor::Role" keeps the actor.
std::vector<ForeignTitle> csvTitles(const CsvTable& table, const CsvMapping& mapping);
// One row as a title.
ForeignTitle csvTitle(const std::vector<std::string>& header, const std::vector<std::string>& row,
                      const CsvMapping& mapping);

// One field quoted as RFC 4180 wants it (only when it holds a separator, quote or line end).
std::string csvField(std::string_view text);

} // namespace rk::interchange
