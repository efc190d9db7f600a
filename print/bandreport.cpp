#include "bandreport.h"

#include "datetimetext.h"
#include "pageengine.h"
#include "printerdevice.h"
#include "textwrap.h"
#include "units.h"

#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <memory>

namespace rk::print {

Band* BandReportLayout::band(BandKind kind) {
    for (Band& b : bands)
        if (b.kind == kind) return &b;
    return nullptr;
}

const Band* BandReportLayout::band(BandKind kind) const {
    return const_cast<BandReportLayout*>(this)->band(kind);
}

BandField* BandReportLayout::field(const QString& name) {
    for (Band& b : bands)
        for (BandField& f : b.fields)
            if (f.name == name) return &f;
    return nullptr;
}

namespace {

PrinterMetrics usableMetrics(const PrinterMetrics& m) {
    return m.isUsable() ? m : fallbackMetrics(muInches);
}

// How far right the visible fields reach, in report units.
double contentRight(const BandReportLayout& layout) {
    double right = 0;
    for (const Band& b : layout.bands)
        for (const BandField& f : b.fields)
            if (f.visible) right = std::max(right, f.left + f.width);
    return right;
}

} // namespace

BandGeometry bandGeometry(const BandReportLayout& layout, const PrinterMetrics& given) {
    const PrinterMetrics m = usableMetrics(given);
    const double perUnitX = m.dpiX / kReportUnitsPerInch, perUnitY = m.dpiY / kReportUnitsPerInch;
    const double printableW = m.paperWidth - 2.0 * m.offsetLeft;
    const double printableH = m.paperHeight - 2.0 * m.offsetTop;
    BandGeometry g;
    g.area = QRectF(layout.marginLeft * perUnitX, layout.marginTop * perUnitY,
                    printableW - (layout.marginLeft + layout.marginRight) * perUnitX,
                    printableH - (layout.marginTop + layout.marginBottom) * perUnitY);
    const double right = contentRight(layout);
    const double widthUnits = g.area.width() / perUnitX;
    const double fit = right > widthUnits && widthUnits > 0 ? widthUnits / right : 1.0;
    g.scaleX = perUnitX * fit;
    g.scaleY = perUnitY * fit;
    return g;
}

namespace {

// The text of a growing field as the lines it prints on: each paragraph broken at spaces
// into lines that fit the width (a word wider than the width is broken inside), shaped once.
QStringList wrappedLines(const QString& value, qreal width, const FontState& font) {
    QString text = expandTabs(value, 8);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), '\n');
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    QStringList lines;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        if (paragraph.trimmed().isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, font.font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            QString part = paragraph.mid(line.textStart(), line.textLength());
            while (!part.isEmpty() && part.back().isSpace())
                part.chop(1);
            lines << part;
        }
        layout.endLayout();
    }
    if (lines.isEmpty()) lines << QString();
    return lines;
}

QString firstLine(const QString& value) {
    qsizetype end = 0;
    while (end < value.size() && value[end] != QLatin1Char('\r') && value[end] != QLatin1Char('\n'))
        ++end;
    return expandTabs(value.left(end), 8);
}

constexpr qreal kPictureDpi = 200;

class BandRunner {
public:
    BandRunner(const BandReportLayout& layout, const PrinterMetrics& given, const QDateTime& now,
               BandRows& rows, PageCanvas& canvas)
        : metrics_(usableMetrics(given)), geometry_(bandGeometry(layout, given)), now_(now),
          rows_(rows), canvas_(canvas) {
        if (geometry_.area.width() <= 0 || geometry_.area.height() <= 0)
            throw EPagePrinter(QStringLiteral("The margins leave no room for the report"));
        bandRight_ = std::min(geometry_.area.width(), layout.bandWidth * geometry_.scaleX);
        title_ = prepare(layout.band(BandKind::Title));
        header_ = prepare(layout.band(BandKind::PageHeader));
        detail_ = prepare(layout.band(BandKind::Detail));
        footer_ = prepare(layout.band(BandKind::PageFooter));
        bodyBottom_ = geometry_.area.height() - (footer_ ? footer_->height : 0);
    }

    int run() {
        startPage();
        if (detail_) {
            for (bool more = rows_.first(); more; more = rows_.next())
                place(render(*detail_, true));
        }
        endPage(false);
        canvas_.finish();
        return page_;
    }

private:
    struct Field {
        const BandField* def;
        FontState font;
        qreal left, width, top; // dots from the band's top-left
        qreal lineHeight;
        // The last text measured and its width: labels are measured once.
        mutable QString measured;
        mutable qreal measuredWidth = 0;
        qreal widthOf(const QString& text) const {
            if (text != measured) {
                measured = text;
                measuredWidth = font.width(text);
            }
            return measuredWidth;
        }
    };
    struct Prepared {
        const Band* def;
        qreal height;
        BandFrame frame;
        std::vector<Field> fields; // by top
    };
    struct Op {
        qreal x, top;
        QString text;
        const FontState* font;
        qreal height;
    };
    struct PictureOp {
        QRectF rect; // dots from the band's top-left
        QImage image;
    };
    struct Rendered {
        const Prepared* band;
        qreal height;
        std::vector<Op> ops;
        std::vector<PictureOp> pictures;
    };

