// Where the preview puts the page: its size on screen at a zoom, its place in the view,
// the scroll range, and the zooms that fit the page to the view. Plain functions of numbers.
#pragma once

#include "pagetypes.h"

#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QSizeF>

namespace rk::print {

inline constexpr int kMinZoom = 1;
inline constexpr int kMaxZoom = 1000;

// The page in screen pixels: its size in printer dots x zoom / 100 x screen dpi / printer dpi.
QSizeF pagePixels(QSize paperDots, int dpiX, int dpiY, int zoom, qreal screenDpi);

// The scrollable size: the page plus twice the shadow plus 2 pixels.
QSize scrollRange(QSizeF pagePx, int shadow);

// Top-left of the page in the viewport: centred along an axis where the page is smaller
// than the view, else at the shadow's distance from the scrolled origin.
QPointF pageOrigin(QSizeF pagePx, QSize view, QPoint scroll, int shadow);

// The scroll position that shows a zoom location: top-left, top edge centred across, or
// the middle.
QPoint zoomLocationScroll(TZoomLocation location, QSize range, QSize view);

enum class FitMode { Width, Height, Page };
// Zoom percent that fits the page to the view's width or height (less a scroll bar, twice
// the shadow and 2 pixels), or whichever of the two shows the whole page; kept within
// kMinZoom..kMaxZoom.
int zoomToFit(FitMode mode, QSize view, int scrollBarExtent, int shadow, QSize paperDots, int dpiX,
              int dpiY, qreal screenDpi);

} // namespace rk::print
