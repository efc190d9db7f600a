// The report rows: the text of each field as every report prints it, and the report builder's
// rows (reports::TitleColumnRows on the table, as the builder window reads it) against the
// cells that `rkdb report --text` prints for the same layout on the sample catalogue.
#include "catalogue.h"
#include "record.h"
#include "reportlayout.h"
#include "table.h"
#include "titlerows.h"

#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using rk::reports::titleFieldText;

// Rows as GoogleTest prints them readably.
std::vector<std::string> lines(const QStringList& rows) {
    std::vector<std::string> out;
    for (const QString& row : rows)
        out.push_back(row.toStdString());
    return out;
}

class TitleRows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(rk::catalogue::createSample(dir.path().toStdString()).isOk());
        path = dir.filePath(QStringLiteral("VIDEO.DBF")).toStdString();
    }
    // Sets logical fields on a few records, so that both of each pair of texts occur.
    void markSome() {
        rk::store::Table t(path);
        ASSERT_TRUE(t.open().isOk());
        for (uint32_t recno : {2u, 5u, 9u}) {
            ASSERT_TRUE(t.go(recno).isOk());
            std::string image = t.record();
            for (const char* name : {"MARKED", "AV_CLIP", "CLOSE_CAPT", "SURROUND"})
                rk::dbf::setLogical(image, *t.field(name), recno != 5);
            ASSERT_TRUE(t.putRecord(image).isOk());
        }
    }

    QTemporaryDir dir;
    std::string path;
};

TEST_F(TitleRows, EachFieldPrintsByOneRule) {
    rk::store::Table t(path);
    ASSERT_TRUE(t.open().isOk());
    ASSERT_TRUE(t.go(1).isOk());
    std::string image = t.record();
    auto text = [&](const char* name) {
        return titleFieldText(image, *t.field(name)).toStdString();
    };

    rk::dbf::setLogical(image, *t.field("MARKED"), true);
    rk::dbf::setLogical(image, *t.field("AV_CLIP"), false);
    rk::dbf::setLogical(image, *t.field("CLOSE_CAPT"), true);
    rk::dbf::setLogical(image, *t.field("MULTI_SET"), false);
    rk::dbf::setBlank(image, *t.field("SURROUND"));
    rk::dbf::setString(image, *t.field("TITLE"), "Am\xe9lie  ");
    rk::dbf::setBlank(image, *t.field("PRICE"));
    ASSERT_TRUE(rk::dbf::setNumber(image, *t.field("TAPES"), 3).isOk());
    rk::dbf::setBlank(image, *t.field("RUNTIME"));

    // The logical fields the builder offers print as Yes and No, the others as True and
    // False; a blank logical is false.
    EXPECT_EQ(text("MARKED"), "True");
    EXPECT_EQ(text("AV_CLIP"), "False");
    EXPECT_EQ(text("CLOSE_CAPT"), "Yes");
    EXPECT_EQ(text("MULTI_SET"), "No");
    EXPECT_EQ(text("SURROUND"), "No");
    // Text from the code page, without its padding; a blank field prints nothing.
    EXPECT_EQ(text("TITLE"), "Am\u00e9lie");
    EXPECT_EQ(text("PRICE"), "");
    EXPECT_EQ(text("TAPES"), "3");
    EXPECT_EQ(text("RUNTIME"), "");
}

