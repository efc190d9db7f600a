// Painting the preview of a page printer engine: background, the page with its shadow and
// outline, the recorded page, and the text area's margins. Works on any QPainter, so the
// widget and the tests (into an image) paint the same way.
#pragma once

#include "pageengine.h"

#include <QPicture>
#include <QPointF>
#include <QRectF>

class QPainter;

namespace rk::print {

struct PreviewScene {
    QSize view;  // viewport size, pixels
    QRectF page; // the paper in the viewport
    qreal pxPerDotX = 0, pxPerDotY = 0;
    QPoint printableOffset; // the recording's origin on the paper, dots
    QRect textArea;         // on the paper, dots
    int dpiX = 0, dpiY = 0; // printer
    bool gradient = true;
    bool showMargins = true;
    QColor shadowColor;
    int shadowOffset = 5;
};

// The scene for an engine shown in a view of `view` pixels scrolled to `scroll`, on a
// screen of `screenDpi` dots per inch.
PreviewScene previewScene(const PageEngine& engine, QSize view, QPoint scroll, qreal screenDpi);

// Paints the scene; `page` is the recording of the page shown (none: a blank page).
void paintPreview(QPainter& painter, const PreviewScene& scene, const QPicture* page);

} // namespace rk::print
