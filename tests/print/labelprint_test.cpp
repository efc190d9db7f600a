// Printing a label: paragraphs of runs through the engine (mixed sizes on one baseline,
// wrapping across runs, alignment), rich text read as paragraphs, the margins a label
// sets, how far a text runs past its label, and the label on paper read back from a PDF.
#include "fakeprinter.h"
#include "labelprint.h"
#include "pdfdevice.h"
#include "units.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <cmath>

namespace rk::print {
namespace {

using testing::DrawnPage;
using testing::FakePrinter;
using testing::playPage;

QFont face(int points, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

class Runs : public ::testing::Test {
protected:
    Runs() : engine(std::make_shared<FakePrinter>()) {
        engine.SetMarginTop(1);
        engine.SetMarginBottom(1);
        engine.SetMarginLeft(1);
        engine.SetMarginRight(1);
    }
    DrawnPage page() const { return playPage(engine.Pages().page(0), 300, 300); }
    PageEngine engine;
};

TEST_F(Runs, MixedSizesShareABaselineAndTheTallestSetsTheLine) {
    engine.BeginDoc();
    engine.WriteRuns({{QStringLiteral("Big "), face(24)}, {QStringLiteral("small"), face(8)}});
    engine.WriteRuns({{QStringLiteral("next"), face(8)}});
    engine.EndDoc();
    const DrawnPage p = page();
    const auto big = p.find(QStringLiteral("Big ")), small = p.find(QStringLiteral("small")),
               next = p.find(QStringLiteral("next"));
    ASSERT_TRUE(big && small && next);
    EXPECT_NEAR(big->pos.y(), small->pos.y(), 1);
    EXPECT_GT(small->pos.x(), big->pos.x());
    const FontState tall = FontState::make(face(24), Qt::black, 300, 300);
    const FontState low = FontState::make(face(8), Qt::black, 300, 300);
    // From one baseline to the next: the tall line's height less the ascents' difference.
    EXPECT_NEAR(next->pos.y() - big->pos.y(), tall.height - (tall.ascent - low.ascent), 2);
}

TEST_F(Runs, ParagraphsWrapAcrossRunsAtSpacesAndKeepTheirAlignment) {
    engine.SetMarginLeft(3);
    engine.SetMarginRight(3); // 2.5 inches of text
    std::vector<TextRun> runs;
    QStringList words;
    for (int i = 0; i < 24; ++i) {
        words << QStringLiteral("word%1").arg(i);
        runs.push_back({words.back() + QLatin1Char(' '), face(10, i % 2)});
    }
    engine.SetAlignment(taCenter);
    engine.BeginDoc();
    engine.WriteRuns(runs);
    engine.EndDoc();
    const DrawnPage p = page();
    const QStringList lines = p.textLines();
    ASSERT_GT(lines.size(), 2);
    // Every word whole, in order, each line within the width and centred in it.
    EXPECT_EQ(lines.join(QLatin1Char(' ')).simplified(), words.join(QLatin1Char(' ')));
    const qreal areaLeft = 3 * 300 - 75, areaWidth = 2.5 * 300;
    for (const QString& line : lines.mid(0, lines.size() - 1)) {
        qreal left = 1e9, right = 0;
        for (const auto& t : p.texts) {
            if (!line.contains(t.text.trimmed())) continue;
            const FontState f = FontState::make(face(10), Qt::black, 300, 300);
            left = std::min(left, t.pos.x());
            right = std::max(right, t.pos.x() + f.width(t.text.trimmed()));
        }
        EXPECT_LE(right - left, areaWidth + 1) << line.toStdString();
        EXPECT_NEAR((left + right) / 2, areaLeft + areaWidth / 2, 30) << line.toStdString();
    }
}

TEST(LabelParagraphs, EachParagraphKeepsAlignmentAndEachRunItsFormat) {
    QTextDocument doc;
    doc.setDefaultFont(face(10));
    doc.setHtml(QStringLiteral(
        "<p align=center><b>Bold</b> plain</p>"
        "<p align=right><span style=\"font-size:20pt; color:#ff0000\"><u><i>Red</i></u></span></p>"
        "<p></p>"));
    // Text without a colour of its own takes the editor's default colour.
    const std::vector<LabelParagraph> ps = labelParagraphs(doc, Qt::blue);
    ASSERT_EQ(ps.size(), 3u);
    EXPECT_EQ(ps[0].alignment, taCenter);
    EXPECT_EQ(ps[1].alignment, taRightJustify);
    EXPECT_EQ(ps[2].alignment, taLeftJustify);
    ASSERT_EQ(ps[0].runs.size(), 2u);
    EXPECT_EQ(ps[0].runs[0].text, QStringLiteral("Bold"));
    EXPECT_TRUE(ps[0].runs[0].font.bold());
    EXPECT_FALSE(ps[0].runs[1].font.bold());
    EXPECT_EQ(ps[0].runs[1].font.family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(ps[0].runs[1].color, QColor(Qt::blue));
    ASSERT_EQ(ps[1].runs.size(), 1u);
    EXPECT_EQ(ps[1].runs[0].font.pointSize(), 20);
    EXPECT_TRUE(ps[1].runs[0].font.italic());
    EXPECT_TRUE(ps[1].runs[0].font.underline());
    EXPECT_EQ(ps[1].runs[0].color, QColor(Qt::red));
    ASSERT_EQ(ps[2].runs.size(), 1u);
    EXPECT_TRUE(ps[2].runs[0].text.isEmpty());
}

TEST(LabelEngine, ALabelSetsTopLeftAndRightAndLeavesTheBottom) {
    PageEngine engine(std::make_shared<FakePrinter>());
    setUpLabelEngine(engine);
    EXPECT_NEAR(engine.MarginBottom(), 0.25, 1e-9); // the fake printer's offset holds it
    auto small = std::make_shared<FakePrinter>();
    small->rawMetrics().offsetLeft = small->rawMetrics().offsetTop = 30; // 0.1 inch
    engine.SetPrinter(small);
    setUpLabelEngine(engine);
    QTextDocument doc(QStringLiteral("Casablanca"));
    layOutLabel(engine, faceLabelMargins(2, 5), doc);
    EXPECT_DOUBLE_EQ(engine.MarginLeft(), 4.5);
    EXPECT_DOUBLE_EQ(engine.MarginRight(), 1.0);
    EXPECT_DOUBLE_EQ(engine.MarginTop(), 8.37);
    EXPECT_DOUBLE_EQ(engine.MarginBottom(), kLabelBottomMargin);
    EXPECT_EQ(engine.PageCount(), 1);
    // An empty editor prints no text.
    QTextDocument empty;
    layOutLabel(engine, spineLabelMargins(6), empty);
    EXPECT_DOUBLE_EQ(engine.MarginTop(), 3.87);
    EXPECT_TRUE(playPage(engine.Pages().page(0), 300, 300).texts.empty());
}

TEST(LabelEngine, OverflowIsHowFarTheTextRunsPastTheLabel) {
    auto printer = std::make_shared<FakePrinter>();
    QTextDocument doc;
    doc.setDefaultFont(face(10));
    doc.setPlainText(QStringLiteral("Casablanca\nT-0042\n\n"));
    EXPECT_EQ(labelOverflow(doc, spineLabelMargins(3), LabelSheet::Spine, printer), 0);
    // Ten lines are taller than a spine: the excess is ten line heights less its room.
    doc.setPlainText(QStringLiteral("a\nb\nc\nd\ne\nf\ng\nh\ni\nj"));
    const double line = FontState::make(face(10), Qt::black, 300, 300).height / 300.0;
    EXPECT_NEAR(labelOverflow(doc, spineLabelMargins(3), LabelSheet::Spine, printer),
                10 * line - labelTextHeight(LabelSheet::Spine), 0.01);
    // A long paragraph wraps at the label's width: a narrower label makes it taller.
    doc.setPlainText(
        QString(60, QLatin1Char('x')).replace(QLatin1String("xxxx"), QLatin1String("xxx ")));
    EXPECT_GT(labelTextExtent(doc, {6.0, 1.0, 1}, printer),
              labelTextExtent(doc, {1.0, 1.0, 1}, printer) * 2);
}

// ---- On paper

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct Word {
    QString text;
    double xMin, yMin, xMax, yMax; // inches from the paper's top-left
};

std::vector<Word> wordsOf(const QString& pdf) {
    const QString html =
        run(QStringLiteral(RK_PDFTOTEXT), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression re(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)"));
    std::vector<Word> words;
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.push_back({m.captured(5), m.captured(1).toDouble() / 72,
                         m.captured(2).toDouble() / 72, m.captured(3).toDouble() / 72,
                         m.captured(4).toDouble() / 72});
    }
    return words;
}

class LabelOnPaper : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStringLiteral(RK_PDFTOTEXT).isEmpty() || QStringLiteral(RK_PDFFONTS).isEmpty())
            GTEST_SKIP() << "poppler-utils (pdftotext, pdffonts) are not installed";
    }
    // Prints the document at the margins into a new PDF file and gives its name.
    QString print(const QTextDocument& doc, const LabelMargins& margins) {
        const QString file = dir.filePath(QStringLiteral("label%1.pdf").arg(++count));
        PageEngine engine(std::make_shared<PdfDevice>(file, QPageSize(QPageSize::Letter), 0.1));
        setUpLabelEngine(engine);
        layOutLabel(engine, margins, doc);
        EXPECT_TRUE(engine.Print());
        return file;
    }
    QTemporaryDir dir;
    int count = 0;
};

TEST_F(LabelOnPaper, TextLiesAtTheChosenLabelsMargins) {
    QTextDocument doc;
    doc.setDefaultFont(face(10));
    doc.setPlainText(QStringLiteral("Hitchcock\nVertigo"));
    const LabelMargins positions[] = {faceLabelMargins(2, 5), faceLabelMargins(1, 2),
                                      spineLabelMargins(1), spineLabelMargins(6),
                                      spineLabelMargins(15)};
    for (const LabelMargins& m : positions) {
        const std::vector<Word> words = wordsOf(print(doc, m));
        ASSERT_EQ(words.size(), 2u) << m.top;
        EXPECT_EQ(words[0].text, QStringLiteral("Hitchcock"));
        EXPECT_NEAR(words[0].xMin, m.left, 0.02) << m.top;
        EXPECT_NEAR(words[0].yMin, m.top, 0.02) << m.top;
        EXPECT_NEAR(words[1].xMin, m.left, 0.02) << m.top;
        EXPECT_GT(words[1].yMin, words[0].yMax - 0.02);
    }
}

TEST_F(LabelOnPaper, BoldAndCentredComeOutBoldAndCentred) {
    QTextDocument doc;
    doc.setDefaultFont(face(12));
    doc.setHtml(QStringLiteral("<p align=center><b>Casablanca</b></p><p>plain</p>"));
    const LabelMargins m = faceLabelMargins(1, 3);
    const QString file = print(doc, m);
    const std::vector<Word> words = wordsOf(file);
    ASSERT_EQ(words.size(), 2u);
    const double labelCentre = m.left + (8.5 - m.left - m.right) / 2;
    EXPECT_NEAR((words[0].xMin + words[0].xMax) / 2, labelCentre, 0.02);
    EXPECT_NEAR(words[1].xMin, m.left, 0.02);
    const QString fonts = run(QStringLiteral(RK_PDFFONTS), {file});
    const auto line = [](const char* name) {
        return QRegularExpression(QStringLiteral("^(\\w+\\+)?%1\\s").arg(QLatin1String(name)),
                                  QRegularExpression::MultilineOption);
    };
    EXPECT_TRUE(fonts.contains(line("DejaVuSans-Bold"))) << fonts.toStdString();
    EXPECT_TRUE(fonts.contains(line("DejaVuSans"))) << fonts.toStdString();
}

} // namespace
} // namespace rk::print
