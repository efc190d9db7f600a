// The standard report: every title's captions and values, the request label and page number
// on every page, long texts wrapped, the date options, the three border options, and the
// PDF file read back with pdftotext.
#include "fakeprinter.h"
#include "pageengine.h"
#include "pdfdevice.h"
#include "standardreport.h"

#include <QImage>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rk::print {
namespace {

using testing::DrawnPage;
using testing::FakePrinter;

const QStringList kFields{
    QStringLiteral("TITLE"),    QStringLiteral("PRODUCER"), QStringLiteral("TAPES"),
    QStringLiteral("DIRECTOR"), QStringLiteral("YEAR"),     QStringLiteral("RUNTIME"),
    QStringLiteral("CATEGORY"), QStringLiteral("PRICE"),    QStringLiteral("ID"),
    QStringLiteral("FORMAT"),   QStringLiteral("RATING"),   QStringLiteral("RATED"),
    QStringLiteral("USER1"),    QStringLiteral("USER2"),    QStringLiteral("USER3"),
    QStringLiteral("USER4"),    QStringLiteral("SUMMARY")};

const QString kLongSummary = QStringLiteral(
    "A lighthouse keeper and his daughter find a stranger on the rocks after the autumn storm, "
    "and the winter that follows changes the island, the harbour and everyone who lives along "
    "the northern shore, until the ferry returns in spring with news from the mainland.");

// Titles whose every value names its field and record ("director7"); record 2's summary is
// long.
class TitleRows : public BandRows {
public:
    explicit TitleRows(int n) : n_(n) {}
    bool first() override { return (at_ = 0) < n_; }
    bool next() override { return ++at_ < n_; }
    QString value(const QString& field) override { return valueOf(at_, field); }
    static QString valueOf(int record, const QString& field) {
        if (field == QLatin1String("SUMMARY") && record == 2) return kLongSummary;
        return field.toLower() + QString::number(record);
    }

private:
    int n_, at_ = 0;
};

class StandardReport : public ::testing::Test {
protected:
    StandardReport() : engine(std::make_shared<FakePrinter>()) {
        options.request = requestLabel(PrintScope::SelectedCategory);
        options.userCaptions = {QStringLiteral("Disc No"), QStringLiteral("Shelf"),
                                QStringLiteral("Loaned To"), QStringLiteral("Notes")};
        engine.SetClock([] { return QDateTime(QDate(2024, 3, 9), QTime(14, 5, 6)); });
    }
    int build(int records) {
        TitleRows rows(records);
        return buildStandardReport(engine, options, rows);
    }
    DrawnPage page(int n) const { return testing::playPage(engine.Pages().page(n - 1), 300, 300); }

    PageEngine engine;
    StandardReportOptions options;
};

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST_F(StandardReport, PdfShowsEveryTitlesCaptionsAndValuesUnderTheRequestAndPageNumber) {
    if (QStringLiteral(RK_PDFTOTEXT).isEmpty()) GTEST_SKIP() << "pdftotext is not installed";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("standard.pdf"));
    PageEngine pdf(std::make_shared<PdfDevice>(file));
    pdf.SetShowProgress(false);
    TitleRows rows(14);
    const int pages = buildStandardReport(pdf, options, rows);
    ASSERT_GE(pages, 3);
    ASSERT_TRUE(pdf.Print());

    const QStringList captions{QStringLiteral("Title:"),
                               QStringLiteral("Producer(s):"),
                               QStringLiteral("Tapes:"),
                               QStringLiteral("Director:"),
                               QStringLiteral("Date:"),
                               QStringLiteral("RunTime:"),
                               QStringLiteral("Category:"),
                               QStringLiteral("Price:"),
                               QStringLiteral("ID:"),
                               QStringLiteral("Media:"),
                               QStringLiteral("Personal Rating:"),
                               QStringLiteral("Rated:"),
                               QStringLiteral("Summary:")};
    QString all;
    for (int p = 1; p <= pages; ++p) {
        const QString text =
            run(QStringLiteral(RK_PDFTOTEXT),
                {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(p),
                 QStringLiteral("-l"), QString::number(p), file, QStringLiteral("-")});
        EXPECT_TRUE(text.contains(QStringLiteral("Print Request: CATEGORY"))) << p;
        EXPECT_TRUE(text.contains(QStringLiteral("Page %1").arg(p))) << p;
        EXPECT_EQ(text.contains(QStringLiteral("Printed at ")), p == 1) << p;
        all += text;
    }
    for (int r = 0; r < 14; ++r) {
        const qsizetype from = all.indexOf(QStringLiteral("Title: ")); // first block
        const qsizetype at = all.indexOf(TitleRows::valueOf(r, QStringLiteral("TITLE")), from);
        ASSERT_GE(at, 0) << r;
        const qsizetype end =
            r < 13 ? all.indexOf(TitleRows::valueOf(r + 1, QStringLiteral("TITLE"))) : all.size();
        const QString block = all.mid(at, end - at);
        for (const QString& f : kFields) {
            if (f == QLatin1String("TITLE") || (f == QLatin1String("SUMMARY") && r == 2)) continue;
            EXPECT_TRUE(block.contains(TitleRows::valueOf(r, f))) << f.toStdString() << r;
        }
        for (const QString& c :
             captions + QStringList(options.userCaptions.begin(), options.userCaptions.end()))
            EXPECT_TRUE(all.mid(at - 200, end - at + 200).contains(c)) << c.toStdString() << r;
    }
    // The long summary, wrapped over several lines, every word in order.
    all.replace(QChar(0xFB01), QLatin1String("fi")).replace(QChar(0xFB02), QLatin1String("fl"));
    const QStringList lines = all.mid(all.indexOf(QStringLiteral("title2"))).split('\n');
    QStringList summary;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (summary.isEmpty() && !lines[i].contains(QStringLiteral("Summary:"))) continue;
        if (lines[i].trimmed().isEmpty()) break;
        summary << lines[i].section(QStringLiteral("Summary:"), -1).trimmed();
    }
    EXPECT_GE(summary.size(), 3);
    EXPECT_EQ(summary.join(QLatin1Char(' ')), kLongSummary);
}