    std::unique_ptr<Prepared> prepare(const Band* band) const {
        if (!band) return nullptr;
        auto p = std::make_unique<Prepared>();
        p->def = band;
        p->height = std::max(0.0, band->height) * geometry_.scaleY;
        p->frame = band->frame;
        const double fit = geometry_.scaleY / (metrics_.dpiY / kReportUnitsPerInch);
        for (const BandField& f : band->fields) {
            if (!f.visible) continue;
            QFont font = f.font.font;
            const double points = font.pointSizeF() > 0 ? font.pointSizeF() : 8.0;
            font.setPointSizeF(std::clamp(points * fit, 1.0, 1000.0));
            Field prepared{&f,
                           FontState::make(font, f.font.color, metrics_.dpiX, metrics_.dpiY),
                           f.left * geometry_.scaleX,
                           std::max(0.0, f.width) * geometry_.scaleX,
                           f.top * geometry_.scaleY,
                           0,
                           {},
                           0};
            prepared.lineHeight = prepared.font.height;
            p->fields.push_back(std::move(prepared));
        }
        std::stable_sort(p->fields.begin(), p->fields.end(),
                         [](const Field& a, const Field& b) { return a.top < b.top; });
        return p;
    }

    QString text(const BandField& f, bool record) {
        switch (f.kind) {
        case FieldKind::Label:
            return f.text;
        case FieldKind::Data:
            return record ? rows_.value(f.dataField) : QString();
        case FieldKind::Date:
            return f.text + shortDateText(now_.date());
        case FieldKind::DateTime:
            return f.text + shortDateText(now_.date()) + QLatin1Char(' ') +
                   longTimeText(now_.time());
        case FieldKind::PageNumber:
            return f.text + QString::number(page_);
        case FieldKind::Picture:
            break;
        }
        return {};
    }

