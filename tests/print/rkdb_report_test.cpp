// rkdb report on the sample catalogue: a PDF whose pages read back with pdftotext as laid
// out (every title once and in order, the report title and page number on each page, the
// count line at the end), and a text file with the same content.
#include "catalogue.h"
#include "cp1252.h"
#include "record.h"
#include "table.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct RunResult {
    int code = -1;
    QString out, err;
};

RunResult rkdb(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(RKDB_PATH), args);
    RunResult r;
    if (!p.waitForFinished(60000)) return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString tool(const char* program, const QStringList& args) {
    QProcess p;
    p.start(QString::fromUtf8(program), args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

class RkdbReport : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStringLiteral(RK_PDFTOTEXT).isEmpty())
            GTEST_SKIP() << "poppler-utils are not installed";
        ASSERT_TRUE(rk::catalogue::createSample(dir.path().toStdString()).isOk());
        table = dir.filePath(QStringLiteral("VIDEO.DBF"));
    }
    // "Title Year" of every visible record, in the order given, read straight from the table.
    QStringList expectedRows(const std::string& query = {}, const std::string& tag = {}) {
        rk::store::TableOptions o;
        o.readOnly = true;
        o.exclusive = false;
        rk::store::Table t(table.toStdString(), o);
        EXPECT_TRUE(t.open().isOk());
        if (!tag.empty()) t.setOrder(t.tagArea(tag));
        if (!query.empty()) {
            EXPECT_TRUE(t.query(query).isOk());
        }
        std::vector<uint32_t> recs;
        EXPECT_TRUE(t.visibleRecords(&recs).isOk());
        QStringList rows;
        for (uint32_t r : recs) {
            EXPECT_TRUE(t.go(r).isOk());
            const std::string& img = t.record();
            rows << QString::fromStdString(
                        rk::cp1252::toUtf8(
                            std::string(rk::dbf::trimmedField(img, *t.field("TITLE"))) + " " +
                            std::string(rk::dbf::trimmedField(img, *t.field("YEAR")))))
                        .simplified();
        }
        return rows;
    }
    QStringList pdfPages(const QString& pdf) {
        const QString info = tool(RK_PDFINFO, {pdf});
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
        QStringList pages;
        for (int p = 1; m.hasMatch() && p <= m.captured(1).toInt(); ++p)
            pages << tool(RK_PDFTOTEXT,
                          {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(p),
                           QStringLiteral("-l"), QString::number(p), pdf, QStringLiteral("-")});
        return pages;
    }
    // The body rows found on the pages, in order: lines that read as one of `rows`.
    static QStringList rowsOn(const QStringList& pages, const QStringList& rows) {
        QStringList found;
        for (const QString& page : pages)
            for (const QString& line : page.split(QLatin1Char('\n')))
                if (rows.contains(line.simplified())) found << line.simplified();
        return found;
    }
    void checkPages(const QStringList& pages, const QString& title, const QStringList& rows) {
        ASSERT_FALSE(pages.isEmpty());
        for (int i = 0; i < pages.size(); ++i) {
            const QString first =
                pages[i].split(QLatin1Char('\n'), Qt::SkipEmptyParts).value(0).simplified();
            EXPECT_EQ(first, QStringLiteral("%1 Page %2").arg(title).arg(i + 1))
                << "page " << i + 1;
            EXPECT_EQ(pages[i].count(QStringLiteral("Title")), i == 0 ? 1 : 0) << "page " << i + 1;
        }
        EXPECT_EQ(rowsOn(pages, rows), rows);
        const QString last = pages.back();
        const qsizetype count = last.indexOf(QStringLiteral("%1 %2 Printed")
                                                 .arg(rows.size())
                                                 .arg(rows.size() == 1 ? "Entry" : "Entries"));
        EXPECT_GT(count, last.lastIndexOf(rows.isEmpty() ? QStringLiteral("Title")
                                                         : rows.back().section(' ', 0, 0)));
    }

    QTemporaryDir dir;
    QString table;
};

TEST_F(RkdbReport, PdfAndTextOfTheSampleCatalogueHoldTheSameRows) {
    const QString pdf = dir.filePath(QStringLiteral("r.pdf")),
                  txt = dir.filePath(QStringLiteral("r.txt"));
    const QStringList common = {QStringLiteral("report"),   table,
                                QStringLiteral("--fields"), QStringLiteral("Title,Year"),
                                QStringLiteral("--widths"), QStringLiteral("5,1"),
                                QStringLiteral("--grid")};
    const RunResult a = rkdb(common + QStringList{QStringLiteral("--pdf"), pdf});
    ASSERT_EQ(a.code, 0) << a.err.toStdString();
    const RunResult b = rkdb(common + QStringList{QStringLiteral("--text"), txt});
    ASSERT_EQ(b.code, 0) << b.err.toStdString();

    const QStringList rows = expectedRows();
    ASSERT_EQ(rows.size(), 72);
    const QStringList pages = pdfPages(pdf);
    ASSERT_GE(pages.size(), 2);
    checkPages(pages, QStringLiteral("Reelkeeper98 Report"), rows);
    EXPECT_TRUE(
        a.out.startsWith(QStringLiteral("wrote 72 entries on %1 page(s)").arg(pages.size())))
        << a.out.toStdString();

    QFile f(txt);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList textPages = QString::fromUtf8(f.readAll()).split(QLatin1Char('\f'));
    EXPECT_EQ(textPages.size(), pages.size()); // the same page breaks
    checkPages(textPages, QStringLiteral("Reelkeeper98 Report"), rows);
}

