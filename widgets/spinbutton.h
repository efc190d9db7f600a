// A small button split into an upper and a lower half, each with its own signal, for
// stepping a number edit up and down. Holding a half down repeats its signal: first after
// repeatDelay, then every repeatInterval, as long as the mouse stays on that half.
#pragma once

#include <QTimer>
#include <QWidget>

namespace rk {

class SpinButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int repeatDelay READ repeatDelay WRITE setRepeatDelay)
    Q_PROPERTY(int repeatInterval READ repeatInterval WRITE setRepeatInterval)

public:
    enum class Half { None, Top, Bottom };

    explicit SpinButton(QWidget* parent = nullptr);

    int repeatDelay() const { return repeatDelay_; }
    void setRepeatDelay(int milliseconds) { repeatDelay_ = milliseconds; }
    int repeatInterval() const { return repeatInterval_; }
    void setRepeatInterval(int milliseconds) { repeatInterval_ = milliseconds; }

    // Which half lies under a point of the widget: the upper half includes the middle row.
    Half halfAt(const QPoint& point) const;
    Half pressedHalf() const { return pressed_; }

    QSize sizeHint() const override;

signals:
    void topClick();
    void bottomClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fire(Half half);
    void repeat();
    void paintHalf(class QPainter& painter, const QRectF& rect, Half half) const;

    QTimer repeatTimer_;
    int repeatDelay_ = 400;
    int repeatInterval_ = 100;
    Half pressed_ = Half::None;
    Half hovered_ = Half::None;
    bool pressedInside_ = false;
};

} // namespace rk
