// The flow of the page printer: documents, pages, lines, plain text and table rows.
#include "datetimetext.h"
#include "pageengine.h"
#include "tableformat.h"
#include "textwrap.h"
#include "units.h"

namespace rk::print {

namespace {
TextMeasure measureWith(const FontState& font) {
    return [&font](const QString& s) { return font.width(s); };
}

QString withoutCarriageReturn(QString s) {
    if (s.endsWith(QLatin1Char('\r'))) s.chop(1);
    return s;
}
} // namespace

std::vector<CellText> PageEngine::cellTexts(const QString& row, size_t columns) const {
    std::vector<CellText> cells;
    cells.reserve(columns);
    for (QString& cell : splitCells(row, separator_, static_cast<int>(columns)))
        cells.emplace_back(std::move(cell));
    return cells;
}

const std::vector<PageEngine::Column>& PageEngine::columnsFor(const QString& format) const {
    const QString key = format + QLatin1Char('\x1f') + QString::number(unit_) + QLatin1Char(',') +
                        QString::number(metrics_.dpiX) + QLatin1Char(',') +
                        QString::number(defaultColWidth_, 'g', 17) + QLatin1Char(',') +
                        QString::number(area_.width()) + separator_;
    if (key == parsedKey_) return parsedColumns_;
    std::vector<Column> cols;
    if (format.isEmpty() && defaultColWidth_ == 0) {
        // No columns given and no default width: one column across the text area, rather
        // than a column of no width that would hold one character per line.
        cols.push_back({taLeftJustify, 0, area_.width()});
    } else {
        int left = 0;
        for (const ColumnSpec& spec :
             parseTableFormat(format, separator_, defaultColWidth_, unit_)) {
            const int width = dotsX(spec.width);
            cols.push_back({spec.align, left, width});
            left += width;
        }
    }
    parsedColumns_ = std::move(cols);
    parsedKey_ = key;
    return parsedColumns_;
}

void PageEngine::BeginDoc() {
    if (docOpen_) throw EPagePrinter(QStringLiteral("A document is already open"));
    RefreshPrinter();
    const QRect area = TextAreaDots();
    if (area.width() <= 0 || area.height() <= 0)
        throw EPagePrinter(QStringLiteral("The margins leave no room for text"));
    pages_.clear();
    streamedPages_ = 0;
    streaming_ = !printToFile_ && printAsLaidOut_ && !ShowsPages() && printer_ && !fallback_ &&
                 copies_ == 1 && fromPage_ == 0 && toPage_ == 0;
    const QPointF origin(area.left() - metrics_.offsetLeft, area.top() - metrics_.offsetTop);
    if (printToFile_) {
        canvas_ = std::make_unique<TextCanvas>(fileName_, textFont_.spaceWidth);
    } else if (streaming_) {
        if (!printer_->begin(title_))
            throw EPagePrinter(QStringLiteral("Unable to start printing on %1: %2")
                                   .arg(printer_->name(), printer_->lastError()));
        canvas_ = std::make_unique<DeviceCanvas>(*printer_, origin);
    } else {
        canvas_ = std::make_unique<PictureCanvas>(&pages_, origin, metrics_.dpiX, metrics_.dpiY);
    }
    area_ = area;
    parsedKey_.clear();
    gridRun_.open = false;
    docOpen_ = true;
    pageNo_ = 1;
    currentPage_ = 1;
    startPage();
}

void PageEngine::EndDoc() {
    if (!docOpen_) return;
    flushGrid();
    canvas_->endPage(false);
    docOpen_ = false;
    const std::unique_ptr<PageCanvas> canvas = std::move(canvas_);
    if (streaming_) streamedPages_ = pageNo_;
    currentPage_ = 1;
    notifyView(ViewChange::Relayout);
    canvas->finish();
}

void PageEngine::NewPage() {
    requireDocument();
    try {
        flushGrid();
        canvas_->endPage(true);
        ++pageNo_;
        startPage();
    } catch (const EPagePrinter&) {
        if (!streaming_) throw;
        // The printer refused a page: the job is dropped (the canvas aborts it) and the
        // document closed.
        docOpen_ = false;
        canvas_.reset();
        throw;
    }
}

void PageEngine::startPage() {
    canvas_->beginPage();
    x_ = y_ = 0;
    lineNo_ = 0;
    if (OnNewPage) OnNewPage();
    if (!header_.isEmpty())
        writeHeaderBlock(header_, headerFormat_,
                         FontState::make(headerFont_, headerColor_, metrics_.dpiX, metrics_.dpiY),
                         true);
    if (!footer_.isEmpty())
        writeHeaderBlock(footer_, footerFormat_,
                         FontState::make(footerFont_, footerColor_, metrics_.dpiX, metrics_.dpiY),
                         false);
    drawBorders();
    x_ = y_ = 0;
}

void PageEngine::writeHeaderBlock(const QString& text, const QString& format, const FontState& font,
                                  bool top) {
    const std::vector<Column> cols = columnsFor(format);
    std::vector<CellText> cells = cellTexts(text, cols.size());
    std::vector<std::vector<Piece>> lines;
    for (bool more = true; more;)
        lines.push_back(layoutRowLine(cells, cols, font, &more));

    // Centred in the margin: between the paper's edge and the text area, or the border line.
    const int offset = dotsY(borderOffset_);
    int from, to;
    if (top) {
        from = -area_.top();
        to = borders_.testFlag(pbTop) ? -offset : 0;
    } else {
        from = area_.height() + (borders_.testFlag(pbBottom) ? offset : 0);
        to = metrics_.paperHeight - area_.top();
    }
    const int block = static_cast<int>(lines.size()) * font.height;
    int y = from + (to - from - block) / 2;
    canvas_->setRegion(top ? PageCanvas::Region::Header : PageCanvas::Region::Footer);
    for (const std::vector<Piece>& line : lines) {
        for (const Piece& p : line)
            drawText(p.x, y, p.text, font);
        y += font.height;
    }
    canvas_->setRegion(PageCanvas::Region::Body);
}

void PageEngine::drawBorders() {
    if (!borders_) return;
    const int pen = rulePenWidth(metrics_.dpiX);
    const qreal ox = dotsX(borderOffset_), oy = dotsY(borderOffset_);
    const qreal w = area_.width(), h = area_.height();
    if (borders_.testFlag(pbTop)) canvas_->drawLine(QLineF(-ox, -oy, w + ox, -oy), pen);
    if (borders_.testFlag(pbBottom)) canvas_->drawLine(QLineF(-ox, h + oy, w + ox, h + oy), pen);
    if (borders_.testFlag(pbLeft)) canvas_->drawLine(QLineF(-ox, -oy, -ox, h + oy), pen);
    if (borders_.testFlag(pbRight)) canvas_->drawLine(QLineF(w + ox, -oy, w + ox, h + oy), pen);
}

void PageEngine::NewLine() {
    requireDocument();
    endLine(advance_);
}

void PageEngine::endLine(int advance) {
    canvas_->lineEnd();
    x_ = 0;
    y_ += advance;
    if (!lineFits(y_, advance, area_.height()))
        NewPage();
    else
        ++lineNo_;
    if (OnNewLine) OnNewLine();
}

void PageEngine::ensureLineFits() {
    if (!lineFits(y_, advance_, area_.height()) && y_ > 0) NewPage();
}

void PageEngine::drawText(qreal x, int y, const QString& text, const FontState& font) {
    canvas_->drawText(x, y, text, font);
}

void PageEngine::WriteLine(const QString& text) {
    requireDocument();
    const QString t = expandTabs(text, tabSize_);
    if (t.contains(QLatin1Char('\n'))) {
        for (const QString& line : t.split(QLatin1Char('\n')))
            WriteLine(withoutCarriageReturn(line));
        return;
    }
    const qreal width = area_.width();
    if (measure(t) > width && t.size() > 1) {
        const TextMeasure m = measureWith(textFont_);
        if (!wordWrap_) {
            writeAligned(cutToWidth(t, width, m));
            return;
        }
        QStringView rest(t);
        do {
            const LineBreak b = breakLine(rest, width, m);
            writeAligned(rest.left(b.length).toString());
            rest = rest.mid(b.next);
        } while (!rest.isEmpty());
        return;
    }
    writeAligned(t);
}

void PageEngine::writeAligned(const QString& text) {
    const qreal w = measure(text);
    const int free = area_.width() - static_cast<int>(std::ceil(w));
    int x = 0;
    if (alignment_ == taRightJustify)
        x = free;
    else if (alignment_ == taCenter)
        x = free / 2;
    ensureLineFits();
    x_ = x;
    drawText(x_, y_, text, textFont_);
    NewLine();
}

void PageEngine::Write(const QString& text) {
    requireDocument();
    const QStringList segments = expandTabs(text, tabSize_).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < segments.size(); ++i) {
        if (i > 0) NewLine();
        writeFlow(withoutCarriageReturn(segments[i]));
    }
}

