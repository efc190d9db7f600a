#include "splashwindow.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <cmath>

namespace rk {

namespace {

constexpr int kWidth = 540;
constexpr int kHeight = 250;
const QColor kEdge(0x0b, 0x12, 0x20);

void paintReel(QPainter& p, const QPointF& centre, qreal radius) {
    QRadialGradient metal(centre - QPointF(radius * 0.3, radius * 0.35), radius * 1.3);
    metal.setColorAt(0, QColor(0xf8, 0xfa, 0xfc));
    metal.setColorAt(0.55, QColor(0xa8, 0xb4, 0xc4));
    metal.setColorAt(1, QColor(0x47, 0x55, 0x69));
    p.setPen(QPen(kEdge, 2.0));
    p.setBrush(metal);
    p.drawEllipse(centre, radius - 1.0, radius - 1.0);

    // Film wound on the hub.
    QRadialGradient film(centre, radius * 0.62);
    film.setColorAt(0, QColor(0x3a, 0x2a, 0x1a));
    film.setColorAt(0.9, QColor(0x22, 0x17, 0x0e));
    film.setColorAt(1, QColor(0x12, 0x0c, 0x08));
    p.setPen(Qt::NoPen);
    p.setBrush(film);
    p.drawEllipse(centre, radius * 0.62, radius * 0.62);

    // Six windows in the flange, showing the film behind.
    for (int i = 0; i < 6; ++i) {
        const qreal angle = i * M_PI / 3 + M_PI / 6;
        const QPointF hole = centre + QPointF(std::cos(angle), std::sin(angle)) * radius * 0.62;
        QRadialGradient shade(hole, radius * 0.2);
        shade.setColorAt(0, QColor(0x1e, 0x29, 0x3b));
        shade.setColorAt(1, QColor(0x0f, 0x17, 0x2a));
        p.setBrush(shade);
        p.setPen(QPen(QColor(0x33, 0x41, 0x55), 1.5));
        p.drawEllipse(hole, radius * 0.19, radius * 0.19);
    }
    // Hub.
    QRadialGradient hub(centre - QPointF(3, 3), radius * 0.22);
    hub.setColorAt(0, QColor(0xff, 0xff, 0xff));
    hub.setColorAt(1, QColor(0x94, 0xa3, 0xb8));
    p.setBrush(hub);
    p.setPen(QPen(kEdge, 1.5));
    p.drawEllipse(centre, radius * 0.17, radius * 0.17);
    p.setBrush(kEdge);
    p.setPen(Qt::NoPen);
    p.drawEllipse(centre, radius * 0.05, radius * 0.05);
}

// The strip of film behind the reel; its text starts at textLeft, clear of the reel.
void paintStrip(QPainter& p, const QRectF& strip, qreal textLeft, const QString& product,
                const QString& version) {
    QLinearGradient body(strip.topLeft(), strip.bottomLeft());
    body.setColorAt(0, QColor(0x1e, 0x3a, 0x8a));
    body.setColorAt(0.5, QColor(0x17, 0x25, 0x54));
    body.setColorAt(1, QColor(0x0b, 0x12, 0x20));
    QPainterPath outline;
    outline.addRoundedRect(strip, 14, 14);
    p.setPen(QPen(kEdge, 2.0));
    p.setBrush(body);
    p.drawPath(outline);

    // Sprocket holes along both edges of the film.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe2, 0xe8, 0xf0, 215));
    for (qreal x = textLeft; x < strip.right() - 16; x += 19) {
        p.drawRoundedRect(QRectF(x, strip.top() + 8, 10, 8), 2, 2);
        p.drawRoundedRect(QRectF(x, strip.bottom() - 16, 10, 8), 2, 2);
    }

    const QRectF text(textLeft, strip.top() + 26, strip.right() - 18 - textLeft,
                      strip.height() - 52);
    QFont title(QGuiApplication::font().family());
    title.setWeight(QFont::Bold);
    // The largest size at which the name fits on the strip.
    for (int size = 46; size > 12; size -= 2) {
        title.setPixelSize(size);
        if (QFontMetricsF(title).horizontalAdvance(product) <= text.width()) break;
    }
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(text.translated(1.5, 2), Qt::AlignLeft | Qt::AlignVCenter, product);
    QLinearGradient gold(text.topLeft(), text.bottomLeft());
    gold.setColorAt(0.3, QColor(0xfe, 0xf3, 0xc7));
    gold.setColorAt(0.7, QColor(0xfb, 0xbf, 0x24));
    p.setPen(QPen(QBrush(gold), 1));
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, product);

