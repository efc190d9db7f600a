// The statistics page: bars drawn as on screen, and the page written as PDF with every
// section, label and figure.
#include "pageengine.h"
#include "pdfdevice.h"
#include "statspage.h"

#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rk::print {
namespace {

// The bars are filled in their section's colour, each with white above and below it (not
// one black block down the rows), and as long as their amounts.
TEST(StatsPage, BarsAreColouredSeparateAndAsLongAsTheirAmounts) {
    PageEngine engine(std::make_shared<PdfDevice>(QString()));
    layOutStatistics(engine, QStringLiteral("Statistics"), QString(),
                     {{QStringLiteral("By Category"),
                       {{QStringLiteral("Drama"), 12, QStringLiteral("12")},
                        {QStringLiteral("Comedy"), 6, QStringLiteral("6")},
                        {QStringLiteral("Horror"), 12, QStringLiteral("12")}}},
                      {QStringLiteral("By Format"), {{QStringLiteral("VHS"), 3, "3"}}}});
    ASSERT_EQ(engine.PageCount(), 1);
    const PrinterMetrics m = engine.Metrics();
    QImage page(m.paperWidth / 8, m.paperHeight / 8, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.scale(1.0 / 8, 1.0 / 8);
    painter.drawPicture(0, 0, engine.Pages().page(0));
    painter.end();
    // Each run of rows with pixels of a colour: its colour and the widest such row's length.
    struct Bar {
        QRgb colour;
        int length;
    };
    std::vector<Bar> bars;
    bool inBar = false;
    for (int y = 0; y < page.height(); ++y) {
        int length = 0;
        QRgb colour = 0;
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (c.saturation() > 100 && c.value() > 60) {
                ++length;
                colour = c.rgb();
            }
        }
        if (length > 0 && !inBar) bars.push_back({colour, 0});
        if (length > 0) bars.back().length = std::max(bars.back().length, length);
        inBar = length > 0;
    }
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(QColor(bars[0].colour), statsColour(0));
    EXPECT_EQ(QColor(bars[3].colour), statsColour(1));
    EXPECT_NEAR(bars[1].length, bars[0].length / 2.0, 2);
    EXPECT_EQ(bars[2].length, bars[0].length);
    EXPECT_EQ(bars[3].length, bars[0].length); // against the largest of its own section
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
}

} // namespace
} // namespace rk::print
