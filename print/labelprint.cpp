#include "labelprint.h"

#include "units.h"

#include <QPainter>
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

TextRun runOf(const QString& text, const QTextCharFormat& format, const QTextDocument& doc,
              const QColor& textColor) {
    TextRun run;
    run.text = text;
    run.text.remove(QChar::ObjectReplacementCharacter); // pictures are not printed
    run.font = format.font().resolve(doc.defaultFont());
    const QBrush brush = format.foreground();
    run.color = brush.style() == Qt::NoBrush ? textColor : brush.color();
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

std::vector<LabelParagraph> labelParagraphs(const QTextDocument& text, const QColor& textColor) {
    std::vector<LabelParagraph> paragraphs;
    for (QTextBlock block = text.begin(); block.isValid(); block = block.next()) {
        LabelParagraph p;
        p.alignment = alignmentOf(block.blockFormat().alignment());
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.isValid()) p.runs.push_back(runOf(f.text(), f.charFormat(), text, textColor));
        }
        if (p.runs.empty()) p.runs.push_back(runOf(QString(), block.charFormat(), text, textColor));
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

void layOutLabel(PageEngine& engine, const LabelMargins& margins, const QTextDocument& text,
                 const QColor& textColor) {
    applyLabelMargins(engine, margins);
    engine.BeginDoc();
    writeLabelParagraphs(engine, labelParagraphs(text, textColor));
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

void paintLabelOutlines(QPainter& p, const PreviewScene& s, LabelSheet sheet,
                        const LabelMargins& margins) {
    if (s.dpiX <= 0 || s.dpiY <= 0) return;
    const double paperWidth = double(s.page.width()) / s.pxPerDotX / s.dpiX;
    auto onScreen = [&s](const QRectF& inches) {
        return QRectF(s.page.left() + inches.left() * s.dpiX * s.pxPerDotX,
                      s.page.top() + inches.top() * s.dpiY * s.pxPerDotY,
                      inches.width() * s.dpiX * s.pxPerDotX,
                      inches.height() * s.dpiY * s.pxPerDotY);
    };
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xa0, 0xa8, 0xb8), 0, Qt::DashLine));
    for (const QRectF& outline : sheetLabelOutlines(sheet, paperWidth))
        p.drawRoundedRect(onScreen(outline), 3, 3);
    p.setPen(QPen(QColor(0x1f, 0x5f, 0xc8), 2));
    p.drawRoundedRect(onScreen(labelOutline(margins, sheet, paperWidth)), 3, 3);
    p.restore();
}

} // namespace rk::print
