// The start-up window: borderless, centred on the screen, above other windows, and shaped to
// its picture: the parts of the picture in its transparent colour (blue) are cut away. The
// default picture is a film reel beside a strip of film that names the product and version.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QRegion>
#include <QTimer>
#include <QWidget>

namespace rk {

class SplashWindow : public QWidget {
    Q_OBJECT

public:
    static inline const QColor kDefaultTransparentColor{0, 0, 255};

    explicit SplashWindow(QWidget* parent = nullptr);

    // The picture and the colour that is cut away from it.
    void setPicture(const QPixmap& picture,
                    const QColor& transparentColor = kDefaultTransparentColor);
    QPixmap picture() const { return picture_; }

    // Shows the window centred on the primary screen and paints it at once.
    void showCentered();
    // Closes the window after a delay (once); a second call restarts the delay.
    void closeAfter(int milliseconds);

    static QPixmap defaultPicture(qreal devicePixelRatio = 1.0, const QString& product = {},
                                  const QString& version = {});
    // The film reel of the default picture alone, on a clear background.
    static QPixmap reelPicture(int diameter, qreal devicePixelRatio = 1.0);
    // The part of a picture that is not in the transparent colour, in logical pixels.
    static QRegion shapeOf(const QPixmap& picture, const QColor& transparentColor);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
    QTimer closeTimer_;
};

} // namespace rk
