// The internet search's addresses: the built-in table carries a search text intact into a
// query value, the text is encoded, and the user's file replaces addresses line by line
// with each line it cannot take reported.
#include "webaddress.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace rk::search;

namespace {

// The query values of an address, decoded as a browser's form decoding does.
std::vector<std::string> queryValues(const std::string& address) {
    std::vector<std::string> values;
    const auto q = address.find('?');
    if (q == std::string::npos) return values;
    std::string query = address.substr(q + 1);
    query = query.substr(0, query.find('#'));
    std::size_t start = 0;
    while (start <= query.size()) {
        auto end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(start, end - start);
        const auto eq = pair.find('=');
        std::string value;
        const std::string raw = eq == std::string::npos ? pair : pair.substr(eq + 1);
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '+') {
                value += ' ';
            } else if (raw[i] == '%' && i + 2 < raw.size()) {
                value += char(std::stoi(raw.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                value += raw[i];
            }
        }
        values.push_back(value);
        start = end + 1;
    }
    return values;
}

bool onlyAddressCharacters(const std::string& address) {
    for (const char c : address)
        if (c <= ' ' || static_cast<unsigned char>(c) >= 0x7F) return false;
    return true;
}

TEST(WebAddress, EveryBuiltInAddressCarriesTheTextIntactInAQueryValue) {
    const auto table = defaultSearchAddresses();
    const std::string tricky = " Pride & Prejudice? #1 100% C++ Am\xC3\xA9lie a/b=c ";
    int withText = 0;
    for (int i = 0; i < kSearchChoiceCount; ++i) {
        const auto choice = SearchChoice(i);
        SCOPED_TRACE(std::string(searchChoiceName(choice)));
        const auto address = searchAddress(table, choice, tricky);
        ASSERT_TRUE(address);
        EXPECT_EQ(address->rfind("https://", 0), 0u);
        EXPECT_TRUE(onlyAddressCharacters(*address));
        if (table[choice].find("{text}") == std::string::npos) {
            EXPECT_EQ(*address, table[choice]);
            continue;
        }
        ++withText;
        const auto values = queryValues(*address);
        EXPECT_EQ(std::count(values.begin(), values.end(), tricky), 1);
        EXPECT_EQ(searchAddress(table, choice, ""), std::nullopt);
    }
    // The searches of titles, biographies and stars take the text.
    EXPECT_EQ(withText, 8);
}

TEST(WebAddress, TextEncoding) {
    EXPECT_EQ(encodeSearchText(" Das  Boot "), "+Das++Boot+");
    EXPECT_EQ(encodeSearchText("Who?#1 100% C++"), "Who%3F%231+100%25+C%2B%2B");
    EXPECT_EQ(encodeSearchText("Am\xC3\xA9lie"), "Am%C3%A9lie");
    EXPECT_EQ(encodeSearchText("Se7en_v-2.0*"), "Se7en_v-2.0*");
}

TEST(WebAddress, TheFileReplacesAddressesAndReportsWhatItCannotTake) {
    const auto read = readSearchAddresses("# my sites\n"
                                          "\n"
                                          "  TVOnly =  https://tv.example/s?q={text}&x={text}  \r\n"
                                          "Writers=http://w.example/\n"
                                          "Nobody = https://n.example/\n"
                                          "Actors https://a.example/\n"
                                          "Actresses = ftp://f.example/\n"
                                          "Directors = https://d.example/a b\n"
                                          "LatestNews =");
    const auto builtIn = defaultSearchAddresses();
    EXPECT_EQ(searchAddress(read.addresses, SearchChoice::TvOnly, "a b"),
              "https://tv.example/s?q=a+b&x=a+b");
    EXPECT_EQ(read.addresses[SearchChoice::Writers], "http://w.example/");
    for (auto kept : {SearchChoice::Actors, SearchChoice::Actresses, SearchChoice::Directors,
                      SearchChoice::LatestNews, SearchChoice::MoviesOnly})
        EXPECT_EQ(read.addresses[kept], builtIn[kept]);
    ASSERT_EQ(read.problems.size(), 5u);
    EXPECT_EQ(read.problems[0].rfind("line 5: ", 0), 0u);
    EXPECT_EQ(read.problems[4].rfind("line 9: ", 0), 0u);
}

TEST(WebAddress, TheWrittenTableReadsBackWhole) {
    auto table = defaultSearchAddresses();
    table[SearchChoice::FamousQuotes] = "https://q.example/?s={text}";
    const auto read = readSearchAddresses(searchAddressesText(table));
    EXPECT_TRUE(read.problems.empty());
    EXPECT_EQ(read.addresses.address, table.address);
}

TEST(WebAddress, OnlyAddressesWithSomethingButSpacesAreOpened) {
    EXPECT_FALSE(isOpenableAddress(""));
    EXPECT_FALSE(isOpenableAddress("   "));
    EXPECT_TRUE(isOpenableAddress("https://www.imdb.com/"));
}

} // namespace
