#include "labellayout.h"

#include <QPainter>

#include <algorithm>
#include <array>

namespace rk::print {

namespace {

struct Side {
    double left, right;
};
constexpr std::array<Side, kFaceColumns> kFaceColumnMargins{{{1.25, 4.19}, {4.5, 1.0}}};
constexpr std::array<double, kFaceRows> kFaceRowTops{1.12, 2.85, 4.75, 6.5, 8.37};
constexpr Side kSpineSides{1.5, 1.3};
constexpr std::array<double, kSpineRows> kSpineRowTops{
    0.6, 1.25, 1.9, 2.65, 3.25, 3.87, 4.55, 5.25, 5.87, 6.6, 7.25, 7.87, 8.55, 9.25, 9.87};

// The text's room on a label: a little less than the closest rows of the sheet lie apart
// (1.73 inches for faces, 0.62 for spines).
constexpr double kFaceTextHeight = 1.6;
constexpr double kSpineTextHeight = 0.55;
// Paper shown around the text's room in a label's outline, above and at the sides (the
// faces of the two columns are 0.19 inch apart).
constexpr double kFacePadTop = 0.1, kFacePadSide = 0.08;
constexpr double kSpinePadTop = 0.04, kSpinePadSide = 0.1;

// Hit areas in picture pixels, both ends inclusive.
struct Span {
    int from, to;
    bool holds(int v) const { return v >= from && v <= to; }
};
constexpr std::array<Span, kFaceColumns> kFaceColumnSpans{{{16, 57}, {64, 104}}};
constexpr std::array<Span, kFaceRows> kFaceRowSpans{
    {{17, 46}, {50, 78}, {82, 110}, {114, 142}, {146, 174}}};
constexpr std::array<Span, kSpineRows> kSpineRowSpans{{{9, 18},
                                                       {21, 30},
                                                       {33, 42},
                                                       {45, 54},
                                                       {57, 66},
                                                       {70, 79},
                                                       {82, 91},
                                                       {94, 103},
                                                       {106, 115},
                                                       {118, 127},
                                                       {130, 139},
                                                       {142, 151},
                                                       {154, 163},
                                                       {166, 175},
                                                       {178, 187}}};
// The spine bands are drawn across this part of the picture (a click anywhere across counts).
constexpr Span kSpineStrip{14, 125};

// Markers: the face marker's left by column and top by row, the spine marker's top by row,
// in the tab's coordinates; the pictures sit where these fall inside their labels.
constexpr std::array<int, kFaceColumns> kFaceMarkerLeft{32, 79};
constexpr int kFaceMarkerTop = 44, kFaceMarkerPitch = 32;
constexpr int kSpineMarkerLeft = 24, kSpineMarkerTop = 36, kSpineMarkerPitch = 12;
constexpr QPoint kFacePictureOrigin{4, 20};
constexpr QPoint kSpinePictureOrigin{4, 25};
constexpr QSize kFaceMarkerSize{16, 16};
constexpr QSize kSpineMarkerSize{16, 8};

int clampIndex(int oneBased, int count) {
    return std::clamp(oneBased, 1, count) - 1;
}

template <size_t N> std::optional<int> spanAt(const std::array<Span, N>& spans, int v) {
    for (size_t i = 0; i < N; ++i)
        if (spans[i].holds(v)) return static_cast<int>(i) + 1;
    return std::nullopt;
}

QRect spanRect(Span x, Span y) {
    return QRect(QPoint(x.from, y.from), QPoint(x.to, y.to));
}

} // namespace

LabelMargins faceLabelMargins(int column, int row) {
    const Side s = kFaceColumnMargins[static_cast<size_t>(clampIndex(column, kFaceColumns))];
    return {s.left, s.right, kFaceRowTops[static_cast<size_t>(clampIndex(row, kFaceRows))]};
}

LabelMargins spineLabelMargins(int row) {
    return {kSpineSides.left, kSpineSides.right,
            kSpineRowTops[static_cast<size_t>(clampIndex(row, kSpineRows))]};
}

LabelMargins labelMargins(LabelSheet activeTab, const LabelPositions& positions,
                          const CustomPosition& custom) {
    LabelMargins m = activeTab == LabelSheet::Face
                         ? faceLabelMargins(positions.faceColumn, positions.faceRow)
                         : spineLabelMargins(positions.spineRow);
    if (custom.on) {
        m.left = custom.horizontal;
        m.top = custom.vertical;
    }
    return m;
}

double labelTextHeight(LabelSheet sheet) {
    return sheet == LabelSheet::Face ? kFaceTextHeight : kSpineTextHeight;
}

QRectF labelOutline(const LabelMargins& margins, LabelSheet sheet, double paperWidth) {
    const bool face = sheet == LabelSheet::Face;
    const double top = face ? kFacePadTop : kSpinePadTop;
    const double side = face ? kFacePadSide : kSpinePadSide;
    const double width = std::max(0.0, paperWidth - margins.right - margins.left);
    return QRectF(margins.left - side, margins.top - top, width + 2 * side,
                  labelTextHeight(sheet) + top);
}

std::vector<QRectF> sheetLabelOutlines(LabelSheet sheet, double paperWidth) {
    std::vector<QRectF> outlines;
    if (sheet == LabelSheet::Face) {
        for (int row = 1; row <= kFaceRows; ++row)
            for (int column = 1; column <= kFaceColumns; ++column)
                outlines.push_back(labelOutline(faceLabelMargins(column, row), sheet, paperWidth));
    } else {
        for (int row = 1; row <= kSpineRows; ++row)
            outlines.push_back(labelOutline(spineLabelMargins(row), sheet, paperWidth));
    }
    return outlines;
}

std::optional<FacePosition> facePositionAt(QPoint p) {
    const std::optional<int> column = spanAt(kFaceColumnSpans, p.x());
    const std::optional<int> row = spanAt(kFaceRowSpans, p.y());
    if (!column || !row) return std::nullopt;
    return FacePosition{*column, *row};
}

std::optional<int> spineRowAt(int y) {
    return spanAt(kSpineRowSpans, y);
}

QRect faceLabelRect(FacePosition position) {
    return spanRect(
        kFaceColumnSpans[static_cast<size_t>(clampIndex(position.column, kFaceColumns))],
        kFaceRowSpans[static_cast<size_t>(clampIndex(position.row, kFaceRows))]);
}

QRect spineBandRect(int row) {
    return spanRect(kSpineStrip, kSpineRowSpans[static_cast<size_t>(clampIndex(row, kSpineRows))]);
}

QPoint sheetPictureOrigin(LabelSheet sheet) {
    return sheet == LabelSheet::Face ? kFacePictureOrigin : kSpinePictureOrigin;
}

QSize positionMarkerSize(LabelSheet sheet) {
    return sheet == LabelSheet::Face ? kFaceMarkerSize : kSpineMarkerSize;
}

QPoint faceMarkerPosition(FacePosition position) {
    return {kFaceMarkerLeft[static_cast<size_t>(clampIndex(position.column, kFaceColumns))],
            kFaceMarkerTop + kFaceMarkerPitch * clampIndex(position.row, kFaceRows)};
}

QPoint spineMarkerPosition(int row) {
    return {kSpineMarkerLeft, kSpineMarkerTop + kSpineMarkerPitch * clampIndex(row, kSpineRows)};
}

QImage paintSheetPicture(LabelSheet sheet, qreal scale) {
    scale = std::clamp<qreal>(scale, 0.25, 16);
    QImage image(kSheetPictureSize * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    // The paper, with a thin shadow to the right and below.
    const QRectF paper(1, 1, kSheetPictureSize.width() - 4, kSheetPictureSize.height() - 4);
    p.fillRect(paper.translated(2, 2), QColor(0, 0, 0, 60));
    p.fillRect(paper, Qt::white);
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.drawRect(paper);
    // The labels: a pale fill inside a darker outline, over exactly their hit areas.
    p.setPen(QPen(QColor(70, 90, 140), 1));
    p.setBrush(QColor(225, 233, 248));
    auto drawLabel = [&p](const QRect& r) {
        // QRect's right/bottom are inclusive: the shape covers the whole pixels.
        p.drawRoundedRect(QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 1, r.height() - 1), 3,
                          3);
    };
    if (sheet == LabelSheet::Face) {
        for (int row = 1; row <= kFaceRows; ++row)
            for (int column = 1; column <= kFaceColumns; ++column)
                drawLabel(faceLabelRect({column, row}));
    } else {
        for (int row = 1; row <= kSpineRows; ++row)
            drawLabel(spineBandRect(row));
    }
    return image;
}

} // namespace rk::print
