// The banded report: growing fields and the fields below them, bands that move to the next
// page or are split, the title once and the page header on every page, frames, fitting
// narrow paper, and the same pages whether recorded or printed straight away.
#include "bandreport.h"
#include "fakeprinter.h"
#include "pageengine.h"

#include <QFile>
#include <QImage>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rk::print {
namespace {

using testing::DrawnPage;
using testing::FakePrinter;

class MapRows : public BandRows {
public:
    explicit MapRows(QList<QMap<QString, QString>> rows) : rows_(std::move(rows)) {}
    bool first() override { return !rows_.isEmpty() && (at_ = 0, true); }
    bool next() override { return ++at_ < rows_.size(); }
    QString value(const QString& field) override { return rows_.value(at_).value(field); }
    QString picturePath() override { return value(QStringLiteral("PICTURE")); }

private:
    QList<QMap<QString, QString>> rows_;
    qsizetype at_ = 0;
};

BandField field(const QString& name, FieldKind kind, double left, double top, double width,
                bool grows = false) {
    BandField f;
    f.name = name;
    f.kind = kind;
    f.dataField = name;
    f.left = left;
    f.top = top;
    f.width = width;
    f.grows = grows;
    f.font = ReportFont::make(QStringLiteral("Arial"), 8);
    return f;
}

// Title "Report", header "Head" and "Page N", a detail band of 40 units with a growing NOTE
// beside ID and a BELOW field under them, and a footer of 30 units.
BandReportLayout layout() {
    BandReportLayout l;
    Band title{BandKind::Title, QStringLiteral("Title"), 30, {}, {}};
    BandField t = field(QStringLiteral("T"), FieldKind::Label, 10, 5, 200);
    t.text = QStringLiteral("Report");
    title.fields.push_back(t);
    Band header{BandKind::PageHeader, QStringLiteral("PageHeader"), 20, {}, {}};
    BandField h = field(QStringLiteral("H"), FieldKind::Label, 10, 2, 200);
    h.text = QStringLiteral("Head");
    header.fields.push_back(h);
    BandField page = field(QStringLiteral("P"), FieldKind::PageNumber, 600, 2, 100);
    page.text = QStringLiteral("Page ");
    header.fields.push_back(page);
    Band detail{BandKind::Detail, QStringLiteral("Detail"), 40, {}, {}};
    detail.fields = {field(QStringLiteral("ID"), FieldKind::Data, 10, 2, 80),
                     field(QStringLiteral("NOTE"), FieldKind::Data, 100, 2, 120, true),
                     field(QStringLiteral("BELOW"), FieldKind::Data, 10, 20, 80)};
    Band footer{BandKind::PageFooter, QStringLiteral("PageFooter"), 30, {}, {}};
    l.bands = {title, header, detail, footer};
    return l;
}

QMap<QString, QString> record(int i, const QString& note = QStringLiteral("short")) {
    return {{QStringLiteral("ID"), QStringLiteral("id%1").arg(i, 3, 10, QLatin1Char('0'))},
            {QStringLiteral("NOTE"), note},
            {QStringLiteral("BELOW"), QStringLiteral("below%1").arg(i)}};
}

class BandReport : public ::testing::Test {
protected:
    BandReport() : engine(std::make_shared<FakePrinter>()) {}
    int build(QList<QMap<QString, QString>> rows) {
        MapRows source(std::move(rows));
        return buildBandReport(engine, l, source);
    }
    DrawnPage page(int n) const { return testing::playPage(engine.Pages().page(n - 1), 300, 300); }
    // The y of the footer's top on a recorded page, in dots (printable area 10.5 inches).
    static double footerTop() { return (10.5 * 96 - 30) * 300 / 96; }

