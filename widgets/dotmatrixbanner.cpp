#include "dotmatrixbanner.h"

#include "dotmatrixfont.h"

#include <QPainter>

namespace rk {

namespace {

constexpr qreal kDotDiameter = 1.6;
const QColor kBackground(0, 0, 0);

QColor darkDot(const QColor& lit) {
    QColor dark = lit;
    dark.setHsv(lit.hsvHue(), std::min(lit.hsvSaturation(), 200), 44);
    return dark;
}

} // namespace

DotMatrixBanner::DotMatrixBanner(QWidget* parent) : QWidget(parent) {
    timer_.setInterval(kDefaultInterval);
    connect(&timer_, &QTimer::timeout, this, &DotMatrixBanner::step);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void DotMatrixBanner::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    offset_ = 0;
    stripValid_ = false;
    update();
    emit textChanged(text_);
}

void DotMatrixBanner::setScrolling(bool on) {
    if (on == timer_.isActive()) return;
    if (on)
        timer_.start();
    else
        timer_.stop();
}

void DotMatrixBanner::setStepColumns(int columns) {
    stepColumns_ = std::max(1, columns);
}

void DotMatrixBanner::setDotColor(const QColor& color) {
    dotColor_ = color;
    stripValid_ = false;
    update();
}

void DotMatrixBanner::setOffset(int pixels) {
    const int width = textWidth();
    if (width == 0) {
        offset_ = 0;
    } else {
        // Offsets stay on the dot grid, so that lit dots always fall on dark dots.
        pixels -= pixels % kDotPitch;
        offset_ = ((pixels % width) + width) % width;
    }
    update();
}

int DotMatrixBanner::characterIndexAt(int x) const {
    const int width = textWidth();
    if (width == 0) return -1;
    const int position = (((x + offset_) % width) + width) % width;
    return position / kCellWidth;
}

void DotMatrixBanner::step() {
    if (textWidth() == 0) return;
    setOffset(offset_ + stepWidth());
    emit stepped(offset_);
}

QSize DotMatrixBanner::sizeHint() const {
    return {320, kMatrixHeight + 8};
}

QSize DotMatrixBanner::minimumSizeHint() const {
    return {kCellWidth * 4, kMatrixHeight + 4};
}

void DotMatrixBanner::renderStrip(qreal ratio) {
    // A text of no characters still shows the dark dots of one blank cell.
    const QString shown = text_.isEmpty() ? QStringLiteral(" ") : text_;
    const int width = int(shown.size()) * kCellWidth;
    QPixmap strip(QSize(width, kMatrixHeight) * ratio);
    strip.setDevicePixelRatio(ratio);
    strip.fill(kBackground);

    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QColor dark = darkDot(dotColor_);
    const qreal inset = (kDotPitch - kDotDiameter) / 2.0;
    for (int i = 0; i < shown.size(); ++i) {
        const dotmatrix::Glyph glyph = dotmatrix::glyph(shown.at(i));
        for (int row = 0; row < dotmatrix::kRows; ++row) {
            for (int column = 0; column < dotmatrix::kColumns; ++column) {
                const bool lit = glyph[row] & (1u << column);
                painter.setBrush(lit ? dotColor_ : dark);
                painter.drawEllipse(QRectF(i * kCellWidth + column * kDotPitch + inset,
                                           row * kDotPitch + inset, kDotDiameter, kDotDiameter));
            }
        }
    }
    strip_ = strip;
    stripValid_ = true;
}

void DotMatrixBanner::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    if (!stripValid_ || strip_.devicePixelRatio() != ratio) renderStrip(ratio);

    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    const int stripWidth = int(strip_.width() / ratio);
    const int top = (height() - kMatrixHeight) / 2;
    const int start = text_.isEmpty() ? 0 : offset_;
    for (int x = -start; x < width(); x += stripWidth)
        painter.drawPixmap(QPoint(x, top), strip_);
}

} // namespace rk
