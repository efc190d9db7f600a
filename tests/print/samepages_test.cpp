// The sample catalogue's reports and a label printed to PDF and read back with poppler
// (`pdftotext -bbox` for the words, `pdftoppm` for the grid's lines): the column report's
// texts stand inside their grid cells, one line per row border; a streamed run and a
// recorded run put every word in the same place. With RK_PAGES_DUMP naming a folder the
// PDFs are left there, so that two builds' output can be compared word by word.
#include "catalogue.h"
#include "columnreport.h"
#include "cp1252.h"
#include "labelprint.h"
#include "pdfdevice.h"
#include "record.h"
#include "standardreport.h"
#include "table.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <cmath>

namespace rk::print {
namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(8, 12, 17));

QByteArray run(const char* program, const QStringList& args) {
    QProcess p;
    p.start(QString::fromUtf8(program), args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
    return p.readAllStandardOutput();
}

struct Word {
    QString text;
    QRectF box; // points from the page's top-left
};
using WordPages = std::vector<std::vector<Word>>;

WordPages wordsOf(const QString& pdf) {
    const QString html =
        QString::fromUtf8(run(RK_PDFTOTEXT, {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    WordPages pages;
    for (const QString& page : html.split(QStringLiteral("<page ")).mid(1)) {
        std::vector<Word>& out = pages.emplace_back();
        for (auto it = word.globalMatch(page); it.hasNext();) {
            const auto m = it.next();
            const QPointF a(m.captured(1).toDouble(), m.captured(2).toDouble());
            const QPointF b(m.captured(3).toDouble(), m.captured(4).toDouble());
            out.push_back({m.captured(5), QRectF(a, b)});
        }
    }
    return pages;
}

// Where the words of two runs differ by more than 0.01 inch; empty when they agree.
QString difference(const WordPages& a, const WordPages& b) {
    if (a.size() != b.size())
        return QStringLiteral("%1 pages against %2").arg(a.size()).arg(b.size());
    for (size_t p = 0; p < a.size(); ++p) {
        if (a[p].size() != b[p].size())
            return QStringLiteral("page %1: %2 words against %3")
                .arg(p + 1)
                .arg(a[p].size())
                .arg(b[p].size());
        for (size_t i = 0; i < a[p].size(); ++i) {
            const Word &x = a[p][i], &y = b[p][i];
            const QPointF d = x.box.topLeft() - y.box.topLeft();
            if (x.text != y.text || std::abs(d.x()) > 0.72 || std::abs(d.y()) > 0.72)
                return QStringLiteral("page %1: '%2' at %3,%4 against '%5' at %6,%7")
                    .arg(p + 1)
                    .arg(x.text)
                    .arg(x.box.left())
                    .arg(x.box.top())
                    .arg(y.text)
                    .arg(y.box.left())
                    .arg(y.box.top());
        }
    }
    return {};
}

// The straight lines of a page rendered at 72 dpi (one pixel a point): the columns and rows
// of pixels that are dark along most of the `span` they cross.
struct Rules {
    std::vector<int> xs, ys;
};
Rules rulesOf(const QString& pdf, int page, QRect span) {
    const QByteArray pgm =
        run(RK_PDFTOPPM, {QStringLiteral("-gray"), QStringLiteral("-r"), QStringLiteral("72"),
                          QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                          QString::number(page), pdf});
    const QImage img = QImage::fromData(pgm, "PGM");
    Rules r;
    if (img.isNull()) return r;
    auto dark = [&](int x, int y) { return qGray(img.pixel(x, y)) < 160; };
    // The rows first, then the columns between the first and the last row.
    for (int y = span.top(); y <= span.bottom(); ++y) {
        int n = 0;
        for (int x = span.left(); x <= span.right(); ++x)
            n += dark(x, y);
        if (n > span.width() * 9 / 10 && (r.ys.empty() || r.ys.back() != y - 1)) r.ys.push_back(y);
    }
    if (r.ys.size() < 2) return r;
    for (int x = span.left(); x <= span.right(); ++x) {
        int n = 0;
        for (int y = r.ys.front(); y <= r.ys.back(); ++y)
            n += dark(x, y);
        if (n > (r.ys.back() - r.ys.front()) * 9 / 10 && (r.xs.empty() || r.xs.back() != x - 1))
            r.xs.push_back(x);
    }
    return r;
}

class SampleTable {
public:
    explicit SampleTable(const QString& dir) : table_(path(dir), options()) {}
    bool open() { return table_.open().isOk() && table_.visibleRecords(&records_).isOk(); }
    int count() const { return static_cast<int>(records_.size()); }
    QString value(int at, const QString& field) {
        const dbf::FieldDef* f = table_.field(field.toStdString());
        if (!f || at >= count() || !table_.go(records_[static_cast<size_t>(at)]).isOk()) return {};
        return QString::fromStdString(cp1252::toUtf8(dbf::displayText(table_.record(), *f)))
            .trimmed();
    }

private:
    static std::string path(const QString& dir) {
        return QDir(dir).filePath(QStringLiteral("VIDEO.DBF")).toStdString();
    }
    static store::TableOptions options() {
        store::TableOptions o;
        o.readOnly = true;
        o.exclusive = false;
        return o;
    }
    store::Table table_;
    std::vector<uint32_t> records_;
};

class ColumnRows : public ReportRows {
public:
    ColumnRows(SampleTable& t, QStringList fields) : t_(t), fields_(std::move(fields)) {}
    int count() override { return t_.count(); }
    void first() override { at_ = 0; }
    QStringList row() override {
        QStringList cells;
        for (const QString& f : fields_)
            cells << t_.value(at_, f);
        return cells;
    }
    void next() override { ++at_; }

private:
    SampleTable& t_;
    QStringList fields_;
    int at_ = 0;
};

class TitleRows : public BandRows {
public:
    explicit TitleRows(SampleTable& t) : t_(t) {}
    bool first() override { return (at_ = 0) < t_.count(); }
    bool next() override { return ++at_ < t_.count(); }
    QString value(const QString& field) override { return t_.value(at_, field); }

private:
    SampleTable& t_;
    int at_ = 0;
};

class SamplePages : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStringLiteral(RK_PDFTOTEXT).isEmpty() || QStringLiteral(RK_PDFTOPPM).isEmpty())
            GTEST_SKIP() << "poppler-utils are not installed";
        ASSERT_TRUE(catalogue::createSample(dir.path().toStdString()).isOk());
        ASSERT_TRUE(sample.open());
        ASSERT_GT(sample.count(), 50);
    }
    QString pdf(const QString& name) {
        const QString file = dir.filePath(name);
        created << file;
        return file;
    }
    void TearDown() override {
        const QString keep = qEnvironmentVariable("RK_PAGES_DUMP");
        if (keep.isEmpty()) return;
        for (const QString& f : created) {
            const QString to = QDir(keep).filePath(QFileInfo(f).fileName());
            QFile::remove(to);
            QFile::copy(f, to);
        }
    }

    ColumnReportLayout columnLayout() const {
        ColumnReportLayout l;
        l.fields = fields;
        l.widths = {2.4, 1.4, 0.6, 0.8, 1.2};
        l.priceTotal = 1234.5;
        return l;
    }
    // The column report through an engine set up as the builder's; `record` keeps its pages
    // and prints them afterwards.
    int columnReport(const QString& file, bool record) {
        PageEngine engine(std::make_shared<PdfDevice>(file));
        setupReportEngine(engine);
        engine.SetShowProgress(false);
        engine.SetClock([] { return kNow; });
        if (record) engine.SetPrintAsLaidOut(false);
        ColumnRows rows(sample, fields);
        buildColumnReport(engine, columnLayout(), rows);
        EXPECT_TRUE(engine.Print());
        return engine.PageCount();
    }

    QTemporaryDir dir;
    SampleTable sample{dir.path()};
    QStringList created;
    const QStringList fields{QStringLiteral("TITLE"), QStringLiteral("CATEGORY"),
                             QStringLiteral("YEAR"), QStringLiteral("PRICE"),
                             QStringLiteral("RATING")};
};

TEST_F(SamplePages, ColumnReportTextsStandInTheirGridCells) {
    const QString file = pdf(QStringLiteral("columns.pdf"));
    const int pages = columnReport(file, false);
    const WordPages words = wordsOf(file);
    ASSERT_EQ(static_cast<int>(words.size()), pages);
    ASSERT_GE(pages, 2);

    // The grid's columns, in points: the report's left margin and the widths after it.
    const ColumnReportLayout l = columnLayout();
    std::vector<double> edges{l.leftMargin * 72};
    for (double w : l.widths)
        edges.push_back(edges.back() + w * 72);
    int rowsSeen = 0;
    for (int p = 0; p < pages; ++p) {
        // The table lies between the page's top and bottom borders (an inch from the edges).
        const QRect span(int(edges.front()) - 4, 70, int(edges.back() - edges.front()) + 8, 648);
        const Rules rules = rulesOf(file, p + 1, span);
        ASSERT_GE(rules.ys.size(), 2u) << "page " << p + 1;
        ASSERT_EQ(rules.xs.size(), edges.size()) << "page " << p + 1;
        for (size_t i = 0; i < edges.size(); ++i)
            EXPECT_NEAR(rules.xs[i], edges[i], 1.5) << "page " << p + 1 << " line " << i;
        const double top = rules.ys.front(), bottom = rules.ys.back();

        // Every word in the table stands inside one cell, a row's words on one baseline,
        // and each row has a line above and below it.
        std::map<int, int> cellsOfRow; // row's top line -> words in it
        for (const Word& w : words[static_cast<size_t>(p)]) {
            if (w.box.center().y() < top || w.box.center().y() > bottom) continue;
            const auto col = std::upper_bound(rules.xs.begin(), rules.xs.end(), w.box.center().x());
            ASSERT_TRUE(col != rules.xs.begin() && col != rules.xs.end()) << w.text.toStdString();
            EXPECT_GT(w.box.left(), *(col - 1)) << w.text.toStdString();
            EXPECT_LT(w.box.right(), *col + 0.5) << w.text.toStdString();
            const auto row = std::upper_bound(rules.ys.begin(), rules.ys.end(), w.box.center().y());
            ASSERT_TRUE(row != rules.ys.begin() && row != rules.ys.end()) << w.text.toStdString();
            EXPECT_GT(w.box.top(), *(row - 1) - 1) << w.text.toStdString();
            EXPECT_LT(w.box.bottom(), *row + 1) << w.text.toStdString();
            ++cellsOfRow[*(row - 1)];
        }
        rowsSeen += static_cast<int>(cellsOfRow.size()) - (p == 0 ? 1 : 0); // less the titles
        EXPECT_EQ(cellsOfRow.size() + 1, rules.ys.size()) << "page " << p + 1;
    }
    EXPECT_EQ(rowsSeen, sample.count());
}

TEST_F(SamplePages, StreamedAndRecordedRunsPrintTheSamePages) {
    const QString streamed = pdf(QStringLiteral("columns-streamed.pdf"));
    const QString recorded = pdf(QStringLiteral("columns-recorded.pdf"));
    EXPECT_EQ(columnReport(streamed, false), columnReport(recorded, true));
    EXPECT_EQ(difference(wordsOf(streamed), wordsOf(recorded)), QString());

    const QString standard = pdf(QStringLiteral("standard.pdf"));
    const QString standardRecorded = pdf(QStringLiteral("standard-recorded.pdf"));
    StandardReportOptions options;
    options.border = ReportBorderOption::Box;
    {
        PdfDevice device(standard);
        TitleRows rows(sample);
        EXPECT_GT(printStandardReport(device, options, rows, kNow), 1);
    }
    {
        PageEngine engine(std::make_shared<PdfDevice>(standardRecorded));
        engine.SetShowProgress(false);
        engine.SetClock([] { return kNow; });
        TitleRows rows(sample);
        buildStandardReport(engine, options, rows);
        EXPECT_TRUE(engine.Print());
    }
    const WordPages words = wordsOf(standard);
    EXPECT_EQ(difference(words, wordsOf(standardRecorded)), QString());
    int titles = 0;
    for (const auto& page : words)
        for (const Word& w : page)
            titles += w.text == QStringLiteral("Title:");
    EXPECT_EQ(titles, sample.count());
}

TEST_F(SamplePages, LabelTextStartsAtTheLabelsMargins) {
    const QString file = pdf(QStringLiteral("label.pdf"));
    QTextDocument doc;
    doc.setHtml(QStringLiteral("<p align=center><b>%1</b></p><p><i>%2</i> %3</p>")
                    .arg(sample.value(0, QStringLiteral("TITLE")).toHtmlEscaped(),
                         sample.value(0, QStringLiteral("CATEGORY")).toHtmlEscaped(),
                         sample.value(0, QStringLiteral("YEAR"))));
    const LabelMargins margins = faceLabelMargins(2, 3);
    {
        PageEngine engine(std::make_shared<PdfDevice>(file, QPageSize(QPageSize::Letter), 0.1));
        setUpLabelEngine(engine);
        layOutLabel(engine, margins, doc);
        EXPECT_TRUE(engine.Print());
    }
    const WordPages words = wordsOf(file);
    ASSERT_EQ(words.size(), 1u);
    ASSERT_GE(words[0].size(), 3u);
    const Word& category = words[0][words[0].size() - 2];
    EXPECT_NEAR(category.box.left(), margins.left * 72, 1.5);
    EXPECT_GT(words[0][0].box.top(), margins.top * 72);
}

} // namespace
} // namespace rk::print