    PageEngine engine;
    BandReportLayout l = layout();
};

TEST_F(BandReport, AGrowingFieldMovesTheFieldsBelowAndTheBandGrows) {
    const QString longNote = QStringLiteral("one two three four five six seven eight nine ten "
                                            "eleven twelve thirteen fourteen fifteen");
    build({record(1), record(2, longNote), record(3)});
    const DrawnPage d = page(1);
    auto y = [&](const QString& s) {
        const auto* t = d.find(s);
        EXPECT_TRUE(t) << s.toStdString();
        return t ? t->pos.y() : 0.0;
    };
    const double unit = 300 / 96.0;
    // A record whose note fits keeps the design: BELOW 18 units under ID, next band 40 on.
    EXPECT_NEAR(y(QStringLiteral("below1")) - y(QStringLiteral("id001")), 18 * unit, 1);
    EXPECT_NEAR(y(QStringLiteral("id002")) - y(QStringLiteral("id001")), 40 * unit, 1);
    // The long note: several lines, one under the other, all of its words in order.
    std::vector<const testing::DrawnText*> noteLines;
    for (const auto& t : d.texts)
        if (std::abs(t.pos.x() - d.find(QStringLiteral("short"))->pos.x()) < 1 &&
            t.pos.y() > y(QStringLiteral("id002")) - 1 && t.pos.y() < y(QStringLiteral("id003")))
            noteLines.push_back(&t);
    ASSERT_GE(noteLines.size(), 3u);
    QStringList words;
    for (const auto* t : noteLines)
        words << t->text;
    EXPECT_EQ(words.join(QLatin1Char(' ')), longNote);
    const double extra = noteLines.back()->pos.y() - noteLines.front()->pos.y();
    // BELOW moves down by the extra lines, and the next band with it.
    EXPECT_NEAR(y(QStringLiteral("below2")) - y(QStringLiteral("id002")), 18 * unit + extra, 1);
    EXPECT_NEAR(y(QStringLiteral("id003")) - y(QStringLiteral("id002")), 40 * unit + extra, 1);
    EXPECT_GT(y(QStringLiteral("below2")), noteLines.back()->pos.y());
}

// A picture field draws each record's picture (if any and readable) at the field's width, in
// its proportions; no more pixels than 200 an inch; a tall picture makes its band taller.
TEST_F(BandReport, PicturesAreDrawnScaledOnceAndGrowTheirBand) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString tall = dir.filePath(QStringLiteral("tall.png"));
    QImage image(400, 800, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(tall));
    const QString broken = dir.filePath(QStringLiteral("broken.png"));
    QFile junk(broken);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly) && junk.write("not a picture") > 0);
    junk.close();
    l.bands[2].fields.push_back(field(QStringLiteral("PICTURE"), FieldKind::Picture, 300, 4, 96));
    auto with = [](int i, const QString& path) {
        auto r = record(i);
        r.insert(QStringLiteral("PICTURE"), path);
        return r;
    };
    build({with(1, tall), record(2), with(3, broken), with(4, tall)});
    const DrawnPage d = page(1);
    ASSERT_EQ(d.images.size(), 2u);
    const double unit = 300 / 96.0;
    const testing::DrawnImage& first = d.images[0];
    EXPECT_NEAR(first.rect.width(), 96 * unit, 1);
    EXPECT_NEAR(first.rect.height(), 192 * unit, 1);
    EXPECT_EQ(first.pixels, QSize(200, 400));
    const double id1 = d.find(QStringLiteral("id001"))->pos.y();
    // Beside the block, from its top: the same place in every block that has one.
    EXPECT_LT(first.rect.top(), id1);
    EXPECT_NEAR(first.rect.top() - id1,
                d.images[1].rect.top() - d.find(QStringLiteral("id004"))->pos.y(), 1);
    // The band is as tall as its picture: the next record starts below it.
    EXPECT_GT(d.find(QStringLiteral("id002"))->pos.y(), first.rect.bottom());
    // No picture, or an unreadable one: no gap, the design's 40 units.
    EXPECT_NEAR(d.find(QStringLiteral("id004"))->pos.y() - d.find(QStringLiteral("id003"))->pos.y(),
                40 * unit, 1);
}

TEST_F(BandReport, TitleOnceHeaderOnEveryPageBandsWholeAboveTheFooter) {
    QList<QMap<QString, QString>> rows;
    for (int i = 1; i <= 60; ++i)
        rows << record(i);
    const int pages = build(rows);
    ASSERT_EQ(pages, engine.PageCount());
    ASSERT_GE(pages, 3);
    QStringList ids;
    for (int p = 1; p <= pages; ++p) {
        const DrawnPage d = page(p);
        EXPECT_EQ(d.count(QStringLiteral("Report")), p == 1 ? 1 : 0) << p;
        EXPECT_EQ(d.count(QStringLiteral("Head")), 1) << p;
        EXPECT_TRUE(d.hasText(QStringLiteral("Page %1").arg(p))) << p;
        for (const auto& t : d.texts) {
            if (t.text.startsWith(QLatin1String("id"))) {
                ids << t.text;
                // Its band (40 units) ends above the footer.
                EXPECT_LT(t.pos.y() + 30 * 300 / 96.0, footerTop()) << p;
            }
            if (t.text.startsWith(QLatin1String("below"))) {
                EXPECT_LT(t.pos.y(), footerTop());
            }
        }
    }
    QStringList expected;
    for (const auto& r : rows)
        expected << r.value(QStringLiteral("ID"));
    EXPECT_EQ(ids, expected);
}

