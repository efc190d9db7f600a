#include "gradienttoolbutton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionToolButton>

namespace rk {

namespace {

constexpr qreal kCornerRadius = 4.0;

// A brighter version of a colour for the hover face, kept within the colour range.
QColor hoverTint(const QColor& color) {
    return color.lighter(112);
}

} // namespace

bool GradientLook::operator==(const GradientLook& other) const {
    return lightColor == other.lightColor && shadowColor == other.shadowColor &&
           flat == other.flat && vertical == other.vertical && font == other.font;
}

GradientToolButton::GradientToolButton(QWidget* parent)
    : QToolButton(parent), light_(defaultLightColor()), shadow_(defaultShadowColor()) {
    setAttribute(Qt::WA_Hover);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    connect(this, &QAbstractButton::toggled, this, &GradientToolButton::onToggled);
}

GradientToolButton::GradientToolButton(const QString& caption, QWidget* parent)
    : GradientToolButton(parent) {
    setText(caption);
}

QColor GradientToolButton::defaultLightColor() {
    return QApplication::palette().color(QPalette::Light);
}

QColor GradientToolButton::defaultShadowColor() {
    return QApplication::palette().color(QPalette::Dark);
}

void GradientToolButton::setLightColor(const QColor& color) {
    light_ = color;
    update();
}

void GradientToolButton::setShadowColor(const QColor& color) {
    shadow_ = color;
    update();
}

void GradientToolButton::setFlat(bool flat) {
    flat_ = flat;
    update();
}

void GradientToolButton::setVertical(bool vertical) {
    vertical_ = vertical;
    update();
}

GradientLook GradientToolButton::look() const {
    return GradientLook{light_, shadow_, flat_, vertical_, font()};
}

void GradientToolButton::setLook(const GradientLook& look) {
    light_ = look.lightColor;
    shadow_ = look.shadowColor;
    flat_ = look.flat;
    vertical_ = look.vertical;
    setFont(look.font);
    updateGeometry();
    update();
}

void GradientToolButton::setGroupIndex(int index) {
    groupIndex_ = index;
    if (index != 0) setCheckable(true);
}

void GradientToolButton::setAllowAllUp(bool allow) {
    allowAllUp_ = allow;
}

GradientToolButton::FaceState GradientToolButton::faceState() const {
    if (isDown() || isChecked()) return FaceState::Pressed;
    if (isEnabled() && underMouse()) return FaceState::Hover;
    return FaceState::Idle;
}

std::optional<QLinearGradient>
GradientToolButton::faceGradient(const GradientLook& look, FaceState state, const QRectF& rect) {
    if (look.flat && state == FaceState::Idle) return std::nullopt;
    const QPointF end = look.vertical ? rect.bottomLeft() : rect.topRight();
    QLinearGradient gradient(rect.topLeft(), end);
    QColor first = look.lightColor;
    QColor last = look.shadowColor;
    if (state == FaceState::Hover) {
        first = hoverTint(first);
        last = hoverTint(last);
    } else if (state == FaceState::Pressed) {
        std::swap(first, last);
    }
    gradient.setColorAt(0.0, first);
    gradient.setColorAt(1.0, last);
    return gradient;
}

QSize GradientToolButton::sizeHint() const {
    QSize size = QToolButton::sizeHint();
    return size + QSize(8, 4);
}

void GradientToolButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const FaceState state = faceState();
    const QRectF face = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

    if (auto gradient = faceGradient(look(), state, face)) {
        QPainterPath path;
        path.addRoundedRect(face, kCornerRadius, kCornerRadius);
        painter.fillPath(path, *gradient);
        QColor border = shadow_.darker(state == FaceState::Hover ? 150 : 125);
        if (!isEnabled()) border.setAlpha(110);
        painter.setPen(QPen(border, 1.0));
        painter.drawPath(path);
        if (state == FaceState::Pressed) {
            // A soft inner shade along the top edge makes a down button read as sunk.
            QColor shade(0, 0, 0, 40);
            painter.setPen(QPen(shade, 1.0));
            painter.drawLine(face.topLeft() + QPointF(kCornerRadius, 1.0),
                             face.topRight() + QPointF(-kCornerRadius, 1.0));
        }
    }

    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.rect = rect().adjusted(3, 2, -3, -2);
    if (state == FaceState::Pressed) option.rect.translate(1, 1);
    option.features &= ~QStyleOptionToolButton::HasMenu;
    style()->drawControl(QStyle::CE_ToolButtonLabel, &option, &painter, this);

    if (menu() && popupMode() == QToolButton::InstantPopup) {
        // A small chevron in the lower right corner says that the button opens a menu.
        const QPointF tip(width() - 7.0, height() - 6.0);
        QPainterPath arrow;
        arrow.moveTo(tip + QPointF(-3.0, -2.0));
        arrow.lineTo(tip);
        arrow.lineTo(tip + QPointF(3.0, -2.0));
        painter.setPen(QPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                            QPalette::ButtonText),
                            1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(arrow);
    }
}

void GradientToolButton::nextCheckState() {
    if (groupIndex_ != 0 && isChecked() && !allowAllUp_) return;
    QToolButton::nextCheckState();
}

void GradientToolButton::enterEvent(QEnterEvent* event) {
    QToolButton::enterEvent(event);
    update();
}

void GradientToolButton::leaveEvent(QEvent* event) {
    QToolButton::leaveEvent(event);
    update();
}

void GradientToolButton::onToggled(bool checked) {
    if (!checked || groupIndex_ == 0 || !parentWidget()) return;
    const auto siblings =
        parentWidget()->findChildren<GradientToolButton*>(Qt::FindDirectChildrenOnly);
    for (GradientToolButton* other : siblings) {
        if (other != this && other->groupIndex_ == groupIndex_ && other->isChecked())
            other->setChecked(false);
    }
}

int applyLookToAll(QWidget* container, const GradientLook& look, const GradientToolButton* except) {
    if (!container) return 0;
    int changed = 0;
    for (GradientToolButton* button : container->findChildren<GradientToolButton*>()) {
        if (button == except) continue;
        button->setLook(look);
        ++changed;
    }
    return changed;
}

int copyLookToAll(const GradientToolButton& model, QWidget* container) {
    return applyLookToAll(container, model.look(), &model);
}

} // namespace rk