TEST_F(TitleRows, BuilderRowsAndRkdbReportPrintTheSameCells) {
    markSome();
    // As the builder's header strip names them.
    const QStringList fields = {QStringLiteral("Title"),     QStringLiteral("Marked"),
                                QStringLiteral("Av_clip"),   QStringLiteral("Close_Capt"),
                                QStringLiteral("Multi_set"), QStringLiteral("Surround"),
                                QStringLiteral("Price")};

    QStringList builder; // each row's cells joined by one space
    {
        rk::store::Table t(path);
        ASSERT_TRUE(t.open().isOk());
        ASSERT_GT(t.setOrder(t.tagArea("TITIT")), -1);
        rk::reports::TitleColumnRows rows(t, fields);
        ASSERT_TRUE(rows.missingField().isEmpty());
        rows.first();
        for (int i = 0; i < rows.count(); ++i, rows.next())
            builder << rows.row().join(QLatin1Char(' ')).simplified();
        ASSERT_TRUE(rows.status().isOk());
    }
    ASSERT_EQ(builder.size(), 72);
    const QString all = builder.join(QLatin1Char('\n'));
    for (const char* word : {" True ", " False ", " Yes ", " No "})
        ASSERT_TRUE(all.contains(QLatin1String(word))) << word;

    const QString txt = dir.filePath(QStringLiteral("r.txt"));
    QProcess rkdb;
    rkdb.start(QStringLiteral(RKDB_PATH),
               {QStringLiteral("report"), QString::fromStdString(path), QStringLiteral("--fields"),
                fields.join(QLatin1Char(',')), QStringLiteral("--widths"),
                QStringLiteral("3.5,1,1,1,1,1,1"), QStringLiteral("--order"),
                QStringLiteral("TITIT"), QStringLiteral("--landscape"), QStringLiteral("--text"),
                txt});
    ASSERT_TRUE(rkdb.waitForFinished(120000));
    ASSERT_EQ(rkdb.exitCode(), 0) << rkdb.readAllStandardError().toStdString();
    QFile f(txt);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    // The rows of the text file that read as a row of the builder, in order: a row that
    // rkdb prints otherwise is missing from them.
    QStringList printed;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n')))
        if (builder.contains(line.simplified())) printed << line.simplified();
    EXPECT_EQ(lines(printed), lines(builder));
}

// The builder's default column widths hold every word of the sample's values and of the
// fields' captions, in the layout's fonts on a screen of 96 dots per inch: no word is cut.
TEST_F(TitleRows, DefaultColumnWidthsHoldEveryWordOfTheSampleAndTheCaptions) {
    QStringList fields = rk::print::ReportLayout::defaultAvailableFields();
    fields << QStringLiteral("Title") << QStringLiteral("Category");
    fields.removeDuplicates();
    const rk::print::ReportLayout design;
    QImage screen(1, 1, QImage::Format_RGB32);
    screen.setDotsPerMeterX(qRound(96 / 0.0254));
    screen.setDotsPerMeterY(qRound(96 / 0.0254));
    const QFontMetricsF details(design.detailsFont.toReportFont().font, &screen);
    const QFontMetricsF titles(design.dataHeadFont.toReportFont().font, &screen);
    constexpr double kCellRoom = 6; // the grid line and a little air

    rk::store::Table t(path);
    ASSERT_TRUE(t.open().isOk());
    rk::reports::TitleColumnRows rows(t, fields);
    ASSERT_TRUE(rows.missingField().isEmpty());
    std::vector<double> widest(size_t(fields.size()), 0);
    std::vector<QString> word(size_t(fields.size()));
    auto take = [&](qsizetype k, const QString& text, const QFontMetricsF& m) {
        for (const QString& w : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            if (m.horizontalAdvance(w) > widest[size_t(k)]) {
                widest[size_t(k)] = m.horizontalAdvance(w);
                word[size_t(k)] = w;
            }
    };
    for (qsizetype k = 0; k < fields.size(); ++k)
        take(k, rk::print::fieldCaption(fields[k], {}), titles);
    rows.first();
    for (int i = 0; i < rows.count(); ++i, rows.next()) {
        const QStringList cells = rows.row();
        for (qsizetype k = 0; k < fields.size(); ++k)
            if (fields[k] != QLatin1String("Summary")) take(k, cells[k], details);
    }
    ASSERT_TRUE(rows.status().isOk());
    for (qsizetype k = 0; k < fields.size(); ++k) {
        const int width = rk::print::defaultSectionWidth(fields[k]);
        EXPECT_LE(widest[size_t(k)] + kCellRoom, width)
            << fields[k].toStdString() << ": " << word[size_t(k)].toStdString();
    }
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
