// Where a cassette label lands on its sheet: the page margins of every position of the two
// built-in Avery sheets (5199-F faces, 5199-S spines), a free position given in inches,
// and the two sheet pictures the user clicks to pick the next free label.
//
// The label printer places a label by setting the page margins (inches) to the label's
// position; the bottom margin stays at kLabelBottomMargin.
//
//   5199-F (faces)              column 1         column 2
//     left / right              1.25 / 4.19      4.5 / 1.0
//     top by row 1..5           1.12  2.85  4.75  6.5  8.37
//   5199-S (spines)             left 1.5, right 1.3
//     top by row 1..15          0.6 1.25 1.9 2.65 3.25 3.87 4.55 5.25 5.87 6.6 7.25 7.87
//                               8.55 9.25 9.87
//
// Pictures (pixels of the picture): the face sheet is 140 x 198 with labels at
// x 16-57 and 64-104, y 17-46, 50-78, 82-110, 114-142, 146-174; the spine sheet has 15
// bands of 10 pixels from y 9, 2 pixels apart except 3 before row 6. A click counts only
// on a label (face) or on a band (spine, where x does not matter). The position markers
// are placed in the coordinates of the tab that holds the picture, with the picture at
// its origin below.
#pragma once

#include <QImage>
#include <QPageSize>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <optional>
#include <vector>

namespace rk::print {

enum class LabelSheet { Face, Spine };

// The paper the sheets are made for: both Avery sheets are US Letter (8.5 x 11 inches), and
// the positions above are measured on it.
inline QPageSize labelSheetPaper() {
    return QPageSize(QPageSize::Letter);
}

inline constexpr int kFaceColumns = 2;
inline constexpr int kFaceRows = 5;
inline constexpr int kSpineRows = 15;

// Margins set before the first print, and the bottom margin that never changes.
inline constexpr double kLabelInitialTop = 0.25;
inline constexpr double kLabelInitialSide = 0.26333;
inline constexpr double kLabelBottomMargin = 1.0 / 6.0;

// The custom position's values: initial value and step, inches.
inline constexpr double kCustomInitial = 1.25;
inline constexpr double kCustomStep = 0.05;

struct LabelMargins {
    double left = 0, right = 0, top = 0; // inches
};

// The chosen positions of both sheets (1-based), kept apart so that each tab shows its own.
struct LabelPositions {
    int faceColumn = 1, faceRow = 1;
    int spineRow = 1;
};

struct CustomPosition {
    bool on = false;
    double horizontal = kCustomInitial; // becomes the left margin
    double vertical = kCustomInitial;   // becomes the top margin
};

// Margins of one position; a column or row outside the sheet is taken as the nearest one.
LabelMargins faceLabelMargins(int column, int row);
LabelMargins spineLabelMargins(int row);

// The margins a print uses: from the sheet of the picker's active tab (whether the picker
// is shown or not), then, with the custom position on, left and top from its values while
// the right margin stays the sheet's.
LabelMargins labelMargins(LabelSheet activeTab, const LabelPositions& positions,
                          const CustomPosition& custom);

// Room for text below a label's top margin before the next label begins, inches.
double labelTextHeight(LabelSheet sheet);

// The outline of the label whose text starts at `margins`, on paper `paperWidth` inches
// wide: the text's room with a little paper around it (inches from the paper's top-left).
// The outlines of a sheet's labels do not overlap.
QRectF labelOutline(const LabelMargins& margins, LabelSheet sheet, double paperWidth);
// The outlines of every label of a sheet, row by row.
std::vector<QRectF> sheetLabelOutlines(LabelSheet sheet, double paperWidth);

// ---- The sheet pictures

inline constexpr QSize kSheetPictureSize{140, 198};

struct FacePosition {
    int column = 1, row = 1;
    bool operator==(const FacePosition& o) const { return column == o.column && row == o.row; }
};

// The label under a point of the face picture; nothing between or beside the labels.
std::optional<FacePosition> facePositionAt(QPoint picturePoint);
// The spine row under a y of the spine picture; nothing between the bands.
std::optional<int> spineRowAt(int pictureY);

// A label (face) or band (spine) in picture pixels, both edges inclusive as QRect keeps them.
QRect faceLabelRect(FacePosition position);
QRect spineBandRect(int row);

// Where each picture sits in its tab, and the position markers in the tab's coordinates.
QPoint sheetPictureOrigin(LabelSheet sheet);
QSize positionMarkerSize(LabelSheet sheet);
QPoint faceMarkerPosition(FacePosition position);
QPoint spineMarkerPosition(int row);

// The picture of a sheet: the paper with its labels outlined, on a transparent ground.
// `scale` draws it larger for high-resolution screens (the hit areas stay in 1x pixels).
QImage paintSheetPicture(LabelSheet sheet, qreal scale = 1.0);

} // namespace rk::print
