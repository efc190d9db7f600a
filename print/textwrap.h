// Breaking text into lines that fit a width. The width of a text comes from a measure
// function (the printer's font metrics in the engine, a fixed advance in tests), so the
// rules here are plain functions of numbers.
//
// Measuring is the costly step, so a line costs measurements of about its own length, never
// of the whole text that follows it, and what is left is looked at through views rather than
// copied: wrapping a text is linear in its length.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace rk::print {

// Width of a text in dots.
using TextMeasure = std::function<qreal(const QString&)>;

// Tabs become spaces up to the next multiple of tabSize characters (tabSize >= 1).
QString expandTabs(const QString& text, int tabSize);

// The number of leading characters that fit the width; never splits a surrogate pair. 0 when
// not even one character fits. A short text is measured whole first; a longer one by prefixes
// of doubling length until one does not fit, then by halving between the last two. When
// `fitWidth` is given it receives the width of the result when that was measured, else -1.
int fittingLength(QStringView text, qreal width, const TextMeasure& measure,
                  qreal* fitWidth = nullptr);

// Where a line ends: it holds the first `length` characters, and the next line starts at
// `next` (after the space or control character the line was broken at, if any).
struct LineBreak {
    qsizetype length = 0;
    qsizetype next = 0;
};

// The leading part that fits, broken at a space or control character: after the part when
// the next character is one (that character is dropped), else at the part's last one; a part
// without any is broken inside the word. Takes at least one character, so that a caller
// looping over the rest always ends. `fit` is fittingLength's result for the same text.
LineBreak breakAt(QStringView text, int fit);
LineBreak breakLine(QStringView text, qreal width, const TextMeasure& measure);

struct TextSplit {
    QString part; // what goes on this line
    QString rest; // what goes on the following lines; empty when done
};

// breakLine with the part and the rest as texts.
TextSplit wrapToWidth(const QString& text, qreal width, const TextMeasure& measure);

// The longest leading part that fits (possibly empty).
QString cutToWidth(const QString& text, qreal width, const TextMeasure& measure);

// A table cell's text, taken a line at a time. The text stays whole and a position moves on.
class CellText {
public:
    CellText() = default;
    explicit CellText(QString text);
    bool done() const { return at_ >= text_.size(); }
    QStringView rest() const { return QStringView(text_).mid(at_); }
    // Whether what is left holds a "{$" placeholder (known from the start, not searched for
    // at every line).
    bool hasPlaceholders() const { return placeholders_; }
    // Replaces what is left (with its placeholders filled in, say).
    void setRest(QString rest);
    // The next line: up to the next line feed, wrapped (or cut) into the width; with wordWrap
    // off what follows the cut is dropped. `partWidth`, when given, receives the line's width.
    QString takeLine(qreal width, bool wordWrap, const TextMeasure& measure,
                     qreal* partWidth = nullptr);

private:
    QString text_;
    qsizetype at_ = 0;
    qsizetype lineEnd_ = -1; // the line feed ending the line at at_ (or the text's end)
    bool placeholders_ = false;
};

// A cell's first line and the rest, as CellText::takeLine gives them.
TextSplit splitCell(const QString& cell, qreal width, bool wordWrap, const TextMeasure& measure);

} // namespace rk::print
