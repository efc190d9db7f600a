// The builder's column report: table format, column titles once, every row in order, the
// title and page number on each page, the closing lines.
#include "columnreport.h"
#include "fakeprinter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rk::print {
namespace {

using testing::DrawnPage;
using testing::FakePrinter;

class VectorRows : public ReportRows {
public:
    explicit VectorRows(QList<QStringList> rows) : rows_(std::move(rows)) {}
    int count() override { return static_cast<int>(rows_.size()); }
    void first() override { at_ = 0; }
    QStringList row() override { return rows_.value(at_); }
    void next() override { ++at_; }

private:
    QList<QStringList> rows_;
    qsizetype at_ = 0;
};

QList<QStringList> titles(int n) {
    QList<QStringList> rows;
    for (int i = 1; i <= n; ++i)
        rows << QStringList{QStringLiteral("Film %1").arg(i, 3, 10, QLatin1Char('0')),
                            QStringLiteral("Drama")};
    return rows;
}

class ColumnReport : public ::testing::Test {
protected:
    ColumnReport() : engine(std::make_shared<FakePrinter>()) {
        setupReportEngine(engine);
        engine.SetPrintAsLaidOut(false); // the pages are read back from the recording
        layout.fields = QStringList{QStringLiteral("Title"), QStringLiteral("Category")};
        layout.widths = {150 / 96.0, 125 / 96.0};
    }
    DrawnPage page(int n) const { return testing::playPage(engine.Pages().page(n - 1), 300, 300); }
    int build(int rows) {
        VectorRows source(titles(rows));
        return buildColumnReport(engine, layout, source);
    }

