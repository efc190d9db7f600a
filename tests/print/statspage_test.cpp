// The statistics page: bars of block characters, and the page written as PDF with every
// section, label and figure, bars as long as their amounts.
#include "pageengine.h"
#include "pdfdevice.h"
#include "statspage.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rk::print {
namespace {

TEST(StatsPage, BarsRoundToTheNearestEighth) {
    const QString full(QChar(0x2588));
    EXPECT_EQ(barText(1.0, 4), full.repeated(4));
    EXPECT_EQ(barText(0.5, 4), full.repeated(2));
    EXPECT_EQ(barText(0.56, 4), full.repeated(2) + QChar(0x258E)); // 18 eighths: 2 and a quarter
    EXPECT_EQ(barText(0.001, 4), QString(QChar(0x258F)));          // something shows
    EXPECT_EQ(barText(0, 4), QString());
    EXPECT_EQ(barText(2.0, 3), full.repeated(3)); // never past its cells
    EXPECT_EQ(barText(std::nan(""), 3), QString());
}

TEST(StatsPage, PdfHoldsEverySectionWithBarsAsLongAsTheirAmounts) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("stats.pdf"));
    PageEngine engine(std::make_shared<PdfDevice>(file));
    engine.SetShowProgress(false);
    std::vector<StatsSection> sections = {
        {QStringLiteral("Titles by Category"),
         {{QStringLiteral("Drama"), 12, QStringLiteral("12")},
          {QStringLiteral("Comedy|Pipe"), 6, QStringLiteral("6")},
          {QStringLiteral("(none)"), 0, QStringLiteral("0")}}},
        {QStringLiteral("Value by Category"), {{QStringLiteral("Drama"), 250.5, "250.50"}}},
    };
    layOutStatistics(engine, QStringLiteral("Collection Statistics"), QStringLiteral("72 titles"),
                     sections);
    ASSERT_TRUE(engine.Print());
    QProcess p;
    p.start(QStringLiteral(RK_PDFTOTEXT), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
    auto line = [&](const QString& start) {
        for (const QString& l : lines)
            if (l.trimmed().startsWith(start)) return l;
        return QString();
    };
    for (const char* text :
         {"Collection Statistics", "72 titles", "Titles by Category", "Value by Category"})
        EXPECT_FALSE(line(QString::fromLatin1(text)).isEmpty()) << text;
    const QString drama = line(QStringLiteral("Drama")), comedy = line(QStringLiteral("Comedy"));
    EXPECT_TRUE(drama.trimmed().endsWith(QStringLiteral("12"))) << drama.toStdString();
    EXPECT_TRUE(comedy.trimmed().endsWith(QStringLiteral("6"))) << comedy.toStdString();
    EXPECT_TRUE(line(QStringLiteral("(none)")).trimmed().endsWith(QLatin1Char('0')));
    const auto blocks = [](const QString& l) { return l.count(QChar(0x2588)); };
    EXPECT_GT(blocks(drama), 20);
    EXPECT_NEAR(blocks(comedy), blocks(drama) / 2.0, 1.0);
}

} // namespace
} // namespace rk::print
