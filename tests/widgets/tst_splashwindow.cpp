#include "splashwindow.h"

#include <QPainter>
#include <QScreen>
#include <QtTest>

using rk::SplashWindow;

// Two regions cover the same pixels (however they are cut into rectangles).
static bool sameArea(const QRegion& a, const QRegion& b) {
    return a.xored(b).isEmpty();
}

class TestSplashWindow : public QObject {
    Q_OBJECT

private slots:
    void borderlessOnTopSplash() {
        SplashWindow splash;
        const Qt::WindowFlags flags = splash.windowFlags();
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(splash.windowType(), Qt::SplashScreen);
    }

    void shapedToTheDefaultPicture() {
        SplashWindow splash;
        QCOMPARE(splash.size(), QSize(540, 250));
        const QRegion shape = splash.mask();
        QVERIFY(!shape.isEmpty());
        QVERIFY(!shape.contains(QPoint(0, 0)));
        QVERIFY(!shape.contains(QPoint(535, 5)));
        QVERIFY(!shape.contains(QPoint(535, 245)));
        QVERIFY(shape.contains(QPoint(125, 125))); // the reel's hub
        QVERIFY(shape.contains(QPoint(125, 3)));   // top of the reel
        QVERIFY(shape.contains(QPoint(420, 125))); // the strip with the name
        QVERIFY(!shape.contains(QPoint(420, 20))); // above the strip
        QVERIFY(shape.boundingRect().width() > 520);
    }

    void shapeCutsAwayTheTransparentColour() {
        QPixmap picture(10, 10);
        picture.fill(Qt::blue);
        {
            QPainter p(&picture);
            p.fillRect(QRect(3, 2, 4, 5), Qt::red);
        }
        QVERIFY(sameArea(SplashWindow::shapeOf(picture, Qt::blue), QRect(3, 2, 4, 5)));
        // Another colour may be the transparent one.
        QVERIFY(sameArea(SplashWindow::shapeOf(picture, Qt::red),
                         QRegion(QRect(0, 0, 10, 10)).subtracted(QRect(3, 2, 4, 5))));
    }

    void shapeOfDoubleSizeArtIsInLogicalPixels() {
        QPixmap picture(20, 20);
        picture.fill(Qt::blue);
        {
            QPainter p(&picture);
            p.fillRect(QRect(6, 4, 8, 10), Qt::red);
        }
        picture.setDevicePixelRatio(2.0);
        QVERIFY(sameArea(SplashWindow::shapeOf(picture, Qt::blue), QRect(3, 2, 4, 5)));
        SplashWindow splash;
        splash.setPicture(picture);
        QCOMPARE(splash.size(), QSize(10, 10));
    }

    void showsCentredAndClosesAfterItsDelay() {
        SplashWindow splash;
        splash.showCentered();
        QVERIFY(splash.isVisible());
        const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY((splash.geometry().center() - screenCentre).manhattanLength() <= 2);
        splash.closeAfter(20);
        QVERIFY(splash.isVisible());
        QTRY_VERIFY(!splash.isVisible());
    }

    void defaultPictureNamesTheVersion() {
        // Painting another version changes the picture: the text is really drawn.
        const QImage standard = SplashWindow::defaultPicture(1.0).toImage();
        const QImage other =
            SplashWindow::defaultPicture(1.0, QString(), QStringLiteral("Version 9.99")).toImage();
        QCOMPARE(standard.size(), QSize(540, 250));
        QVERIFY(standard != other);
    }
};

QTEST_MAIN(TestSplashWindow)
#include "tst_splashwindow.moc"
