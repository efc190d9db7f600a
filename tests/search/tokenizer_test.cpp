#include "tokenizer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace rk::search;

namespace {

std::vector<std::string> words(std::string_view text) {
    std::vector<std::string> out;
    forEachWord(text, [&](std::string_view w, size_t, size_t) { out.emplace_back(w); });
    return out;
}

using W = std::vector<std::string>;

} // namespace

TEST(Tokenizer, LettersAndDigitsMakeWordsEverythingElseSeparates) {
    EXPECT_EQ(words("Star Wars: Episode IV (1977)"), (W{"star", "wars", "episode", "iv", "1977"}));
    EXPECT_EQ(words("R2D2's  spider-man/B&&W"), (W{"r2d2", "s", "spider", "man", "b", "w"}));
    EXPECT_EQ(words(""), W{});
    EXPECT_EQ(words("  ...  --  "), W{});
    // The zero byte and the field break separate like any other non-letter.
    EXPECT_EQ(words(std::string("one\0two\x1F"
                                "three",
                                13)),
              (W{"one", "two", "three"}));
}

TEST(Tokenizer, CaseAndAccentsFoldToOneLetter) {
    // é É e; È ê ë
    EXPECT_EQ(words("\xE9t\xE9 \xC9T\xC9 Ete \xC8T\xCA \xEBt\xEB"),
              (W{"ete", "ete", "ete", "ete", "ete"}));
    // Ñ ç Ü ø Å ÿ Ÿ š Ž
    EXPECT_EQ(words("\xD1"
                    "and\xFA \xE7"
                    "a \xDC"
                    "ber \xF8l \xC5r \xFF\x9F \x9A\x8E"),
              (W{"nandu", "ca", "uber", "ol", "ar", "yy", "sz"}));
}

TEST(Tokenizer, LigaturesAndSharpSAreSpelledOut) {
    // Æ æ Œ œ ß
    EXPECT_EQ(words("\xC6on encyclop\xE6"
                    "dia \x8C"
                    "dipus c\x9Cur Stra\xDF"
                    "e"),
              (W{"aeon", "encyclopaedia", "oedipus", "coeur", "strasse"}));
}

TEST(Tokenizer, OffsetsPointAtTheOriginalBytes) {
    std::string text = "  Stra\xDF"
                       "e, No.5";
    std::vector<std::pair<size_t, size_t>> spans;
    forEachWord(text, [&](std::string_view, size_t b, size_t e) { spans.emplace_back(b, e); });
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_EQ(text.substr(spans[0].first, spans[0].second - spans[0].first), "Stra\xDF"
                                                                             "e");
    EXPECT_EQ(text.substr(spans[1].first, spans[1].second - spans[1].first), "No");
    EXPECT_EQ(text.substr(spans[2].first, spans[2].second - spans[2].first), "5");
}

TEST(Tokenizer, LongWordsAreCutAtTheLimit) {
    const std::string longWord(300, 'A');
    auto w = words(longWord + " b");
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0], std::string(kMaxWordBytes, 'a'));
    EXPECT_EQ(w[1], "b");
    // A sharp s spelled out at the limit is cut in the middle of its spelling.
    auto s = words(std::string(254, 'x') + "\xDF");
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].size(), kMaxWordBytes);
    EXPECT_EQ(s[0].back(), 's');
}

TEST(Tokenizer, JoinedWordsTokenizeBackToTheSameWords) {
    // Every byte alone and next to every other: the folded spelling is made of word bytes that
    // fold to themselves, so the index's stored form reads back unchanged.
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; b += 17) {
            const std::string text = {static_cast<char>(a), static_cast<char>(b), ' ',
                                      static_cast<char>(b), static_cast<char>(a)};
            const std::string once = joinedWords(text);
            ASSERT_EQ(joinedWords(once), once) << "bytes " << a << " " << b;
            ASSERT_EQ(words(once), words(text)) << "bytes " << a << " " << b;
        }
    }
    const std::string cut = std::string(400, 'y') + "\xDF\xDF";
    EXPECT_EQ(joinedWords(joinedWords(cut)), joinedWords(cut));
}

TEST(Tokenizer, WordListHoldsTheWordsInOrder) {
    WordList list;
    list.assign("The \xC9mpire  strikes BACK");
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], "the");
    EXPECT_EQ(list[1], "empire");
    EXPECT_EQ(list[3], "back");
    list.assign("");
    EXPECT_TRUE(list.empty());
}

TEST(Tokenizer, AgreesWithAPlainByteByByteReading) {
    // The plain reading: a word is a run of word bytes, each spelled as foldByte says, cut at
    // kMaxWordBytes bytes.
    auto plain = [](std::string_view text) {
        W out;
        std::string cur;
        bool in = false;
        for (size_t i = 0; i <= text.size(); ++i) {
            const bool word = i < text.size() && isWordByte(static_cast<unsigned char>(text[i]));
            if (word) {
                const FoldedByte& f = foldByte(static_cast<unsigned char>(text[i]));
                cur.append(f.bytes, f.length);
                in = true;
            } else if (in) {
                out.push_back(cur.substr(0, kMaxWordBytes));
                cur.clear();
                in = false;
            }
        }
        return out;
    };
    std::mt19937 rng(7);
    const std::string alphabet = std::string("aZ9\xDF\xC6\xE9 -\x1F", 9) + std::string(1, '\0');
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int pieces = int(rng() % 12);
        for (int k = 0; k < pieces; ++k) {
            const char c = alphabet[rng() % alphabet.size()];
            // Runs of every length, blank padding and words past the limit included.
            text.append(rng() % 4 == 0 ? size_t(rng() % 300) : size_t(1 + rng() % 3), c);
        }
        ASSERT_EQ(words(text), plain(text)) << "round " << round;
        WordList list;
        list.assign(text);
        W fromList;
        for (size_t i = 0; i < list.size(); ++i)
            fromList.emplace_back(list[i]);
        ASSERT_EQ(fromList, plain(text)) << "round " << round;
    }
}