    PageEngine engine;
    ColumnReportLayout layout;
};

TEST(ColumnReportFormat, WidthsInInchesWithTwoDecimals) {
    EXPECT_EQ(reportTableFormat({150 / 96.0, 125 / 96.0}), QStringLiteral("<1.56|<1.30"));
    EXPECT_EQ(reportTableFormat({}), QString());
    EXPECT_EQ(priceTotalLine(1234.5), QStringLiteral("Total Value is $1234.50"));
    EXPECT_EQ(priceTotalLine(0), QStringLiteral("Total Value is $0.00"));
}

TEST(ColumnReportSetup, BuilderDesignSettings) {
    PageEngine e(std::make_shared<FakePrinter>());
    setupReportEngine(e);
    EXPECT_DOUBLE_EQ(e.MarginLeft(), 0.5);
    EXPECT_DOUBLE_EQ(e.MarginRight(), 0.5);
    EXPECT_DOUBLE_EQ(e.MarginTop(), 1.0);
    EXPECT_DOUBLE_EQ(e.MarginBottom(), 1.0);
    EXPECT_DOUBLE_EQ(e.PageBorderOffset(), 0.0625);
    EXPECT_EQ(e.LineSpacing(), lsSingleAndAHalf);
    EXPECT_TRUE(e.TableGrid());
    EXPECT_EQ(e.ZoomPercent(), 100);
    EXPECT_EQ(e.Header(), QStringLiteral("{$TITLE}|Page {$PAGE}"));
    EXPECT_EQ(e.Font().pointSize(), 8);
}

TEST_F(ColumnReport, TitlesOnceRowsInOrderPageHeadersAndCount) {
    const int n = build(120);
    EXPECT_EQ(n, 120);
    const int pages = engine.PageCount();
    ASSERT_GT(pages, 2);
    QStringList rows;
    for (int p = 1; p <= pages; ++p) {
        const DrawnPage d = page(p);
        EXPECT_TRUE(d.hasText(QStringLiteral("Reelkeeper98 Report"))) << p;
        EXPECT_TRUE(d.hasText(QStringLiteral("Page %1").arg(p))) << p;
        EXPECT_EQ(d.count(QStringLiteral("Title")), p == 1 ? 1 : 0);
        EXPECT_EQ(d.count(QStringLiteral("Category")), p == 1 ? 1 : 0);
        for (const QString& t : d.textsInOrder())
            if (t.startsWith(QLatin1String("Film "))) rows << t;
        // The header font (12 pt bold italic) on every page, not the details font.
        const auto* title = d.find(QStringLiteral("Reelkeeper98 Report"));
        ASSERT_TRUE(title);
        EXPECT_NEAR(title->pixelSize, 50, 0.5) << "page " << p;
    }
    QStringList expected;
    for (const QStringList& r : titles(120))
        expected << r[0];
    EXPECT_EQ(rows, expected);
    const QStringList last = page(pages).textsInOrder();
    const qsizetype countAt = last.indexOf(QStringLiteral("120 Entries Printed"));
    ASSERT_GE(countAt, 0);
    EXPECT_GT(countAt, last.indexOf(QStringLiteral("Film 120")));
}

TEST_F(ColumnReport, AnEmptyViewPrintsTitlesAndAZeroCount) {
    layout.priceTotal = 0.0;
    EXPECT_EQ(build(0), 0);
    ASSERT_EQ(engine.PageCount(), 1);
    const QStringList texts = page(1).textsInOrder();
    EXPECT_TRUE(texts.contains(QStringLiteral("Title")));
    EXPECT_TRUE(texts.contains(QStringLiteral("0 Entries Printed")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Total Value is $0.00")));
}

TEST_F(ColumnReport, OneTitleIsOneEntry) {
    build(1);
    EXPECT_TRUE(page(1).textsInOrder().contains(QStringLiteral("1 Entry Printed")));
}

TEST_F(ColumnReport, CountLineCanBeLeftOutAndPriceTotalAdded) {
    layout.entryCount = false;
    layout.priceTotal = 1234.5;
    build(3);
    const QStringList texts = page(1).textsInOrder();
    EXPECT_FALSE(texts.join(QLatin1Char(' ')).contains(QStringLiteral("Entries Printed")));
    EXPECT_GT(texts.indexOf(QStringLiteral("Total Value is $1234.50")),
              texts.indexOf(QStringLiteral("Film 003")));
}

TEST_F(ColumnReport, ASeparatorInsideAValueKeepsTheColumns) {
    VectorRows rows({{QStringLiteral("Up|Down"), QStringLiteral("Comedy")}});
    buildColumnReport(engine, layout, rows);
    const DrawnPage d = page(1);
    EXPECT_TRUE(d.hasText(QString::fromUtf8("Up\u00A6Down")));
    const auto* cat = d.find(QStringLiteral("Comedy"));
    const auto* title = d.find(QString::fromUtf8("Up\u00A6Down"));
    ASSERT_TRUE(cat && title);
    EXPECT_EQ(cat->pos.y(), title->pos.y());
    EXPECT_GT(cat->pos.x(), title->pos.x() + 300); // in the second column
}

TEST_F(ColumnReport, RebuildingReplacesThePages) {
    build(120);
    const int first = engine.PageCount();
    build(5);
    EXPECT_LT(engine.PageCount(), first);
    EXPECT_EQ(engine.PageCount(), 1);
}

TEST_F(ColumnReport, TextOutputHoldsTheSameContent) {
    QTemporaryDir dir;
    engine.SetPrintToFile(true);
    engine.SetFileName(dir.filePath(QStringLiteral("r.txt")));
    build(120);
    QFile f(engine.FileName());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_EQ(text.count(QStringLiteral("Reelkeeper98 Report")), text.count(QLatin1Char('\f')) + 1);
    qsizetype at = text.indexOf(QStringLiteral("Title"));
    ASSERT_GE(at, 0);
    for (const QStringList& r : titles(120)) {
        const qsizetype found = text.indexOf(r[0], at);
        ASSERT_GT(found, at) << r[0].toStdString();
        at = found;
    }
    EXPECT_GT(text.indexOf(QStringLiteral("120 Entries Printed")), at);
}

} // namespace
} // namespace rk::print
