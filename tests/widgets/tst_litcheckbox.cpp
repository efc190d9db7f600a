#include "litcheckbox.h"

#include <QSignalSpy>
#include <QtTest>

using rk::LitCheckBox;
using Picture = LitCheckBox::Picture;

class TestLitCheckBox : public QObject {
    Q_OBJECT

private:
    static QPixmap solid(const QColor& color) {
        QPixmap pixmap(12, 12);
        pixmap.fill(color);
        return pixmap;
    }
    static QColor pictureCentre(LitCheckBox& box) {
        const QImage image = box.grab().toImage();
        const qreal r = image.devicePixelRatio();
        return image.pixelColor(int(7 * r), int(box.height() / 2 * r));
    }

private slots:
    void showsOnePictureForEachState() {
        LitCheckBox box(QStringLiteral("Marked"));
        QCOMPARE(box.shownPicture(), Picture::Clear);
        box.setChecked(true);
        QCOMPARE(box.shownPicture(), Picture::Ticked);
        box.setTristate(true);
        box.setCheckState(Qt::PartiallyChecked);
        QCOMPARE(box.shownPicture(), Picture::Greyed);
        box.setCheckState(Qt::Checked);
        box.setEnabled(false);
        QCOMPARE(box.shownPicture(), Picture::Greyed);
    }

    void paintsTheGivenPictures() {
        LitCheckBox box(QStringLiteral("Marked"));
        box.setTickedPicture(solid(Qt::red));
        box.setClearPicture(solid(Qt::green));
        box.setGreyedPicture(solid(Qt::gray));
        box.resize(box.sizeHint());
        QCOMPARE(pictureCentre(box), QColor(Qt::green));
        box.setChecked(true);
        QCOMPARE(pictureCentre(box), QColor(Qt::red));
        box.setEnabled(false);
        QCOMPARE(pictureCentre(box), QColor(Qt::gray));
    }

    void defaultLampIsBrightOnlyWhenTicked() {
        auto centre = [](Picture which) {
            const QImage image = LitCheckBox::defaultPicture(which).toImage();
            return image.pixelColor(image.width() / 2, image.height() / 2);
        };
        QVERIFY(centre(Picture::Ticked).lightness() > centre(Picture::Clear).lightness() + 80);
        QVERIFY(centre(Picture::Greyed).hslSaturation() < 40);
        const QPixmap large = LitCheckBox::defaultPicture(Picture::Ticked, 2.0);
        QCOMPARE(large.size(), LitCheckBox::defaultPicture(Picture::Ticked).size() * 2);
    }

    void clickFlipsTheBoxUnlessReadOnly() {
        LitCheckBox box(QStringLiteral("Marked"));
        box.resize(box.sizeHint());
        QSignalSpy clicked(&box, &QCheckBox::clicked);
        QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(6, box.height() / 2));
        QVERIFY(box.isChecked());
        QCOMPARE(clicked.count(), 1);
        // The caption is part of the box too.
        QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(box.width() - 3, box.height() / 2));
        QVERIFY(!box.isChecked());

        box.setReadOnly(true);
        QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(6, box.height() / 2));
        QTest::keyClick(&box, Qt::Key_Space);
        QVERIFY(!box.isChecked());
        QCOMPARE(clicked.count(), 2);
        box.setChecked(true); // the program still sets it
        QVERIFY(box.isChecked());
    }

    void sizeMakesRoomForPictureAndCaption() {
        LitCheckBox box(QStringLiteral("Marked"));
        const QSize withCaption = box.sizeHint();
        box.setText(QString());
        QVERIFY(box.sizeHint().width() < withCaption.width());
        QVERIFY(box.sizeHint().width() >= 14);
        box.setTickedPicture(QPixmap(30, 30));
        QVERIFY(box.sizeHint().height() >= 30);
    }
};

QTEST_MAIN(TestLitCheckBox)
#include "tst_litcheckbox.moc"
