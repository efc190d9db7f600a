#include "creditsscroller.h"

#include <QPainter>

namespace rk {

CreditsScroller::CreditsScroller(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    timer_.setInterval(40);
    connect(&timer_, &QTimer::timeout, this, &CreditsScroller::step);
}

void CreditsScroller::setLines(const QStringList& lines) {
    lines_ = lines;
    offset_ = 0;
    update();
}

int CreditsScroller::lineHeight() const {
    return fontMetrics().height() + 3;
}

int CreditsScroller::loopHeight() const {
    if (lines_.isEmpty()) return 0;
    // The text comes round again once it has left the box completely.
    return int(lines_.size()) * lineHeight() + contentsRect().height();
}

void CreditsScroller::step() {
    const int loop = loopHeight();
    if (loop == 0) return;
    offset_ = (offset_ + 1) % loop;
    update();
}

void CreditsScroller::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    // The first showing starts with the opening lines already in view.
    if (offset_ == 0 && !lines_.isEmpty())
        offset_ = std::max(0, contentsRect().height() - 3 * lineHeight());
    timer_.start();
}

void CreditsScroller::hideEvent(QHideEvent* event) {
    timer_.stop();
    QFrame::hideEvent(event);
}

void CreditsScroller::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(6, 2, -6, -2);
    painter.setClipRect(area);
    const int step = lineHeight();
    // The text starts just below the box and rises through it.
    int y = area.bottom() + 1 - offset_;
    for (const QString& line : lines_) {
        const bool heading = line.startsWith(QStringLiteral("# "));
        QFont font = this->font();
        font.setBold(heading);
        painter.setFont(font);
        painter.setPen(palette().color(heading ? QPalette::Highlight : QPalette::Text));
        painter.drawText(QRect(area.left(), y, area.width(), step), Qt::AlignCenter,
                         heading ? line.mid(2) : line);
        y += step;
    }
    // Soft edges at the top and bottom, so lines fade in and out.
    const QColor base = palette().color(QPalette::Base);
    QColor clear = base;
    clear.setAlpha(0);
    const int fade = std::min(18, area.height() / 4);
    QLinearGradient top(0, area.top(), 0, area.top() + fade);
    top.setColorAt(0, base);
    top.setColorAt(1, clear);
    painter.fillRect(QRect(area.left(), area.top(), area.width(), fade), top);
    QLinearGradient bottom(0, area.bottom() - fade, 0, area.bottom() + 1);
    bottom.setColorAt(0, clear);
    bottom.setColorAt(1, base);
    painter.fillRect(QRect(area.left(), area.bottom() + 1 - fade, area.width(), fade), bottom);
}

} // namespace rk
