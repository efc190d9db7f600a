#include "textwrap.h"

namespace rk::print {

namespace {

bool isBreakChar(QChar c) {
    return c.isSpace() || c.category() == QChar::Other_Control;
}

// A cut must not leave half of a surrogate pair on either side.
int avoidSplitPair(const QString& text, int n) {
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

int fittingLength(const QString& text, qreal width, const TextMeasure& measure) {
    const int n = static_cast<int>(text.size());
    if (n == 0 || measure(text) <= width) return n;
    // Invariant: `lo` characters fit, `hi` characters do not.
    int lo = 0, hi = n;
    while (hi - lo > 1) {
        const int mid = lo + (hi - lo) / 2;
        if (measure(text.left(mid)) <= width)
            lo = mid;
        else
            hi = mid;
    }
    return avoidSplitPair(text, lo);
}

TextSplit wrapToWidth(const QString& text, qreal width, const TextMeasure& measure) {
    int n = fittingLength(text, width, measure);
    if (n >= text.size()) return {text, QString()};
    if (n == 0) {
        // Not even one character fits: take one anyway (a whole pair if it is one).
        n = (text.size() > 1 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate()) ? 2
                                                                                             : 1;
        if (n >= text.size()) return {text, QString()};
    }
    if (isBreakChar(text.at(n))) return {text.left(n), text.mid(n + 1)};
    for (int k = n - 1; k > 0; --k) {
        if (isBreakChar(text.at(k))) return {text.left(k), text.mid(k + 1)};
    }
    return {text.left(n), text.mid(n)};
}

QString cutToWidth(const QString& text, qreal width, const TextMeasure& measure) {
    return text.left(fittingLength(text, width, measure));
}

TextSplit splitCell(const QString& cell, qreal width, bool wordWrap, const TextMeasure& measure) {
    const qsizetype lf = cell.indexOf(QLatin1Char('\n'));
    QString line = lf < 0 ? cell : cell.left(lf);
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    const QString after = lf < 0 ? QString() : cell.mid(lf + 1);
    if (!wordWrap) return {cutToWidth(line, width, measure), QString()};
    TextSplit s = wrapToWidth(line, width, measure);
    if (lf >= 0) {
        // The line feed still ends a line: what was wrapped off goes on its own line first.
        s.rest = s.rest.isEmpty() ? after : s.rest + QLatin1Char('\n') + after;
    }
    return s;
}

} // namespace rk::print
