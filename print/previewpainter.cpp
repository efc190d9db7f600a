#include "previewpainter.h"

#include <QLinearGradient>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace rk::print {

PreviewScene previewScene(const PageEngine& engine, QSize view, QPoint scroll, qreal screenDpi) {
    const PrinterMetrics& m = engine.Metrics();
    PreviewScene s;
    s.view = view;
    s.dpiX = m.dpiX;
    s.dpiY = m.dpiY;
    const QSizeF pagePx = pagePixels(QSize(m.paperWidth, m.paperHeight), m.dpiX, m.dpiY,
                                     engine.ZoomPercent(), screenDpi);
    s.page = QRectF(pageOrigin(pagePx, view, scroll, engine.ShadowOffset()), pagePx);
    s.pxPerDotX = m.paperWidth > 0 ? pagePx.width() / m.paperWidth : 0;
    s.pxPerDotY = m.paperHeight > 0 ? pagePx.height() / m.paperHeight : 0;
    s.printableOffset = QPoint(m.offsetLeft, m.offsetTop);
    s.textArea = engine.TextAreaDots();
    s.gradient = engine.GradientBackground();
    s.showMargins = engine.ShowMargins();
    s.shadowColor = engine.ShadowColor();
    s.shadowOffset = engine.ShadowOffset();
    return s;
}

void paintPreview(QPainter& p, const PreviewScene& s, const QPicture* page) {
    const QRect all(QPoint(0, 0), s.view);
    if (s.gradient) {
        QLinearGradient g(0, 0, 0, s.view.height());
        g.setColorAt(0, QColor(0x8a, 0x9b, 0xb4));
        g.setColorAt(1, QColor(0x3a, 0x47, 0x5a));
        p.fillRect(all, g);
    } else {
        p.fillRect(all, QColor(0x80, 0x80, 0x80));
    }

    // The paper snapped to whole pixels, so that its edges stay crisp.
    const QRectF paper(std::round(s.page.left()), std::round(s.page.top()),
                       std::round(s.page.width()), std::round(s.page.height()));
    p.fillRect(paper.translated(s.shadowOffset, s.shadowOffset), s.shadowColor);
    p.fillRect(paper, Qt::white);

    if (page && !page->isNull()) {
        p.save();
        p.setClipRect(paper);
        p.translate(paper.left() + s.printableOffset.x() * s.pxPerDotX,
                    paper.top() + s.printableOffset.y() * s.pxPerDotY);
        // Playing a picture already scales it from its own resolution to the device's;
        // what is left is the zoom between printer dots and device pixels.
        const QPaintDevice* device = p.device();
        const qreal devDpiX = device ? device->logicalDpiX() : 96;
        const qreal devDpiY = device ? device->logicalDpiY() : 96;
        p.scale(s.pxPerDotX * s.dpiX / devDpiX, s.pxPerDotY * s.dpiY / devDpiY);
        p.drawPicture(QPointF(0, 0), *page);
        p.restore();
    }

    if (s.showMargins) {
        QPen dotted(QColor(0xc0, 0xc0, 0xc0), 0, Qt::DotLine);
        p.setPen(dotted);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(paper.left() + s.textArea.left() * s.pxPerDotX,
                          paper.top() + s.textArea.top() * s.pxPerDotY,
                          s.textArea.width() * s.pxPerDotX, s.textArea.height() * s.pxPerDotY));
    }
    QPen outline(Qt::black, 0);
    p.setPen(outline);
    p.setBrush(Qt::NoBrush);
    p.drawRect(paper.adjusted(0.5, 0.5, -0.5, -0.5));
}

} // namespace rk::print