TEST_F(RkdbReport, QueryTitleAndLandscape) {
    const QString pdf = dir.filePath(QStringLiteral("q.pdf"));
    const RunResult r = rkdb(
        {QStringLiteral("report"), table, QStringLiteral("--fields"), QStringLiteral("Title,Year"),
         QStringLiteral("--widths"), QStringLiteral("5,1"), QStringLiteral("--query"),
         QStringLiteral("CATEGORY = \"Drama\""), QStringLiteral("--title"),
         QStringLiteral("Dramas"), QStringLiteral("--landscape"), QStringLiteral("--pdf"), pdf});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList rows = expectedRows("CATEGORY = \"Drama\"");
    ASSERT_GT(rows.size(), 3);
    ASSERT_LT(rows.size(), 72);
    checkPages(pdfPages(pdf), QStringLiteral("Dramas"), rows);
    EXPECT_TRUE(tool(RK_PDFINFO, {pdf}).contains(QStringLiteral("792 x 612 pts")));
}

TEST_F(RkdbReport, OrderFollowsATagOfTheTable) {
    const QString pdf = dir.filePath(QStringLiteral("o.pdf"));
    const QStringList args = {QStringLiteral("report"),   table,
                              QStringLiteral("--fields"), QStringLiteral("Title,Year"),
                              QStringLiteral("--widths"), QStringLiteral("5,1"),
                              QStringLiteral("--order"),  QStringLiteral("TITIT"),
                              QStringLiteral("--pdf"),    pdf};
    const RunResult r = rkdb(args);
    if (r.code == 2 && r.err.contains(QStringLiteral("no tag")))
        GTEST_SKIP() << "the sample catalogue has no index tags yet";
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList rows = expectedRows({}, "TITIT");
    checkPages(pdfPages(pdf), QStringLiteral("Reelkeeper98 Report"), rows);
    // The titles (the rows less their year) come out in alphabetical order.
    QStringList titles;
    for (const QString& row : rows)
        titles << row.left(row.size() - 5);
    EXPECT_TRUE(
        std::is_sorted(titles.begin(), titles.end(), [](const QString& x, const QString& y) {
            return x.compare(y, Qt::CaseInsensitive) < 0;
        }));
}

TEST_F(RkdbReport, BadArgumentsAndFilesAreRefused) {
    const QString pdf = dir.filePath(QStringLiteral("x.pdf"));
    struct Case {
        QStringList args;
        int code;
        const char* message;
    } cases[] = {
        {{QStringLiteral("--fields"), QStringLiteral("Title,Nope"), QStringLiteral("--pdf"), pdf},
         2,
         "no field 'Nope'"},
        {{QStringLiteral("--fields"), QStringLiteral("Title"), QStringLiteral("--pdf"), pdf,
          QStringLiteral("--text"), pdf},
         2,
         "usage"},
        {{QStringLiteral("--fields"), QStringLiteral("Title")}, 2, "usage"},
        {{QStringLiteral("--fields"), QStringLiteral("Title,Year"), QStringLiteral("--widths"),
          QStringLiteral("2"), QStringLiteral("--pdf"), pdf},
         2,
         "one width per field"},
        {{QStringLiteral("--fields"), QStringLiteral("Title"), QStringLiteral("--widths"),
          QStringLiteral("-1"), QStringLiteral("--pdf"), pdf},
         2,
         "not a column width"},
        {{QStringLiteral("--fields"), QStringLiteral("Title"), QStringLiteral("--order"),
          QStringLiteral("NOSUCH"), QStringLiteral("--pdf"), pdf},
         2,
         "no tag 'NOSUCH'"},
        {{QStringLiteral("--fields"), QStringLiteral("Title"), QStringLiteral("--query"),
          QStringLiteral("CATEGORY = "), QStringLiteral("--pdf"), pdf},
         2,
         ""},
        {{QStringLiteral("--fields"), QStringLiteral("Title"), QStringLiteral("--pdf"),
          dir.filePath(QStringLiteral("no/dir/x.pdf"))},
         3,
         "Unable to start printing"},
        {{QStringLiteral("--fields"), QStringLiteral("Title"), QStringLiteral("--text"),
          dir.filePath(QStringLiteral("no/dir/x.txt"))},
         3,
         "Unable to create file"},
    };
    for (const auto& c : cases) {
        const RunResult r = rkdb(QStringList{QStringLiteral("report"), table} + c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString() << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
    }
    const RunResult missing =
        rkdb({QStringLiteral("report"), dir.filePath(QStringLiteral("NONE.DBF")),
              QStringLiteral("--fields"), QStringLiteral("Title"), QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(missing.code, 3);
}

} // namespace
