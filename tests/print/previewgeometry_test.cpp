// Where the preview puts the page, the zoom that fits it, and the ruler's ticks.
#include "previewgeometry.h"
#include "rulerticks.h"

#include <gtest/gtest.h>

namespace rk::print {
namespace {

const QSize kLetter300(2550, 3300);

TEST(PreviewGeometry, PageSizeOnScreenFollowsZoomAndResolutions) {
    EXPECT_EQ(pagePixels(kLetter300, 300, 300, 100, 96), QSizeF(816, 1056));
    EXPECT_EQ(pagePixels(kLetter300, 300, 300, 50, 96), QSizeF(408, 528));
    EXPECT_EQ(pagePixels(kLetter300, 300, 300, 100, 192), QSizeF(1632, 2112));
    EXPECT_EQ(pagePixels(QSize(10200, 13200), 1200, 1200, 25, 96), QSizeF(204, 264));
    EXPECT_EQ(pagePixels(kLetter300, 0, 300, 100, 96), QSizeF());
}

TEST(PreviewGeometry, ScrollRangeIsPagePlusTwiceShadowPlusTwo) {
    EXPECT_EQ(scrollRange(QSizeF(816, 1056), 5), QSize(828, 1068));
    EXPECT_EQ(scrollRange(QSizeF(100.2, 50), 0), QSize(103, 52));
}

TEST(PreviewGeometry, SmallPagesAreCentredLargePagesScroll) {
    // Smaller than the view on both axes: centred, scrolling ignored.
    EXPECT_EQ(pageOrigin(QSizeF(200, 260), QSize(600, 400), QPoint(30, 40), 5), QPointF(200, 70));
    // Taller than the view: centred across, placed at shadow + 1 less the scroll down.
    EXPECT_EQ(pageOrigin(QSizeF(408, 528), QSize(600, 400), QPoint(0, 100), 5), QPointF(96, -94));
    EXPECT_EQ(pageOrigin(QSizeF(816, 1056), QSize(600, 400), QPoint(0, 0), 5), QPointF(6, 6));
}

TEST(PreviewGeometry, ZoomLocationsScrollToCornerTopOrMiddle) {
    const QSize range(1000, 2000), view(400, 500);
    EXPECT_EQ(zoomLocationScroll(zlTopLeft, range, view), QPoint(0, 0));
    EXPECT_EQ(zoomLocationScroll(zlTopCenter, range, view), QPoint(300, 0));
    EXPECT_EQ(zoomLocationScroll(zlCenter, range, view), QPoint(300, 750));
    EXPECT_EQ(zoomLocationScroll(zlCenter, QSize(100, 100), view), QPoint(0, 0));
}

TEST(PreviewGeometry, FitZoomsUseViewLessScrollBarShadowAndTwo) {
    struct Case {
        FitMode mode;
        QSize view;
        int scrollBar, shadow;
        int expected;
    } cases[] = {
        // (840 - 0 - 8 - 2) * 100 * (300 / 96) / 2550 = 101.72 -> 102
        {FitMode::Width, QSize(840, 600), 0, 4, 102},
        // (840 - 17 - 10 - 2) * 100 * 3.125 / 2550 = 99.39 -> 99
        {FitMode::Width, QSize(840, 600), 17, 5, 99},
        // (600 - 17 - 10 - 2) * 100 * 3.125 / 3300 = 54.07 -> 54
        {FitMode::Height, QSize(840, 600), 17, 5, 54},
        // Wide view: the page is relatively taller, its height decides.
        {FitMode::Page, QSize(840, 600), 17, 5, 54},
        // Tall narrow view: the width decides.
        {FitMode::Page, QSize(300, 900), 17, 5, 33},
        // A view too small for anything still gives the smallest zoom.
        {FitMode::Width, QSize(10, 10), 17, 5, kMinZoom},
        {FitMode::Width, QSize(100000, 10), 0, 0, kMaxZoom},
    };
    for (const auto& c : cases)
        EXPECT_EQ(zoomToFit(c.mode, c.view, c.scrollBar, c.shadow, kLetter300, 300, 300, 96),
                  c.expected)
            << "view " << c.view.width() << "x" << c.view.height();
}

TEST(RulerTicks, InchesHaveSixteenTicksWithLongerHalvesAndQuarters) {
    const std::vector<RulerTick> ticks = rulerTicks(ruInches, 96, 0, 96);
    ASSERT_EQ(ticks.size(), 17u); // 0 .. 16 sixteenths of the first inch
    EXPECT_EQ(ticks[0].level, RulerTick::Unit);
    EXPECT_EQ(ticks[0].number, 0);
    EXPECT_EQ(ticks[8].level, RulerTick::Half);
    EXPECT_EQ(ticks[4].level, RulerTick::Quarter);
    EXPECT_EQ(ticks[12].level, RulerTick::Quarter);
    EXPECT_EQ(ticks[1].level, RulerTick::Minor);
    EXPECT_EQ(ticks[2].level, RulerTick::Minor);
    EXPECT_EQ(ticks[16].level, RulerTick::Unit);
    EXPECT_EQ(ticks[16].number, 1);
    EXPECT_DOUBLE_EQ(ticks[16].pos, 96);
    EXPECT_DOUBLE_EQ(ticks[1].pos, 6);
}

TEST(RulerTicks, OtherUnitsHaveTenTicksAndNumbersEveryUnit) {
    struct Case {
        TRulerUnits units;
        int dpi;
        qreal unitLength;
    } cases[] = {
        {ruCentims, 254, 100},
        {ruDecInches, 100, 100},
        {ruPixels, 96, 50},
        {ruPixels, 300, 50},
    };
    for (const auto& c : cases) {
        const std::vector<RulerTick> ticks =
            rulerTicks(c.units, c.dpi, 0, static_cast<int>(3 * c.unitLength));
        ASSERT_EQ(ticks.size(), 31u) << c.units;
        EXPECT_EQ(ticks[10].number, 1);
        EXPECT_EQ(ticks[30].number, 3);
        EXPECT_DOUBLE_EQ(ticks[10].pos, c.unitLength);
        EXPECT_EQ(ticks[5].level, RulerTick::Half);
        EXPECT_EQ(ticks[3].level, RulerTick::Minor); // no quarters with ten ticks
        EXPECT_EQ(ticks[3].number, -1);
    }
}

TEST(RulerTicks, StartShiftsTheZeroAndBadResolutionsDrawNothing) {
    const std::vector<RulerTick> shifted = rulerTicks(ruInches, 96, 50, 200);
    EXPECT_DOUBLE_EQ(shifted.front().pos, 50);
    EXPECT_EQ(shifted.front().number, 0);
    const std::vector<RulerTick> left = rulerTicks(ruInches, 96, -100, 200);
    EXPECT_GE(left.front().pos, 0);
    EXPECT_EQ(left.front().level, RulerTick::Minor); // 100 px = 1 inch and 4/96 in
    bool sawTwo = false;                             // inch 2 lies at 2 x 96 - 100 pixels
    for (const RulerTick& t : left)
        sawTwo |= t.number == 2 && std::abs(t.pos - 92) < 1e-9;
    EXPECT_TRUE(sawTwo);
    EXPECT_TRUE(rulerTicks(ruInches, 0, 0, 200).empty());
    EXPECT_TRUE(rulerTicks(ruInches, -96, 0, 200).empty());
}

} // namespace
} // namespace rk::print
