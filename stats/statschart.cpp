#include "statschart.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

constexpr int kMargin = 12, kGap = 10, kLabelWidth = 170, kFigureWidth = 90;

} // namespace

StatsChart::StatsChart(QWidget* parent) : QWidget(parent) {
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void StatsChart::setSections(std::vector<rk::print::StatsSection> sections) {
    sections_ = std::move(sections);
    updateGeometry();
    adjustSize();
    update();
}

int StatsChart::lineHeight() const {
    return fontMetrics().height() + 6;
}

int StatsChart::headingHeight() const {
    return fontMetrics().height() * 2 + 4;
}

QSize StatsChart::sizeHint() const {
    int h = kMargin;
    for (const auto& s : sections_)
        h += headingHeight() + int(s.lines.size()) * lineHeight();
    return {kMargin * 2 + kLabelWidth + kGap * 2 + 260 + kFigureWidth, h + kMargin};
}

QSize StatsChart::minimumSizeHint() const {
    return {kMargin * 2 + kLabelWidth + kGap * 2 + 120 + kFigureWidth, sizeHint().height()};
}

void StatsChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics fm = fontMetrics();
    QFont headingFont = font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(font().pointSizeF() * 1.15);
    const int barLeft = kMargin + kLabelWidth + kGap;
    const int barSpace = std::max(40, width() - barLeft - kGap - kFigureWidth - kMargin);
    int y = kMargin;
    for (size_t i = 0; i < sections_.size(); ++i) {
        const auto& section = sections_[i];
        const QColor colour = rk::print::statsColour(i);
        p.setFont(headingFont);
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRect(kMargin, y, width() - 2 * kMargin, headingHeight()),
                   Qt::AlignLeft | Qt::AlignBottom, section.heading);
        p.setPen(colour);
        p.drawLine(kMargin, y + headingHeight() - 1, width() - kMargin, y + headingHeight() - 1);
        y += headingHeight() + 4;
        p.setFont(font());
        double largest = 0;
        for (const auto& line : section.lines)
            largest = std::max(largest, line.amount);
        for (const auto& line : section.lines) {
            const QRect row(kMargin, y, width() - 2 * kMargin, lineHeight());
            p.setPen(palette().color(QPalette::Text));
            p.drawText(QRect(kMargin, y, kLabelWidth, lineHeight()),
                       Qt::AlignRight | Qt::AlignVCenter,
                       fm.elidedText(line.label, Qt::ElideRight, kLabelWidth));
            const int length = largest > 0
                                   ? std::max(line.amount > 0 ? 2 : 0,
                                              int(barSpace * std::min(1.0, line.amount / largest)))
                                   : 0;
            QPainterPath bar;
            bar.addRoundedRect(QRectF(barLeft, y + 3, length, lineHeight() - 6), 2, 2);
            p.fillPath(bar, colour);
            p.drawText(QRect(barLeft + length + kGap / 2, y, kFigureWidth, lineHeight()),
                       Qt::AlignLeft | Qt::AlignVCenter, line.figure);
            y += row.height();
        }
    }
}
