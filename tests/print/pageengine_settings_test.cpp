// Page printer settings: defaults, geometry from the printer, margins, units, fonts,
// refusals while a document is open, page selection and repaint suspension.
#include "fakeprinter.h"
#include "pageengine.h"
#include "units.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace rk::print {
namespace {

using testing::FakePrinter;
using testing::letter300;

// An engine that counts what it asks of its view.
class ViewedEngine : public PageEngine {
public:
    using PageEngine::PageEngine;
    int repaints = 0, relayouts = 0;

protected:
    void ViewChanged(ViewChange c) override { ++(c == ViewChange::Repaint ? repaints : relayouts); }
};

QString messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EPagePrinter& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

TEST(PageEngineSettings, NewEngineHasThePublishedDefaults) {
    PageEngine e(std::make_shared<FakePrinter>());
    EXPECT_EQ(e.MeasureUnit(), muInches);
    EXPECT_DOUBLE_EQ(e.MarginTop(), 0.25); // the printer's unprintable offsets
    EXPECT_DOUBLE_EQ(e.MarginBottom(), 0.25);
    EXPECT_DOUBLE_EQ(e.MarginLeft(), 0.25);
    EXPECT_DOUBLE_EQ(e.MarginRight(), 0.25);
    EXPECT_EQ(e.Orientation(), poPortrait);
    EXPECT_EQ(e.LineSpacing(), lsSingleSpace);
    EXPECT_EQ(e.Alignment(), taLeftJustify);
    EXPECT_TRUE(e.WordWrap());
    EXPECT_EQ(e.TabSize(), 8);
    EXPECT_EQ(e.TokenSeparator(), QLatin1Char('|'));
    EXPECT_TRUE(e.TableFormat().isEmpty());
    EXPECT_FALSE(e.TableGrid());
    EXPECT_EQ(e.DefaultColWidth(), 0);
    EXPECT_TRUE(e.AutoHeaderFont());
    EXPECT_TRUE(e.AutoFooterFont());
    EXPECT_EQ(e.PageBorders(), TPageBorders());
    EXPECT_EQ(e.PageBorderOffset(), 0);
    EXPECT_EQ(e.Copies(), 1);
    EXPECT_TRUE(e.Collate());
    EXPECT_TRUE(e.ShowProgress());
    EXPECT_TRUE(e.ShowCancel());
    EXPECT_FALSE(e.AbortOnCancel());
    EXPECT_FALSE(e.PrintToFile());
    EXPECT_EQ(e.ZoomPercent(), 25);
    EXPECT_EQ(e.ZoomLocation(), zlTopLeft);
    EXPECT_TRUE(e.ShowMargins());
    EXPECT_TRUE(e.GradientBackground());
    EXPECT_EQ(e.ShadowOffset(), 5);
    EXPECT_EQ(e.Font().family(), QStringLiteral("Courier New"));
    EXPECT_EQ(e.Font().pointSizeF(), 10);
    EXPECT_FALSE(e.Font().bold());
    EXPECT_EQ(e.HeaderFont(), e.Font());
    EXPECT_EQ(e.FooterFont(), e.Font());
    EXPECT_EQ(e.PageCount(), 0);
    EXPECT_EQ(e.CurrentPage(), 1);
    EXPECT_FALSE(e.Printing());
}

TEST(PageEngineSettings, WithoutAnAnsweringPrinterTheFallbackPageIsUsed) {
    auto silent = std::make_shared<FakePrinter>();
    silent->answers = false;
    PrinterMetrics absurd = letter300();
    absurd.dpiX = 0;
    for (auto printer :
         {std::shared_ptr<FakePrinter>(), silent, std::make_shared<FakePrinter>(absurd)}) {
        PageEngine e(printer);
        EXPECT_TRUE(e.UsingFallbackPage());
        EXPECT_EQ(e.Metrics(), fallbackMetrics(muInches));
        EXPECT_DOUBLE_EQ(e.MarginLeft(), 0.25);
        EXPECT_EQ(e.PageSizeDots(), QSize(2550 - 75, 3300 - 75)); // paper less right/bottom offset
    }
}

TEST(PageEngineSettings, MarginsAreClampedToTheOffsetsAndPaper) {
    PageEngine e(std::make_shared<FakePrinter>());
    struct Case {
        void (PageEngine::*set)(double);
        double (PageEngine::*get)() const;
        double value, expected;
    } cases[] = {
        {&PageEngine::SetMarginTop, &PageEngine::MarginTop, 0.1, 0.25},
        {&PageEngine::SetMarginTop, &PageEngine::MarginTop, 1.0, 1.0},
        {&PageEngine::SetMarginBottom, &PageEngine::MarginBottom, 12, 10.75},
        {&PageEngine::SetMarginLeft, &PageEngine::MarginLeft, -2, 0.25},
        {&PageEngine::SetMarginRight, &PageEngine::MarginRight, 8.5, 8.25},
    };
    for (const auto& c : cases) {
        (e.*c.set)(c.value);
        EXPECT_DOUBLE_EQ((e.*c.get)(), c.expected) << c.value;
    }
    EXPECT_EQ(messageOf([&] { e.SetMarginTop(std::nan("")); }),
              QStringLiteral("A margin must be a number"));
}

TEST(PageEngineSettings, RefreshPrinterClampsMarginsToANewPaper) {
    auto printer = std::make_shared<FakePrinter>();
    PageEngine e(printer);
    e.SetMarginLeft(7.0);
    EXPECT_DOUBLE_EQ(e.MarginLeft(), 7.0);
    printer->rawMetrics().paperWidth = 1800; // a 6 inch wide card
    printer->rawMetrics().offsetLeft = 150;
    e.RefreshPrinter();
    EXPECT_DOUBLE_EQ(e.MarginLeft(), 5.5);  // 6 less the 0.5 inch opposite offset
    EXPECT_DOUBLE_EQ(e.MarginRight(), 0.5); // raised to the new offset
}

TEST(PageEngineSettings, LandscapeIsPassedToThePrinterAndSwapsThePaper) {
    auto printer = std::make_shared<FakePrinter>();
    PageEngine e(printer);
    e.SetOrientation(poLandscape);
    EXPECT_TRUE(printer->events.contains(QStringLiteral("orientation:1")));
    EXPECT_EQ(e.Metrics().paperWidth, 3300);
    EXPECT_EQ(e.Metrics().paperHeight, 2550);
    PageEngine fallback;
    fallback.SetOrientation(poLandscape);
    EXPECT_EQ(fallback.Metrics().paperWidth, 11 * kFallbackDpi);
}

TEST(PageEngineSettings, DoubleSpacingOfAnEightPointFontAt300DpiIsTwiceItsHeight) {
    PageEngine e(std::make_shared<FakePrinter>());
    QFont f = e.Font();
    f.setPointSize(8);
    e.SetFont(f);
    e.SetLineSpacing(lsDoubleSpace);
    const int height = e.TextFont().height;
    // 8 points at 300 dpi are 33 dots; the font's ascent and descent come to a little more.
    // Measured at screen resolution it would be about 11.
    EXPECT_GE(height, 33);
    EXPECT_LE(height, 50);
    EXPECT_EQ(e.LineAdvance(), 2 * height);
    e.SetLineSpacing(lsHalfSpace);
    EXPECT_EQ(e.LineAdvance(), height / 2);
    e.SetLineSpacing(lsSingleAndAHalf);
    EXPECT_EQ(e.LineAdvance(), height + height / 2);
}

TEST(PageEngineSettings, ChangingTheUnitConvertsLengthsAndFormats) {
    PageEngine e(std::make_shared<FakePrinter>());
    e.SetMarginLeft(1.0);
    e.SetPageBorderOffset(0.0625);
    e.SetDefaultColWidth(2);
    e.SetTableFormat(QStringLiteral("<1|>0.5"));
    e.SetHeaderFormat(QStringLiteral("<3.75|>3.75"));
    e.SetMeasureUnit(muMillimeters);
    EXPECT_DOUBLE_EQ(e.MarginLeft(), 25.4);
    EXPECT_DOUBLE_EQ(e.PageBorderOffset(), 1.5875);
    EXPECT_DOUBLE_EQ(e.DefaultColWidth(), 50.8);
    EXPECT_EQ(e.TableFormat(), QStringLiteral("<25.40|>12.70"));
    EXPECT_EQ(e.HeaderFormat(), QStringLiteral("<95.25|>95.25"));
    e.SetMarginTop(3); // clamped in millimetres: the 0.25 inch offset is 6.35 mm
    EXPECT_NEAR(e.MarginTop(), 6.35, 1e-9);
    e.SetMeasureUnit(muInches);
    EXPECT_NEAR(e.MarginLeft(), 1.0, 1e-12);
    EXPECT_EQ(e.TableFormat(), QStringLiteral("<1.00|>0.50"));
}

TEST(PageEngineSettings, FriendlyHeaderCompilesAgainstTheTextAreaAndClock) {
    PageEngine e(std::make_shared<FakePrinter>());
    QDateTime when(QDate(2026, 12, 7), QTime(8, 12, 17));
    e.SetClock([&] { return when; });
    e.SetMarginLeft(0.5);
    e.SetMarginRight(0.5);
    e.SetFriendlyHeader(QStringLiteral("&l&i&rPage &p"));
    EXPECT_EQ(e.Header(), QStringLiteral("{$TITLE}|Page {$PAGE}"));
    EXPECT_EQ(e.HeaderFormat(), QStringLiteral("<3.75|>3.75"));
    e.SetFriendlyFooter(QStringLiteral("&l&d&r&t"));
    const QString first = e.Footer();
    EXPECT_TRUE(first.contains(QLocale().toString(when.date(), QLocale::ShortFormat)));
    // Dates are fixed when compiled; RefreshPrinter (and so BeginDoc) compiles again.
    when = when.addDays(1);
    EXPECT_EQ(e.Footer(), first);
    e.RefreshPrinter();
    EXPECT_NE(e.Footer(), first);
    EXPECT_TRUE(e.Footer().contains(QLocale().toString(when.date(), QLocale::ShortFormat)));
    e.SetFriendlyHeader(QString());
    EXPECT_TRUE(e.Header().isEmpty());
    EXPECT_TRUE(e.HeaderFormat().isEmpty());
}

TEST(PageEngineSettings, TextFontFollowsIntoHeaderAndFooterOnlyWhileAutomatic) {
    PageEngine e(std::make_shared<FakePrinter>());
    QFont big(QStringLiteral("Arial"), 14);
    e.SetFont(big);
    EXPECT_EQ(e.HeaderFont(), big);
    EXPECT_EQ(e.FooterFont(), big);
    e.SetAutoHeaderFont(false);
    QFont small(QStringLiteral("Arial"), 6);
    e.SetFont(small);
    EXPECT_EQ(e.HeaderFont(), big);
    EXPECT_EQ(e.FooterFont(), small);
    e.SetFontColor(Qt::red);
    EXPECT_EQ(e.FooterFontColor(), QColor(Qt::red));
    EXPECT_EQ(e.HeaderFontColor(), QColor(Qt::black));
}

TEST(PageEngineSettings, EveryLockedSettingIsRefusedWhileADocumentIsOpen) {
    QTemporaryDir dir;
    PageEngine e(std::make_shared<FakePrinter>());
    e.BeginDoc();
    const std::pair<std::function<void()>, const char*> refusals[] = {
        {[&] { e.SetMarginTop(1); }, "Unable to change top margin while printing"},
        {[&] { e.SetMarginBottom(1); }, "Unable to change bottom margin while printing"},
        {[&] { e.SetMarginLeft(1); }, "Unable to change left margin while printing"},
        {[&] { e.SetMarginRight(1); }, "Unable to change right margin while printing"},
        {[&] { e.SetOrientation(poLandscape); }, "Unable to change orientation while printing"},
        {[&] { e.SetPrintToFile(true); }, "Can't change PrintToFile while printing"},
        {[&] { e.SetFileName(dir.filePath("x.txt")); }, "Can't change FileName while printing"},
        {[&] { e.Clear(); }, "Can't clear contents while printing"},
        {[&] { e.BeginDoc(); }, "A document is already open"},
    };
    for (const auto& [action, message] : refusals)
        EXPECT_EQ(messageOf(action), QString::fromUtf8(message));
    // Nothing changed.
    EXPECT_DOUBLE_EQ(e.MarginTop(), 0.25);
    EXPECT_EQ(e.Orientation(), poPortrait);
    EXPECT_FALSE(e.PrintToFile());
    EXPECT_TRUE(e.FileName().isEmpty());
    e.EndDoc();
    EXPECT_NO_THROW(e.SetMarginTop(1));
    EXPECT_NO_THROW(e.Clear());
}

TEST(PageEngineSettings, WritingWithoutADocumentIsRefused) {
    PageEngine e(std::make_shared<FakePrinter>());
    const QString expected = QStringLiteral("No document is open: call BeginDoc first");
    EXPECT_EQ(messageOf([&] { e.WriteLine(QStringLiteral("x")); }), expected);
    EXPECT_EQ(messageOf([&] { e.Write(QStringLiteral("x")); }), expected);
    EXPECT_EQ(messageOf([&] { e.WriteTableLine(QStringLiteral("x")); }), expected);
    EXPECT_EQ(messageOf([&] { e.NewLine(); }), expected);
    EXPECT_EQ(messageOf([&] { e.NewPage(); }), expected);
    EXPECT_NO_THROW(e.EndDoc()); // nothing open: nothing to do
}

TEST(PageEngineSettings, AbsurdValuesAreRefusedWithAClearMessage) {
    PageEngine e(std::make_shared<FakePrinter>());
    QFont huge = e.Font();
    huge.setPointSize(5000);
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { e.SetTabSize(0); }, "TabSize must be between 1 and 1000"},
        {[&] { e.SetCopies(0); }, "Copies must be between 1 and 999"},
        {[&] { e.SetCopies(100000); }, "Copies must be between 1 and 999"},
        {[&] { e.SetZoomPercent(0); }, "Zoom must be between 1 and 1000 percent"},
        {[&] { e.SetZoomPercent(5000); }, "Zoom must be between 1 and 1000 percent"},
        {[&] { e.SetFont(huge); }, "Font size must be between 1 and 1000 points"},
        {[&] { e.SetDefaultColWidth(-1); }, "Invalid default column width"},
        {[&] { e.SetPageBorderOffset(std::nan("")); }, "Invalid page border offset"},
        {[&] { e.SetFromPage(-1); }, "FromPage can't be negative"},
        {[&] { e.SetShadowOffset(-3); }, "ShadowOffset must be between 0 and 100"},
        {[&] { e.SetTokenSeparator(QChar()); }, "The token separator can't be empty"},
    };
    for (const auto& [action, message] : cases)
        EXPECT_EQ(messageOf(action), QString::fromUtf8(message));
    EXPECT_EQ(e.TabSize(), 8);
    EXPECT_EQ(e.Copies(), 1);
    EXPECT_EQ(e.ZoomPercent(), 25);
}

