// Label positions: margins of the sheets' positions and of a custom position, the hit
// areas of the two sheet pictures, and the markers that show the chosen label.
#include "labellayout.h"

#include <gtest/gtest.h>

namespace rk::print {
namespace {

void expectMargins(const LabelMargins& m, double left, double right, double top) {
    EXPECT_DOUBLE_EQ(m.left, left);
    EXPECT_DOUBLE_EQ(m.right, right);
    EXPECT_DOUBLE_EQ(m.top, top);
}

TEST(LabelLayout, SheetPositionsGiveTheirMargins) {
    expectMargins(faceLabelMargins(2, 5), 4.5, 1.0, 8.37);
    expectMargins(faceLabelMargins(1, 1), 1.25, 4.19, 1.12);
    expectMargins(faceLabelMargins(1, 4), 1.25, 4.19, 6.5);
    expectMargins(spineLabelMargins(6), 1.5, 1.3, 3.87);
    expectMargins(spineLabelMargins(1), 1.5, 1.3, 0.6);
    expectMargins(spineLabelMargins(15), 1.5, 1.3, 9.87);
    // Out of the sheet: the nearest position, never a read past the tables.
    expectMargins(faceLabelMargins(0, 9), 1.25, 4.19, 8.37);
    expectMargins(spineLabelMargins(40), 1.5, 1.3, 9.87);
}

TEST(LabelLayout, OutlinesHoldTheirTextAndDoNotOverlap) {
    for (const double paper : {8.5, 8.27}) {
        for (const LabelSheet sheet : {LabelSheet::Face, LabelSheet::Spine}) {
            const std::vector<QRectF> outlines = sheetLabelOutlines(sheet, paper);
            ASSERT_EQ(outlines.size(), sheet == LabelSheet::Face ? 10u : 15u);
            for (size_t i = 0; i < outlines.size(); ++i) {
                const LabelMargins m = sheet == LabelSheet::Face
                                           ? faceLabelMargins(int(i % 2) + 1, int(i / 2) + 1)
                                           : spineLabelMargins(int(i) + 1);
                const QRectF text(m.left, m.top, paper - m.left - m.right, labelTextHeight(sheet));
                EXPECT_TRUE(outlines[i].contains(text)) << i;
                for (size_t j = i + 1; j < outlines.size(); ++j)
                    EXPECT_FALSE(outlines[i].intersects(outlines[j])) << i << " " << j;
            }
        }
    }
}

TEST(LabelLayout, CustomPositionReplacesLeftAndTopOfTheActiveTabsSheet) {
    const LabelPositions chosen{2, 3, 6};
    expectMargins(labelMargins(LabelSheet::Face, chosen, {}), 4.5, 1.0, 4.75);
    expectMargins(labelMargins(LabelSheet::Spine, chosen, {}), 1.5, 1.3, 3.87);
    // The sheet branch follows the picker's tab: the right margin is that sheet's.
    const CustomPosition custom{true, 2.05, 3.4};
    expectMargins(labelMargins(LabelSheet::Face, chosen, custom), 2.05, 1.0, 3.4);
    expectMargins(labelMargins(LabelSheet::Spine, chosen, custom), 2.05, 1.3, 3.4);
    expectMargins(labelMargins(LabelSheet::Face, {1, 1, 1}, custom), 2.05, 4.19, 3.4);
    // Values kept while the box is off change nothing.
    expectMargins(labelMargins(LabelSheet::Face, chosen, {false, 2.05, 3.4}), 4.5, 1.0, 4.75);
}

TEST(LabelLayout, FacePictureCountsClicksOnLabelsOnly) {
    struct Case {
        QPoint at;
        std::optional<FacePosition> expected;
    } cases[] = {
        {{16, 17}, FacePosition{1, 1}},  {{57, 46}, FacePosition{1, 1}},
        {{64, 50}, FacePosition{2, 2}},  {{104, 174}, FacePosition{2, 5}},
        {{30, 110}, FacePosition{1, 3}}, {{80, 114}, FacePosition{2, 4}},
        {{60, 30}, std::nullopt}, // between the columns
        {{30, 48}, std::nullopt}, // between rows 1 and 2
        {{15, 30}, std::nullopt},        {{105, 30}, std::nullopt},
        {{30, 16}, std::nullopt},        {{30, 175}, std::nullopt},
        {{-3, -3}, std::nullopt},        {{500, 500}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(facePositionAt(c.at), c.expected) << c.at.x() << "," << c.at.y();
}

TEST(LabelLayout, SpinePictureBandsAndGapsAtEveryEdge) {
    // Bands of 10 pixels from y 9, 2 pixels apart, 3 before row 6.
    for (int row = 1; row <= kSpineRows; ++row) {
        const int top = 9 + 12 * (row - 1) + (row >= 6 ? 1 : 0);
        EXPECT_EQ(spineRowAt(top), row) << row;
        EXPECT_EQ(spineRowAt(top + 9), row) << row;
        EXPECT_EQ(spineRowAt(top - 1), std::nullopt) << row;
        EXPECT_EQ(spineRowAt(top + 10), std::nullopt) << row;
    }
    EXPECT_EQ(spineRowAt(67), std::nullopt);
    EXPECT_EQ(spineRowAt(68), std::nullopt);
    EXPECT_EQ(spineRowAt(69), std::nullopt);
    EXPECT_EQ(spineRowAt(0), std::nullopt);
    EXPECT_EQ(spineRowAt(190), std::nullopt);
}

TEST(LabelLayout, MarkersSitOnTheLabelTheyShow) {
    EXPECT_EQ(faceMarkerPosition({1, 1}), QPoint(32, 44));
    EXPECT_EQ(faceMarkerPosition({2, 5}), QPoint(79, 172));
    EXPECT_EQ(spineMarkerPosition(1).y(), 36);
    EXPECT_EQ(spineMarkerPosition(6).y(), 96);
    EXPECT_EQ(spineMarkerPosition(15).y(), 204);
    // In the picture's pixels, every marker lies inside the label or band of its position.
    const QPoint face = sheetPictureOrigin(LabelSheet::Face);
    for (int row = 1; row <= kFaceRows; ++row)
        for (int column = 1; column <= kFaceColumns; ++column) {
            const QRect marker(faceMarkerPosition({column, row}) - face,
                               positionMarkerSize(LabelSheet::Face));
            EXPECT_TRUE(faceLabelRect({column, row}).contains(marker)) << column << "," << row;
        }
    const QPoint spine = sheetPictureOrigin(LabelSheet::Spine);
    for (int row = 1; row <= kSpineRows; ++row) {
        const QRect marker(spineMarkerPosition(row) - spine, positionMarkerSize(LabelSheet::Spine));
        EXPECT_TRUE(spineBandRect(row).contains(marker)) << row;
    }
}

TEST(LabelLayout, PicturesShowLabelsWhereClicksCount) {
    for (LabelSheet sheet : {LabelSheet::Face, LabelSheet::Spine}) {
        const QImage image = paintSheetPicture(sheet);
        ASSERT_EQ(image.size(), kSheetPictureSize);
        const QRect label = sheet == LabelSheet::Face ? faceLabelRect({2, 3}) : spineBandRect(6);
        const QRgb paper = image.pixel(label.left() - 1, label.center().y() + 1);
        if (sheet == LabelSheet::Face)
            EXPECT_EQ(image.pixel(60, 30), paper); // the gap between the columns
        else
            EXPECT_EQ(image.pixel(60, 68), paper); // the gap before row 6
        EXPECT_EQ(qAlpha(paper), 255);
        EXPECT_NE(image.pixel(label.center()), paper);
        EXPECT_EQ(qAlpha(image.pixel(kSheetPictureSize.width() - 1, 0)), 0); // beside the paper
    }
    EXPECT_EQ(paintSheetPicture(LabelSheet::Face, 2).size(), kSheetPictureSize * 2);
}

} // namespace
} // namespace rk::print
