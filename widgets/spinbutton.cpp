#include "spinbutton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace rk {

SpinButton::SpinButton(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    repeatTimer_.setSingleShot(false);
    connect(&repeatTimer_, &QTimer::timeout, this, &SpinButton::repeat);
}

SpinButton::Half SpinButton::halfAt(const QPoint& point) const {
    if (!rect().contains(point)) return Half::None;
    return point.y() < (height() + 1) / 2 ? Half::Top : Half::Bottom;
}

QSize SpinButton::sizeHint() const {
    return {18, 24};
}

void SpinButton::fire(Half half) {
    if (half == Half::Top)
        emit topClick();
    else if (half == Half::Bottom)
        emit bottomClick();
}

void SpinButton::repeat() {
    repeatTimer_.setInterval(repeatInterval_);
    if (pressedInside_) fire(pressed_);
}

void SpinButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) return;
    pressed_ = halfAt(event->position().toPoint());
    if (pressed_ == Half::None) return;
    pressedInside_ = true;
    update();
    fire(pressed_);
    repeatTimer_.start(repeatDelay_);
}

void SpinButton::mouseMoveEvent(QMouseEvent* event) {
    const Half under = halfAt(event->position().toPoint());
    const bool inside = pressed_ != Half::None && under == pressed_;
    if (under != hovered_ || inside != pressedInside_) {
        hovered_ = under;
        pressedInside_ = inside;
        update();
    }
}

void SpinButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    repeatTimer_.stop();
    pressed_ = Half::None;
    pressedInside_ = false;
    update();
}

void SpinButton::leaveEvent(QEvent*) {
    hovered_ = Half::None;
    update();
}

void SpinButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        repeatTimer_.stop();
        pressed_ = Half::None;
        pressedInside_ = false;
    }
    QWidget::changeEvent(event);
}

void SpinButton::paintHalf(QPainter& painter, const QRectF& rect, Half half) const {
    const QPalette& pal = palette();
    const bool down = pressed_ == half && pressedInside_;
    const bool hover = hovered_ == half && isEnabled();
    QColor top = pal.color(QPalette::Light);
    QColor bottom = pal.color(QPalette::Button);
    if (hover) {
        top = top.lighter(105);
        bottom = bottom.lighter(108);
    }
    if (down) std::swap(top, bottom);
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, down ? bottom.darker(108) : bottom);
    painter.fillRect(rect, gradient);

    // A chevron pointing up or down, centred in its half.
    const QPointF centre = rect.center() + (down ? QPointF(0.5, 0.5) : QPointF());
    const qreal w = std::min(rect.width() * 0.25, 4.0);
    const qreal h = w * 0.6;
    QPainterPath chevron;
    const qreal sign = half == Half::Top ? 1.0 : -1.0;
    chevron.moveTo(centre + QPointF(-w, sign * h / 2));
    chevron.lineTo(centre + QPointF(0, -sign * h / 2));
    chevron.lineTo(centre + QPointF(w, sign * h / 2));
    const QColor ink =
        pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    painter.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(chevron);
}

void SpinButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal middle = (height() + 1) / 2;

    QPainterPath outline;
    outline.addRoundedRect(frame, 3, 3);
    painter.save();
    painter.setClipPath(outline);
    paintHalf(painter, QRectF(frame.left(), frame.top(), frame.width(), middle - frame.top()),
              Half::Top);
    paintHalf(painter, QRectF(frame.left(), middle, frame.width(), frame.bottom() - middle),
              Half::Bottom);
    painter.restore();

    const QColor border = palette().color(QPalette::Mid);
    painter.setPen(QPen(border, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
    painter.drawLine(QPointF(frame.left() + 2, middle), QPointF(frame.right() - 2, middle));
}

} // namespace rk
