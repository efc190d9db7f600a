#include "tabpicturepainter.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace rk::tabart {

namespace {

constexpr int kWidths[kCount] = {18, 18, 16, 19, 17, 19, 18};

QPen outline(const QColor& color, qreal width = 1.0) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QLinearGradient vertical(qreal top, qreal bottom, const QColor& a, const QColor& b) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

// Category: a folder.
void folder(QPainter& p) {
    QPainterPath back;
    back.moveTo(1.5, 16.5);
    back.lineTo(1.5, 5.5);
    back.lineTo(6.5, 5.5);
    back.lineTo(8.0, 7.0);
    back.lineTo(16.5, 7.0);
    back.lineTo(16.5, 16.5);
    back.closeSubpath();
    p.setPen(outline(QColor(0x9a, 0x66, 0x0e)));
    p.setBrush(QColor(0xe3, 0xa3, 0x24));
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(1.5, 16.5);
    front.lineTo(3.0, 9.5);
    front.lineTo(17.5, 9.5);
    front.lineTo(16.5, 16.5);
    front.closeSubpath();
    p.setBrush(vertical(9.5, 16.5, QColor(0xff, 0xd8, 0x6a), QColor(0xf4, 0xb9, 0x33)));
    p.drawPath(front);
}

// View All: a stack of three tapes.
void tapes(QPainter& p) {
    const QColor bodies[3] = {QColor(0x3b, 0x82, 0xf6), QColor(0x14, 0xb8, 0xa6),
                              QColor(0x64, 0x74, 0x8b)};
    for (int i = 0; i < 3; ++i) {
        const qreal y = 3.5 + i * 5.0;
        const QRectF body(1.5, y, 15.0, 4.0);
        p.setPen(outline(bodies[i].darker(150)));
        p.setBrush(vertical(y, y + 4.0, bodies[i].lighter(125), bodies[i]));
        p.drawRoundedRect(body, 1.2, 1.2);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 230));
        p.drawEllipse(QPointF(6.0, y + 2.0), 1.1, 1.1);
        p.drawEllipse(QPointF(12.0, y + 2.0), 1.1, 1.1);
    }
}