TEST_F(StandardReport, UserCaptionsAndValuesShareTheirLines) {
    build(1);
    const DrawnPage d = page(1);
    for (int i = 0; i < 4; ++i) {
        const auto* caption = d.find(options.userCaptions[size_t(i)]);
        const auto* value = d.find(QStringLiteral("user%1").arg(i + 1) + QLatin1Char('0'));
        ASSERT_TRUE(caption && value) << i;
        EXPECT_NEAR(caption->pos.y(), value->pos.y(), 10) << i; // 2 units apart at most
        EXPECT_GT(value->pos.x(), caption->pos.x());
        EXPECT_LT(value->pos.x() - caption->pos.x(), 400) << i; // beside it
    }
}

TEST_F(StandardReport, DateOptionsAndAnEmptyTitle) {
    const QString date = QLocale().toString(QDate(2024, 3, 9), QLocale::ShortFormat);
    options.title.clear();
    options.date = ReportDateOption::DateAndTime;
    build(1);
    QStringList texts = page(1).textsInOrder();
    const QString printed = texts.filter(QStringLiteral("Printed at ")).value(0);
    EXPECT_TRUE(printed.startsWith(QStringLiteral("Printed at ") + date + QLatin1Char(' ')))
        << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral(":05:06"))) << printed.toStdString();
    EXPECT_EQ(texts.first(), texts.filter(QStringLiteral("Printed at ")).value(0)); // no title

    options.date = ReportDateOption::None;
    build(1);
    EXPECT_TRUE(page(1).textsInOrder().filter(QStringLiteral("Printed at")).isEmpty());

    options.date = ReportDateOption::Date;
    options.title = QStringLiteral("Films");
    build(1);
    texts = page(1).textsInOrder();
    EXPECT_TRUE(texts.contains(QStringLiteral("Printed at ") + date));
    EXPECT_TRUE(texts.contains(QStringLiteral("Films")));
}

TEST_F(StandardReport, BorderOptionsDrawALineABoxOrNothingPerTitle) {
    // Besides the detail frames, the title band's and page header's bottom lines.
    struct Case {
        ReportBorderOption border;
        int horizontal, vertical; // per title
    };
    for (const Case& c :
         {Case{ReportBorderOption::Border, 1, 0}, Case{ReportBorderOption::Box, 2, 2},
          Case{ReportBorderOption::None, 0, 0}}) {
        options.border = c.border;
        build(3);
        ASSERT_EQ(engine.PageCount(), 1);
        int h = 0, v = 0;
        for (const auto& l : page(1).lines)
            if (l.line.dy() != 0 || l.line.length() > 2000) // not the title's underline
                (std::abs(l.line.dy()) < 0.5 ? h : v)++;
        EXPECT_EQ(h, 2 + 3 * c.horizontal) << int(c.border);
        EXPECT_EQ(v, 3 * c.vertical) << int(c.border);
    }
}

// Rows (or columns) of a grey picture that are dark along most of a span, as runs of
// neighbouring ones.
int darkRuns(const QImage& img, bool rows, int from, int to, double share) {
    int runs = 0;
    bool inRun = false;
    const int n = rows ? img.height() : img.width();
    for (int i = 0; i < n; ++i) {
        int dark = 0;
        for (int j = from; j < to; ++j)
            if (qGray(rows ? img.pixel(j, i) : img.pixel(i, j)) < 128) ++dark;
        const bool line = dark >= share * (to - from);
        if (line && !inRun) ++runs;
        inRun = line;
    }
    return runs;
}

TEST_F(StandardReport, PdfPagesShowTheFrameLinesOfEachBorderOption) {
    if (QStringLiteral(RK_PDFTOPPM).isEmpty()) GTEST_SKIP() << "pdftoppm is not installed";
    QTemporaryDir dir;
    struct Case {
        ReportBorderOption border;
        int horizontal, vertical;
    };
    // Under the title band and the page header a line each; a line under every title, or a
    // box whose sides run down the page (touching boxes share their lines).
    for (const Case& c :
         {Case{ReportBorderOption::Border, 2 + 3, 0}, Case{ReportBorderOption::Box, 2 + 3, 2},
          Case{ReportBorderOption::None, 2, 0}}) {
        options.border = c.border;
        const QString file = dir.filePath(QStringLiteral("frames.pdf"));
        PageEngine pdf(std::make_shared<PdfDevice>(file));
        pdf.SetShowProgress(false);
        TitleRows rows(3);
        ASSERT_EQ(buildStandardReport(pdf, options, rows), 1);
        ASSERT_TRUE(pdf.Print());
        const QString stem = dir.filePath(QStringLiteral("frames"));
        run(QStringLiteral(RK_PDFTOPPM),
            {QStringLiteral("-gray"), QStringLiteral("-r"), QStringLiteral("50"),
             QStringLiteral("-singlefile"), file, stem});
        const QImage page(stem + QStringLiteral(".pgm"));
        ASSERT_FALSE(page.isNull());
        // Letter at 50 dpi: the printable area is 12 to 413 across and 12 to 538 down.
        EXPECT_EQ(darkRuns(page, true, 15, 410, 0.9), c.horizontal) << int(c.border);
        EXPECT_EQ(darkRuns(page, false, 60, 250, 0.9), c.vertical) << int(c.border);
    }
}

} // namespace
} // namespace rk::print
