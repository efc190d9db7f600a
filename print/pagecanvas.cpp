#include "pagecanvas.h"

#include "pagetypes.h"

#include <QPen>
#include <QTextLayout>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace rk::print {

namespace {
std::atomic<int> fontSerials{0};
}

FontState FontState::make(const QFont& font, const QColor& color, int dpiX, int dpiY) {
    FontState s;
    s.font = font;
    qreal points = font.pointSizeF();
    if (points <= 0) points = font.pixelSize() * 72.0 / 96.0; // a screen font in pixels
    s.font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * dpiY / 72.0))));
    if (dpiX != dpiY && dpiY > 0) s.font.setStretch(std::clamp(100 * dpiX / dpiY, 1, 4000));
    s.color = color;
    s.metrics = QFontMetricsF(s.font);
    s.ascent = s.metrics.ascent();
    s.height = static_cast<int>(std::lround(s.metrics.ascent() + s.metrics.descent()));
    s.leading = std::max(0, static_cast<int>(std::lround(s.metrics.leading())));
    s.spaceWidth = std::max<qreal>(1, s.metrics.horizontalAdvance(QLatin1Char(' ')));
    s.serial = ++fontSerials;
    return s;
}

// ---- PictureCanvas

PictureCanvas::PictureCanvas(TPageList* pages, QPointF origin, int dpiX, int dpiY)
    : pages_(pages), origin_(origin) {
    const QPicture probe;
    scaleX_ = qreal(probe.logicalDpiX()) / dpiX;
    scaleY_ = qreal(probe.logicalDpiY()) / dpiY;
}

PictureCanvas::~PictureCanvas() {
    if (painter_.isActive()) painter_.end();
}

void PictureCanvas::beginPage() {
    picture_ = QPicture();
    painter_.begin(&picture_);
    painter_.scale(scaleX_, scaleY_);
    painter_.translate(origin_);
    fontSerial_ = -1;
    penColor_ = QColor();
    lineWidth_ = -1;
}

void PictureCanvas::endPage(bool) {
    painter_.end();
    pages_->append(picture_);
    picture_ = QPicture();
}

void PictureCanvas::drawText(qreal x, qreal top, const QString& text, const FontState& font) {
    if (text.isEmpty()) return;
    if (font.serial != fontSerial_) {
        painter_.setFont(font.font);
        fontSerial_ = font.serial;
    }
    if (font.color != penColor_ || lineWidth_ >= 0) {
        painter_.setPen(font.color);
        penColor_ = font.color;
        lineWidth_ = -1;
    }
    painter_.drawText(QPointF(x, top + font.ascent), text);
}

namespace {
QPen linePen(int width) {
    QPen pen(Qt::black);
    pen.setWidth(width); // 0: a hairline on every device
    pen.setCapStyle(Qt::SquareCap);
    return pen;
}
} // namespace

void PictureCanvas::drawLine(const QLineF& line, int penWidth) {
    if (lineWidth_ != penWidth) {
        painter_.setPen(linePen(penWidth));
        penColor_ = QColor();
        lineWidth_ = penWidth;
    }
    painter_.drawLine(line);
}

void PictureCanvas::fillRect(const QRectF& rect, const QColor& color) {
    painter_.fillRect(rect, color);
}

void PictureCanvas::drawImage(const QRectF& rect, const QImage& image) {
    painter_.drawImage(rect, image);
}

// ---- ShapedTexts

