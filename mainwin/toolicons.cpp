#include "toolicons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace rk::mainwin {

namespace {

// Draws a picture into a 24 x 24 box.
using Drawing = void (*)(QPainter&);

const QColor kInk(40, 48, 64);
const QColor kPaper(250, 250, 246);

QPen ink(qreal width = 1.4) {
    return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void page(QPainter& p, const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - 5, r.top());
    path.lineTo(r.right(), r.top() + 5);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(ink());
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 5, r.top()), QPointF(r.right() - 5, r.top() + 5));
    p.drawLine(QPointF(r.right() - 5, r.top() + 5), QPointF(r.right(), r.top() + 5));
}

void drawNew(QPainter& p) {
    page(p, QRectF(4, 2.5, 14, 19));
    // A bright star in the corner.
    QPainterPath star;
    const QPointF c(17.5, 17.5);
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 ? 2.4 : 5.5;
        const qreal a = M_PI / 5 * i - M_PI / 2;
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    p.setPen(QPen(QColor(176, 112, 0), 1));
    p.setBrush(QColor(255, 204, 51));
    p.drawPath(star);
}

void drawSave(QPainter& p) {
    p.setPen(ink());
    p.setBrush(QColor(52, 101, 164));
    p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(6.5, 3.5, 11, 7));
    p.setBrush(QColor(190, 198, 210));
    p.drawRect(QRectF(7.5, 13.5, 9, 7));
    p.setBrush(kInk);
    p.drawRect(QRectF(13.5, 4.8, 2, 4.4));
}

void drawTrash(QPainter& p) {
    p.setPen(ink());
    p.setBrush(QColor(200, 206, 214));
    QPainterPath bin;
    bin.moveTo(6, 7);
    bin.lineTo(18, 7);
    bin.lineTo(16.8, 21);
    bin.lineTo(7.2, 21);
    bin.closeSubpath();
    p.drawPath(bin);
    p.drawLine(QPointF(4, 6), QPointF(20, 6));
    p.drawLine(QPointF(9.5, 6), QPointF(10.5, 3.5));
    p.drawLine(QPointF(10.5, 3.5), QPointF(13.5, 3.5));
    p.drawLine(QPointF(13.5, 3.5), QPointF(14.5, 6));
    for (qreal x : {9.8, 12.0, 14.2})
        p.drawLine(QPointF(x, 9.5), QPointF(x, 18.5));
}

void drawMark(QPainter& p) {
    p.setPen(ink());
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 3, 3);
    p.setPen(QPen(QColor(24, 140, 60), 2.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(7, 12.5), QPointF(10.5, 16.5), QPointF(17.5, 7.5)}));
}

void drawPrint(QPainter& p) {
    p.setPen(ink());
    p.setBrush(kPaper);
    p.drawRect(QRectF(7, 3, 10, 7));
    p.setBrush(QColor(150, 160, 175));
    p.drawRoundedRect(QRectF(3, 9, 18, 8), 1.5, 1.5);
    p.setBrush(kPaper);
    p.drawRect(QRectF(7, 14, 10, 7));
    p.drawLine(QPointF(9, 17), QPointF(15, 17));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(80, 200, 80));
    p.drawEllipse(QPointF(18, 12), 1, 1);
}

void drawReports(QPainter& p) {
    page(p, QRectF(4, 2.5, 16, 19));
    p.setPen(ink(1));
    for (qreal y : {9.0, 12.5, 16.0})
        p.drawLine(QPointF(6.5, y), QPointF(17.5, y));
    p.drawLine(QPointF(10.5, 7), QPointF(10.5, 19));
    p.setPen(QPen(QColor(52, 101, 164), 2));
    p.drawLine(QPointF(6.5, 5.5), QPointF(13, 5.5));
}

void drawLabels(QPainter& p) {
    // A video cassette with a label on it.
    p.setPen(ink());
    p.setBrush(QColor(60, 64, 72));
    p.drawRoundedRect(QRectF(2.5, 5.5, 19, 13), 1.5, 1.5);
    p.setBrush(QColor(255, 236, 170));
    p.drawRect(QRectF(5, 7.5, 14, 4.5));
    p.setBrush(QColor(200, 200, 200));
    p.drawEllipse(QPointF(8, 15), 1.8, 1.8);
    p.drawEllipse(QPointF(16, 15), 1.8, 1.8);
}

void drawFind(QPainter& p) {
    p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(QColor(210, 230, 250));
    p.drawEllipse(QPointF(10, 10), 6, 6);
    p.setPen(QPen(kInk, 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14.5, 14.5), QPointF(20, 20));
}

void drawMaster(QPainter& p) {
    p.setPen(ink());
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 4.5, 17, 15));
    p.setBrush(QColor(52, 101, 164));
    p.drawRect(QRectF(3.5, 4.5, 17, 3.5));
    p.setPen(ink(1));
    for (qreal y : {11.0, 14.5})
        p.drawLine(QPointF(3.5, y), QPointF(20.5, y));
    p.drawLine(QPointF(9.5, 8), QPointF(9.5, 19.5));
}

void drawInternet(QPainter& p) {
    p.setPen(ink(1.2));
    p.setBrush(QColor(120, 180, 230));
    p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 12), 3.8, 8.5);
    p.drawLine(QPointF(3.5, 12), QPointF(20.5, 12));
    p.drawLine(QPointF(12, 3.5), QPointF(12, 20.5));
    p.drawArc(QRectF(5, 1, 14, 8), 200 * 16, 140 * 16);
    p.drawArc(QRectF(5, 15, 14, 8), 20 * 16, 140 * 16);
}

void drawSort(QPainter& p) {
    QFont f;
    f.setPixelSize(8);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kInk);
    p.drawText(QRectF(2, 2, 10, 9), Qt::AlignCenter, QStringLiteral("A"));
    p.drawText(QRectF(2, 13, 10, 9), Qt::AlignCenter, QStringLiteral("Z"));
    p.setPen(QPen(QColor(52, 101, 164), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(17, 4), QPointF(17, 20));
    p.drawPolyline(QPolygonF({QPointF(13.5, 16.5), QPointF(17, 20), QPointF(20.5, 16.5)}));
}

Drawing drawingFor(const QString& name) {
    static const std::pair<const char*, Drawing> all[] = {
        {"new", drawNew},           {"save", drawSave},   {"trash", drawTrash},
        {"mark", drawMark},         {"print", drawPrint}, {"reports", drawReports},
        {"labels", drawLabels},     {"find", drawFind},   {"master", drawMaster},
        {"internet", drawInternet}, {"sort", drawSort},
    };
    for (const auto& [n, d] : all)
        if (name == QLatin1String(n)) return d;
    return nullptr;
}

// Paints the drawing afresh at every size and pixel ratio it is asked for.
class VectorIconEngine : public QIconEngine {
public:
    explicit VectorIconEngine(Drawing d) : draw_(d) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 24.0, rect.height() / 24.0);
        if (mode == QIcon::Disabled) painter->setOpacity(0.35);
        draw_(*painter);
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        QPixmap pm(size * scale);
        pm.fill(Qt::transparent);
        {
            QPainter p(&pm);
            paint(&p, QRect(QPoint(0, 0), pm.size()), mode, state);
        }
        pm.setDevicePixelRatio(scale);
        return pm;
    }
    QIconEngine* clone() const override { return new VectorIconEngine(draw_); }

private:
    Drawing draw_;
};

} // namespace

QIcon toolIcon(const QString& name) {
    const Drawing d = drawingFor(name);
    return d ? QIcon(new VectorIconEngine(d)) : QIcon();
}

} // namespace rk::mainwin
