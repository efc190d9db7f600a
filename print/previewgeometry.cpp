#include "previewgeometry.h"

#include <algorithm>
#include <cmath>

namespace rk::print {

QSizeF pagePixels(QSize paperDots, int dpiX, int dpiY, int zoom, qreal screenDpi) {
    if (dpiX <= 0 || dpiY <= 0) return {};
    return {paperDots.width() * zoom / 100.0 * screenDpi / dpiX,
            paperDots.height() * zoom / 100.0 * screenDpi / dpiY};
}

QSize scrollRange(QSizeF pagePx, int shadow) {
    return {static_cast<int>(std::ceil(pagePx.width())) + 2 * shadow + 2,
            static_cast<int>(std::ceil(pagePx.height())) + 2 * shadow + 2};
}

QPointF pageOrigin(QSizeF pagePx, QSize view, QPoint scroll, int shadow) {
    const QSize range = scrollRange(pagePx, shadow);
    auto axis = [&](qreal page, int viewLen, int rangeLen, int scrolled) -> qreal {
        if (rangeLen <= viewLen) return std::floor((viewLen - page) / 2);
        return shadow + 1 - scrolled;
    };
    return {axis(pagePx.width(), view.width(), range.width(), scroll.x()),
            axis(pagePx.height(), view.height(), range.height(), scroll.y())};
}

QPoint zoomLocationScroll(TZoomLocation location, QSize range, QSize view) {
    const int maxX = std::max(0, range.width() - view.width());
    const int maxY = std::max(0, range.height() - view.height());
    switch (location) {
    case zlTopCenter:
        return {maxX / 2, 0};
    case zlCenter:
        return {maxX / 2, maxY / 2};
    case zlTopLeft:
        break;
    }
    return {0, 0};
}

int zoomToFit(FitMode mode, QSize view, int scrollBarExtent, int shadow, QSize paperDots, int dpiX,
              int dpiY, qreal screenDpi) {
    if (paperDots.width() <= 0 || paperDots.height() <= 0 || screenDpi <= 0) return 100;
    if (mode == FitMode::Page) {
        // The page is relatively taller than the view: its height decides.
        const qreal pageRatio =
            (qreal(paperDots.height()) / dpiY) / (qreal(paperDots.width()) / dpiX);
        const qreal viewRatio = view.width() > 0 ? qreal(view.height()) / view.width() : 1.0;
        mode = pageRatio > viewRatio ? FitMode::Height : FitMode::Width;
    }
    const bool width = mode == FitMode::Width;
    const int avail = (width ? view.width() : view.height()) - scrollBarExtent - 2 * shadow - 2;
    const qreal dpi = width ? dpiX : dpiY;
    const int dots = width ? paperDots.width() : paperDots.height();
    const long zoom = std::lround(avail * 100.0 * (dpi / screenDpi) / dots);
    return static_cast<int>(std::clamp<long>(zoom, kMinZoom, kMaxZoom));
}

} // namespace rk::print
