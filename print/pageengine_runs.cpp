// Paragraphs of runs: text in mixed faces, sizes and colours on one line, wrapped at the
// right margin as plain lines are.
#include "pageengine.h"
#include "textwrap.h"
#include "units.h"

#include <algorithm>
#include <cmath>

namespace rk::print {

struct PageEngine::RunPiece {
    QString text;
    const FontState* font;
};

namespace {

bool isLineBreak(QChar c) {
    return c == QLatin1Char('\n') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// One hard line of a paragraph: its text and, for every character, the run it came from.
struct HardLine {
    QString text;
    std::vector<int> runOf;
    int startRun = 0; // the run whose line break began this line
};

// Splits the runs at line breaks and turns tabs into spaces up to the next multiple of
// tabSize characters of the line.
std::vector<HardLine> hardLines(const std::vector<TextRun>& runs, int tabSize) {
    std::vector<HardLine> lines(1);
    for (size_t r = 0; r < runs.size(); ++r) {
        for (QChar c : runs[r].text) {
            if (c == QLatin1Char('\r')) continue;
            if (isLineBreak(c)) {
                lines.emplace_back().startRun = static_cast<int>(r);
                continue;
            }
            HardLine& line = lines.back();
            const int count =
                c == QLatin1Char('\t') ? tabSize - static_cast<int>(line.text.size() % tabSize) : 1;
            for (int i = 0; i < count; ++i) {
                line.text.append(c == QLatin1Char('\t') ? QLatin1Char(' ') : c);
                line.runOf.push_back(static_cast<int>(r));
            }
        }
    }
    return lines;
}

} // namespace

void PageEngine::WriteRuns(const std::vector<TextRun>& runs) {
    requireDocument();
    std::vector<FontState> fonts;
    fonts.reserve(runs.size());
    for (const TextRun& run : runs)
        fonts.push_back(FontState::make(run.font, run.color, metrics_.dpiX, metrics_.dpiY));

    const qreal width = area_.width();
    for (const HardLine& line : hardLines(runs, tabSize_)) {
        // The pieces of line.text from `from`, `n` characters long, one per run.
        auto piecesOf = [&](int from, int n) {
            std::vector<RunPiece> pieces;
            for (int i = from; i < from + n; ++i) {
                const FontState* font = &fonts[static_cast<size_t>(line.runOf[size_t(i)])];
                if (pieces.empty() || pieces.back().font != font)
                    pieces.push_back({QString(), font});
                pieces.back().text.append(line.text.at(i));
            }
            return pieces;
        };
        auto measureFrom = [&](int from) -> TextMeasure {
            return [&, from](const QString& prefix) {
                qreal w = 0;
                for (const RunPiece& p : piecesOf(from, static_cast<int>(prefix.size())))
                    w += p.font->width(p.text);
                return w;
            };
        };
        // An empty line is as tall as the run it stands in.
        const FontState& emptyFont =
            fonts.empty() ? textFont_ : fonts[static_cast<size_t>(line.startRun)];

        int pos = 0;
        const int total = static_cast<int>(line.text.size());
        do {
            const QString rest = line.text.mid(pos);
            const TextMeasure m = measureFrom(pos);
            int take = static_cast<int>(rest.size());
            int next = total;
            if (rest.size() > 1 && m(rest) > width) {
                if (!wordWrap_) {
                    take = static_cast<int>(cutToWidth(rest, width, m).size());
                } else {
                    const TextSplit s = wrapToWidth(rest, width, m);
                    take = static_cast<int>(s.part.size());
                    next = total - static_cast<int>(s.rest.size());
                }
            }
            writeRunLine(piecesOf(pos, take), emptyFont);
            pos = next;
        } while (pos < total);
    }
}

void PageEngine::writeRunLine(const std::vector<RunPiece>& pieces, const FontState& emptyFont) {
    qreal textWidth = 0, ascent = 0;
    int height = 0;
    for (const RunPiece& p : pieces) {
        textWidth += p.font->width(p.text);
        ascent = std::max(ascent, p.font->ascent);
        height = std::max(height, p.font->height);
    }
    if (pieces.empty()) {
        ascent = emptyFont.ascent;
        height = emptyFont.height;
    }
    const int advance = spacedLength(height, spacing_);
    const int free = area_.width() - static_cast<int>(std::ceil(textWidth));
    int x = 0;
    if (alignment_ == taRightJustify)
        x = free;
    else if (alignment_ == taCenter)
        x = free / 2;
    if (!lineFits(y_, advance, area_.height()) && y_ > 0) NewPage();
    qreal at = x;
    for (const RunPiece& p : pieces) {
        // One baseline for the line: each run's top lies its ascent above it.
        drawText(at, y_ + static_cast<int>(std::lround(ascent - p.font->ascent)), p.text, *p.font);
        at += p.font->width(p.text);
    }
    x_ = static_cast<int>(std::lround(at));
    endLine(advance);
}

} // namespace rk::print
