#include "transparentpicture.h"

#include <QMouseEvent>
#include <QPainter>

namespace rk {

TransparentPicture::TransparentPicture(QWidget* parent) : QWidget(parent) {}

void TransparentPicture::setPicture(const QPixmap& picture) {
    picture_ = picture;
    rebuild();
}

void TransparentPicture::setTransparentColor(const QColor& color) {
    transparentColor_ = color;
    rebuild();
}

void TransparentPicture::setStretch(bool stretch) {
    stretch_ = stretch;
    rebuild();
}

QSize TransparentPicture::pictureSize() const {
    if (picture_.isNull()) return {0, 0};
    return (QSizeF(picture_.size()) / picture_.devicePixelRatio()).toSize();
}

void TransparentPicture::rebuild() {
    shown_ = QImage();
    if (!picture_.isNull()) {
        shown_ = picture_.toImage().convertToFormat(QImage::Format_ARGB32);
        const QRgb key = transparentColor_.rgb() & 0xFFFFFF;
        for (int y = 0; y < shown_.height(); ++y) {
            QRgb* line = reinterpret_cast<QRgb*>(shown_.scanLine(y));
            for (int x = 0; x < shown_.width(); ++x)
                if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
        }
        shown_.setDevicePixelRatio(picture_.devicePixelRatio());
    }
    if (stretch_) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else if (!picture_.isNull()) {
        setFixedSize(pictureSize());
    }
    updateGeometry();
    update();
}

QSize TransparentPicture::sizeHint() const {
    const QSize size = pictureSize();
    return size.isEmpty() ? QSize(32, 32) : size;
}

QPoint TransparentPicture::toPicture(const QPoint& point) const {
    const QSize size = pictureSize();
    if (!stretch_ || size.isEmpty() || width() == 0 || height() == 0) return point;
    return QPoint(point.x() * size.width() / width(), point.y() * size.height() / height());
}

void TransparentPicture::paintEvent(QPaintEvent*) {
    if (shown_.isNull()) return;
    QPainter painter(this);
    if (stretch_) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), shown_);
    } else {
        painter.drawImage(QPoint(0, 0), shown_);
    }
}

void TransparentPicture::mousePressEvent(QMouseEvent* event) {
    emit mouseDown(event->button(), event->modifiers(), event->position().toPoint());
    QWidget::mousePressEvent(event);
}

} // namespace rk
