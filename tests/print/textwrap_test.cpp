// Breaking text into lines: tabs, wrapping by halving, cutting, table cells.
#include "textwrap.h"

#include <gtest/gtest.h>

namespace rk::print {
namespace {

// Every character 10 dots wide, as a monospaced font would be.
const TextMeasure kTen = [](const QString& s) { return 10.0 * s.size(); };

TEST(TextWrap, TabsBecomeSpacesToTheNextStop) {
    struct Case {
        const char* in;
        int tab;
        const char* out;
    } cases[] = {
        {"a\tb", 8, "a       b"},  {"\tb", 4, "    b"},       {"abcd\te", 4, "abcd    e"},
        {"ab\t\tc", 3, "ab    c"}, {"no tabs", 8, "no tabs"}, {"x\ty", 1, "x y"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(expandTabs(QString::fromUtf8(c.in), c.tab), QString::fromUtf8(c.out)) << c.in;
}

TEST(TextWrap, FittingLengthIsTheLongestPrefixWithinTheWidth) {
    const QString s = QStringLiteral("abcdefghij"); // 100 dots
    EXPECT_EQ(fittingLength(s, 100, kTen), 10);
    EXPECT_EQ(fittingLength(s, 99, kTen), 9);
    EXPECT_EQ(fittingLength(s, 35, kTen), 3);
    EXPECT_EQ(fittingLength(s, 9, kTen), 0);
    EXPECT_EQ(fittingLength(QString(), 0, kTen), 0);
}

TEST(TextWrap, WrappingMeasuresEachLineNotWhatFollowsIt) {
    qsizetype measured = 0;
    const TextMeasure counting = [&](const QString& s) {
        measured += s.size();
        return 10.0 * s.size();
    };
    // A short text is measured whole, once.
    EXPECT_EQ(fittingLength(QString(200, QLatin1Char('x')), 4005, counting), 200);
    EXPECT_EQ(measured, 200);
    // A long one costs measurements of about the part that fits.
    measured = 0;
    EXPECT_EQ(fittingLength(QString(100000, QLatin1Char('x')), 4005, counting), 400);
    EXPECT_LE(measured, 400 * 12);

    // A whole cell, line by line: the cost grows with the text, not with its square.
    auto wrapCost = [&](int chars) {
        QString text;
        for (int w = 0; text.size() < chars; ++w)
            text += QStringLiteral("word%1 ").arg(w % 97);
        text.chop(1);
        measured = 0;
        QString rest = text, joined;
        while (!rest.isEmpty()) {
            TextSplit s = splitCell(rest, 305, true, counting);
            EXPECT_LE(s.part.size(), 30);
            joined += s.part + QLatin1Char(' ');
            rest = s.rest;
        }
        joined.chop(1);
        EXPECT_EQ(joined, text);
        return measured;
    };
    const qsizetype small = wrapCost(4000), large = wrapCost(16000);
    EXPECT_LE(large, 10 * 16000);
    EXPECT_LE(large, 5 * small);
}

struct WrapCase {
    const char* text;
    qreal width;
    const char* part;
    const char* rest;
};

TEST(TextWrap, WrapBreaksAtSpacesOrInsideAWordWithoutOne) {
    const WrapCase cases[] = {
        // Fits: nothing to do.
        {"hello world", 110, "hello world", ""},
        // The character after the fitting part is a space: break there, drop the space.
        {"hello world", 50, "hello", "world"},
        // Otherwise back to the last space in the part.
        {"hello world", 80, "hello", "world"},
        {"one two three", 100, "one two", "three"},
        // A part without any space is broken inside the word.
        {"abcdefghij", 40, "abcd", "efghij"},
        {"supercalifragilistic fun", 55, "super", "califragilistic fun"},
        // A leading space does not count as a break (it would give an empty line).
        {" abcdefgh", 40, " abc", "defgh"},
        // Control characters break like spaces.
        {"abc\x01"
         "defgh",
         60, "abc", "defgh"},
        // Not even one character fits: one is taken anyway, so that wrapping ends.
        {"abc", 5, "a", "bc"},
        {"a", 5, "a", ""},
    };
    for (const WrapCase& c : cases) {
        const TextSplit s = wrapToWidth(QString::fromUtf8(c.text), c.width, kTen);
        EXPECT_EQ(s.part, QString::fromUtf8(c.part)) << c.text << " @" << c.width;
        EXPECT_EQ(s.rest, QString::fromUtf8(c.rest)) << c.text << " @" << c.width;
    }
}

TEST(TextWrap, RepeatedWrappingConsumesEveryCharacterExceptBreaks) {
    const QString text =
        QStringLiteral("The quick brown fox jumps over the extraordinarily lazy dog");
    QStringList lines;
    QString rest = text;
    while (!rest.isEmpty()) {
        TextSplit s = wrapToWidth(rest, 70, kTen);
        EXPECT_LE(kTen(s.part), 70) << s.part.toStdString();
        lines << s.part;
        rest = s.rest;
        ASSERT_LT(lines.size(), 100);
    }
    EXPECT_EQ(lines, QStringList({"The", "quick", "brown", "fox", "jumps", "over", "the", "extraor",
                                  "dinaril", "y lazy", "dog"}));
}

TEST(TextWrap, SurrogatePairsAreNeverSplit) {
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80"); // two UTF-16 units
    const QString text = QStringLiteral("ab") + smile + QStringLiteral("cd");
    // 30 dots fit three units: "ab" and half the pair; the cut goes before the pair.
    EXPECT_EQ(fittingLength(text, 30, kTen), 2);
    const TextSplit first = wrapToWidth(smile + smile, 5, kTen);
    EXPECT_EQ(first.part, smile);
    EXPECT_EQ(first.rest, smile);
}

TEST(TextWrap, CutKeepsTheLongestLeadingPartThatFits) {
    EXPECT_EQ(cutToWidth(QStringLiteral("hello world"), 75, kTen), QStringLiteral("hello w"));
    EXPECT_EQ(cutToWidth(QStringLiteral("hello"), 5, kTen), QString());
    EXPECT_EQ(cutToWidth(QStringLiteral("hello"), 500, kTen), QStringLiteral("hello"));
}

TEST(TextWrap, CellsBreakAtLineFeedsAndWrapOrCut) {
    struct Case {
        const char* cell;
        qreal width;
        bool wrap;
        const char* part;
        const char* rest;
    } cases[] = {
        {"short", 100, true, "short", ""},
        {"first\nsecond", 100, true, "first", "second"},
        {"first\r\nsecond", 100, true, "first", "second"},
        {"one two\nthree", 50, true, "one", "two\nthree"},
        {"\nafter", 100, true, "", "after"},
        {"ends with feed\n", 200, true, "ends with feed", ""},
        {"one two three", 50, false, "one t", ""},
        {"no wrap\nsecond", 200, false, "no wrap", ""},
    };
    for (const auto& c : cases) {
        const TextSplit s = splitCell(QString::fromUtf8(c.cell), c.width, c.wrap, kTen);
        EXPECT_EQ(s.part, QString::fromUtf8(c.part)) << c.cell;
        EXPECT_EQ(s.rest, QString::fromUtf8(c.rest)) << c.cell;
    }
}

} // namespace
} // namespace rk::print
