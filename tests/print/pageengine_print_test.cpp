// Printing recorded pages through the printer seam: page order for copies and collation,
// ranges, the progress window, Cancel, and failures of the printer; a straight run printed
// as it is laid out; texts shaped once for the printer.
#include "fakeprinter.h"
#include "pageengine.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace rk::print {
namespace {

using testing::FakePrinter;
using testing::FakeProgress;

class Printing : public ::testing::Test {
protected:
    Printing() : printer(std::make_shared<FakePrinter>()), engine(printer) {
        engine.SetTitle(QStringLiteral("Job"));
        engine.SetFriendlyHeader(QStringLiteral("&rPage &p"));
        engine.SetProgressFactory(
            [this] { return std::make_unique<FakeProgress>(log, cancelAfter); });
    }
    void threePages() {
        engine.BeginDoc();
        engine.WriteLine(QStringLiteral("Body 1"));
        engine.NewPage();
        engine.WriteLine(QStringLiteral("Body 2"));
        engine.NewPage();
        engine.WriteLine(QStringLiteral("Body 3"));
        engine.EndDoc();
    }
    // The page number printed in the header of each sheet that came out.
    std::vector<int> printedPages() const {
        std::vector<int> out;
        for (const auto& sheet : printer->printed) {
            int n = 0;
            for (int p = 1; p <= 9; ++p)
                if (sheet.hasText(QStringLiteral("Page %1").arg(p))) n = p;
            out.push_back(n);
        }
        return out;
    }

