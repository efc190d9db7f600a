// Breaking text into lines that fit a width. The width of a text comes from a measure
// function (the printer's font metrics in the engine, a fixed advance in tests), so the
// rules here are plain functions of numbers.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace rk::print {

// Width of a text in dots.
using TextMeasure = std::function<qreal(const QString&)>;

// Tabs become spaces up to the next multiple of tabSize characters (tabSize >= 1).
QString expandTabs(const QString& text, int tabSize);

// The number of leading characters that fit the width, found by halving on the character
// count; never splits a surrogate pair. 0 when not even one character fits.
int fittingLength(const QString& text, qreal width, const TextMeasure& measure);

struct TextSplit {
    QString part; // what goes on this line
    QString rest; // what goes on the following lines; empty when done
};

// The leading part that fits, broken at a space or control character: after the part
// when the next character is one (that character is dropped), else at the part's last
// one; a part without any is broken inside the word. Takes at least one character, so
// that a caller looping over the rest always ends.
TextSplit wrapToWidth(const QString& text, qreal width, const TextMeasure& measure);

// The longest leading part that fits (possibly empty).
QString cutToWidth(const QString& text, qreal width, const TextMeasure& measure);

// A table cell's line: up to the first line feed, wrapped (or cut) into the width. The
// rest holds the wrapped-off words and everything after the line feed.
TextSplit splitCell(const QString& cell, qreal width, bool wordWrap, const TextMeasure& measure);

} // namespace rk::print
