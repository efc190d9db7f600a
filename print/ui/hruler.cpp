#include "hruler.h"

#include <QPainter>

namespace rk::print {

THRuler::THRuler(QWidget* parent) : QWidget(parent), font_(QWidget::font()) {
    font_.setPointSize(7);
}

void THRuler::SetToward(TRulerToward toward) {
    toward_ = toward;
    update();
}

void THRuler::SetStart(int pixels) {
    start_ = pixels;
    update();
}

void THRuler::SetFont(const QFont& font) {
    font_ = font;
    update();
}

void THRuler::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(Qt::black);
    p.setFont(font_);
    const int h = height();
    const bool down = toward_ == rpDown;
    const int edge = down ? 0 : h - 1;
    p.drawLine(0, edge, width(), edge);
    const QFontMetrics fm(font_);
    for (const RulerTick& t : rulerTicks(kUnits, kDpi, start_, width())) {
        static constexpr qreal kLength[] = {0.5, 0.375, 0.25, 0.15};
        const int len = qRound(h * kLength[t.level]);
        const qreal x = qRound(t.pos) + 0.5;
        p.drawLine(QPointF(x, edge), QPointF(x, down ? edge + len : edge - len));
        if (t.number >= 0) {
            const int baseline = down ? h - fm.descent() - 1 : fm.ascent() + 1;
            p.drawText(QPointF(x + 2, baseline), QString::number(t.number));
        }
    }
}

} // namespace rk::print
