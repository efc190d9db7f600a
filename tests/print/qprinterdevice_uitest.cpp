// The program's printer path: a QPrinter behind the printer seam. No printer is installed
// on the build machines, so the QPrinter prints to a PDF file, read back with pdftotext.
#include "pageengine.h"
#include "qprinterdevice.h"

#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rk::print {
namespace {

std::shared_ptr<QPrinter> letterPdf(const QString& file) {
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(file);
    printer->setPageSize(QPageSize(QPageSize::Letter));
    printer->setPageMargins(QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch);
    return printer;
}

TEST(QPrinterDevice, ReportsThePrintersPageInItsDots) {
    QTemporaryDir dir;
    QPrinterDevice device(letterPdf(dir.filePath(QStringLiteral("p.pdf"))));
    const std::optional<PrinterMetrics> m = device.metrics();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->dpiX, 1200);
    EXPECT_EQ(m->paperWidth, 10200);
    EXPECT_EQ(m->paperHeight, 13200);
    EXPECT_EQ(m->offsetLeft, 300);
    EXPECT_EQ(m->offsetTop, 300);
    device.setOrientation(poLandscape);
    EXPECT_EQ(device.metrics()->paperWidth, 13200);
    device.setCopyCount(3);
    EXPECT_EQ(device.copyCount(), 3);
}

// A PDF keeps a quarter inch round its pages, however little Qt's own page layout leaves.
TEST(QPrinterDevice, APdfKeepsAQuarterInchEdge) {
    QTemporaryDir dir;
    auto printer = letterPdf(dir.filePath(QStringLiteral("p.pdf")));
    printer->setPageMargins(QMarginsF(0.1, 0.5, 0.14, 0), QPageLayout::Inch);
    QPrinterDevice device(printer);
    const std::optional<PrinterMetrics> m = device.metrics();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->offsetLeft, 300);
    EXPECT_EQ(m->offsetTop, 600); // a wider margin stays
    EXPECT_NEAR(printer->pageLayout().margins(QPageLayout::Inch).right(), 0.25, 1e-6);
}

TEST(QPrinterDevice, PagesLandWhereTheLayoutPutThem) {
    if (QStringLiteral(RK_PDFTOTEXT).isEmpty()) GTEST_SKIP() << "pdftotext is not installed";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("p.pdf"));
    PageEngine engine(std::make_shared<QPrinterDevice>(letterPdf(file)));
    engine.SetMarginLeft(1);
    engine.SetMarginTop(2);
    engine.BeginDoc();
    engine.WriteLine(QStringLiteral("Anchor"));
    engine.NewPage();
    engine.WriteLine(QStringLiteral("Second"));
    engine.EndDoc();
    ASSERT_TRUE(engine.Print());

    QProcess p;
    p.start(QStringLiteral(RK_PDFTOTEXT), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>Anchor<"))
            .match(html);
    ASSERT_TRUE(m.hasMatch()) << html.toStdString();
    EXPECT_NEAR(m.captured(1).toDouble(), 72, 1.5); // 1 inch from the paper's left edge
    EXPECT_NEAR(m.captured(2).toDouble(), 144, 4);  // the glyph box starts 2 inches down
    EXPECT_EQ(html.count(QStringLiteral("<page ")), 2);
    EXPECT_TRUE(html.contains(QStringLiteral(">Second<")));
}

TEST(QPrinterDevice, APdfPrinterWithoutAFileRefusesTheJob) {
    auto printer = std::make_shared<QPrinter>();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString());
    QPrinterDevice device(printer);
    EXPECT_FALSE(device.begin(QStringLiteral("x")));
    EXPECT_FALSE(device.lastError().isEmpty());
    EXPECT_FALSE(device.isPrinting());
}

} // namespace
} // namespace rk::print
