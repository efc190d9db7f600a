// Column formats, cells, placeholders, cell placement and friendly headers.
#include "tableformat.h"

#include <gtest/gtest.h>

namespace rk::print {
namespace {

const QChar kBar = QLatin1Char('|');

TEST(TableFormat, ColumnFormatsGiveAlignmentAndWidth) {
    struct Case {
        const char* format;
        double defaultWidth;
        std::vector<ColumnSpec> expected;
    } cases[] = {
        {"<1.56|<1.30", 0, {{taLeftJustify, 1.56}, {taLeftJustify, 1.30}}},
        {">2|^0.5|1.25", 0, {{taRightJustify, 2}, {taCenter, 0.5}, {taLeftJustify, 1.25}}},
        // No width: the default width; an empty column format: left with the default.
        {">|^", 1.5, {{taRightJustify, 1.5}, {taCenter, 1.5}}},
        {"<1||>", 0.75, {{taLeftJustify, 1}, {taLeftJustify, 0.75}, {taRightJustify, 0.75}}},
        {"", 2, {{taLeftJustify, 2}}},
        // Blanks around the width, as "%8.2f" leaves them.
        {"<    1.56| 2 ", 0, {{taLeftJustify, 1.56}, {taLeftJustify, 2}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseTableFormat(QString::fromUtf8(c.format), kBar, c.defaultWidth, muInches),
                  c.expected)
            << c.format;
}

TEST(TableFormat, BadWidthsAreRefusedNamingTheColumn) {
    for (const char* bad : {"<abc", "<1.5|>x", "<-1", "^1e9", "<nan", "<inf"}) {
        try {
            parseTableFormat(QString::fromUtf8(bad), kBar, 0, muInches);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const EPagePrinter& e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Invalid column width"))) << bad;
        }
    }
    // Millimetres allow 25.4 times the number.
    EXPECT_NO_THROW(parseTableFormat(QStringLiteral("<25000"), kBar, 0, muMillimeters));
    EXPECT_THROW(parseTableFormat(QStringLiteral("<25000"), kBar, 0, muInches), EPagePrinter);
}

TEST(TableFormat, AnotherSeparatorSplitsColumnFormatsAndCells) {
    EXPECT_EQ(parseTableFormat(QStringLiteral("<1;>2"), QLatin1Char(';'), 0, muInches).size(), 2u);
    EXPECT_EQ(splitCells(QStringLiteral("a;b|c"), QLatin1Char(';'), 2), QStringList({"a", "b|c"}));
}

TEST(TableFormat, ConvertingUnitsRewritesWidthsKeepingAlignment) {
    EXPECT_EQ(convertTableFormat(QStringLiteral("<1|>2|^|0.5"), kBar, muInches, muMillimeters),
              QStringLiteral("<25.40|>50.80|^|12.70"));
    EXPECT_EQ(convertTableFormat(QStringLiteral("<25.4|50.8"), kBar, muMillimeters, muInches),
              QStringLiteral("<1.00|2.00"));
    EXPECT_EQ(convertTableFormat(QString(), kBar, muInches, muMillimeters), QString());
}

TEST(TableFormat, CellsFollowColumnsMissingEmptyExtraDropped) {
    EXPECT_EQ(splitCells(QStringLiteral("a|b|c"), kBar, 3), QStringList({"a", "b", "c"}));
    EXPECT_EQ(splitCells(QStringLiteral("a"), kBar, 3), QStringList({"a", "", ""}));
    EXPECT_EQ(splitCells(QStringLiteral("a|b|c|d"), kBar, 2), QStringList({"a", "b"}));
    // The builder ends every row with a separator: the empty last cell is dropped.
    EXPECT_EQ(splitCells(QStringLiteral("Title|Category|"), kBar, 2),
              QStringList({"Title", "Category"}));
}

TEST(TableFormat, PlaceholdersAreFilledTitleLast) {
    PlaceholderValues v;
    v.line = 4;
    v.page = 12;
    v.date = QStringLiteral("1/2/26");
    v.time = QStringLiteral("3:04:05 PM");
    v.title = QStringLiteral("My {$PAGE} list");
    EXPECT_EQ(replacePlaceholders(QStringLiteral("Page {$PAGE}, line {$LINE}"), v),
              QStringLiteral("Page 12, line 4"));
    EXPECT_EQ(replacePlaceholders(QStringLiteral("{$DATE} {$TIME}"), v),
              QStringLiteral("1/2/26 3:04:05 PM"));
    EXPECT_EQ(replacePlaceholders(QStringLiteral("{$TITLE}"), v),
              QStringLiteral("My {$PAGE} list"));
    EXPECT_EQ(replacePlaceholders(QStringLiteral("{$PAGE}{$PAGE}"), v), QStringLiteral("1212"));
    EXPECT_EQ(replacePlaceholders(QStringLiteral("{$OTHER}"), v), QStringLiteral("{$OTHER}"));
}

TEST(TableFormat, CellTextIsPlacedByAlignmentWithTheInnerGap) {
    struct Case {
        TAlignment align;
        qreal left, width, text, gap, expected;
    } cases[] = {
        {taLeftJustify, 100, 300, 200, 6, 106},  // narrower than column less gap: moved right
        {taLeftJustify, 100, 300, 294, 6, 100},  // exactly column less gap: stays at the edge
        {taLeftJustify, 100, 300, 350, 6, 100},  // wider than the column
        {taRightJustify, 100, 300, 200, 6, 194}, // 400 - 200 - 6
        {taRightJustify, 100, 300, 296, 6, 104}, // too wide for the gap
        {taCenter, 100, 300, 200, 6, 150},       // centre ignores the gap
        {taCenter, 0, 301, 100, 6, 100.5},
        {taLeftJustify, 0, 300, 10, 0, 0}, // no gap below 300 dpi
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(cellTextX(c.align, c.left, c.width, c.text, c.gap), c.expected)
            << "align " << c.align << " text " << c.text;
}

FriendlyValues sampleValues() {
    FriendlyValues v;
    v.shortDate = QStringLiteral("12/7/26");
    v.longDate = QStringLiteral("Monday, December 7, 2026");
    v.shortTime = QStringLiteral("8:12 AM");
    v.longTime = QStringLiteral("8:12:17 AM");
    v.fileName = QStringLiteral("report.txt");
    v.filePath = QStringLiteral("/home/u/report.txt");
    return v;
}

TEST(TableFormat, FriendlyHeaderCompilesIntoEqualSections) {
    struct Case {
        const char* code;
        double width;
        const char* text;
        const char* format;
    } cases[] = {
        {"&l&i&rPage &p", 7.5, "{$TITLE}|Page {$PAGE}", "<3.75|>3.75"},
        {"&l&d&r&t", 7.5, "12/7/26|8:12 AM", "<3.75|>3.75"},
        {"&cCentred", 7.5, "Centred", "^7.50"},
        {"plain text", 8, "plain text", "<8.00"},
        {"before&rafter", 7, "before|after", "<3.50|>3.50"},
        {"&l&c&r", 7.5, "||", "<2.50|^2.50|>2.50"},
        {"&D &T", 6, "Monday, December 7, 2026 8:12:17 AM", "<6.00"},
        {"&f or &F", 6, "report.txt or /home/u/report.txt", "<6.00"},
        {"R&&D &x done", 6, "R&D   done", "<6.00"}, // "&x" is not a code: a space
        {"trailing &", 6, "trailing &", "<6.00"},
        {"&L upper", 6, "  upper", "<6.00"}, // codes are lower case: "&L" is a space
        {"", 7.5, "", ""},
    };
    for (const auto& c : cases) {
        const CompiledHeader h =
            compileFriendly(QString::fromUtf8(c.code), kBar, c.width, sampleValues());
        EXPECT_EQ(h.text, QString::fromUtf8(c.text)) << c.code;
        EXPECT_EQ(h.format, QString::fromUtf8(c.format)) << c.code;
    }
}

TEST(TableFormat, WidthsHaveTwoDecimals) {
    EXPECT_EQ(formatWidth(150.0 / 96), QStringLiteral("1.56"));
    EXPECT_EQ(formatWidth(125.0 / 96), QStringLiteral("1.30"));
    EXPECT_EQ(formatWidth(2), QStringLiteral("2.00"));
    EXPECT_EQ(formatWidth(0.004), QStringLiteral("0.00"));
}

} // namespace
} // namespace rk::print
