// TPagePrinter: the page printer engine as a visual component. It is a PageEngine (every
// setting and operation) shown in a scrolling view: the current page at ZoomPercent, on
// a gradient background with its shadow and outline, the margins dotted. Printing shows
// the progress window TPPPrnPrgDlg.
#pragma once

#include "pageengine.h"

#include <QAbstractScrollArea>
#include <QPicture>

namespace rk::print {

class TPagePrinter : public QAbstractScrollArea, public PageEngine {
public:
    // Prints on the shared system printer.
    explicit TPagePrinter(QWidget* parent = nullptr);
    TPagePrinter(std::shared_ptr<PrinterDevice> printer, QWidget* parent = nullptr);

    QSize sizeHint() const override { return {600, 500}; }
    // Where the paper of the page shown is drawn in the viewport, in pixels.
    QRectF pageInViewport() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

    void ViewChanged(ViewChange change) override;
    QSize ViewportSize() const override;
    int ScrollBarExtent() const override;
    qreal ScreenDpi() const override;
    std::unique_ptr<PrintProgress> CreateProgress() override;
    bool ShowsPages() const override { return true; }

private:
    void updateScrollRange();
    const QPicture* shownPage();

    QPicture cached_;
    int cachedIndex_ = -1;
    qint64 cachedGeneration_ = -1;
};

} // namespace rk::print
