// The web addresses of the internet search: a page and a choice of the search window,
// with the user's text, become an https address on the film database or the film quotes
// site. Nothing is opened here.
//
//   page / choice                      address
//   movies, movies only / + TV / TV    FILMS /M/title-substring?title=T&tv=off|both|only
//   awards by category / year / all    FILMS /Oscars/ByCategory | /Oscars/ByYear | /Oscars/
//   latest movie news                  FILMS /StudioBrief/index.html
//   famous movie quotes                QUOTES /movies/quotes/
//   biographies                        FILMS /M/person-biography?T
//   stars (any search type)            FILMS /Name?T
//
// T is the search text as a query value: spaces become "+", letters, digits and "-._*"
// stay, every other byte of its UTF-8 form becomes %XX, so that "&", "?", "#", "%" and
// "+" in a title search for themselves instead of changing the address.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rk::search {

inline constexpr std::string_view kFilmDatabaseHost = "www.imdb.com";
inline constexpr std::string_view kFilmQuotesHost = "www.moviequotes.com";

enum class MovieSearchType { MoviesOnly, MoviesAndTv, TvOnly };
enum class AwardsListing { ByCategory, ByYear, Summary };
enum class NewsChoice { LatestNews, FamousQuotes, Biographies };
enum class StarSearchType { Actors, Actresses, Directors, Writers };

// A search text (UTF-8) as a query value.
std::string encodeSearchText(std::string_view utf8);

// The addresses; nothing when the text the page needs is empty (the window then says
// what is missing and opens nothing).
std::optional<std::string> movieSearchAddress(std::string_view text, MovieSearchType type);
std::string awardsAddress(AwardsListing listing);
// "Latest Movie News" and "Famous Movie Quotes" ignore the name.
std::optional<std::string> newsAddress(NewsChoice choice, std::string_view name);
// The search type does not change the address.
std::optional<std::string> starSearchAddress(std::string_view text, StarSearchType type);

// An address worth handing to the browser: not empty and not only spaces.
bool isOpenableAddress(std::string_view address);

} // namespace rk::search