TEST(PageEngineSettings, MarginsThatLeaveNoRoomRefuseTheDocument) {
    PageEngine e(std::make_shared<FakePrinter>());
    e.SetMarginLeft(5);
    e.SetMarginRight(5);
    EXPECT_EQ(messageOf([&] { e.BeginDoc(); }),
              QStringLiteral("The margins leave no room for text"));
    EXPECT_FALSE(e.Printing());
}

TEST(PageEngineSettings, CurrentPageOutOfRangeNamesThePageCount) {
    PageEngine e(std::make_shared<FakePrinter>());
    EXPECT_NO_THROW(e.SetCurrentPage(7)); // no pages: nothing to check
    EXPECT_EQ(e.CurrentPage(), 1);
    e.BeginDoc();
    e.NewPage();
    e.NewPage();
    e.EndDoc();
    ASSERT_EQ(e.PageCount(), 3);
    EXPECT_EQ(messageOf([&] { e.SetCurrentPage(4); }),
              QStringLiteral("PageNumber must be between 1 and 3"));
    EXPECT_EQ(messageOf([&] { e.SetCurrentPage(0); }),
              QStringLiteral("PageNumber must be between 1 and 3"));
    e.SetCurrentPage(3);
    EXPECT_EQ(e.CurrentPage(), 3);
    e.Clear();
    EXPECT_EQ(e.PageCount(), 0);
    EXPECT_EQ(e.CurrentPage(), 1);
}

TEST(PageEngineSettings, RepaintWaitsForTheLastEndUpdate) {
    ViewedEngine e(std::make_shared<FakePrinter>());
    e.BeginDoc();
    e.NewPage();
    e.EndDoc();
    e.repaints = e.relayouts = 0;
    e.BeginUpdate();
    e.BeginUpdate();
    e.SetCurrentPage(2);
    e.SetZoomPercent(50);
    e.SetShowMargins(false);
    e.EndUpdate();
    EXPECT_EQ(e.repaints + e.relayouts, 0);
    e.EndUpdate();
    EXPECT_EQ(e.relayouts, 1);
    e.EndUpdate(); // unbalanced: ignored
    EXPECT_EQ(e.relayouts, 1);
    e.SetCurrentPage(1);
    EXPECT_EQ(e.relayouts, 2);
}

} // namespace
} // namespace rk::print
