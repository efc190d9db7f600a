// The catalogue: the titles table VIDEO.DBF, the categories table Cats.dbf, their tags, and
// the choice lists Rats.dat and Formats.dat.
#pragma once

#include "dbf.h"
#include "env.h"
#include "status.h"

#include <string>
#include <string_view>
#include <vector>

namespace rk::catalogue {

inline constexpr const char* kTitlesFile = "VIDEO.DBF";
inline constexpr const char* kCategoriesFile = "Cats.dbf";
inline constexpr const char* kRatingsFile = "Rats.dat";
inline constexpr const char* kFormatsFile = "Formats.dat";

// The 33 fields of the titles table, in record order.
const std::vector<dbf::FieldDef>& titleFields();
// CATEGORY C(50), CATID N(5).
const std::vector<dbf::FieldDef>& categoryFields();

struct TagDef {
    std::string name;
    std::string key; // xBase key expression
    std::string forExpr;
};
// TITIT CATEGORY DIRECT IDS YR FRMT RAT RATD CONT MULTI USE1 USE2.
const std::vector<TagDef>& titleTags();
// CAT.
const std::vector<TagDef>& categoryTags();

const std::vector<std::string>& builtinRatings();
const std::vector<std::string>& builtinFormats();

// A choice list file: one entry per line; a line ends at CR, LF or CR LF; a last line
// without an ending counts; empty lines are kept. A missing file gives `builtin`; an
// existing empty file gives an empty list.
Result<std::vector<std::string>> readChoiceList(const std::string& path,
                                                const std::vector<std::string>& builtin,
                                                Env* env = Env::standard());
// Writes every entry followed by CR LF, replacing the file atomically.
Status writeChoiceList(const std::string& path, const std::vector<std::string>& entries,
                       Env* env = Env::standard());

// Creates empty catalogue tables (with their index files once indexes exist) in `dir`.
Status createEmpty(const std::string& dir, Env* env = Env::standard());
// Creates the catalogue and fills it with the sample titles and categories.
Status createSample(const std::string& dir, Env* env = Env::standard());

} // namespace rk::catalogue

namespace rk::catalogue {

// The query that selects the records whose `field` equals `value` (non-exact, as the views
// compare): FIELD = "value". A value holding a double quote is delimited by ' or [ ] instead,
// and one holding all three delimiters is joined from pieces, so that every name selects its
// records.
std::string equalsQuery(std::string_view field, std::string_view value);
// The query that selects the records whose `field`, trimmed, is exactly `value` trimmed:
// ALLTRIM(FIELD) == "value" ("Alien" does not select "Aliens"), delimited as equalsQuery does.
std::string exactQuery(std::string_view field, std::string_view value);

} // namespace rk::catalogue
