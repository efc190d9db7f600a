#include "query.h"

#include <gtest/gtest.h>

#include <string>

using namespace rk::search;

namespace {

std::string parsed(std::string_view q) {
    return describe(parseQuery(q));
}

bool hit(std::string_view q, std::string_view text) {
    return matches(parseQuery(q), text);
}

} // namespace

TEST(QueryParse, WordsPhrasesOrAndExclusions) {
    EXPECT_EQ(parsed("Star  Wars"), "star wars");
    EXPECT_EQ(parsed("\"star wars\" empire"), "\"star wars\" empire");
    EXPECT_EQ(parsed("alien OR predator 1979"), "alien OR predator 1979");
    EXPECT_EQ(parsed("bond OR flint OR lime 1967"), "bond OR flint OR lime 1967");
    EXPECT_EQ(parsed("western -\"john wayne\" -Eastwood"), "western -\"john wayne\" -eastwood");
    EXPECT_EQ(parsed("\xC9T\xC9"), "ete");
}

TEST(QueryParse, OddQueriesReadSensibly) {
    EXPECT_EQ(parsed(""), "");
    EXPECT_EQ(parsed("   "), "");
    EXPECT_EQ(parsed("&& -- !"), "");
    // An unclosed quote runs to the end.
    EXPECT_EQ(parsed("\"star wars"), "\"star wars\"");
    EXPECT_EQ(parsed("\""), "");
    // A split word is a phrase of its parts.
    EXPECT_EQ(parsed("spider-man"), "\"spider man\"");
    // OR with nothing on one side is dropped; OR alone is the word.
    EXPECT_EQ(parsed("OR alien"), "alien");
    EXPECT_EQ(parsed("alien OR"), "alien");
    EXPECT_EQ(parsed("alien OR OR predator"), "alien OR predator");
    EXPECT_EQ(parsed("alien OR -predator"), "alien -predator");
    EXPECT_EQ(parsed("-predator OR alien"), "alien -predator");
    EXPECT_EQ(parsed("alien -x OR OR predator"), "alien predator -x");
    EXPECT_EQ(parsed("OR"), "or");
    EXPECT_EQ(parsed("OR OR"), "or");
    EXPECT_EQ(parsed("\"OR\""), "or");
    EXPECT_EQ(parsed("alien or predator"), "alien or predator");
    // Repeats add nothing; several minus signs exclude once.
    EXPECT_EQ(parsed("a a -b --b"), "a -b");
    // A quote inside a word starts a phrase.
    EXPECT_EQ(parsed("big\"blue sea\""), "big \"blue sea\"");
}

TEST(QueryParse, LimitsAreApplied) {
    // Cut after 255 bytes: the 256th character and what follows are not read.
    std::string q(254, ' ');
    q += "ab";
    EXPECT_EQ(parsed(q), "a");
    // Cut at a zero byte.
    EXPECT_EQ(parsed(std::string("alien\0predator", 14)), "alien");
}

TEST(QueryMatch, WordsMatchWordsBeginningWithThem) {
    EXPECT_TRUE(hit("star", "Stardust"));
    EXPECT_TRUE(hit("STAR", "the stars"));
    EXPECT_FALSE(hit("star", "Lodestar"));
    EXPECT_FALSE(hit("stars", "star"));
    EXPECT_TRUE(hit("etre", "\xCAtre et avoir"));
    EXPECT_TRUE(hit("\xEAtre", "ETRE"));
    EXPECT_TRUE(hit("strasse", "Stra\xDF"
                               "enbahn"));
}

TEST(QueryMatch, AllGroupsMustMatchAndNoExclusion) {
    EXPECT_TRUE(hit("star wars", "Wars among the stars"));
    EXPECT_FALSE(hit("star wars", "Star Trek"));
    EXPECT_TRUE(hit("alien OR predator 1979", "Alien (1979)"));
    EXPECT_TRUE(hit("alien OR predator 1979", "Predator 1979"));
    EXPECT_FALSE(hit("alien OR predator 1979", "Predator 1987"));
    EXPECT_FALSE(hit("western -wayne", "The Searchers, western, John Wayne"));
    EXPECT_TRUE(hit("western -wayne", "Unforgiven, western, Eastwood"));
}

TEST(QueryMatch, PhrasesNeedTheirWordsSideBySide) {
    EXPECT_TRUE(hit("\"star wars\"", "STAR WARS"));
    EXPECT_TRUE(hit("\"sta war\"", "Starry warriors"));
    EXPECT_FALSE(hit("\"star wars\"", "wars star"));
    EXPECT_FALSE(hit("\"star wars\"", "star of the wars"));
    // Punctuation and field breaks between are no obstacle.
    EXPECT_TRUE(hit("\"hanks ryan\"", "Tom Hanks\x1FRyan, Meg"));
    EXPECT_TRUE(hit("spider-man", "Spider Man 2"));
    EXPECT_FALSE(hit("-\"the end\"", "the end"));
    EXPECT_TRUE(hit("-\"the end\"", "end the"));
}

TEST(QueryMatch, EmptyMatchesNothingExclusionsOnlyMatchTheRest) {
    EXPECT_FALSE(hit("", "anything"));
    EXPECT_FALSE(hit("!!", "anything"));
    EXPECT_TRUE(hit("-vhs", "Laser Disc"));
    EXPECT_FALSE(hit("-vhs", "VHS tape"));
    EXPECT_TRUE(hit("-vhs", ""));
}

TEST(QueryFts5, ExpressionsForTheIndex) {
    EXPECT_EQ(fts5Expression(parseQuery("")), "");
    EXPECT_EQ(fts5Expression(parseQuery("Star")), "(\"star\"*)");
    EXPECT_EQ(fts5Expression(parseQuery("\"star wars\" alien OR predator")),
              "(\"star\"* + \"wars\"*) AND (\"alien\"* OR \"predator\"*)");
    EXPECT_EQ(fts5Expression(parseQuery("western -wayne -\"the end\"")),
              "((\"western\"*)) NOT (\"wayne\"* OR \"the\"* + \"end\"*)");
    EXPECT_EQ(fts5Expression(parseQuery("-wayne")), "(\"wayne\"*)");
}
