#include "transparentpicture.h"

#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

using rk::TransparentPicture;

class TestTransparentPicture : public QObject {
    Q_OBJECT

private:
    // An olive sheet with a white label in the middle.
    static QPixmap sheet() {
        QPixmap pixmap(40, 30);
        pixmap.fill(TransparentPicture::kOlive);
        QPainter p(&pixmap);
        p.fillRect(QRect(10, 10, 20, 10), Qt::white);
        return pixmap;
    }

private slots:
    void sizedToThePictureUnlessStretched() {
        TransparentPicture picture;
        picture.setPicture(sheet());
        QCOMPARE(picture.size(), QSize(40, 30));
        QCOMPARE(picture.sizeHint(), QSize(40, 30));
        picture.setStretch(true);
        picture.resize(80, 60);
        QCOMPARE(picture.size(), QSize(80, 60));
        QCOMPARE(picture.toPicture(QPoint(40, 30)), QPoint(20, 15));
        picture.setStretch(false);
        QCOMPARE(picture.size(), QSize(40, 30));
        QCOMPARE(picture.toPicture(QPoint(7, 9)), QPoint(7, 9));
    }

    void transparentColourLetsTheWindowShowThrough() {
        QWidget window;
        window.setAutoFillBackground(true);
        QPalette pal = window.palette();
        pal.setColor(QPalette::Window, QColor(0, 0, 200));
        window.setPalette(pal);
        auto* picture = new TransparentPicture(&window);
        picture->setPicture(sheet());
        picture->move(5, 5);
        window.resize(60, 50);
        const QImage image = window.grab().toImage();
        const qreal r = image.devicePixelRatio();
        auto at = [&](int x, int y) { return image.pixelColor(int(x * r), int(y * r)); };
        QCOMPARE(at(5 + 2, 5 + 2), QColor(0, 0, 200));
        QCOMPARE(at(5 + 20, 5 + 15), QColor(Qt::white));
        QCOMPARE(qAlpha(picture->shownImage().pixel(0, 0)), 0);
        QCOMPARE(qAlpha(picture->shownImage().pixel(20, 15)), 255);

        // Another transparent colour: the olive shows, the white goes.
        picture->setTransparentColor(Qt::white);
        const QImage second = window.grab().toImage();
        QCOMPARE(second.pixelColor(int(7 * r), int(7 * r)), TransparentPicture::kOlive);
        QCOMPARE(second.pixelColor(int(25 * r), int(20 * r)), QColor(0, 0, 200));
    }

    void mouseDownReportsWhereItHappened() {
        TransparentPicture picture;
        picture.setPicture(sheet());
        QSignalSpy down(&picture, &TransparentPicture::mouseDown);
        QTest::mousePress(&picture, Qt::LeftButton, Qt::ShiftModifier, QPoint(12, 21));
        QCOMPARE(down.count(), 1);
        QCOMPARE(down.first().at(0).value<Qt::MouseButton>(), Qt::LeftButton);
        QCOMPARE(down.first().at(1).value<Qt::KeyboardModifiers>(),
                 Qt::KeyboardModifiers(Qt::ShiftModifier));
        QCOMPARE(down.first().at(2).toPoint(), QPoint(12, 21));
        // Also on a transparent pixel: the whole control takes the press.
        QTest::mousePress(&picture, Qt::RightButton, {}, QPoint(1, 1));
        QCOMPARE(down.count(), 2);
        QCOMPARE(down.last().at(2).toPoint(), QPoint(1, 1));
    }

    void noPictureDrawsNothing() {
        TransparentPicture picture;
        QVERIFY(picture.shownImage().isNull());
        QCOMPARE(picture.sizeHint(), QSize(32, 32));
        picture.resize(10, 10);
        QVERIFY(!picture.grab().isNull());
    }
};

QTEST_MAIN(TestTransparentPicture)
#include "tst_transparentpicture.moc"
