#include "textwrap.h"

#include <algorithm>

namespace rk::print {

namespace {

// Texts up to this length are measured whole first: most lines and cells fit at once.
constexpr qsizetype kMeasureWholeUpTo = 256;
// The first prefix measured of a longer text; each next one is twice as long.
constexpr qsizetype kFirstPrefix = 32;

bool isBreakChar(QChar c) {
    return c.isSpace() || c.category() == QChar::Other_Control;
}

// A cut must not leave half of a surrogate pair on either side.
qsizetype avoidSplitPair(QStringView text, qsizetype n) {
    if (n > 0 && n < text.size() && text.at(n - 1).isHighSurrogate() && text.at(n).isLowSurrogate())
        return n - 1;
    return n;
}

} // namespace

QString expandTabs(const QString& text, int tabSize) {
    if (!text.contains(QLatin1Char('\t'))) return text;
    if (tabSize < 1) tabSize = 1;
    QString out;
    out.reserve(text.size() + tabSize);
    for (QChar c : text) {
        if (c == QLatin1Char('\t')) {
            const int spaces = tabSize - static_cast<int>(out.size() % tabSize);
            out.append(QString(spaces, QLatin1Char(' ')));
        } else {
            out.append(c);
        }
    }
    return out;
}

int fittingLength(QStringView text, qreal width, const TextMeasure& measure, qreal* fitWidth) {
    if (fitWidth) *fitWidth = -1;
    const qsizetype n = text.size();
    if (n == 0) {
        if (fitWidth) *fitWidth = 0;
        return 0;
    }
    // Invariant: `lo` characters fit (their width `loWidth`, when measured), `hi` do not.
    qsizetype lo = 0, hi = n;
    qreal loWidth = 0;
    if (n <= kMeasureWholeUpTo) {
        const qreal w = measure(text.toString());
        if (w <= width) {
            if (fitWidth) *fitWidth = w;
            return static_cast<int>(n);
        }
    } else {
        for (qsizetype k = kFirstPrefix;; k = std::min(n, 2 * k)) {
            const qreal w = measure(text.left(k).toString());
            if (w > width) {
                hi = k;
                break;
            }
            lo = k;
            loWidth = w;
            if (k == n) {
                if (fitWidth) *fitWidth = w;
                return static_cast<int>(n);
            }
        }
    }
    while (hi - lo > 1) {
        const qsizetype mid = lo + (hi - lo) / 2;
        const qreal w = measure(text.left(mid).toString());
        if (w <= width) {
            lo = mid;
            loWidth = w;
        } else {
            hi = mid;
        }
    }
    const qsizetype fit = avoidSplitPair(text, lo);
    if (fitWidth && fit == lo) *fitWidth = loWidth;
    return static_cast<int>(fit);
}

LineBreak breakAt(QStringView text, int fit) {
    const qsizetype size = text.size();
    qsizetype n = fit;
    if (n >= size) return {size, size};
    if (n <= 0) {
        // Not even one character fits: take one anyway (a whole pair if it is one).
        n = (size > 1 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate()) ? 2 : 1;
        if (n >= size) return {size, size};
    }
    if (isBreakChar(text.at(n))) return {n, n + 1};
    for (qsizetype k = n - 1; k > 0; --k) {
        if (isBreakChar(text.at(k))) return {k, k + 1};
    }
    return {n, n};
}

LineBreak breakLine(QStringView text, qreal width, const TextMeasure& measure) {
    return breakAt(text, fittingLength(text, width, measure));
}

TextSplit wrapToWidth(const QString& text, qreal width, const TextMeasure& measure) {
    const LineBreak b = breakLine(text, width, measure);
    return {text.left(b.length), text.mid(b.next)};
}

QString cutToWidth(const QString& text, qreal width, const TextMeasure& measure) {
    return text.left(fittingLength(text, width, measure));
}

CellText::CellText(QString text)
    : text_(std::move(text)), placeholders_(text_.contains(QLatin1String("{$"))) {}

void CellText::setRest(QString rest) {
    text_ = std::move(rest);
    at_ = 0;
    lineEnd_ = -1;
    placeholders_ = text_.contains(QLatin1String("{$"));
}

QString CellText::takeLine(qreal width, bool wordWrap, const TextMeasure& measure,
                           qreal* partWidth) {
    if (lineEnd_ < at_) {
        lineEnd_ = text_.indexOf(QLatin1Char('\n'), at_);
        if (lineEnd_ < 0) lineEnd_ = text_.size();
    }
    QStringView line = QStringView(text_).mid(at_, lineEnd_ - at_);
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    qreal fitWidth = -1;
    const int fit = fittingLength(line, width, measure, &fitWidth);
    const LineBreak b = wordWrap ? breakAt(line, fit) : LineBreak{fit, fit};
    QString part = line.left(b.length).toString();
    if (partWidth) *partWidth = b.length == fit && fitWidth >= 0 ? fitWidth : measure(part);
    if (!wordWrap)
        at_ = text_.size(); // without wrapping a cell is one line: the rest is dropped
    else if (b.next >= line.size())
        at_ = std::min(text_.size(), lineEnd_ + 1); // taken to its end: on after the line feed
    else
        at_ += b.next;
    return part;
}

TextSplit splitCell(const QString& cell, qreal width, bool wordWrap, const TextMeasure& measure) {
    CellText c(cell);
    QString part = c.takeLine(width, wordWrap, measure);
    return {std::move(part), c.rest().toString()};
}

} // namespace rk::print