    // The band's fields for the current record (or page), with growing fields wrapped and
    // the fields below them moved down.
    Rendered render(const Prepared& band, bool record) {
        Rendered r{&band, band.height, {}, {}};
        struct Grower {
            qreal bottom; // its first line's bottom, before anything moved
            qreal moved;  // how far the fields below it move
        };
        std::vector<Grower> growers;
        qreal extra = 0;
        const qreal tolerance = geometry_.scaleY / 2;
        for (const Field& f : band.fields) {
            if (f.def->kind == FieldKind::Picture) {
                if (record) addPicture(r, f);
                continue;
            }
            const QString value = text(*f.def, record);
            qreal shift = 0;
            for (const Grower& g : growers)
                if (g.bottom <= f.top + tolerance) shift = std::max(shift, g.moved);
            QStringList lines;
            if (f.def->grows) {
                lines = wrappedLines(value, f.width, f.font);
            } else {
                QString line = firstLine(value);
                if (!f.def->autoSize)
                    line = cutToWidth(line, f.width,
                                      [&f](const QString& s) { return f.font.width(s); });
                lines << line;
            }
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (lines[i].isEmpty()) continue;
                qreal x = f.left;
                if (f.def->align == taRightJustify)
                    x = f.left + f.width - f.widthOf(lines[i]);
                else if (f.def->align == taCenter)
                    x = f.left + (f.width - f.widthOf(lines[i])) / 2;
                r.ops.push_back(
                    {x, f.top + shift + i * f.lineHeight, lines[i], &f.font, f.lineHeight});
            }
            const qreal growth = (lines.size() - 1) * f.lineHeight;
            if (f.def->grows) growers.push_back({f.top + f.lineHeight, shift + growth});
            extra = std::max(extra, shift + growth);
        }
        r.height += extra;
        for (const PictureOp& p : r.pictures)
            r.height = std::max(r.height, p.rect.bottom());
        return r;
    }

    // The record's picture, scaled once to the field's width (and never taller than a
    // page); a record without one, or whose file cannot be read, gets none.
    void addPicture(Rendered& r, const Field& f) {
        const QString path = rows_.picturePath();
        if (path.isEmpty() || f.width <= 0) return;
        QImage image(path);
        if (image.isNull() || image.width() <= 0) return;
        qreal height = f.width * image.height() / image.width();
        const qreal most = std::max(1.0, (bodyBottom_ - bodyTop_) / 2);
        qreal width = f.width;
        if (height > most) {
            width = width * most / height;
            height = most;
        }
        // Kept at no more than 200 pixels an inch (nor above the file's own size): every
        // recorded page holds its pictures, and a 1200 dpi printer gains nothing from more.
        const qreal fewer =
            std::min({1.0, kPictureDpi / std::max(1, metrics_.dpiX), qreal(image.width()) / width});
        QImage scaled = image.scaled(std::max(1, static_cast<int>(std::lround(width * fewer))),
                                     std::max(1, static_cast<int>(std::lround(height * fewer))),
                                     Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        r.pictures.push_back({QRectF(f.left, f.top, width, height), std::move(scaled)});
    }

    void drawFrame(const BandFrame& frame, qreal y, qreal height, bool top, bool bottom) {
        if (!frame.any()) return;
        const int pen = std::max(1, static_cast<int>(std::lround(frame.width * geometry_.scaleY)));
        const qreal half = pen / 2.0;
        const qreal l = half, r = bandRight_ - half, t = y + half, b = y + height - half;
        if (top && frame.top) canvas_.drawLine(QLineF(l, t, r, t), pen);
        if (bottom && frame.bottom) canvas_.drawLine(QLineF(l, b, r, b), pen);
        if (frame.left) canvas_.drawLine(QLineF(l, y, l, y + height), pen);
        if (frame.right) canvas_.drawLine(QLineF(r, y, r, y + height), pen);
    }

    // Draws the part of a rendered band from `from` to `to` (dots down the band) at y.
    void drawPiece(const Rendered& r, qreal from, qreal to, qreal y, bool first, bool last) {
        for (const Op& op : r.ops)
            if (op.top >= from && op.top < to)
                canvas_.drawText(op.x, y + op.top - from, op.text, *op.font);
        for (const PictureOp& p : r.pictures)
            if (p.rect.top() >= from && p.rect.top() < to)
                canvas_.drawImage(p.rect.translated(0, y - from), p.image);
        drawFrame(r.band->frame, y, to - from, first, last);
    }

    void drawWhole(const Rendered& r, qreal y) { drawPiece(r, 0, r.height, y, true, true); }

    void startPage() {
        ++page_;
        canvas_.beginPage();
        y_ = 0;
        if (page_ == 1 && title_) {
            const Rendered r = render(*title_, false);
            drawWhole(r, y_);
            y_ += r.height;
        }
        if (header_) {
            const Rendered r = render(*header_, false);
            drawWhole(r, y_);
            y_ += r.height;
        }
        bodyTop_ = y_;
        if (detail_ && bodyBottom_ - bodyTop_ < 1)
            throw EPagePrinter(
                QStringLiteral("The page header and footer leave no room for the report"));
    }

    void endPage(bool more) {
        if (footer_) drawWhole(render(*footer_, false), geometry_.area.height() - footer_->height);
        canvas_.endPage(more);
    }

    void place(const Rendered& r) {
        qreal from = 0;
        bool first = true;
        for (;;) {
            const qreal avail = bodyBottom_ - y_;
            if (r.height - from <= avail) {
                drawPiece(r, from, r.height, y_, first, true);
                y_ += r.height - from;
                return;
            }
            if (first && y_ > bodyTop_) {
                // The band moves whole to the next page.
                endPage(true);
                startPage();
                continue;
            }
            // Taller than a page: split at a line, so that no line is cut in two.
            qreal cut = from + avail;
            for (bool moved = true; moved;) {
                moved = false;
                for (const Op& op : r.ops) {
                    if (op.top >= from && op.top < cut && op.top + op.height > cut) {
                        cut = op.top;
                        moved = true;
                    }
                }
            }
            if (cut <= from) cut = from + avail; // a line taller than the page: drawn as is
            drawPiece(r, from, cut, y_, first, false);
            from = cut;
            first = false;
            endPage(true);
            startPage();
        }
    }

    PrinterMetrics metrics_;
    BandGeometry geometry_;
    QDateTime now_;
    BandRows& rows_;
    PageCanvas& canvas_;
    qreal bandRight_ = 0;
    std::unique_ptr<Prepared> title_, header_, detail_, footer_;
    qreal bodyTop_ = 0, bodyBottom_ = 0, y_ = 0;
    int page_ = 0;
};

} // namespace

int runBandReport(const BandReportLayout& layout, const PrinterMetrics& metrics,
                  const QDateTime& now, BandRows& rows, PageCanvas& canvas) {
    return BandRunner(layout, metrics, now, rows, canvas).run();
}

int buildBandReport(PageEngine& engine, const BandReportLayout& layout, BandRows& rows) {
    if (engine.Printing())
        throw EPagePrinter(QStringLiteral("Can't build a report while printing"));
    engine.RefreshPrinter();
    const PrinterMetrics& m = engine.Metrics();
    TPageList pages;
    {
        PictureCanvas canvas(&pages, bandGeometry(layout, m).area.topLeft(), m.dpiX, m.dpiY);
        runBandReport(layout, m, engine.CurrentTime(), rows, canvas);
    }
    const int count = pages.count();
    engine.SetTitle(layout.title);
    engine.SetPages(std::move(pages));
    return count;
}

int printBandReport(PrinterDevice& printer, const BandReportLayout& layout, BandRows& rows,
                    const QDateTime& now) {
    const PrinterMetrics m = usableMetrics(printer.metrics().value_or(PrinterMetrics{}));
    if (!printer.begin(layout.title))
        throw EPagePrinter(QStringLiteral("Unable to start printing on %1: %2")
                               .arg(printer.name(), printer.lastError()));
    try {
        DeviceCanvas canvas(printer, bandGeometry(layout, m).area.topLeft());
        return runBandReport(layout, m, now, rows, canvas); // the run ends the job
    } catch (...) {
        if (printer.isPrinting()) printer.abort();
        throw;
    }
}

} // namespace rk::print
