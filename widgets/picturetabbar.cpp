#include "picturetabbar.h"

#include "tabpictures.h"

#include <QPainter>
#include <QPainterPath>

namespace rk {

PictureTabBar::PictureTabBar(QWidget* parent) : QTabBar(parent) {
    const QColor face = palette().color(QPalette::Button);
    activeColor_ = face;
    inactiveColor_ = face;
    activeFont_ = font();
    inactiveFont_ = font();
    setExpanding(false);
    setElideMode(Qt::ElideNone);
    setDrawBase(false);
}

void PictureTabBar::setTabWidth(int width) {
    setTabSize(QSize(width, tabSize_.height()));
}

void PictureTabBar::setTabHeight(int height) {
    setTabSize(QSize(tabSize_.width(), height));
}

void PictureTabBar::setTabSize(const QSize& size) {
    tabSize_ = size;
    updateGeometry();
    update();
    // QTabBar caches the tab rectangles; a text change makes it lay them out again.
    for (int i = 0; i < count(); ++i)
        setTabText(i, tabText(i));
}

void PictureTabBar::setActiveColor(const QColor& color) {
    activeColor_ = color;
    update();
}

void PictureTabBar::setInactiveColor(const QColor& color) {
    inactiveColor_ = color;
    update();
}

void PictureTabBar::setActiveFont(const QFont& font) {
    activeFont_ = font;
    setTabSize(tabSize_);
}

void PictureTabBar::setInactiveFont(const QFont& font) {
    inactiveFont_ = font;
    setTabSize(tabSize_);
}

void PictureTabBar::setPictures(const QList<QPixmap>& pictures) {
    pictures_ = pictures;
    setTabSize(tabSize_);
}

QPixmap PictureTabBar::picture(int index) const {
    return index >= 0 && index < pictures_.size() ? pictures_.at(index) : QPixmap();
}

QSize PictureTabBar::tabSizeHint(int index) const {
    // The given width, or more when the caption would not fit after the picture.
    const QPixmap shown = picture(index);
    const int pictureWidth = shown.isNull() ? 0 : int(shown.width() / shown.devicePixelRatio());
    const QString caption = tabText(index);
    const int textWidth = std::max(QFontMetrics(activeFont_).horizontalAdvance(caption),
                                   QFontMetrics(inactiveFont_).horizontalAdvance(caption));
    const int needed = pictureWidth + tablayout::kCaptionGap + textWidth + 8;
    return {std::max(tabSize_.width(), needed), tabSize_.height()};
}

QSize PictureTabBar::minimumTabSizeHint(int index) const {
    return tabSizeHint(index);
}

void PictureTabBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The line under the tabs, broken by the active tab so that it joins its page.
    const QColor line = palette().color(QPalette::Mid);
    painter.setPen(QPen(line, 1.0));
    painter.drawLine(QPointF(0, height() - 0.5), QPointF(width(), height() - 0.5));
    for (int i = 0; i < count(); ++i) {
        if (i != currentIndex()) paintTab(painter, i, tabRect(i), false);
    }
    if (currentIndex() >= 0) paintTab(painter, currentIndex(), tabRect(currentIndex()), true);
}

void PictureTabBar::paintTab(QPainter& painter, int index, const QRect& rect, bool active) {
    const QColor line = palette().color(QPalette::Mid);
    const QRectF face = QRectF(rect).adjusted(active ? 0.5 : 1.5, active ? 0.5 : 2.5,
                                              active ? -0.5 : -1.5, active ? 1.0 : -0.5);
    QPainterPath outline;
    const qreal r = 4.0;
    outline.moveTo(face.bottomLeft());
    outline.lineTo(face.left(), face.top() + r);
    outline.quadTo(face.topLeft(), QPointF(face.left() + r, face.top()));
    outline.lineTo(face.right() - r, face.top());
    outline.quadTo(face.topRight(), QPointF(face.right(), face.top() + r));
    outline.lineTo(face.bottomRight());

    QColor fill = active ? activeColor_ : inactiveColor_;
    if (!active) fill = fill.darker(106);
    if (!isTabEnabled(index)) fill = fill.darker(103);
    painter.fillPath(outline, fill);
    painter.setPen(QPen(line, 1.0));
    painter.drawPath(outline);
    if (active) {
        // An accent along the top edge marks the active tab (both colours may be the same).
        QPainterPath accent;
        accent.addRoundedRect(QRectF(face.left() + 1.5, face.top() + 0.5, face.width() - 3.0, 2.0),
                              1.0, 1.0);
        painter.fillPath(accent, palette().color(QPalette::Highlight));
    }

    const QColor text = palette().color(isTabEnabled(index) ? QPalette::Active : QPalette::Disabled,
                                        QPalette::ButtonText);
    tablayout::drawTabContents(painter, rect, picture(index), tabText(index),
                               active ? activeFont_ : inactiveFont_, text);
}

PictureTabWidget::PictureTabWidget(QWidget* parent)
    : QTabWidget(parent), bar_(new PictureTabBar(this)) {
    setTabBar(bar_);
    // Fixed-size tabs: the bar must not stretch them over its free space.
    bar_->setExpanding(false);
}

} // namespace rk