void ShapedTexts::draw(QPainter& painter, QPointF baseline, const QString& text,
                       const FontState& font) {
    if (shapes_.size() >= kLimit) shapes_.clear();
    Shape& shape = shapes_[{font.serial, text}];
    if (!shape.runs.isEmpty()) {
        ++reused_;
        const QPointF origin(baseline.x(), baseline.y() - shape.ascent);
        for (const QGlyphRun& run : std::as_const(shape.runs))
            painter.drawGlyphRun(origin, run);
        return;
    }
    if (shape.ascent == 0) {
        // Seen once: most texts of a report (titles, summaries) are never drawn again.
        shape.ascent = -1;
        painter.drawText(baseline, text);
        return;
    }
    QTextLayout layout(text, font.font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    shape.runs = layout.glyphRuns();
    shape.ascent = line.isValid() ? line.ascent() : 0;
    ++shaped_;
    if (shape.runs.isEmpty()) {
        shapes_.remove({font.serial, text});
        painter.drawText(baseline, text);
        return;
    }
    const QPointF origin(baseline.x(), baseline.y() - shape.ascent);
    for (const QGlyphRun& run : std::as_const(shape.runs))
        painter.drawGlyphRun(origin, run);
}

// ---- DeviceCanvas

DeviceCanvas::DeviceCanvas(PrinterDevice& printer, QPointF origin)
    : printer_(printer), origin_(origin) {}

DeviceCanvas::~DeviceCanvas() {
    if (!finished_ && printer_.isPrinting()) printer_.abort();
}

void DeviceCanvas::beginPage() {
    painter_ = nullptr;
    if (pages_++ > 0 && !printer_.newPage())
        throw EPagePrinter(QStringLiteral("Unable to start a new page on %1: %2")
                               .arg(printer_.name(), printer_.lastError()));
    painter_ = printer_.painter();
    painter_->save();
    fontSerial_ = -1;
    penColor_ = QColor();
    lineWidth_ = -1;
}

void DeviceCanvas::endPage(bool) {
    if (painter_) painter_->restore();
}

void DeviceCanvas::drawText(qreal x, qreal top, const QString& text, const FontState& font) {
    if (text.isEmpty()) return;
    if (font.serial != fontSerial_) {
        painter_->setFont(font.font);
        fontSerial_ = font.serial;
    }
    if (font.color != penColor_ || lineWidth_ >= 0) {
        painter_->setPen(font.color);
        penColor_ = font.color;
        lineWidth_ = -1;
    }
    // Positions are moved by the origin here rather than by the painter, so that the PDF
    // writer has no transformation to write before every text.
    const QPointF baseline = origin_ + QPointF(x, top + font.ascent);
    if (printer_.needsText())
        painter_->drawText(baseline, text);
    else
        shapes_.draw(*painter_, baseline, text, font);
}

void DeviceCanvas::drawLine(const QLineF& line, int penWidth) {
    if (lineWidth_ != penWidth) {
        painter_->setPen(linePen(penWidth));
        penColor_ = QColor();
        lineWidth_ = penWidth;
    }
    painter_->drawLine(line.translated(origin_));
}

void DeviceCanvas::fillRect(const QRectF& rect, const QColor& color) {
    painter_->fillRect(rect.translated(origin_), color);
}

void DeviceCanvas::drawImage(const QRectF& rect, const QImage& image) {
    painter_->drawImage(rect.translated(origin_), image);
}

void DeviceCanvas::finish() {
    finished_ = true;
    if (!printer_.end())
        throw EPagePrinter(QStringLiteral("Unable to finish printing on %1: %2")
                               .arg(printer_.name(), printer_.lastError()));
}

// ---- TextCanvas

TextCanvas::TextCanvas(const QString& fileName, qreal spaceWidth)
    : file_(fileName), spaceWidth_(std::max<qreal>(1, spaceWidth)) {
    if (fileName.isEmpty())
        throw EPagePrinter(QStringLiteral("No file name given for printing to file"));
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        throw EPagePrinter(
            QStringLiteral("Unable to create file %1: %2").arg(fileName, file_.errorString()));
    out_.setDevice(&file_);
    out_.setEncoding(QStringConverter::Utf8);
}

void TextCanvas::place(QString& line, int column, const QString& text) {
    column = std::max(column, 0);
    if (line.size() < column)
        line.append(QString(column - line.size(), QLatin1Char(' ')));
    else if (!line.isEmpty() && !line.endsWith(QLatin1Char(' ')))
        line.append(QLatin1Char(' '));
    line.append(text);
}

void TextCanvas::beginPage() {
    header_.clear();
    footer_.clear();
    line_.clear();
    lineUsed_ = false;
    region_ = Region::Body;
}

void TextCanvas::writeLines(const std::map<qreal, QString>& lines) {
    for (const auto& [y, text] : lines)
        out_ << text << '\n';
}

void TextCanvas::setRegion(Region region) {
    if (region_ == Region::Header && region != Region::Header && !header_.empty()) {
        writeLines(header_);
        out_ << '\n';
        header_.clear();
    }
    region_ = region;
}

namespace {

// A text file holds no control character from the data: each is written as \xNN (as rkdb
// list shows it), so that none can end a line, break a page or reach a terminal raw.
QString withoutControls(const QString& text) {
    const auto control = [](QChar c) {
        return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
    };
    if (std::none_of(text.begin(), text.end(), control)) return text;
    QString out;
    for (QChar c : text)
        out += control(c) ? QStringLiteral("\\x") +
                                QString::number(c.unicode(), 16).toUpper().rightJustified(2, u'0')
                          : QString(c);
    return out;
}

} // namespace

void TextCanvas::drawText(qreal x, qreal top, const QString& raw, const FontState&) {
    const QString text = withoutControls(raw);
    const int column = static_cast<int>(std::lround(x / spaceWidth_));
    switch (region_) {
    case Region::Header:
        place(header_[top], column, text);
        break;
    case Region::Footer:
        place(footer_[top], column, text);
        break;
    case Region::Body:
        place(line_, column, text);
        lineUsed_ = true;
        break;
    }
}

void TextCanvas::lineEnd() {
    out_ << line_ << '\n';
    line_.clear();
    lineUsed_ = false;
}

void TextCanvas::endPage(bool more) {
    if (lineUsed_) lineEnd();
    if (!footer_.empty()) {
        out_ << '\n';
        writeLines(footer_);
    }
    if (more) out_ << '\f' << '\n';
}

void TextCanvas::finish() {
    out_.flush();
    const bool ok = out_.status() == QTextStream::Ok && file_.error() == QFileDevice::NoError;
    const QString error = file_.errorString();
    file_.close();
    if (!ok || file_.error() != QFileDevice::NoError)
        throw EPagePrinter(
            QStringLiteral("Unable to write file %1: %2").arg(file_.fileName(), error));
}

} // namespace rk::print
