#include "tabpictures.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>

static void initWidgetResources() {
    Q_INIT_RESOURCE(rkwidgets);
}

namespace rk {

namespace {

void ensureResources() {
    static const bool done = [] {
        initWidgetResources();
        return true;
    }();
    (void)done;
}

QSize logicalSize(const QPixmap& pixmap) {
    return (QSizeF(pixmap.size()) / pixmap.devicePixelRatio()).toSize();
}

} // namespace

QPixmap loadTabPicture(const QString& name, qreal devicePixelRatio) {
    ensureResources();
    if (devicePixelRatio <= 0) devicePixelRatio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    const QString base = QStringLiteral(":/rkwidgets/%1").arg(name);
    const QString large = base + QStringLiteral("@2x.png");
    if (devicePixelRatio > 1.0 && QFile::exists(large)) {
        QPixmap pixmap(large);
        pixmap.setDevicePixelRatio(2.0);
        return pixmap;
    }
    return QPixmap(base + QStringLiteral(".png"));
}

QPixmap loadTabPicture(int index, qreal devicePixelRatio) {
    return loadTabPicture(QStringLiteral("TAB%1").arg(index), devicePixelRatio);
}

QList<QPixmap> loadTabPictures(int first, int count, qreal devicePixelRatio) {
    QList<QPixmap> pictures;
    for (int i = first; i < first + count; ++i)
        pictures.append(loadTabPicture(i, devicePixelRatio));
    return pictures;
}

namespace tablayout {

QPoint pictureOrigin(const QRect& tab, const QSize& picture) {
    // Integer division truncates toward zero, also when the picture is taller than the tab.
    return tab.topLeft() + QPoint(kPictureLeft, (tab.height() - picture.height()) / 2);
}

QRect captionRect(const QRect& tab, const QSize& picture) {
    const int left = tab.left() + picture.width() + kCaptionGap;
    return QRect(left, tab.top(), std::max(0, tab.right() + 1 - left), tab.height());
}

void drawTabContents(QPainter& painter, const QRect& tab, const QPixmap& picture,
                     const QString& caption, const QFont& font, const QColor& textColor) {
    const QSize size = picture.isNull() ? QSize(0, 0) : logicalSize(picture);
    if (!picture.isNull()) painter.drawPixmap(pictureOrigin(tab, size), picture);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setFont(font);
    painter.setPen(textColor);
    painter.drawText(captionRect(tab, size), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     caption);
    painter.restore();
}

} // namespace tablayout

} // namespace rk
