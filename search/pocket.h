// The pocket catalogue: the visible titles written as one self-contained HTML page (no
// network, no other files but, when asked for, the covers' small pictures in a folder beside
// it) that any browser opens, a phone's included. The page lists the
// titles, filters them as the user types, sorts them by title, year or category, and shows
// one title's fields on a page of its own.
//
// The page's filter reads the search language of the full-text index (query.h) and folds
// case and accents with the index's own table: the page carries that table, written from
// foldTable() when the page is written, so that the two cannot drift apart. Its texts are
// the fields the page shows.
//
// Nothing in a title can run as script: the titles travel as JSON inside a script element
// of type application/json, with <, > and & written as \u escapes, and the page puts them
// on screen as text only.
#pragma once

#include "status.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rk::store {
class Table;
}

namespace rk::search {

// The fields of a title on the page, in the order its detail page shows them.
enum PocketField {
    kPocketTitle,
    kPocketYear,
    kPocketCategory,
    kPocketFormat,
    kPocketDirector,
    kPocketProducer,
    kPocketStars, // STAR1 to STAR4, joined by ", "
    kPocketRated,
    kPocketRating,
    kPocketRunTime,
    kPocketContent,
    kPocketId,
    kPocketPrice,
    kPocketSummary,
    kPocketFieldCount
};

// One title: its fields as UTF-8, trailing blanks trimmed.
using PocketTitle = std::array<std::string, kPocketFieldCount>;

struct PocketPage {
    std::string heading = "Video Catalogue"; // UTF-8; also the page's title
    std::string footnote;                    // UTF-8, under the list (when it was made)
};

// With covers: the address of a title's small picture, relative to the page ("" for a title
// without one), asked once per title as the page is written. The page shows the pictures of
// the rows in view only, so that it stays quick at any size.
using PocketCovers = std::function<std::string(uint32_t recno)>;

// The visible titles of the table (its query and deleted filter apply), in title order:
// the title compared as the title tag compares it (upper case, Windows-1252), then record
// number. The cursor ends where it was.
Result<std::vector<PocketTitle>> pocketTitles(store::Table& titles);

// The whole page for these titles, in the order given.
std::string pocketHtml(const std::vector<PocketTitle>& titles, const PocketPage& page);

// Writes the page of the table's visible titles to `path`, through a temporary file that
// replaces `path` only when complete. Returns how many titles it holds.
Result<size_t> writePocketCatalogue(store::Table& titles, const std::string& path,
                                    const PocketPage& page, const PocketCovers& covers = {});

// --- Parts of the page, for tests

// The folding of the full-text tokenizer as a JSON object: each character (UTF-8) that is
// part of a word, mapped to its folded spelling. Characters it does not name separate words.
std::string pocketFoldJson();
// `text` (UTF-8) as a JSON string literal that is safe inside a script element: quotes,
// backslashes, control characters, <, >, &, U+2028 and U+2029 are escaped; a byte that is
// not UTF-8 becomes U+FFFD.
void appendJsonString(std::string& out, std::string_view text);
// `text` (UTF-8) with &, <, >, " and ' written as HTML character references.
std::string htmlEscape(std::string_view text);

} // namespace rk::search
