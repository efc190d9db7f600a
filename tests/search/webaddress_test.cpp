// The internet search's addresses: which page and choice gives which address, what the
// search text becomes in it, and the empty texts that give no address.
#include "webaddress.h"

#include <gtest/gtest.h>

using namespace rk::search;

namespace {

const std::string kFilms = "https://www.imdb.com";

TEST(WebAddress, TitleSearchTypesAndSpacesAsPlus) {
    EXPECT_EQ(movieSearchAddress("Star Trek", MovieSearchType::TvOnly),
              kFilms + "/M/title-substring?title=Star+Trek&tv=only");
    EXPECT_EQ(movieSearchAddress("Alien", MovieSearchType::MoviesOnly),
              kFilms + "/M/title-substring?title=Alien&tv=off");
    EXPECT_EQ(movieSearchAddress("Alien", MovieSearchType::MoviesAndTv),
              kFilms + "/M/title-substring?title=Alien&tv=both");
    // Runs of spaces and spaces at either end each become a plus sign.
    EXPECT_EQ(movieSearchAddress(" Das  Boot ", MovieSearchType::MoviesOnly),
              kFilms + "/M/title-substring?title=+Das++Boot+&tv=off");
    EXPECT_EQ(movieSearchAddress("", MovieSearchType::TvOnly), std::nullopt);
}

TEST(WebAddress, CharactersThatWouldChangeTheAddressAreEncoded) {
    EXPECT_EQ(movieSearchAddress("Pride & Prejudice", MovieSearchType::MoviesOnly),
              kFilms + "/M/title-substring?title=Pride+%26+Prejudice&tv=off");
    EXPECT_EQ(encodeSearchText("Who?#1 100% C++"), "Who%3F%231+100%25+C%2B%2B");
    // Non-ASCII text goes as the percent-encoded bytes of its UTF-8 form.
    EXPECT_EQ(encodeSearchText("Am\xC3\xA9lie"), "Am%C3%A9lie");
    EXPECT_EQ(encodeSearchText("a/b=c"), "a%2Fb%3Dc");
    EXPECT_EQ(encodeSearchText("Se7en_v-2.0*"), "Se7en_v-2.0*");
}

TEST(WebAddress, AwardsNewsQuotesAndBiographies) {
    EXPECT_EQ(awardsAddress(AwardsListing::ByCategory), kFilms + "/Oscars/ByCategory");
    EXPECT_EQ(awardsAddress(AwardsListing::ByYear), kFilms + "/Oscars/ByYear");
    EXPECT_EQ(awardsAddress(AwardsListing::Summary), kFilms + "/Oscars/");
    // News ignores whatever the name text holds, even an empty one.
    EXPECT_EQ(newsAddress(NewsChoice::LatestNews, "Hitchcock"), kFilms + "/StudioBrief/index.html");
    EXPECT_EQ(newsAddress(NewsChoice::LatestNews, ""), kFilms + "/StudioBrief/index.html");
    EXPECT_EQ(newsAddress(NewsChoice::FamousQuotes, ""),
              "https://www.moviequotes.com/movies/quotes/");
    // The biography text follows the question mark with no key.
    EXPECT_EQ(newsAddress(NewsChoice::Biographies, "Grace Kelly"),
              kFilms + "/M/person-biography?Grace+Kelly");
    EXPECT_EQ(newsAddress(NewsChoice::Biographies, ""), std::nullopt);
}

TEST(WebAddress, StarSearchIgnoresTheSearchType) {
    const auto actors = starSearchAddress("Cary Grant", StarSearchType::Actors);
    EXPECT_EQ(actors, kFilms + "/Name?Cary+Grant");
    EXPECT_EQ(starSearchAddress("Cary Grant", StarSearchType::Writers), actors);
    EXPECT_EQ(starSearchAddress("", StarSearchType::Directors), std::nullopt);
}

TEST(WebAddress, OnlyAddressesWithSomethingButSpacesAreOpened) {
    EXPECT_FALSE(isOpenableAddress(""));
    EXPECT_FALSE(isOpenableAddress("   "));
    EXPECT_TRUE(isOpenableAddress(kFilms + "/Oscars/"));
}

} // namespace