TEST_F(BandReport, ABandTallerThanAPageIsSplitBetweenPagesAtALine) {
    QStringList words;
    for (int i = 1; i <= 300; ++i)
        words << QStringLiteral("line%1").arg(i, 3, 10, QLatin1Char('0'));
    // One word per line: the note column holds one word.
    build({record(1), record(2, words.join(QLatin1Char('\n'))), record(3)});
    ASSERT_GE(engine.PageCount(), 3);
    QStringList seen;
    for (int p = 1; p <= engine.PageCount(); ++p) {
        const DrawnPage d = page(p);
        EXPECT_TRUE(d.hasText(QStringLiteral("Head"))) << p;
        for (const QString& t : d.textsInOrder())
            if (t.startsWith(QLatin1String("line"))) seen << t;
        for (const auto& t : d.texts)
            EXPECT_LT(t.pos.y(), footerTop()) << t.text.toStdString() << " on page " << p;
    }
    EXPECT_EQ(seen, words);
    EXPECT_TRUE(page(engine.PageCount()).hasText(QStringLiteral("id003")));
}

TEST_F(BandReport, NoRecordsGivesOnePageWithTitleAndHeader) {
    EXPECT_EQ(build({}), 1);
    const DrawnPage d = page(1);
    EXPECT_TRUE(d.hasText(QStringLiteral("Report")));
    EXPECT_TRUE(d.hasText(QStringLiteral("Page 1")));
}

TEST_F(BandReport, FramesDrawTheChosenSidesOfEachBand) {
    Band* detail = l.band(BandKind::Detail);
    const double unit = 300 / 96.0;
    struct Case {
        BandFrame frame;
        int horizontal, vertical; // lines per record
    };
    for (const Case& c : {Case{{false, true, false, false, 1}, 1, 0},
                          Case{{true, true, true, true, 1}, 2, 2}, Case{{}, 0, 0}}) {
        detail->frame = c.frame;
        build({record(1), record(2)});
        const DrawnPage d = page(1);
        int h = 0, v = 0;
        for (const auto& line : d.lines) {
            if (std::abs(line.line.dy()) < 0.5) {
                ++h;
                EXPECT_NEAR(line.line.length(), 8 * 300, 6); // across the printable width
            } else {
                ++v;
                EXPECT_NEAR(line.line.length(), 40 * unit, 6); // down the band
            }
        }
        EXPECT_EQ(h, 2 * c.horizontal);
        EXPECT_EQ(v, 2 * c.vertical);
    }
    // The bottom line of the first record lies at its band's foot.
    detail->frame = {false, true, false, false, 2};
    build({record(1)});
    const DrawnPage d = page(1);
    ASSERT_EQ(d.lines.size(), 1u);
    const double bandTop = (30 + 20) * unit;
    EXPECT_NEAR(d.lines[0].line.y1(), bandTop + 40 * unit - unit, 1.5);
}

TEST_F(BandReport, PaperNarrowerThanTheFieldsShrinksTheReport) {
    // A4 at 300 dpi: 8.27 inches less two 0.25 inch offsets, under the 757 units used.
    auto a4 = std::make_shared<FakePrinter>(PrinterMetrics{300, 300, 2480, 3508, 75, 75});
    PageEngine e(a4);
    BandField* page = l.field(QStringLiteral("P"));
    page->left = 673;
    page->width = 84;
    page->align = taRightJustify;
    MapRows rows({record(1)});
    buildBandReport(e, l, rows);
    const DrawnPage d = testing::playPage(e.Pages().page(0), 300, 300);
    const auto* p = d.find(QStringLiteral("Page 1"));
    ASSERT_TRUE(p);
    const double printable = 2480 - 2 * 75;
    EXPECT_LT(p->pos.x() + 20, printable);
    EXPECT_GT(p->pos.x(), printable * 0.8);
}

TEST_F(BandReport, PrintingStraightToThePrinterGivesTheRecordedPages) {
    QList<QMap<QString, QString>> rows;
    for (int i = 1; i <= 40; ++i)
        rows << record(i, i % 5 ? QStringLiteral("x") : QStringLiteral("a b c d e f g h i j k l"));
    engine.SetClock([] { return QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)); });
    build(rows);
    FakePrinter printer;
    MapRows again(rows);
    const int pages = printBandReport(printer, l, again, engine.CurrentTime());
    ASSERT_EQ(pages, engine.PageCount());
    ASSERT_EQ(printer.printed.size(), static_cast<size_t>(pages));
    for (int p = 1; p <= pages; ++p)
        EXPECT_EQ(printer.printed[size_t(p - 1)].textsInOrder(), page(p).textsInOrder()) << p;
    EXPECT_EQ(printer.events.count(QStringLiteral("newPage")), pages - 1);
    EXPECT_EQ(printer.events.last(), QStringLiteral("end"));
}

} // namespace
} // namespace rk::print
