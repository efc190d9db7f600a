#include "labelprint.h"

#include "units.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace rk::print {

namespace {

TAlignment alignmentOf(Qt::Alignment a) {
    if (a & Qt::AlignHCenter) return taCenter;
    if (a & Qt::AlignRight) return taRightJustify;
    return taLeftJustify; // left, justified and unset
}

TextRun runOf(const QString& text, const QTextCharFormat& format, const QTextDocument& doc) {
    TextRun run;
    run.text = text;
    run.text.remove(QChar::ObjectReplacementCharacter); // pictures are not printed
    run.font = format.font().resolve(doc.defaultFont());
    const QBrush brush = format.foreground();
    run.color = brush.style() == Qt::NoBrush ? QColor(Qt::black) : brush.color();
    return run;
}

} // namespace

void setUpLabelEngine(PageEngine& engine) {
    engine.SetMeasureUnit(muInches);
    engine.SetMarginTop(kLabelInitialTop);
    engine.SetMarginBottom(kLabelBottomMargin);
    engine.SetMarginLeft(kLabelInitialSide);
    engine.SetMarginRight(kLabelInitialSide);
    engine.SetLineSpacing(lsSingleSpace);
    engine.SetWordWrap(true);
    engine.SetFriendlyHeader(QString());
    engine.SetFriendlyFooter(QString());
    engine.SetHeader(QString());
    engine.SetFooter(QString());
    engine.SetPageBorders({});
    engine.SetShowProgress(true);
    engine.SetTitle(QStringLiteral("Reelkeeper98 Report"));
}

void applyLabelMargins(PageEngine& engine, const LabelMargins& margins) {
    engine.SetMarginTop(margins.top);
    engine.SetMarginLeft(margins.left);
    engine.SetMarginRight(margins.right);
}

std::vector<LabelParagraph> labelParagraphs(const QTextDocument& text) {
    std::vector<LabelParagraph> paragraphs;
    for (QTextBlock block = text.begin(); block.isValid(); block = block.next()) {
        LabelParagraph p;
        p.alignment = alignmentOf(block.blockFormat().alignment());
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.isValid()) p.runs.push_back(runOf(f.text(), f.charFormat(), text));
        }
        if (p.runs.empty()) p.runs.push_back(runOf(QString(), block.charFormat(), text));
        paragraphs.push_back(std::move(p));
    }
    return paragraphs;
}

void writeLabelParagraphs(PageEngine& engine, const std::vector<LabelParagraph>& paragraphs) {
    const TAlignment saved = engine.Alignment();
    for (const LabelParagraph& p : paragraphs) {
        engine.SetAlignment(p.alignment);
        engine.WriteRuns(p.runs);
    }
    engine.SetAlignment(saved);
}

void layOutLabel(PageEngine& engine, const LabelMargins& margins, const QTextDocument& text) {
    applyLabelMargins(engine, margins);
    engine.BeginDoc();
    writeLabelParagraphs(engine, labelParagraphs(text));
    engine.EndDoc();
}

double labelTextExtent(const QTextDocument& text, const LabelMargins& margins,
                       std::shared_ptr<PrinterDevice> printer) {
    // The label's width on a page as tall as the printer allows, so that the text rarely
    // needs a second page; when it does, each full page counts with its whole text area.
    PageEngine engine(std::move(printer));
    setUpLabelEngine(engine);
    engine.SetMarginTop(0);
    engine.SetMarginBottom(0);
    engine.SetMarginLeft(margins.left);
    engine.SetMarginRight(margins.right);
    // Empty lines at the end take no ink: they do not make a text too tall.
    std::vector<LabelParagraph> paragraphs = labelParagraphs(text);
    auto blank = [](const LabelParagraph& p) {
        for (const TextRun& r : p.runs)
            if (!r.text.trimmed().isEmpty()) return false;
        return true;
    };
    while (!paragraphs.empty() && blank(paragraphs.back()))
        paragraphs.pop_back();
    engine.BeginDoc();
    writeLabelParagraphs(engine, paragraphs);
    const int pagesBefore = engine.PageNumber() - 1;
    const int dots = pagesBefore * engine.TextAreaDots().height() + engine.PenPosition().y();
    engine.EndDoc();
    return fromDots(dots, muInches, engine.Metrics().dpiY);
}

double labelOverflow(const QTextDocument& text, const LabelMargins& margins, LabelSheet sheet,
                     std::shared_ptr<PrinterDevice> printer) {
    const double over = labelTextExtent(text, margins, std::move(printer)) - labelTextHeight(sheet);
    return over > 0 ? over : 0;
}

} // namespace rk::print
