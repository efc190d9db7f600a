// The preview component, the progress window and the ruler, on the offscreen platform.
#include "fakeprinter.h"
#include "hruler.h"
#include "pprnprgdlg.h"
#include "tpageprinter.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include <gtest/gtest.h>

namespace rk::print {
namespace {

using testing::FakePrinter;

class Preview : public ::testing::Test {
protected:
    Preview() : printer(std::make_shared<FakePrinter>()), view(printer) {
        view.resize(840, 600);
        view.SetMarginLeft(1);
        view.SetMarginTop(1);
        view.SetShadowColor(QColor(255, 0, 0));
        view.SetGradientBackground(false);
        QFont big = view.Font();
        big.setPointSize(72);
        view.SetFont(big);
        view.BeginDoc();
        view.WriteLine(QStringLiteral("MMM")); // a dark block near the top-left of page 1
        view.NewPage();
        view.EndDoc();
        view.show();
    }
    QImage shot() { return view.viewport()->grab().toImage(); }
    QSize range() const {
        return {view.horizontalScrollBar()->maximum() + view.viewport()->width(),
                view.verticalScrollBar()->maximum() + view.viewport()->height()};
    }
    static bool dark(QRgb c) { return qGray(c) < 80; }

    std::shared_ptr<FakePrinter> printer;
    TPagePrinter view;
};

TEST_F(Preview, IsAPageEngineNamedAfterItsClass) {
    EXPECT_EQ(view.objectName(), QStringLiteral("TPagePrinter"));
    EXPECT_EQ(view.PageCount(), 2);
    PageEngine* engine = &view;
    EXPECT_EQ(engine->CurrentPage(), 1);
}

TEST_F(Preview, ScrollRangeIsThePageAtTheZoomPlusShadows) {
    view.SetZoomPercent(100);
    const qreal dpi = view.viewport()->logicalDpiX();
    const QSize content(qCeil(2550 * dpi / 300) + 12, qCeil(3300 * dpi / 300) + 12);
    EXPECT_EQ(view.horizontalScrollBar()->maximum(),
              std::max(0, content.width() - view.viewport()->width()));
    EXPECT_EQ(view.verticalScrollBar()->maximum(), content.height() - view.viewport()->height());
    view.SetZoomPercent(10);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0); // the whole page fits
}

TEST_F(Preview, FitModesFillTheView) {
    const qreal dpi = view.viewport()->logicalDpiX();
    const int bar = view.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize inner = view.contentsRect().size();
    view.ZoomToWidth();
    EXPECT_EQ(view.ZoomPercent(), qRound((inner.width() - bar - 12) * 100.0 * (300 / dpi) / 2550));
    // At that zoom the page and its shadows fill the width beside the scroll bar (the
    // zoom is a whole percent, so within one percent).
    EXPECT_NEAR(2550 * view.ZoomPercent() / 100.0 * dpi / 300 + 12, inner.width() - bar,
                inner.width() / 100.0);
    view.ZoomToPage();
    EXPECT_LE(range().height(), view.viewport()->height() + 1);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
}

TEST_F(Preview, PaintsPageShadowOutlineAndTheRecording) {
    view.ZoomToPage();
    const QImage img = shot();
    const qreal s = view.ZoomPercent() / 100.0 * view.viewport()->logicalDpiX() / 300;
    const QSizeF page(2550 * s, 3300 * s);
    const QPointF at(std::floor((img.width() - page.width()) / 2),
                     std::floor((img.height() - page.height()) / 2));
    const QPoint inside = (at + QPointF(page.width() * 0.8, page.height() * 0.8)).toPoint();
    EXPECT_EQ(img.pixel(inside), qRgb(255, 255, 255)); // blank paper
    EXPECT_EQ(img.pixel(2, 2), qRgb(128, 128, 128));   // plain background
    // The shadow lies right of and below the page.
    const QPoint shadow = (at + QPointF(page.width() + 2, page.height() / 2)).toPoint();
    EXPECT_EQ(img.pixel(shadow), qRgb(255, 0, 0));
    // The outline is black.
    EXPECT_TRUE(dark(img.pixel((at + QPointF(0.3, page.height() / 2)).toPoint())));
    // The big "MMM" starts at the top-left of the text area (1 inch in).
    int inked = 0;
    for (int y = qRound(at.y() + 300 * s); y < qRound(at.y() + 600 * s); ++y)
        for (int x = qRound(at.x() + 300 * s); x < qRound(at.x() + 900 * s); ++x)
            inked += dark(img.pixel(x, y));
    EXPECT_GT(inked, 20);
    // Page 2 is blank there.
    view.SetCurrentPage(2);
    const QImage second = shot();
    int inked2 = 0;
    for (int y = qRound(at.y() + 300 * s); y < qRound(at.y() + 600 * s); ++y)
        for (int x = qRound(at.x() + 300 * s); x < qRound(at.x() + 900 * s); ++x)
            inked2 += dark(second.pixel(x, y));
    EXPECT_EQ(inked2, 0);
}

TEST_F(Preview, ZoomLocationScrollsAfterAZoom) {
    view.SetZoomLocation(zlCenter);
    view.SetZoomPercent(200);
    EXPECT_EQ(view.horizontalScrollBar()->value(), view.horizontalScrollBar()->maximum() / 2);
    EXPECT_EQ(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum() / 2);
    view.SetZoomLocation(zlTopCenter);
    view.SetZoomPercent(150);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
    EXPECT_GT(view.horizontalScrollBar()->value(), 0);
}

TEST_F(Preview, CancelInTheProgressWindowStopsPrinting) {
    // The print loop lets window messages through before each page; a click waiting in
    // the queue presses Cancel before the first page goes out.
    QTimer::singleShot(0, [&] {
        auto* dlg = view.window()->findChild<TPPPrnPrgDlg*>();
        ASSERT_TRUE(dlg);
        EXPECT_TRUE(dlg->isVisible());
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Report"));
        dlg->cancelButton()->click();
    });
    view.SetTitle(QStringLiteral("Report"));
    EXPECT_FALSE(view.Print());
    EXPECT_TRUE(printer->events.contains(QStringLiteral("end")));
}

TEST(ProgressWindow, ShowsStatusPageLineAndProgress) {
    TPPPrnPrgDlg dlg;
    dlg.start(QStringLiteral("Films"), QStringLiteral("Sending Pages To Printer"), true, 6);
    EXPECT_EQ(dlg.objectName(), QStringLiteral("TPPPrnPrgDlg"));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Films"));
    EXPECT_EQ(dlg.statusLine()->text(), QStringLiteral("Sending Pages To Printer"));
    EXPECT_EQ(dlg.cancelButton()->text(), QStringLiteral("&Cancel"));
    EXPECT_FALSE(dlg.cancelButton()->isHidden());
    EXPECT_EQ(dlg.progressBar()->maximum(), 6);
    dlg.step(QStringLiteral("Page 1 of 3 x 2 Copies"), 1);
    EXPECT_EQ(dlg.pageLine()->text(), QStringLiteral("Page 1 of 3 x 2 Copies"));
    EXPECT_EQ(dlg.progressBar()->value(), 1);
    const qreal scale = dlg.logicalDpiY() / 96.0;
    EXPECT_EQ(dlg.height(), qRound(TPPPrnPrgDlg::kHeight * scale));
    EXPECT_FALSE(dlg.cancelRequested());
    dlg.cancelButton()->click();
    EXPECT_TRUE(dlg.cancelRequested());
    dlg.finish();
    EXPECT_FALSE(dlg.isVisible());
}

TEST(ProgressWindow, WithoutCancelIsShorterAndCannotBeCancelled) {
    TPPPrnPrgDlg dlg;
    dlg.start(QStringLiteral("Films"), QStringLiteral("Busy"), false, 3);
    EXPECT_TRUE(dlg.cancelButton()->isHidden());
    EXPECT_EQ(dlg.height(), qRound(TPPPrnPrgDlg::kHeightWithoutCancel * dlg.logicalDpiY() / 96.0));
    dlg.reject(); // Escape
    EXPECT_FALSE(dlg.cancelRequested());
    dlg.start(QStringLiteral("Films"), QStringLiteral("Busy"), true, 3);
    dlg.reject();
    EXPECT_TRUE(dlg.cancelRequested());
}

// Length in pixels of the dark run in column x, from the tick's edge.
int tickLength(const QImage& img, int x, bool fromTop) {
    int n = 0;
    for (int i = 1; i < img.height(); ++i) {
        const int y = fromTop ? i : img.height() - 1 - i;
        if (qGray(img.pixel(x, y)) > 128) break;
        ++n;
    }
    return n;
}

TEST(Ruler, TicksAreLongerAtUnitsHalvesAndQuarters) {
    THRuler ruler;
    ruler.resize(300, 40);
    ruler.SetFont(QFont(QStringLiteral("DejaVu Sans"), 1)); // keep numbers out of the way
    const QImage down = ruler.grab().toImage();
    const int unit = tickLength(down, 96, true), half = tickLength(down, 48, true),
              quarter = tickLength(down, 24, true), minor = tickLength(down, 6, true);
    EXPECT_GT(unit, half);
    EXPECT_GT(half, quarter);
    EXPECT_GT(quarter, minor);
    EXPECT_GT(minor, 0);
    EXPECT_EQ(tickLength(down, 3, true), 0); // between ticks
    ruler.SetToward(rpUp);
    const QImage up = ruler.grab().toImage();
    EXPECT_EQ(tickLength(up, 96, false), unit);
    ruler.SetStart(10);
    EXPECT_EQ(tickLength(ruler.grab().toImage(), 106, false), unit);
}

} // namespace
} // namespace rk::print
