// A label that looks like a dot-matrix sign: lit dots on a black background, characters from
// the dot-matrix font (each 10 pixels wide: 5 columns of dots 2 pixels apart), scrolling to
// the left one step per timer tick (every 150 ms unless changed).
//
// The text runs in an endless loop: after its last character comes its first again, so a text
// with blanks at both ends reads as one message passing by. offset() is how far the loop has
// moved, always in [0, textWidth()).
#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace rk {

class DotMatrixBanner : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(bool scrolling READ isScrolling WRITE setScrolling)
    Q_PROPERTY(int interval READ interval WRITE setInterval)
    Q_PROPERTY(int stepColumns READ stepColumns WRITE setStepColumns)
    Q_PROPERTY(QColor dotColor READ dotColor WRITE setDotColor)

public:
    static constexpr int kDotPitch = 2;                 // pixels between dot centres
    static constexpr int kCellWidth = 5 * kDotPitch;    // one character
    static constexpr int kMatrixHeight = 9 * kDotPitch; // capitals and descenders
    static constexpr int kDefaultInterval = 150;        // milliseconds per step

    explicit DotMatrixBanner(QWidget* parent = nullptr);

    QString text() const { return text_; }
    // A new text starts again at its beginning; setting the same text again changes nothing.
    void setText(const QString& text);

    bool isScrolling() const { return timer_.isActive(); }
    void setScrolling(bool on);
    void startScrolling() { setScrolling(true); }
    void stopScrolling() { setScrolling(false); }

    int interval() const { return timer_.interval(); }
    void setInterval(int milliseconds) { timer_.setInterval(milliseconds); }

    // How far one step moves the text, in dot columns (1 = 2 pixels).
    int stepColumns() const { return stepColumns_; }
    void setStepColumns(int columns);
    int stepWidth() const { return stepColumns_ * kDotPitch; }

    QColor dotColor() const { return dotColor_; }
    void setDotColor(const QColor& color);

    int textWidth() const { return int(text_.size()) * kCellWidth; }
    int offset() const { return offset_; }
    void setOffset(int pixels);

    // Which character of the text shows at a horizontal position of the widget, or -1 when the
    // text is empty.
    int characterIndexAt(int x) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    // Moves the text one step to the left, wrapping around at the end of the loop.
    void step();

signals:
    void textChanged(const QString& text);
    void stepped(int offset);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void renderStrip(qreal ratio);

    QString text_;
    QTimer timer_;
    int stepColumns_ = 2;
    int offset_ = 0;
    QColor dotColor_{255, 176, 48};
    QPixmap strip_; // the whole text, dark and lit dots, one loop long
    bool stripValid_ = false;
};

} // namespace rk