void PageEngine::writeFlow(const QString& text) {
    const TextMeasure m = measureWith(textFont_);
    QStringView rest(text);
    while (!rest.isEmpty()) {
        ensureLineFits();
        const qreal avail = area_.width() - x_;
        qreal w = -1;
        const int fit = fittingLength(rest, avail, m, &w);
        if (fit == rest.size() || !wordWrap_) {
            // All of it fits, or the part that fits is all there is without wrapping.
            const QString part = rest.left(fit).toString();
            drawText(x_, y_, part, textFont_);
            x_ += static_cast<int>(std::lround(w >= 0 ? w : measure(part)));
            return;
        }
        if (x_ > 0 && fit == 0) {
            NewLine(); // nothing fits after the pen: start at the left margin
            continue;
        }
        const LineBreak b = breakAt(rest, fit);
        drawText(x_, y_, rest.left(b.length).toString(), textFont_);
        NewLine();
        rest = rest.mid(b.next);
    }
}

void PageEngine::WriteTableLine(const QString& text) {
    requireDocument();
    const std::vector<Column> cols = columnsFor(tableFormat_);
    writeRow(text, cols);
}

void PageEngine::WriteTableLine(const QString& text, const TableBar& bar) {
    requireDocument();
    const std::vector<Column> cols = columnsFor(tableFormat_);
    if (bar.column >= 0 && size_t(bar.column) < cols.size() && bar.fraction > 0) {
        ensureLineFits(); // the bar goes on the page the row starts on
        const Column& c = cols[size_t(bar.column)];
        const int gap = cellInnerGap(metrics_.dpiX);
        const qreal room = std::max(0, c.width - 2 * gap);
        const qreal h = textFont_.height;
        canvas_->fillRect(QRectF(c.left + gap, y_ + h * 0.2,
                                 std::max<qreal>(1, room * std::min(1.0, bar.fraction)), h * 0.6),
                          bar.color);
    }
    writeRow(text, cols);
}

