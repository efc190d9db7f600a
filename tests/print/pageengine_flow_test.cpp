// The flow of text onto recorded pages: page starts with header, footer and borders, line
// breaks and page breaks, plain lines, table rows with wrapping cells and grid lines, and
// the plain text file output.
#include "fakeprinter.h"
#include "pageengine.h"
#include "units.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace rk::print {
namespace {

using testing::DrawnLine;
using testing::DrawnPage;
using testing::DrawnText;
using testing::FakePrinter;
using testing::playPage;

constexpr int kOffset = 75; // the fake printer's unprintable strip, dots

class Flow : public ::testing::Test {
protected:
    Flow() : engine(std::make_shared<FakePrinter>()) {
        engine.SetMarginTop(1);
        engine.SetMarginBottom(1);
        engine.SetMarginLeft(1);
        engine.SetMarginRight(1);
        engine.SetClock([] { return QDateTime(QDate(2026, 12, 7), QTime(8, 12, 17)); });
    }
    // Page n (from 1) replayed at the printer's resolution, in paper dots.
    DrawnPage page(int n) const {
        DrawnPage p = playPage(engine.Pages().page(n - 1), 300, 300);
        for (DrawnText& t : p.texts)
            t.pos += QPointF(kOffset, kOffset);
        for (DrawnLine& l : p.lines)
            l.line.translate(kOffset, kOffset);
        return p;
    }
    qreal width(const QString& s) const { return engine.TextFont().width(s); }
    // The text area in paper dots: one inch margins on letter paper.
    static constexpr int kLeft = 300, kTop = 300, kRight = 2250, kBottom = 3000;

