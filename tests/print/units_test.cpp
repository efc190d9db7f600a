// Lengths, margins, line advance and ruling widths of the page printer.
#include "units.h"

#include <gtest/gtest.h>

#include <limits>

namespace rk::print {
namespace {

struct ClampCase {
    double margin, offset, paper, opposite, expected;
};

TEST(Units, MarginIsClampedBetweenOffsetAndPaperLessOppositeOffset) {
    const ClampCase cases[] = {
        {0.0, 0.25, 8.5, 0.25, 0.25}, // below the unprintable offset: the offset
        {0.1, 0.25, 8.5, 0.25, 0.25},    {0.25, 0.25, 8.5, 0.25, 0.25}, // exactly the offset stays
        {1.0, 0.25, 8.5, 0.25, 1.0},                                    // inside: unchanged
        {8.25, 0.25, 8.5, 0.25, 8.25}, // paper less the opposite offset: the largest
        {9.0, 0.25, 8.5, 0.25, 8.25},  // beyond it: cut back
        {-3.0, 6.0, 297.0, 6.0, 6.0},  // millimetres
        {300.0, 6.0, 297.0, 6.0, 291.0},
    };
    for (const ClampCase& c : cases)
        EXPECT_DOUBLE_EQ(clampMargin(c.margin, c.offset, c.paper, c.opposite), c.expected)
            << "margin " << c.margin;
}

TEST(Units, LengthsBecomeRoundedDots) {
    EXPECT_EQ(toDots(1.0, muInches, 300), 300);
    EXPECT_EQ(toDots(1.56, muInches, 300), 468);
    EXPECT_EQ(toDots(25.4, muMillimeters, 600), 600);
    EXPECT_EQ(toDots(0.0017, muInches, 300), 1); // 0.51 dot rounds up
    EXPECT_EQ(toDots(0.0016, muInches, 300), 0); // 0.48 dot rounds down
    EXPECT_DOUBLE_EQ(fromDots(150, muInches, 300), 0.5);
    EXPECT_DOUBLE_EQ(fromDots(150, muMillimeters, 300), 12.7);
    EXPECT_DOUBLE_EQ(convertLength(2.0, muInches, muMillimeters), 50.8);
    EXPECT_DOUBLE_EQ(convertLength(50.8, muMillimeters, muInches), 2.0);
}

TEST(Units, AbsurdLengthsNeitherOverflowNorPass) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_GT(toDots(1e300, muInches, 1200), 0);
    EXPECT_LT(toDots(-1e300, muInches, 1200), 0);
    EXPECT_EQ(toDots(std::nan(""), muInches, 1200), 0);
    EXPECT_FALSE(isSaneLength(inf, muInches));
    EXPECT_FALSE(isSaneLength(std::nan(""), muInches));
    EXPECT_FALSE(isSaneLength(-0.1, muInches));
    EXPECT_FALSE(isSaneLength(1001, muInches));
    EXPECT_TRUE(isSaneLength(1000 * 25.4, muMillimeters));
    EXPECT_TRUE(isSaneLength(0, muInches));
}

TEST(Units, FallbackPageIsLetterOrA4WithQuarterInchOffsets) {
    const PrinterMetrics in = fallbackMetrics(muInches);
    EXPECT_EQ(in.dpiX, kFallbackDpi);
    EXPECT_EQ(in.paperWidth, 8.5 * kFallbackDpi);
    EXPECT_EQ(in.paperHeight, 11 * kFallbackDpi);
    EXPECT_EQ(in.offsetLeft, kFallbackDpi / 4);
    EXPECT_EQ(in.offsetTop, kFallbackDpi / 4);
    EXPECT_EQ(in.paperWidth - 2 * in.offsetLeft, 8 * kFallbackDpi); // printable 8 x 10.5
    EXPECT_EQ(in.paperHeight - 2 * in.offsetTop, 10.5 * kFallbackDpi);
    const PrinterMetrics mm = fallbackMetrics(muMillimeters);
    EXPECT_EQ(mm.paperWidth, toDots(210, muMillimeters, kFallbackDpi));
    EXPECT_EQ(mm.paperHeight, toDots(297, muMillimeters, kFallbackDpi));
    EXPECT_EQ(mm.offsetLeft, toDots(6, muMillimeters, kFallbackDpi));
    EXPECT_TRUE(in.isUsable());
    EXPECT_TRUE(mm.isUsable());
}

TEST(Units, UnusableMetricsAreRecognised) {
    PrinterMetrics m = fallbackMetrics(muInches);
    auto broken = [&](auto change) {
        PrinterMetrics b = m;
        change(b);
        return !b.isUsable();
    };
    EXPECT_TRUE(broken([](PrinterMetrics& b) { b.dpiX = 0; }));
    EXPECT_TRUE(broken([](PrinterMetrics& b) { b.dpiY = -300; }));
    EXPECT_TRUE(broken([](PrinterMetrics& b) { b.paperWidth = 0; }));
    EXPECT_TRUE(broken([](PrinterMetrics& b) { b.offsetLeft = b.paperWidth / 2; }));
    EXPECT_TRUE(broken([](PrinterMetrics& b) { b.offsetTop = -1; }));
}

struct SpacingCase {
    int height;
    TLineSpacing spacing;
    int expected;
};

TEST(Units, LineAdvanceFollowsSpacingWithHalvesRoundedDown) {
    const SpacingCase cases[] = {
        {37, lsHalfSpace, 18},   {37, lsSingleSpace, 37}, {37, lsSingleAndAHalf, 55},
        {37, lsDoubleSpace, 74}, {36, lsHalfSpace, 18},   {36, lsSingleAndAHalf, 54},
        {1, lsHalfSpace, 0},     {0, lsDoubleSpace, 0},
    };
    for (const SpacingCase& c : cases)
        EXPECT_EQ(spacedLength(c.height, c.spacing), c.expected)
            << "height " << c.height << " spacing " << c.spacing;
}

TEST(Units, LineFitsWhileItEndsWithinTheTextArea) {
    EXPECT_TRUE(lineFits(0, 50, 50));
    EXPECT_TRUE(lineFits(950, 50, 1000));
    EXPECT_FALSE(lineFits(951, 50, 1000));
    EXPECT_FALSE(lineFits(0, 51, 50));
}

TEST(Units, RulingWidthsGrowWithWholeMultiplesOf300Dpi) {
    const int dpis[] = {72, 96, 299, 300, 599, 600, 1200};
    const int pens[] = {0, 0, 0, 2, 2, 4, 8};
    const int gaps[] = {0, 0, 0, 6, 6, 12, 24};
    for (size_t i = 0; i < std::size(dpis); ++i) {
        EXPECT_EQ(rulePenWidth(dpis[i]), pens[i]) << dpis[i];
        EXPECT_EQ(cellInnerGap(dpis[i]), gaps[i]) << dpis[i];
    }
}

} // namespace
} // namespace rk::print
