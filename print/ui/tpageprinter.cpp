#include "tpageprinter.h"

#include "pprnprgdlg.h"
#include "previewpainter.h"
#include "qprinterdevice.h"

#include <QPainter>
#include <QScrollBar>
#include <QStyle>

namespace rk::print {

TPagePrinter::TPagePrinter(QWidget* parent) : TPagePrinter(systemPrinter(), parent) {}

TPagePrinter::TPagePrinter(std::shared_ptr<PrinterDevice> printer, QWidget* parent)
    : QAbstractScrollArea(parent), PageEngine(std::move(printer)) {
    setObjectName(QStringLiteral("TPagePrinter"));
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    SetShadowColor(palette().color(QPalette::Dark));
    updateScrollRange();
}

const QPicture* TPagePrinter::shownPage() {
    if (PageCount() == 0) return nullptr;
    const int index = CurrentPage() - 1;
    if (index != cachedIndex_ || Pages().generation() != cachedGeneration_) {
        cached_ = Pages().page(index);
        cachedIndex_ = index;
        cachedGeneration_ = Pages().generation();
    }
    return &cached_;
}

void TPagePrinter::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const PreviewScene scene = previewScene(
        *this, viewport()->size(),
        QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()), ScreenDpi());
    paintPreview(p, scene, shownPage());
}

QRectF TPagePrinter::pageInViewport() const {
    return previewScene(*this, viewport()->size(),
                        QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()),
                        ScreenDpi())
        .page;
}

void TPagePrinter::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void TPagePrinter::scrollContentsBy(int, int) {
    viewport()->update();
}

void TPagePrinter::updateScrollRange() {
    const PrinterMetrics& m = Metrics();
    const QSize range = scrollRange(
        pagePixels(QSize(m.paperWidth, m.paperHeight), m.dpiX, m.dpiY, ZoomPercent(), ScreenDpi()),
        ShadowOffset());
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, range.width() - view.width()));
    verticalScrollBar()->setRange(0, std::max(0, range.height() - view.height()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setPageStep(view.height());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
}

void TPagePrinter::ViewChanged(ViewChange change) {
    if (change == ViewChange::Relayout) {
        updateScrollRange();
        const QSize range(horizontalScrollBar()->maximum() + viewport()->width(),
                          verticalScrollBar()->maximum() + viewport()->height());
        const QPoint to = zoomLocationScroll(ZoomLocation(), range, viewport()->size());
        horizontalScrollBar()->setValue(to.x());
        verticalScrollBar()->setValue(to.y());
    }
    viewport()->update();
}

QSize TPagePrinter::ViewportSize() const {
    return contentsRect().size();
}

int TPagePrinter::ScrollBarExtent() const {
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

qreal TPagePrinter::ScreenDpi() const {
    return viewport()->logicalDpiX();
}

std::unique_ptr<PrintProgress> TPagePrinter::CreateProgress() {
    if (auto p = PageEngine::CreateProgress()) return p;
    return std::make_unique<TPPPrnPrgDlg>(window());
}

} // namespace rk::print