    std::shared_ptr<FakePrinter> printer;
    PageEngine engine;
    std::shared_ptr<FakeProgress::Log> log = std::make_shared<FakeProgress::Log>();
    int cancelAfter = -1;
};

TEST_F(Printing, CollatedCopiesAreCompleteSets) {
    threePages();
    engine.SetCopies(2);
    engine.SetCollate(true);
    EXPECT_TRUE(engine.Print());
    EXPECT_EQ(printedPages(), (std::vector<int>{1, 2, 3, 1, 2, 3}));
}

TEST_F(Printing, UncollatedCopiesRepeatEachPage) {
    threePages();
    engine.SetCopies(2);
    engine.SetCollate(false);
    EXPECT_TRUE(engine.Print());
    EXPECT_EQ(printedPages(), (std::vector<int>{1, 1, 2, 2, 3, 3}));
}

TEST_F(Printing, TheJobSetsCopiesToOneAndRestoresThemAfter) {
    threePages();
    printer->events.clear();
    EXPECT_TRUE(engine.Print());
    EXPECT_EQ(printer->events,
              QStringList({"copies:1", "begin:Job", "newPage", "newPage", "end", "copies:4"}));
    EXPECT_EQ(printer->copies, 4);
}

TEST_F(Printing, PagesArePrintedAtThePrintersOrigin) {
    engine.SetMarginLeft(1);
    engine.SetMarginTop(1);
    threePages();
    ASSERT_TRUE(engine.Print());
    const auto* body = printer->printed[0].find(QStringLiteral("Body 1"));
    ASSERT_TRUE(body);
    // One inch from the paper's corner is 225 dots from the printable area's.
    EXPECT_NEAR(body->pos.x(), 225, 0.5);
    EXPECT_NEAR(body->pos.y() - engine.TextFont().ascent, 225, 1);
    EXPECT_NEAR(body->pixelSize, engine.TextFont().font.pixelSize(), 0.5);
}

TEST_F(Printing, ProgressWindowShowsTitleStatusAndPageLines) {
    threePages();
    engine.SetCopies(2);
    engine.SetCollate(false);
    ASSERT_TRUE(engine.Print());
    EXPECT_EQ(log->caption, QStringLiteral("Job"));
    EXPECT_EQ(log->status, QStringLiteral("Sending Pages To Printer"));
    EXPECT_TRUE(log->showCancel);
    EXPECT_EQ(log->steps, 6);
    EXPECT_EQ(log->pageLines.front(), QStringLiteral("Page 1 of 3 x 2 Copies"));
    EXPECT_EQ(log->pageLines, QStringList({"Page 1 of 3 x 2 Copies", "Page 1 of 3 x 2 Copies",
                                           "Page 2 of 3 x 2 Copies", "Page 2 of 3 x 2 Copies",
                                           "Page 3 of 3 x 2 Copies", "Page 3 of 3 x 2 Copies"}));
    EXPECT_EQ(log->positions, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(log->finished);
}

TEST_F(Printing, ProgressMessageAndHiddenProgress) {
    threePages();
    engine.SetProgressMessage(QStringLiteral("Printing labels"));
    engine.SetShowCancel(false);
    ASSERT_TRUE(engine.Print());
    EXPECT_EQ(log->status, QStringLiteral("Printing labels"));
    EXPECT_FALSE(log->showCancel);
    *log = {};
    engine.SetShowProgress(false);
    ASSERT_TRUE(engine.Print());
    EXPECT_TRUE(log->pageLines.isEmpty());
    EXPECT_EQ(printer->printed.size(), 3u);
}

TEST_F(Printing, ARangePrintsOnlyItsPages) {
    threePages();
    engine.SetFromPage(2);
    engine.SetToPage(3);
    ASSERT_TRUE(engine.Print());
    EXPECT_EQ(printedPages(), (std::vector<int>{2, 3}));
    EXPECT_EQ(log->pageLines, QStringList({"Page 2", "Page 3"}));
    engine.SetFromPage(0);
    engine.SetToPage(1);
    ASSERT_TRUE(engine.Print());
    EXPECT_EQ(printedPages(), (std::vector<int>{1}));
    engine.SetFromPage(3);
    engine.SetToPage(2);
    printer->events.clear();
    EXPECT_TRUE(engine.Print()); // an empty range prints nothing
    EXPECT_TRUE(printer->events.isEmpty());
}

TEST_F(Printing, CancelStopsTheRunAndEndsTheJobWithThePagesSent) {
    threePages();
    cancelAfter = 2;
    printer->events.clear();
    EXPECT_FALSE(engine.Print());
    EXPECT_EQ(printedPages(), (std::vector<int>{1, 2})); // and no blank sheet after them
    EXPECT_EQ(printer->events,
              QStringList({"copies:1", "begin:Job", "newPage", "end", "copies:4"}));
    EXPECT_TRUE(log->finished);
    EXPECT_EQ(engine.PageCount(), 3); // the pages stay
}

TEST_F(Printing, AbortOnCancelDiscardsTheJob) {
    threePages();
    cancelAfter = 1;
    engine.SetAbortOnCancel(true);
    printer->events.clear();
    EXPECT_FALSE(engine.Print());
    EXPECT_TRUE(printer->events.contains(QStringLiteral("abort")));
    EXPECT_FALSE(printer->events.contains(QStringLiteral("end")));
    EXPECT_EQ(printer->copies, 4);
}

TEST_F(Printing, CancelFlagSetFromOutsideStopsBeforeTheNextPage) {
    threePages();
    engine.SetShowProgress(false);
    engine.CancelPrinting(); // cleared when the run starts
    EXPECT_TRUE(engine.Print());
    EXPECT_EQ(printer->printed.size(), 3u);
}

TEST_F(Printing, PrinterFailuresPropagateAfterCleanUp) {
    threePages();
    printer->failNewPageAt = 2;
    printer->events.clear();
    try {
        engine.Print();
        FAIL() << "no error";
    } catch (const ECancelPrinting&) {
        FAIL() << "reported as a cancel";
    } catch (const EPagePrinter& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Unable to start a new page on fake printer: fake failure"));
    }
    EXPECT_TRUE(printer->events.contains(QStringLiteral("abort")));
    EXPECT_EQ(printer->events.back(), QStringLiteral("copies:4"));
    EXPECT_TRUE(log->finished);
    EXPECT_FALSE(printer->isPrinting());

    printer->failNewPageAt = -1;
    printer->failBegin = true;
    try {
        engine.Print();
        FAIL() << "no error";
    } catch (const EPagePrinter& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Unable to start printing on fake printer: fake failure"));
    }
    EXPECT_EQ(printer->copies, 4);
}

TEST_F(Printing, AStraightRunGoesToThePrinterAsItIsLaidOut) {
    engine.SetPrintAsLaidOut(true);
    engine.SetMarginLeft(1);
    engine.SetMarginTop(1);
    engine.BeginDoc();
    EXPECT_TRUE(printer->isPrinting());
    engine.WriteLine(QStringLiteral("Body 1"));
    engine.NewPage();
    engine.WriteLine(QStringLiteral("Body 2"));
    engine.NewPage();
    engine.WriteLine(QStringLiteral("Body 3"));
    EXPECT_EQ(printer->printed.size(), 3u); // drawn before the document ends
    engine.EndDoc();
    EXPECT_FALSE(printer->isPrinting());
    EXPECT_EQ(printedPages(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(engine.PageCount(), 3);
    EXPECT_TRUE(engine.Pages().isEmpty());
    // At the same place as a recorded page played back.
    const auto* body = printer->printed[0].find(QStringLiteral("Body 1"));
    ASSERT_TRUE(body);
    EXPECT_NEAR(body->pos.x(), 225, 0.5);
    EXPECT_NEAR(body->pos.y() - engine.TextFont().ascent, 225, 1);
    EXPECT_EQ(printer->events.filter(QStringLiteral("begin")).size(), 1);
    EXPECT_TRUE(engine.Print()); // nothing left to send
    EXPECT_EQ(printer->printed.size(), 3u);

    // Copies and ranges need the pages again: they are recorded.
    engine.SetCopies(2);
    threePages();
    EXPECT_EQ(printer->printed.size(), 3u);
    EXPECT_EQ(engine.Pages().count(), 3);
    engine.SetCopies(1);
    engine.SetFromPage(2);
    threePages();
    EXPECT_EQ(engine.Pages().count(), 3);
    EXPECT_TRUE(engine.Print());
    EXPECT_EQ(printedPages(), (std::vector<int>{2, 3}));
}

TEST_F(Printing, AStreamedRunThatFailsDropsTheJob) {
    engine.SetPrintAsLaidOut(true);
    printer->failBegin = true;
    EXPECT_THROW(engine.BeginDoc(), EPagePrinter);
    EXPECT_FALSE(engine.Printing());
    printer->failBegin = false;
    printer->failNewPageAt = 1;
    engine.BeginDoc();
    EXPECT_THROW(engine.NewPage(), EPagePrinter);
    EXPECT_FALSE(engine.Printing());
    EXPECT_FALSE(printer->isPrinting());
    EXPECT_EQ(printer->events.back(), QStringLiteral("abort"));
    EXPECT_EQ(engine.PageCount(), 0);
}

TEST_F(Printing, PrintEndsAnOpenDocumentFirst) {
    engine.BeginDoc();
    engine.WriteLine(QStringLiteral("Body 1"));
    EXPECT_TRUE(engine.Print());
    EXPECT_FALSE(engine.Printing());
    EXPECT_EQ(printedPages(), (std::vector<int>{1}));
}

TEST_F(Printing, NothingToPrintOrNoPrinter) {
    printer->events.clear();
    EXPECT_TRUE(engine.Print()); // no pages: nothing happens
    EXPECT_TRUE(printer->events.isEmpty());
    PageEngine lonely;
    lonely.BeginDoc();
    lonely.EndDoc();
    EXPECT_THROW(lonely.Print(), EPagePrinter);
}

} // namespace
} // namespace rk::print

namespace rk::print {
namespace {

// A text drawn again is shaped once and then placed from the kept glyphs, at the same
// pixels as the painter's own drawing.
TEST(ShapedTexts, RepeatedTextsAreShapedOnceAndDrawnAlike) {
    const FontState font = FontState::make(QFont(QStringLiteral("Arial"), 10), Qt::black, 96, 96);
    QImage kept(400, 60, QImage::Format_ARGB32), plain = kept;
    kept.fill(Qt::white);
    plain.fill(Qt::white);
    ShapedTexts shapes;
    QPainter p(&kept), q(&plain);
    p.setFont(font.font);
    q.setFont(font.font);
    const QString caption = QStringLiteral("Category: Wa ffi");
    for (int i = 0; i < 3; ++i) {
        const QPointF at(10 + i * 120, 30);
        shapes.draw(p, at, caption, font);
        q.drawText(at, caption);
    }
    p.end();
    q.end();
    EXPECT_EQ(shapes.shaped(), 1);
    EXPECT_EQ(shapes.reused(), 1);
    EXPECT_EQ(kept, plain);

    // Past the limit the store starts again: the caption is drawn as new.
    QImage scratch(10, 10, QImage::Format_ARGB32);
    QPainter r(&scratch);
    r.setFont(font.font);
    for (int i = 0; i < ShapedTexts::kLimit; ++i)
        shapes.draw(r, QPointF(0, 5), QString::number(i), font);
    shapes.draw(r, QPointF(0, 5), caption, font);
    shapes.draw(r, QPointF(0, 5), caption, font);
    EXPECT_EQ(shapes.shaped(), 2);
    EXPECT_EQ(shapes.reused(), 1);
}

} // namespace
} // namespace rk::print
