// Printing a label: the page printer set up for labels, a rich text turned into
// paragraphs of runs, written through the engine at the label's margins, and how far a
// text runs past the label before anything is printed.
//
// A label prints as its editor shows it: every paragraph in its own alignment, every run
// in its own face, size, colour, weight, slant and underline. Lines are wrapped at the
// label's width (the space between its margins).
#pragma once

#include "labellayout.h"
#include "pageengine.h"
#include "previewpainter.h"

#include <memory>
#include <vector>

class QPainter;
class QTextDocument;

namespace rk::print {

// The engine's settings for labels: margins top 0.25, bottom 1/6, left and right 0.26333
// inch, inches, single spacing, word wrap, no header, footer or borders, progress shown,
// the document title "Reelkeeper98 Report".
void setUpLabelEngine(PageEngine& engine);

// Sets the top, left and right margins of a label; the bottom margin is left alone.
void applyLabelMargins(PageEngine& engine, const LabelMargins& margins);

struct LabelParagraph {
    TAlignment alignment = taLeftJustify;
    std::vector<TextRun> runs; // an empty paragraph holds one empty run in its format
};

// The paragraphs of a rich text as the editor shows them. A paragraph without text keeps
// the format at its start, so that its empty line is as tall as the editor shows it. Text
// without a colour of its own takes `textColor` (the editor's default colour).
std::vector<LabelParagraph> labelParagraphs(const QTextDocument& text,
                                            const QColor& textColor = Qt::black);

// Writes the paragraphs into an open document, each in its alignment; the engine's own
// alignment is restored afterwards.
void writeLabelParagraphs(PageEngine& engine, const std::vector<LabelParagraph>& paragraphs);

// Lays the label out on the engine: the margins, then a whole document holding the text.
// Nothing is printed; the pages are ready for Print() or a preview.
void layOutLabel(PageEngine& engine, const LabelMargins& margins, const QTextDocument& text,
                 const QColor& textColor = Qt::black);

// The height the text takes on paper, inches, laid out at the width between the margins
// on the given printer (nullptr: the engine's fallback page).
double labelTextExtent(const QTextDocument& text, const LabelMargins& margins,
                       std::shared_ptr<PrinterDevice> printer);

// How far, in inches, the text runs past the room a label of the sheet has (0 when it
// fits).
double labelOverflow(const QTextDocument& text, const LabelMargins& margins, LabelSheet sheet,
                     std::shared_ptr<PrinterDevice> printer);

// Over a preview of the label's page: the outlines of the sheet's labels, and the outline
// of the label the text is printed on (`margins`) drawn stronger.
void paintLabelOutlines(QPainter& painter, const PreviewScene& scene, LabelSheet sheet,
                        const LabelMargins& margins);

} // namespace rk::print
