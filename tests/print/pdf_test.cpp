// A document written to a PDF file through the printer seam, read back with poppler's
// pdfinfo and pdftotext: page count and size, and the header, rows and footer of each page.
#include "fakeprinter.h"
#include "pageengine.h"
#include "pdfdevice.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rk::print {
namespace {

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("(failed: %1)").arg(program);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfInfo(const QString& file) {
    return run(QStringLiteral(RK_PDFINFO), {file});
}

QString pdfPageText(const QString& file, int page) {
    return run(QStringLiteral(RK_PDFTOTEXT),
               {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                QStringLiteral("-l"), QString::number(page), file, QStringLiteral("-")});
}

class Pdf : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStringLiteral(RK_PDFINFO).isEmpty() || QStringLiteral(RK_PDFTOTEXT).isEmpty())
            GTEST_SKIP() << "poppler-utils (pdfinfo, pdftotext) are not installed";
        file = dir.filePath(QStringLiteral("report.pdf"));
        device = std::make_shared<PdfDevice>(file);
        engine = std::make_unique<PageEngine>(device);
        engine->SetClock([] { return QDateTime(QDate(2026, 12, 7), QTime(8, 12, 17)); });
        engine->SetTitle(QStringLiteral("Collection"));
        engine->SetFriendlyHeader(QStringLiteral("&l&i&rPage &p"));
        engine->SetFriendlyFooter(QStringLiteral("&lPrinted &d"));
        engine->SetMarginTop(1);
        engine->SetMarginBottom(1);
        engine->SetTableFormat(QStringLiteral("<3|<2"));
        engine->SetTableGrid(true);
    }
    QTemporaryDir dir;
    QString file;
    std::shared_ptr<PdfDevice> device;
    std::unique_ptr<PageEngine> engine;
};

TEST_F(Pdf, PagesComeOutWithHeaderRowsAndFooterOnTheRightPage) {
    engine->BeginDoc();
    for (int i = 1; i <= 150; ++i)
        engine->WriteTableLine(
            QStringLiteral("Title %1|Category %2").arg(i, 3, 10, QLatin1Char('0')).arg(i % 7));
    engine->EndDoc();
    const int pages = engine->PageCount();
    ASSERT_GT(pages, 2);
    ASSERT_TRUE(engine->Print());

    const QString info = pdfInfo(file);
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("612 x 792 pts (letter)"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Title:           Collection"))) << info.toStdString();

    const QString date = QLocale().toString(QDate(2026, 12, 7), QLocale::ShortFormat);
    int rowsSeen = 0;
    for (int p = 1; p <= pages; ++p) {
        const QString text = pdfPageText(file, p);
        QStringList lines; // pdftotext ends each page with a form feed
        for (const QString& l : text.split(QLatin1Char('\n')))
            if (!l.trimmed().isEmpty()) lines << l;
        ASSERT_GE(lines.size(), 3) << "page " << p;
        // The title and page number open the page, the footer closes it.
        EXPECT_TRUE(lines.front().contains(QStringLiteral("Collection")))
            << lines.front().toStdString();
        EXPECT_TRUE(lines.front().contains(QStringLiteral("Page %1").arg(p)))
            << lines.front().toStdString();
        EXPECT_TRUE(lines.back().contains(QStringLiteral("Printed ") + date))
            << lines.back().toStdString();
        // Exactly the rows the engine laid out on this page, in order.
        const QStringList expected = testing::playPage(engine->Pages().page(p - 1), 1200, 1200)
                                         .textsInOrder()
                                         .filter(QRegularExpression(QStringLiteral("^Title \\d")));
        ASSERT_FALSE(expected.isEmpty());
        qsizetype at = 0;
        for (const QString& row : expected) {
            const qsizetype found = text.indexOf(row, at);
            EXPECT_GE(found, 0) << row.toStdString() << " on page " << p;
            if (found >= 0) at = found;
        }
        rowsSeen += static_cast<int>(expected.size());
    }
    EXPECT_EQ(rowsSeen, 150);
}

TEST_F(Pdf, LandscapeTurnsThePaper) {
    engine->SetOrientation(poLandscape);
    engine->BeginDoc();
    engine->WriteLine(QStringLiteral("Wide"));
    engine->EndDoc();
    ASSERT_TRUE(engine->Print());
    EXPECT_TRUE(pdfInfo(file).contains(QStringLiteral("792 x 612 pts")))
        << pdfInfo(file).toStdString();
    EXPECT_TRUE(pdfPageText(file, 1).contains(QStringLiteral("Wide")));
}

TEST_F(Pdf, AnUnwritableFileIsReportedAsAFailure) {
    auto bad = std::make_shared<PdfDevice>(dir.filePath(QStringLiteral("missing/folder/x.pdf")));
    PageEngine e(bad);
    e.BeginDoc();
    e.WriteLine(QStringLiteral("x"));
    e.EndDoc();
    try {
        e.Print();
        FAIL() << "reported success";
    } catch (const EPagePrinter& err) {
        EXPECT_TRUE(
            err.message().startsWith(QStringLiteral("Unable to start printing on PDF file")))
            << err.what();
    }
}

} // namespace
} // namespace rk::print
