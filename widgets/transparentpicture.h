// A picture control whose picture has one colour treated as transparent (olive by default):
// pixels of that colour are not drawn, so the window behind shows through. The control takes
// the picture's size unless it is stretched over the control. A mouse press reports where it
// happened, in the control's own coordinates (and, for a stretched picture, in the picture's).
#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace rk {

class TransparentPicture : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QPixmap picture READ picture WRITE setPicture)
    Q_PROPERTY(QColor transparentColor READ transparentColor WRITE setTransparentColor)
    Q_PROPERTY(bool stretch READ stretch WRITE setStretch)

public:
    static inline const QColor kOlive{128, 128, 0};

    explicit TransparentPicture(QWidget* parent = nullptr);

    QPixmap picture() const { return picture_; }
    void setPicture(const QPixmap& picture);
    QColor transparentColor() const { return transparentColor_; }
    void setTransparentColor(const QColor& color);
    bool stretch() const { return stretch_; }
    void setStretch(bool stretch);

    // The picture as it is drawn: the transparent colour made clear.
    QImage shownImage() const { return shown_; }
    // Where a point of the control falls on the picture, in the picture's logical pixels.
    QPoint toPicture(const QPoint& point) const;

    QSize sizeHint() const override;

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void rebuild();
    QSize pictureSize() const;

    QPixmap picture_;
    QColor transparentColor_ = kOlive;
    bool stretch_ = false;
    QImage shown_;
};

} // namespace rk