    PageEngine engine;
};

TEST_F(Flow, LinesFillAPageThenContinueOnTheNext) {
    engine.BeginDoc();
    const int perPage = (kBottom - kTop) / engine.LineAdvance();
    const int total = 2 * perPage + 3;
    for (int i = 1; i <= total; ++i)
        engine.WriteLine(QStringLiteral("L%1").arg(i));
    engine.EndDoc();
    ASSERT_EQ(engine.PageCount(), 3);
    const DrawnPage p1 = page(1), p2 = page(2), p3 = page(3);
    EXPECT_EQ(p1.texts.size(), size_t(perPage));
    EXPECT_EQ(p2.texts.size(), size_t(perPage));
    EXPECT_EQ(p3.texts.size(), 3u);
    EXPECT_EQ(p1.textsInOrder().front(), QStringLiteral("L1"));
    EXPECT_EQ(p1.textsInOrder().back(), QStringLiteral("L%1").arg(perPage));
    EXPECT_EQ(p2.textsInOrder().front(), QStringLiteral("L%1").arg(perPage + 1));
    // The first line's glyphs start at the top of the text area; the last line ends in it.
    const DrawnText* first = p1.find(QStringLiteral("L1"));
    EXPECT_NEAR(first->pos.y() - engine.TextFont().ascent, kTop, 1);
    EXPECT_NEAR(first->pos.x(), kLeft, 0.5);
    const DrawnText* last = p1.find(QStringLiteral("L%1").arg(perPage));
    EXPECT_LE(last->pos.y() - engine.TextFont().ascent + engine.LineAdvance(), kBottom + 1);
}

TEST_F(Flow, HeaderAndFooterAreCentredInTheMarginsOfEveryPage) {
    engine.SetTitle(QStringLiteral("Films"));
    engine.SetFriendlyHeader(QStringLiteral("&l&i&rPage &p"));
    engine.SetFriendlyFooter(QStringLiteral("&cEnd of page &p"));
    engine.BeginDoc();
    engine.NewPage();
    engine.EndDoc();
    const FontState& f = engine.TextFont();
    for (int n = 1; n <= 2; ++n) {
        const DrawnPage p = page(n);
        const DrawnText* title = p.find(QStringLiteral("Films"));
        const DrawnText* number = p.find(QStringLiteral("Page %1").arg(n));
        const DrawnText* footer = p.find(QStringLiteral("End of page %1").arg(n));
        ASSERT_TRUE(title && number && footer) << p.textsInOrder().join(',').toStdString();
        // Title at the left edge of its section, page number against the right edge.
        EXPECT_NEAR(title->pos.x(), kLeft + cellInnerGap(300), 0.5);
        EXPECT_NEAR(number->pos.x() + width(number->text), kRight - cellInnerGap(300), 1);
        // The glyph box lies in the middle of the 1 inch margins.
        const qreal headerMid = title->pos.y() - f.ascent + f.height / 2.0;
        EXPECT_NEAR(headerMid, 150, 1.5);
        const qreal footerMid = footer->pos.y() - f.ascent + f.height / 2.0;
        EXPECT_NEAR(footerMid, 3150, 1.5);
        EXPECT_NEAR(footer->pos.x() + width(footer->text) / 2, (kLeft + kRight) / 2.0, 1);
    }
}

TEST_F(Flow, BordersAreDrawnOutsideTheTextAreaAndHeadersCentreAboveThem) {
    engine.SetPageBorders(TPageBorders(pbTop) | pbBottom | pbLeft | pbRight);
    engine.SetPageBorderOffset(0.25); // 75 dots
    engine.SetHeader(QStringLiteral("Head"));
    engine.BeginDoc();
    engine.EndDoc();
    const DrawnPage p = page(1);
    ASSERT_EQ(p.lines.size(), 4u);
    const QLineF top = p.lines[0].line, bottom = p.lines[1].line, left = p.lines[2].line,
                 right = p.lines[3].line;
    EXPECT_EQ(top, QLineF(225, 225, 2325, 225));
    EXPECT_EQ(bottom, QLineF(225, 3075, 2325, 3075));
    EXPECT_EQ(left, QLineF(225, 225, 225, 3075));
    EXPECT_EQ(right, QLineF(2325, 225, 2325, 3075));
    // With a top border the header is centred between the paper's edge and the border.
    const DrawnText* head = p.find(QStringLiteral("Head"));
    ASSERT_TRUE(head);
    EXPECT_NEAR(head->pos.y() - engine.TextFont().ascent + engine.TextFont().height / 2.0, 112.5,
                1.5);
}

TEST_F(Flow, HeaderWithoutFormatSpansTheTextArea) {
    engine.SetHeader(QStringLiteral("A header with several words"));
    engine.BeginDoc();
    engine.EndDoc();
    EXPECT_TRUE(page(1).hasText(QStringLiteral("A header with several words")));
}

TEST_F(Flow, PlainLinesAreAlignedWithinTheTextArea) {
    engine.BeginDoc();
    engine.SetAlignment(taRightJustify);
    engine.WriteLine(QStringLiteral("right"));
    engine.SetAlignment(taCenter);
    engine.WriteLine(QStringLiteral("centre"));
    engine.SetAlignment(taLeftJustify);
    engine.WriteLine(QStringLiteral("a\tb"));
    engine.EndDoc();
    const DrawnPage p = page(1);
    const DrawnText* r = p.find(QStringLiteral("right"));
    const DrawnText* c = p.find(QStringLiteral("centre"));
    ASSERT_TRUE(r && c);
    EXPECT_NEAR(r->pos.x() + width(r->text), kRight, 1);
    EXPECT_NEAR(c->pos.x() + width(c->text) / 2, (kLeft + kRight) / 2.0, 1);
    EXPECT_TRUE(p.hasText(QStringLiteral("a       b"))); // tab stop at 8 characters
    EXPECT_NEAR(c->pos.y() - r->pos.y(), engine.LineAdvance(), 0.01);
}

TEST_F(Flow, LongPlainLinesWrapAtSpacesAndInsideLongWords) {
    QStringList words;
    for (int i = 0; i < 60; ++i)
        words << QStringLiteral("word%1").arg(i);
    const QString sentence = words.join(QLatin1Char(' '));
    const QString noSpace(300, QLatin1Char('x'));
    engine.BeginDoc();
    engine.WriteLine(sentence);
    engine.WriteLine(noSpace);
    engine.EndDoc();
    const QStringList lines = page(1).textsInOrder();
    ASSERT_GT(lines.size(), 4);
    QStringList back;
    QString joined;
    for (const QString& l : lines) {
        EXPECT_LE(width(l), kRight - kLeft + 0.5) << l.toStdString();
        if (l.startsWith(QLatin1String("word")))
            back << l;
        else
            joined += l;
    }
    EXPECT_EQ(back.join(QLatin1Char(' ')), sentence); // breaks at spaces, nothing lost
    EXPECT_EQ(joined, noSpace);                       // broken inside the word
}

TEST_F(Flow, WordWrapOffCutsTheLine) {
    engine.SetWordWrap(false);
    engine.BeginDoc();
    engine.WriteLine(QString(300, QLatin1Char('y')));
    engine.EndDoc();
    const QStringList lines = page(1).textsInOrder();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_LT(lines[0].size(), 300);
    EXPECT_LE(width(lines[0]), kRight - kLeft);
    EXPECT_GT(width(lines[0] + QLatin1Char('y')), kRight - kLeft);
}

TEST_F(Flow, WriteContinuesAtThePenAndWrapsAtTheRightMargin) {
    engine.BeginDoc();
    engine.Write(QStringLiteral("abc"));
    engine.Write(QStringLiteral("def"));
    engine.NewLine();
    engine.Write(QStringLiteral("next"));
    engine.EndDoc();
    const DrawnPage p = page(1);
    const DrawnText* abc = p.find(QStringLiteral("abc"));
    const DrawnText* def = p.find(QStringLiteral("def"));
    const DrawnText* next = p.find(QStringLiteral("next"));
    ASSERT_TRUE(abc && def && next);
    EXPECT_NEAR(def->pos.x() - abc->pos.x(), width(QStringLiteral("abc")), 1);
    EXPECT_EQ(def->pos.y(), abc->pos.y());
    EXPECT_NEAR(next->pos.y() - abc->pos.y(), engine.LineAdvance(), 0.01);
    EXPECT_NEAR(next->pos.x(), kLeft, 0.5);
}

TEST_F(Flow, TableCellsArePlacedByTheirColumnFormats) {
    engine.SetTableFormat(QStringLiteral("<2|>1.5|^2"));
    engine.BeginDoc();
    engine.WriteTableLine(QStringLiteral("left|right|centre|ignored"));
    engine.WriteTableLine(QStringLiteral("only"));
    engine.EndDoc();
    const DrawnPage p = page(1);
    const int gap = cellInnerGap(300);
    const DrawnText* l = p.find(QStringLiteral("left"));
    const DrawnText* r = p.find(QStringLiteral("right"));
    const DrawnText* c = p.find(QStringLiteral("centre"));
    ASSERT_TRUE(l && r && c);
    EXPECT_NEAR(l->pos.x(), kLeft + gap, 0.5);
    EXPECT_NEAR(r->pos.x() + width(r->text), kLeft + 600 + 450 - gap, 1);
    EXPECT_NEAR(c->pos.x() + width(c->text) / 2, kLeft + 1050 + 300, 1);
    EXPECT_FALSE(p.hasText(QStringLiteral("ignored")));
    EXPECT_EQ(p.texts.size(), 4u); // the short row leaves its other cells empty
}

TEST_F(Flow, PlaceholdersInCellsTakeLineAndPage) {
    engine.SetTableFormat(QStringLiteral("<3|<3"));
    engine.SetTitle(QStringLiteral("T"));
    engine.BeginDoc();
    engine.WriteTableLine(QStringLiteral("line {$LINE}|{$TITLE} p{$PAGE}"));
    engine.WriteTableLine(QStringLiteral("line {$LINE}|{$DATE}"));
    engine.NewPage();
    engine.WriteTableLine(QStringLiteral("line {$LINE}|p{$PAGE}"));
    engine.EndDoc();
    EXPECT_EQ(page(1).textsInOrder(),
              QStringList({"line 0", "T p1", "line 1",
                           QLocale().toString(QDate(2026, 12, 7), QLocale::ShortFormat)}));
    EXPECT_EQ(page(2).textsInOrder(), QStringList({"line 0", "p2"}));
}

TEST_F(Flow, AGrowingCellContinuesOverLinesAndPagesWithTheGridOnEachLine) {
    engine.SetTableFormat(QStringLiteral("<1|<1.5"));
    engine.SetTableGrid(true);
    const int adv = engine.LineAdvance();
    const int perPage = (kBottom - kTop) / adv;
    QStringList words;
    for (int i = 0; i < 40; ++i)
        words << QStringLiteral("w%1").arg(i, 2, 10, QLatin1Char('0'));
    engine.BeginDoc();
    for (int i = 0; i < perPage - 3; ++i)
        engine.WriteTableLine(QStringLiteral("r%1|x").arg(i));
    engine.WriteTableLine(QStringLiteral("long|") + words.join(QLatin1Char(' ')));
    engine.EndDoc();
    ASSERT_EQ(engine.PageCount(), 2);
    const DrawnPage p1 = page(1), p2 = page(2);

    // The cell's words come back in order, three lines on page 1 and the rest on page 2.
    QStringList cellLines1, cellLines2;
    for (const QString& t : p1.textsInOrder())
        if (t.startsWith(QLatin1String("w"))) cellLines1 << t;
    for (const QString& t : p2.textsInOrder())
        if (t.startsWith(QLatin1String("w"))) cellLines2 << t;
    EXPECT_EQ(cellLines1.size(), 3);
    ASSERT_GE(cellLines2.size(), 1);
    EXPECT_EQ((cellLines1 + cellLines2).join(QLatin1Char(' ')), words.join(QLatin1Char(' ')));
    EXPECT_EQ(p2.textsInOrder().front(), cellLines2.front()); // continues at the top

    const qreal raise = spacedLength(engine.TextFont().leading, engine.LineSpacing());
    // The vertical lines at x that cover y0..y1, and the lines across at y.
    auto vertical = [](const DrawnPage& p, qreal x, qreal y0, qreal y1) {
        int n = 0;
        for (const DrawnLine& l : p.lines)
            n += std::abs(l.line.x1() - x) < 0.5 && std::abs(l.line.x2() - x) < 0.5 &&
                 std::min(l.line.y1(), l.line.y2()) < y0 + 0.5 &&
                 std::max(l.line.y1(), l.line.y2()) > y1 - 0.5;
        return n;
    };
    auto horizontalAt = [](const DrawnPage& p, qreal y) {
        int n = 0;
        for (const DrawnLine& l : p.lines)
            n += l.line.dy() == 0 && std::abs(l.line.y1() - y) < 0.5;
        return n;
    };
    // The column lines run down the rows as one line each, over the growing row's three
    // lines on page 1 too.
    const int firstRowLineY = kTop + (perPage - 3) * adv;
    const qreal bottom1 = firstRowLineY + 3 * adv - raise;
    for (int x : {kLeft, kLeft + 300, kLeft + 750})
        EXPECT_EQ(vertical(p1, x, kTop - raise, bottom1), 1) << x;
    EXPECT_EQ(std::count_if(p1.lines.begin(), p1.lines.end(),
                            [](const DrawnLine& l) { return l.line.dx() == 0; }),
              3);
    // One rule across the table where two rows meet, none under the row's first line.
    EXPECT_EQ(horizontalAt(p1, firstRowLineY - raise), 1);
    EXPECT_EQ(horizontalAt(p1, firstRowLineY + adv - raise), 0);
    for (const DrawnLine& l : p1.lines) {
        if (l.line.dy() == 0 && std::abs(l.line.y1() - (firstRowLineY - raise)) < 0.5) {
            EXPECT_EQ(std::abs(l.line.dx()), 750);
        }
    }
    // On page 2 the lines continue from the top, and the bottom line closes the last line.
    const int lines2 = cellLines2.size();
    EXPECT_EQ(vertical(p2, kLeft + 750, kTop - raise, kTop + lines2 * adv - raise), 1);
    EXPECT_EQ(horizontalAt(p2, kTop - raise), 0);
    EXPECT_EQ(horizontalAt(p2, kTop + lines2 * adv - raise), 1);
}

TEST_F(Flow, ACellWithoutSpacesIsBrokenInsideTheWord) {
    engine.SetTableFormat(QStringLiteral("<0.5"));
    const QString word = QStringLiteral("Supercalifragilisticexpialidocious");
    engine.BeginDoc();
    engine.WriteTableLine(word);
    engine.EndDoc();
    const QStringList parts = page(1).textsInOrder();
    ASSERT_GT(parts.size(), 1);
    EXPECT_EQ(parts.join(QString()), word);
    for (const QString& part : parts)
        EXPECT_LE(width(part), 150 + 0.5);
}

TEST_F(Flow, NewPageAndNewLineNotifyTheCaller) {
    int pages = 0, lines = 0;
    engine.OnNewPage = [&] { ++pages; };
    engine.OnNewLine = [&] { ++lines; };
    engine.BeginDoc();
    engine.WriteLine(QStringLiteral("a"));
    engine.NewLine();
    engine.NewPage();
    engine.WriteLine(QStringLiteral("b"));
    engine.EndDoc();
    EXPECT_EQ(pages, 2);
    EXPECT_EQ(lines, 3);
}

TEST_F(Flow, WriteLinesWritesTheListAsRowsOrPlainLines) {
    engine.Lines() << QStringLiteral("a|b") << QStringLiteral("c|d");
    engine.SetTableFormat(QStringLiteral("<1|<1"));
    engine.BeginDoc();
    engine.WriteLines(true);
    engine.WriteLines(false);
    engine.EndDoc();
    EXPECT_EQ(page(1).textsInOrder(), QStringList({"a", "b", "c", "d", "a|b", "c|d"}));
}

class TextOutput : public Flow {
protected:
    QString run(const std::function<void()>& body) {
        const QString name = dir.filePath(QStringLiteral("out.txt"));
        engine.SetPrintToFile(true);
        engine.SetFileName(name);
        engine.BeginDoc();
        body();
        engine.EndDoc();
        QFile f(name);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
        return QString::fromUtf8(f.readAll());
    }
    int spaces(qreal dots) const {
        return static_cast<int>(std::lround(dots / engine.TextFont().spaceWidth));
    }
    QTemporaryDir dir;
};

TEST_F(TextOutput, PositionsBecomeSpacesAndPagesFormFeeds) {
    engine.SetTableFormat(QStringLiteral("<1|>1"));
    const QString text = run([&] {
        engine.WriteLine(QStringLiteral("first"));
        engine.WriteTableLine(QStringLiteral("a|b"));
        engine.NewPage();
        engine.SetAlignment(taRightJustify);
        engine.WriteLine(QStringLiteral("end"));
    });
    EXPECT_EQ(engine.PageCount(), 0); // no pages are recorded
    const QStringList pages = text.split(QLatin1Char('\f'));
    ASSERT_EQ(pages.size(), 2);
    const QStringList p1 = pages[0].split(QLatin1Char('\n'));
    EXPECT_EQ(p1[0], QStringLiteral("first"));
    const int gap = cellInnerGap(300);
    const QString b = QStringLiteral("b");
    const QString expectedRow =
        QString(spaces(gap), QLatin1Char(' ')) + QStringLiteral("a") +
        QString(spaces(600 - gap - width(b)) - spaces(gap) - 1, QLatin1Char(' ')) + b;
    EXPECT_EQ(p1[1], expectedRow);
    const QString last = pages[1].split(QLatin1Char('\n'), Qt::SkipEmptyParts).first();
    EXPECT_EQ(last, QString(spaces(1950 - width(QStringLiteral("end"))), QLatin1Char(' ')) +
                        QStringLiteral("end"));
}

TEST_F(TextOutput, ColumnsKeepTheDocumentsSpaceWidthWhateverTheFont) {
    engine.SetTableFormat(QStringLiteral("<1|<1"));
    const int column = spaces(300 + cellInnerGap(300)); // in the text font of BeginDoc
    const QString text = run([&] {
        engine.WriteTableLine(QStringLiteral("a|b"));
        QFont big = engine.Font();
        big.setPointSize(20);
        big.setBold(true);
        engine.SetFont(big);
        engine.WriteTableLine(QStringLiteral("c|d"));
    });
    const QStringList lines = text.split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0].indexOf(QLatin1Char('b')), column);
    EXPECT_EQ(lines[1].indexOf(QLatin1Char('d')), lines[0].indexOf(QLatin1Char('b')));
}

