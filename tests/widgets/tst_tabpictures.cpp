#include "picturetabbar.h"
#include "tabpictures.h"

#include <QPainter>
#include <QtTest>

using namespace rk;

class TestTabPictures : public QObject {
    Q_OBJECT

private:
    static QPixmap solid(const QSize& size, const QColor& color) {
        QPixmap pixmap(size);
        pixmap.fill(color);
        return pixmap;
    }

private slots:
    void sevenPicturesOfTheRightSizeWithClearBackground() {
        for (int i = 0; i < kTabPictureCount; ++i) {
            const QPixmap picture = loadTabPicture(i, 1.0);
            QVERIFY2(!picture.isNull(), qPrintable(QString::number(i)));
            QVERIFY(picture.width() >= 16 && picture.width() <= 19);
            QCOMPARE(picture.height(), kTabPictureHeight);
            const QImage image = picture.toImage();
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(image.width() - 1, image.height() - 1)), 0);
            int opaque = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    opaque += qAlpha(image.pixel(x, y)) == 255;
            QVERIFY2(opaque > 30, qPrintable(QString::number(i)));
        }
        QCOMPARE(loadTabPicture(QStringLiteral("TAB3"), 1.0).toImage(),
                 loadTabPicture(3, 1.0).toImage());
        QVERIFY(loadTabPicture(QStringLiteral("TAB7"), 1.0).isNull());
    }

    void highDensityScreensGetTheDoubleSizeArt() {
        for (int i = 0; i < kTabPictureCount; ++i) {
            const QPixmap normal = loadTabPicture(i, 1.0);
            const QPixmap large = loadTabPicture(i, 2.0);
            QCOMPARE(large.size(), normal.size() * 2);
            QCOMPARE(large.devicePixelRatio(), 2.0);
        }
        QCOMPARE(loadTabPictures(3, 4, 1.0).size(), 4);
        QCOMPARE(loadTabPictures(3, 4, 1.0).at(0).toImage(), loadTabPicture(3, 1.0).toImage());
    }

    void pictureIsFivePixelsInAndCentredRoundingTowardZero() {
        using tablayout::pictureOrigin;
        QCOMPARE(pictureOrigin(QRect(0, 0, 80, 28), QSize(18, 21)), QPoint(5, 3));
        QCOMPARE(pictureOrigin(QRect(0, 0, 75, 29), QSize(16, 16)), QPoint(5, 6));
        QCOMPARE(pictureOrigin(QRect(0, 0, 80, 21), QSize(18, 21)), QPoint(5, 0));
        // A picture taller than the tab: (20 - 21) / 2 is 0, not -1.
        QCOMPARE(pictureOrigin(QRect(0, 0, 80, 20), QSize(18, 21)), QPoint(5, 0));
        QCOMPARE(pictureOrigin(QRect(0, 0, 80, 17), QSize(18, 21)), QPoint(5, -2));
        QCOMPARE(pictureOrigin(QRect(160, 2, 80, 28), QSize(19, 21)), QPoint(165, 5));
    }

    void captionStartsSevenPixelsAfterThePictureWidth() {
        using tablayout::captionRect;
        QCOMPARE(captionRect(QRect(0, 0, 80, 28), QSize(18, 21)), QRect(25, 0, 55, 28));
        QCOMPARE(captionRect(QRect(80, 0, 75, 28), QSize(16, 21)), QRect(103, 0, 52, 28));
        QCOMPARE(captionRect(QRect(0, 0, 80, 28), QSize(0, 0)), QRect(7, 0, 73, 28));
        QCOMPARE(captionRect(QRect(0, 0, 20, 28), QSize(19, 21)).width(), 0);
    }

    void tabsHaveTheSizeTheyAreGiven() {
        PictureTabWidget tabs;
        tabs.setTabSize(QSize(80, 28));
        tabs.addTab(new QWidget, QStringLiteral("Category"));
        tabs.addTab(new QWidget, QStringLiteral("View All"));
        tabs.addTab(new QWidget, QStringLiteral("Marked"));
        tabs.resize(400, 300);
        tabs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tabs));
        PictureTabBar* bar = tabs.pictureTabBar();
        QCOMPARE(bar->tabRect(0).size(), QSize(80, 28));
        QCOMPARE(bar->tabRect(1).left(), bar->tabRect(0).right() + 1);
        tabs.setTabSize(QSize(75, 30));
        QCOMPARE(bar->tabRect(2).size(), QSize(75, 30));
        QCOMPARE(bar->tabHeight(), 30);
        QCOMPARE(bar->tabWidth(), 75);
    }

    void captionThatWouldNotFitWidensItsTab() {
        PictureTabBar bar;
        bar.setTabSize(QSize(80, 28));
        bar.addTab(QStringLiteral("AV"));
        bar.addTab(QStringLiteral("A caption far too long for eighty pixels"));
        bar.setPictures({QPixmap(19, 21), QPixmap(19, 21)});
        QCOMPARE(bar.tabRect(0).size(), QSize(80, 28));
        const int needed = 19 + 7 + bar.fontMetrics().horizontalAdvance(bar.tabText(1));
        QVERIFY(bar.tabRect(1).width() >= needed);
        QCOMPARE(bar.tabRect(1).height(), 28);
    }

    void barDrawsEachTabsPictureAndCaption() {
        PictureTabBar bar;
        bar.setTabSize(QSize(80, 28));
        bar.addTab(QStringLiteral("Common"));
        bar.addTab(QStringLiteral("Details"));
        bar.setPictures(
            {solid(QSize(16, 21), QColor(255, 0, 0)), solid(QSize(18, 21), QColor(0, 0, 255))});
        bar.resize(200, 28);
        bar.setCurrentIndex(1);
        const QImage image = bar.grab().toImage();
        const qreal r = image.devicePixelRatio();
        auto at = [&](int x, int y) { return image.pixelColor(int(x * r), int(y * r)); };
        // Tab 0: picture at x 5..20, y 3..23.
        QCOMPARE(at(5, 3), QColor(255, 0, 0));
        QCOMPARE(at(20, 23), QColor(255, 0, 0));
        QVERIFY(at(4, 12) != QColor(255, 0, 0));
        QVERIFY(at(21, 12) != QColor(255, 0, 0));
        // Tab 1: picture 5 pixels into its own rectangle.
        const int x1 = bar.tabRect(1).left();
        QCOMPARE(at(x1 + 5, 12), QColor(0, 0, 255));
        QCOMPARE(at(x1 + 22, 12), QColor(0, 0, 255));
        QVERIFY(at(x1 + 4, 12) != QColor(0, 0, 255));
        QVERIFY(at(x1 + 23, 12) != QColor(0, 0, 255));
        // Caption ink lies right of picture width + 7.
        auto inkIn = [&](int left, int right) {
            int ink = 0;
            for (int y = 4; y < 24; ++y)
                for (int x = left; x < right; ++x)
                    ink += at(x, y).lightness() < 90;
            return ink;
        };
        QVERIFY(inkIn(23, bar.tabRect(0).right()) > 10);
        QVERIFY(inkIn(x1 + 25, bar.tabRect(1).right()) > 10);
        QCOMPARE(inkIn(0, 5), 0);
        QCOMPARE(inkIn(x1 + 1, x1 + 5), 0);
    }

    void missingPictureLeavesOnlyTheCaption() {
        PictureTabBar bar;
        bar.addTab(QStringLiteral("Stars"));
        QVERIFY(bar.picture(0).isNull());
        QVERIFY(bar.picture(-1).isNull());
        bar.resize(100, 28);
        QVERIFY(!bar.grab().isNull());
    }

    void activeAndInactiveLook() {
        PictureTabBar bar;
        QCOMPARE(bar.activeColor(), bar.palette().color(QPalette::Button));
        QCOMPARE(bar.inactiveColor(), bar.palette().color(QPalette::Button));
        QFont bold = bar.font();
        bold.setBold(true);
        bar.setActiveFont(bold);
        QCOMPARE(bar.activeFont(), bold);
        QVERIFY(bar.inactiveFont() != bold);
    }
};

QTEST_MAIN(TestTabPictures)
#include "tst_tabpictures.moc"