// Marked: a bookmark ribbon with a tick.
void ribbon(QPainter& p) {
    QPainterPath r;
    r.moveTo(3.5, 2.5);
    r.lineTo(12.5, 2.5);
    r.lineTo(12.5, 18.5);
    r.lineTo(8.0, 14.5);
    r.lineTo(3.5, 18.5);
    r.closeSubpath();
    p.setPen(outline(QColor(0x99, 0x1b, 0x1b)));
    p.setBrush(vertical(2.5, 18.5, QColor(0xf8, 0x71, 0x71), QColor(0xdc, 0x26, 0x26)));
    p.drawPath(r);
    QPainterPath tick;
    tick.moveTo(5.3, 8.2);
    tick.lineTo(7.4, 10.4);
    tick.lineTo(10.9, 5.8);
    p.setPen(outline(Qt::white, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
}

// Common: a clapperboard.
void clapper(QPainter& p) {
    const QColor ink(0x1f, 0x29, 0x37);
    p.setPen(outline(ink));
    p.setBrush(vertical(8.5, 17.5, QColor(0x4b, 0x55, 0x63), ink));
    p.drawRoundedRect(QRectF(1.5, 8.5, 16.0, 9.0), 1.0, 1.0);
    // The hinged top, tilted open, with its stripes.
    p.save();
    p.translate(1.5, 7.5);
    p.rotate(-14);
    const QRectF top(0.0, -3.5, 16.0, 3.5);
    p.setBrush(Qt::white);
    p.drawRect(top);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    for (int i = 0; i < 4; ++i) {
        QPainterPath stripe;
        const qreal x = 1.0 + i * 4.0;
        stripe.moveTo(x, -3.5);
        stripe.lineTo(x + 2.0, -3.5);
        stripe.lineTo(x + 0.5, 0.0);
        stripe.lineTo(x - 1.5, 0.0);
        stripe.closeSubpath();
        p.drawPath(stripe.intersected([&] {
            QPainterPath clip;
            clip.addRect(top);
            return clip;
        }()));
    }
    p.restore();
    p.setPen(outline(QColor(255, 255, 255, 170), 0.8));
    p.drawLine(QPointF(4.0, 12.0), QPointF(15.0, 12.0));
    p.drawLine(QPointF(4.0, 14.5), QPointF(11.0, 14.5));
}

// Details: a page with lines under a magnifying glass.
void page(QPainter& p) {
    p.setPen(outline(QColor(0x47, 0x55, 0x69)));
    p.setBrush(Qt::white);
    QPainterPath sheet;
    sheet.moveTo(1.5, 2.5);
    sheet.lineTo(9.0, 2.5);
    sheet.lineTo(12.5, 6.0);
    sheet.lineTo(12.5, 17.5);
    sheet.lineTo(1.5, 17.5);
    sheet.closeSubpath();
    p.drawPath(sheet);
    p.setPen(outline(QColor(0x94, 0xa3, 0xb8), 1.0));
    for (qreal y : {7.5, 10.0, 12.5, 15.0})
        p.drawLine(QPointF(3.5, y), QPointF(8.5, y));
    p.setPen(outline(QColor(0x1e, 0x40, 0xaf), 1.6));
    p.setBrush(QColor(0x93, 0xc5, 0xfd, 160));
    p.drawEllipse(QPointF(10.5, 11.5), 3.6, 3.6);
    p.setPen(outline(QColor(0x1e, 0x29, 0x3b), 2.2));
    p.drawLine(QPointF(13.2, 14.2), QPointF(15.6, 16.8));
}

// AV: a loudspeaker with sound waves.
void speaker(QPainter& p) {
    QPainterPath cone;
    cone.moveTo(1.5, 8.0);
    cone.lineTo(4.5, 8.0);
    cone.lineTo(9.0, 4.0);
    cone.lineTo(9.0, 17.0);
    cone.lineTo(4.5, 13.0);
    cone.lineTo(1.5, 13.0);
    cone.closeSubpath();
    p.setPen(outline(QColor(0x5b, 0x21, 0xb6)));
    p.setBrush(vertical(4.0, 17.0, QColor(0xa7, 0x8b, 0xfa), QColor(0x7c, 0x3a, 0xed)));
    p.drawPath(cone);
    p.setBrush(Qt::NoBrush);
    p.setPen(outline(QColor(0x7c, 0x3a, 0xed), 1.4));
    p.drawArc(QRectF(7.0, 7.0, 6.0, 7.0), -50 * 16, 100 * 16);
    p.drawArc(QRectF(6.0, 4.0, 11.0, 13.0), -50 * 16, 100 * 16);
}

// Stars: a five-pointed star.
void star(QPainter& p) {
    QPainterPath s;
    const QPointF centre(9.0, 11.0);
    for (int i = 0; i < 10; ++i) {
        const qreal radius = (i % 2 == 0) ? 8.0 : 3.4;
        const qreal angle = -M_PI / 2 + i * M_PI / 5;
        const QPointF point = centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
        if (i == 0)
            s.moveTo(point);
        else
            s.lineTo(point);
    }
    s.closeSubpath();
    p.setPen(outline(QColor(0xb4, 0x53, 0x09)));
    p.setBrush(vertical(3.0, 18.0, QColor(0xfd, 0xe0, 0x47), QColor(0xf5, 0x9e, 0x0b)));
    p.drawPath(s);
}

} // namespace

int width(int index) {
    return kWidths[index];
}

QImage paint(int index, int scale) {
    QImage image(width(index) * scale, kHeight * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    switch (index) {
    case 0:
        folder(p);
        break;
    case 1:
        tapes(p);
        break;
    case 2:
        ribbon(p);
        break;
    case 3:
        clapper(p);
        break;
    case 4:
        page(p);
        break;
    case 5:
        speaker(p);
        break;
    case 6:
        star(p);
        break;
    default:
        break;
    }
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace rk::tabart
