// The web addresses of the internet search: a page and a choice of the search window, with
// the user's text, become an address on a film site. Nothing is opened here.
//
// Each choice has one address in a table the user can edit (a text file beside the
// settings); "{text}" in an address stands for the search text. The built-in table:
//
//   choice                               address
//   movies only / movies and TV / TV     FILMS /find/?q={text}&s=tt (&ttype=ft | tv)
//   awards by category / year / summary  the awards database, FILMS' awards event, the
//                                        encyclopaedia's article
//   latest movie news                    FILMS /news/movie/
//   famous movie quotes                  QUOTES /
//   biographies, stars (every type)      FILMS /find/?q={text}&s=nm
//
// The text goes in as a query value: spaces become "+", letters, digits and "-._*" stay,
// every other byte of its UTF-8 form becomes %XX, so that "&", "?", "#", "%" and "+" in a
// title search for themselves instead of changing the address.
//
// The file: one "Name = address" a line; blank lines and lines that begin with "#" are
// skipped. A line that names no choice, or whose address is not an http(s) address of
// printable characters without spaces, keeps the built-in address and is reported.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rk::search {

enum class SearchChoice {
    MoviesOnly,
    MoviesAndTv,
    TvOnly,
    AwardsByCategory,
    AwardsByYear,
    AwardsSummary,
    LatestNews,
    FamousQuotes,
    Biography,
    Actors,
    Actresses,
    Directors,
    Writers,
};
inline constexpr int kSearchChoiceCount = 13;

// The name of a choice in the file ("MoviesOnly").
std::string_view searchChoiceName(SearchChoice choice);

// One address per choice.
struct SearchAddresses {
    std::array<std::string, kSearchChoiceCount> address;

    const std::string& operator[](SearchChoice c) const { return address[std::size_t(c)]; }
    std::string& operator[](SearchChoice c) { return address[std::size_t(c)]; }
};

SearchAddresses defaultSearchAddresses();

// The file's text read over the built-in table; `problems` lists each line not taken
// ("line 3: ...").
struct ReadAddresses {
    SearchAddresses addresses;
    std::vector<std::string> problems;
};
ReadAddresses readSearchAddresses(std::string_view fileText);

// The file's text for a table (a comment that says how to edit it, then every choice).
std::string searchAddressesText(const SearchAddresses& addresses);

// A search text (UTF-8) as a query value.
std::string encodeSearchText(std::string_view utf8);

// The address of a choice for a text; nothing when the address takes a text and the text
// is empty (the window then says what is missing and opens nothing).
std::optional<std::string> searchAddress(const SearchAddresses& addresses, SearchChoice choice,
                                         std::string_view text);

// An address worth handing to the browser: not empty and not only spaces.
bool isOpenableAddress(std::string_view address);

} // namespace rk::search