void PageEngine::WriteLines(bool asTable) {
    const QStringList lines = lines_;
    const bool table = asTable && !tableFormat_.isEmpty();
    for (const QString& line : lines) {
        if (table)
            WriteTableLine(line);
        else
            WriteLine(line);
    }
}

std::vector<PageEngine::Piece> PageEngine::layoutRowLine(std::vector<CellText>& cells,
                                                         const std::vector<Column>& cols,
                                                         const FontState& font, bool* more) const {
    std::vector<Piece> pieces;
    pieces.reserve(cols.size());
    *more = false;
    const TextMeasure m = measureWith(font);
    const int gap = cellInnerGap(metrics_.dpiX);
    bool valuesReady = false;
    PlaceholderValues values;
    for (size_t i = 0; i < cols.size(); ++i) {
        CellText& cell = cells[i];
        if (cell.done()) continue;
        if (cell.hasPlaceholders()) {
            if (!valuesReady) {
                const QDateTime t = now();
                values = {lineNo_, pageNo_, shortDateText(t.date()), longTimeText(t.time()),
                          title_};
                valuesReady = true;
            }
            cell.setRest(replacePlaceholders(cell.rest().toString(), values));
        }
        const Column& col = cols[i];
        // Most cells fit their column: measured once, placed whole.
        qreal width = 0;
        QString part = cell.takeLine(col.width, wordWrap_, m, &width);
        if (!part.isEmpty())
            pieces.push_back(
                {cellTextX(col.align, col.left, col.width, width, gap), std::move(part)});
        if (!cell.done()) *more = true;
    }
    return pieces;
}

void PageEngine::writeRow(const QString& row, const std::vector<Column>& cols) {
    std::vector<CellText> cells = cellTexts(row, cols.size());
    for (bool first = true;; first = false) {
        ensureLineFits();
        bool more = false;
        for (const Piece& p : layoutRowLine(cells, cols, textFont_, &more))
            drawText(p.x, y_, p.text, textFont_);
        if (grid_) drawGridLines(cols, y_, first, !more);
        if (!more) break;
        NewLine();
    }
    NewLine();
}

void PageEngine::drawGridLines(const std::vector<Column>& cols, int y, bool top, bool bottom) {
    if (cols.empty()) return;
    const int pen = rulePenWidth(metrics_.dpiX);
    // The cell lines sit a part of the font's external leading above the text.
    const qreal y0 = y - spacedLength(textFont_.leading, spacing_);
    const qreal y1 = y0 + advance_;
    std::vector<int> edges;
    edges.reserve(cols.size() + 1);
    for (const Column& c : cols)
        edges.push_back(c.left);
    edges.push_back(cols.back().left + cols.back().width);
    GridRun& g = gridRun_;
    if (!g.open || g.bottom != y0 || g.pen != pen || g.edges != edges) {
        flushGrid();
        g.edges = std::move(edges);
        g.top = y0;
        g.pen = pen;
        g.ruled = -1;
        g.open = true;
    }
    const qreal l = g.edges.front(), r = g.edges.back();
    if (top && g.ruled != y0) canvas_->drawLine(QLineF(l, y0, r, y0), pen);
    if (bottom) {
        canvas_->drawLine(QLineF(l, y1, r, y1), pen);
        g.ruled = y1;
    }
    g.bottom = y1;
}

void PageEngine::flushGrid() {
    GridRun& g = gridRun_;
    if (!g.open) return;
    g.open = false;
    for (int x : g.edges)
        canvas_->drawLine(QLineF(x, g.top, x, g.bottom), g.pen);
}

} // namespace rk::print
