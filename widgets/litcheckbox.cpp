#include "litcheckbox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace rk {

namespace {

constexpr int kLampSize = 14;
constexpr int kTextGap = 5;

QSize logicalSize(const QPixmap& pixmap) {
    return (QSizeF(pixmap.size()) / pixmap.devicePixelRatio()).toSize();
}

} // namespace

LitCheckBox::LitCheckBox(QWidget* parent) : QCheckBox(parent) {}

LitCheckBox::LitCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {}

void LitCheckBox::setReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    setFocusPolicy(readOnly ? Qt::NoFocus : Qt::StrongFocus);
}

void LitCheckBox::setTickedPicture(const QPixmap& picture) {
    ticked_ = picture;
    updateGeometry();
    update();
}

void LitCheckBox::setClearPicture(const QPixmap& picture) {
    clear_ = picture;
    updateGeometry();
    update();
}

void LitCheckBox::setGreyedPicture(const QPixmap& picture) {
    greyed_ = picture;
    updateGeometry();
    update();
}

LitCheckBox::Picture LitCheckBox::shownPicture() const {
    if (!isEnabled() || checkState() == Qt::PartiallyChecked) return Picture::Greyed;
    return checkState() == Qt::Checked ? Picture::Ticked : Picture::Clear;
}

QPixmap LitCheckBox::defaultPicture(Picture which, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(kLampSize, kLampSize) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF bezel(0.5, 0.5, kLampSize - 1.0, kLampSize - 1.0);
    const QRectF lens = bezel.adjusted(2.0, 2.0, -2.0, -2.0);

    // Metal bezel.
    QLinearGradient ring(bezel.topLeft(), bezel.bottomRight());
    ring.setColorAt(0, QColor(0xf1, 0xf5, 0xf9));
    ring.setColorAt(1, QColor(0x64, 0x74, 0x8b));
    p.setPen(QPen(QColor(0x47, 0x55, 0x69), 0.8));
    p.setBrush(ring);
    p.drawEllipse(bezel);

    QColor core;
    QColor edge;
    switch (which) {
    case Picture::Ticked:
        core = QColor(0xbb, 0xff, 0x9e);
        edge = QColor(0x16, 0xa3, 0x4a);
        break;
    case Picture::Clear:
        core = QColor(0x3f, 0x6b, 0x4c);
        edge = QColor(0x14, 0x2b, 0x1c);
        break;
    case Picture::Greyed:
        core = QColor(0xd4, 0xd4, 0xd8);
        edge = QColor(0x9c, 0xa3, 0xaf);
        break;
    }
    QRadialGradient glass(lens.center() - QPointF(1.0, 1.0), lens.width() * 0.65);
    glass.setColorAt(0, core);
    glass.setColorAt(1, edge);
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawEllipse(lens);
    // A small highlight on the glass.
    p.setBrush(QColor(255, 255, 255, which == Picture::Ticked ? 200 : 90));
    p.drawEllipse(QRectF(lens.left() + 1.6, lens.top() + 1.4, 2.6, 2.0));
    return pixmap;
}

QPixmap LitCheckBox::pictureFor(Picture which) const {
    const QPixmap& own = which == Picture::Ticked  ? ticked_
                         : which == Picture::Clear ? clear_
                                                   : greyed_;
    if (!own.isNull()) return own;
    return defaultPicture(which, devicePixelRatioF());
}

QSize LitCheckBox::pictureSize() const {
    QSize size(0, 0);
    for (Picture which : {Picture::Ticked, Picture::Clear, Picture::Greyed})
        size = size.expandedTo(logicalSize(pictureFor(which)));
    return size;
}

QSize LitCheckBox::sizeHint() const {
    const QSize picture = pictureSize();
    const QFontMetrics metrics = fontMetrics();
    const int textWidth = text().isEmpty() ? 0 : kTextGap + metrics.horizontalAdvance(text());
    return {picture.width() + textWidth + 2, std::max(picture.height(), metrics.height()) + 4};
}

void LitCheckBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPixmap picture = pictureFor(shownPicture());
    const QSize size = logicalSize(picture);
    const QSize box = pictureSize();
    const int top = (height() - size.height()) / 2;
    painter.drawPixmap(QPoint(1 + (box.width() - size.width()) / 2, top), picture);

    const QRect textRect(box.width() + 1 + kTextGap, 0, width() - box.width() - 1 - kTextGap,
                         height());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(textRect,
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                     text());

    if (hasFocus() && !readOnly_) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = painter.boundingRect(textRect, Qt::AlignLeft | Qt::AlignVCenter, text())
                         .adjusted(-2, 0, 2, 0);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

bool LitCheckBox::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}

void LitCheckBox::mousePressEvent(QMouseEvent* event) {
    if (readOnly_) {
        event->ignore();
        return;
    }
    QCheckBox::mousePressEvent(event);
}

void LitCheckBox::mouseReleaseEvent(QMouseEvent* event) {
    if (readOnly_) {
        event->ignore();
        return;
    }
    QCheckBox::mouseReleaseEvent(event);
}

void LitCheckBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (readOnly_) {
        event->ignore();
        return;
    }
    QCheckBox::mouseDoubleClickEvent(event);
}

void LitCheckBox::keyPressEvent(QKeyEvent* event) {
    if (readOnly_) {
        event->ignore();
        return;
    }
    QCheckBox::keyPressEvent(event);
}

void LitCheckBox::keyReleaseEvent(QKeyEvent* event) {
    if (readOnly_) {
        event->ignore();
        return;
    }
    QCheckBox::keyReleaseEvent(event);
}

} // namespace rk
