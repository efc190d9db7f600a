#include "colorpickerbutton.h"

#include <QColorDialog>
#include <QEvent>
#include <QPainter>

namespace rk {

ColorPickerButton::ColorPickerButton(QWidget* parent)
    : QPushButton(parent), chooser_(systemDialog()) {
    setIconSize(QSize(18, 14));
    connect(this, &QPushButton::clicked, this, &ColorPickerButton::choose);
    updateSwatch();
}

ColorPickerButton::ColorPickerButton(const QString& caption, QWidget* parent)
    : ColorPickerButton(parent) {
    setText(caption);
}

ColorPickerButton::Chooser ColorPickerButton::systemDialog() {
    return [](const QColor& initial, QWidget* parent) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(initial, parent);
        if (!chosen.isValid()) return std::nullopt;
        return chosen;
    };
}

void ColorPickerButton::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    updateSwatch();
    emit colorChanged(color_);
}

void ColorPickerButton::choose() {
    if (!chooser_) return;
    const std::optional<QColor> chosen = chooser_(color_, this);
    if (!chosen || !chosen->isValid()) return;
    setColor(*chosen);
    emit colorChosen(color_);
}

void ColorPickerButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
        updateSwatch();
    QPushButton::changeEvent(event);
}

void ColorPickerButton::updateSwatch() {
    const qreal ratio = devicePixelRatioF();
    QPixmap swatch(iconSize() * ratio);
    swatch.setDevicePixelRatio(ratio);
    swatch.fill(Qt::transparent);
    QPainter p(&swatch);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette().color(QPalette::Mid), 1.0));
    p.setBrush(color_);
    p.drawRoundedRect(QRectF(0.5, 0.5, iconSize().width() - 1.0, iconSize().height() - 1.0), 3, 3);
    p.end();
    setIcon(QIcon(swatch));
}

} // namespace rk
