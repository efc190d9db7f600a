// The search language of the full-text index.
//
//   star wars          both words must occur; a word matches every word that begins with it,
//                      so "star" finds "Star", "Stars" and "Stardust"; case and accents are
//                      ignored ("etre" finds "Être")
//   "star wars"        a phrase: the words in this order, side by side; each word of a phrase
//                      also matches the words that begin with it
//   alien OR predator  either; OR (in capitals) joins the two terms beside it, and binds
//                      closer than the implicit "and": "bond OR flint 1967" is
//                      (bond or flint) and 1967
//   -western           leaves out the texts holding the word; -"the end" leaves out a phrase
//
// How the odd cases read:
//   - A query is cut after kMaxQueryBytes bytes, and at a zero byte.
//   - An unclosed quote runs to the end of the query: "star wars is the phrase star wars.
//   - A word that the tokenizer splits ("spider-man", "R2D2's") is a phrase of its parts.
//   - Punctuation on its own ("&", "--") is no term and is dropped.
//   - OR with no term on one side (at the start or end, next to an excluded term, or
//     another OR) is dropped; a query that is nothing but OR looks for the word "or".
//     Lower-case "or" is always a word.
//   - A query of excluded terms only matches every text that holds none of them.
//   - A query with no terms at all (empty, blanks or punctuation) matches nothing.
// None of these is an error: every text is a query.
#pragma once

#include "tokenizer.h"

#include <string>
#include <string_view>
#include <vector>

namespace rk::search {

inline constexpr size_t kMaxQueryBytes = 255;

// A word (one entry) or a phrase (several), each folded; each matches words beginning with it.
struct Term {
    std::vector<std::string> words;
    bool operator==(const Term& o) const { return words == o.words; }
};

struct Query {
    // Every group must match; a group matches when one of its terms does.
    std::vector<std::vector<Term>> groups;
    // No excluded term may match.
    std::vector<Term> excluded;

    // No term at all: nothing matches.
    bool empty() const { return groups.empty() && excluded.empty(); }
    // Only exclusions: everything matches that holds none of them.
    bool onlyExcluded() const { return groups.empty() && !excluded.empty(); }
};

Query parseQuery(std::string_view text);

// Whether the words of a text satisfy the query.
bool matches(const Query& q, const WordList& words);
bool matches(const Query& q, std::string_view text);

// The FTS5 MATCH expression for the query's terms: its groups and exclusions when it has
// groups; the exclusions OR-ed together when it has only those (the caller takes the entries
// that do not match); empty for an empty query. Words appear as FTS5 strings holding the
// folded Windows-1252 bytes, which the index's tokenizer reads back unchanged.
std::string fts5Expression(const Query& q);

// The query written back in the search language, for messages and tests.
std::string describe(const Query& q);

} // namespace rk::search