    QFont small(QGuiApplication::font().family());
    small.setPixelSize(15);
    small.setWeight(QFont::DemiBold);
    p.setFont(small);
    p.setPen(QColor(0xcb, 0xd5, 0xe1));
    p.drawText(text.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignBottom, version);
    p.drawText(text.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("Home video catalogue"));
}

} // namespace

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    closeTimer_.setSingleShot(true);
    connect(&closeTimer_, &QTimer::timeout, this, &QWidget::close);
    setPicture(defaultPicture(qGuiApp ? qGuiApp->devicePixelRatio() : 1.0));
}

void SplashWindow::setPicture(const QPixmap& picture, const QColor& transparentColor) {
    picture_ = picture;
    const QSize size = (QSizeF(picture.size()) / picture.devicePixelRatio()).toSize();
    setFixedSize(size);
    setMask(shapeOf(picture, transparentColor));
    update();
}

void SplashWindow::showCentered() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    repaint();
}

void SplashWindow::closeAfter(int milliseconds) {
    closeTimer_.start(milliseconds);
}

QPixmap SplashWindow::defaultPicture(qreal devicePixelRatio, const QString& product,
                                     const QString& version) {
    // Paint on a clear layer first, then put the cut-away colour only where nothing was
    // painted: the soft edges blend into the dark outline instead of into blue.
    QImage layer(QSize(kWidth, kHeight) * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(devicePixelRatio);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        const qreal radius = kHeight / 2.0 - 2;
        const QPointF centre(kHeight / 2.0, kHeight / 2.0);
        paintStrip(p, QRectF(centre.x() - 10, 46, kWidth - 2 - (centre.x() - 10), kHeight - 92),
                   centre.x() + radius + 16,
                   product.isEmpty() ? QStringLiteral("Reelkeeper") : product,
                   version.isEmpty() ? QStringLiteral("Version 3.01") : version);
        paintReel(p, centre, radius);
    }
    QImage picture(layer.size(), QImage::Format_RGB32);
    picture.setDevicePixelRatio(devicePixelRatio);
    const QRgb key = kDefaultTransparentColor.rgb();
    const QRgb edge = kEdge.rgb();
    for (int y = 0; y < layer.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        QRgb* out = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            const int a = qAlpha(in[x]);
            if (a == 0) {
                out[x] = key;
                continue;
            }
            const int rest = 255 - a;
            out[x] = qRgb(qRed(in[x]) + qRed(edge) * rest / 255,
                          qGreen(in[x]) + qGreen(edge) * rest / 255,
                          qBlue(in[x]) + qBlue(edge) * rest / 255);
        }
    }
    return QPixmap::fromImage(picture);
}

QPixmap SplashWindow::reelPicture(int diameter, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(diameter, diameter) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    paintReel(p, QPointF(diameter / 2.0, diameter / 2.0), diameter / 2.0);
    return pixmap;
}

QRegion SplashWindow::shapeOf(const QPixmap& picture, const QColor& transparentColor) {
    const QSize size = (QSizeF(picture.size()) / picture.devicePixelRatio()).toSize();
    // One pixel of the picture for each logical pixel of the window.
    const QImage image = picture.toImage()
                             .scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                             .convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparentColor.rgb() & 0xFFFFFF;
    QRegion region;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < image.width()) {
            while (x < image.width() && ((line[x] & 0xFFFFFF) == key || qAlpha(line[x]) == 0))
                ++x;
            const int start = x;
            while (x < image.width() && (line[x] & 0xFFFFFF) != key && qAlpha(line[x]) != 0)
                ++x;
            if (x > start) region += QRect(start, y, x - start, 1);
        }
    }
    return region;
}

void SplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

} // namespace rk