TEST_F(TextOutput, HeaderLinesComeFirstAndFooterLinesLastOnEachPage) {
    engine.SetTitle(QStringLiteral("Films"));
    engine.SetFriendlyHeader(QStringLiteral("&l&i&rPage &p"));
    engine.SetFriendlyFooter(QStringLiteral("&lbottom"));
    const QString text = run([&] {
        engine.WriteLine(QStringLiteral("one"));
        engine.NewPage();
        engine.WriteLine(QStringLiteral("two"));
    });
    const QStringList pages = text.split(QLatin1Char('\f'));
    ASSERT_EQ(pages.size(), 2);
    for (int n = 0; n < 2; ++n) {
        const QStringList lines = pages[n].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_GE(lines.size(), 3) << pages[n].toStdString();
        EXPECT_TRUE(lines.front().trimmed().startsWith(QLatin1String("Films")))
            << lines.front().toStdString();
        EXPECT_TRUE(lines.front().endsWith(QStringLiteral("Page %1").arg(n + 1)));
        EXPECT_EQ(lines[1], n == 0 ? QStringLiteral("one") : QStringLiteral("two"));
        EXPECT_EQ(lines.back().trimmed(), QStringLiteral("bottom"));
    }
}

TEST_F(TextOutput, AFileThatCannotBeCreatedIsRefused) {
    engine.SetPrintToFile(true);
    engine.SetFileName(dir.filePath(QStringLiteral("no/such/folder/out.txt")));
    try {
        engine.BeginDoc();
        FAIL() << "accepted";
    } catch (const EPagePrinter& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Unable to create file"))) << e.what();
    }
    EXPECT_FALSE(engine.Printing());
    engine.SetFileName(QString());
    EXPECT_THROW(engine.BeginDoc(), EPagePrinter);
}

} // namespace
} // namespace rk::print
