#include "limitsplitter.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QSplitterHandle>
#include <QtTest>

using rk::LimitSplitter;

class TestLimitSplitter : public QObject {
    Q_OBJECT

private:
    // A category list above a title list: 40 pixels from the top, 20 from the bottom.
    struct Fixture {
        LimitSplitter splitter{Qt::Vertical};
        Fixture() {
            splitter.addWidget(new QListWidget);
            splitter.addWidget(new QListWidget);
            splitter.setTopLeftLimit(40);
            splitter.setBottomRightLimit(20);
            splitter.setHandleWidth(6);
            splitter.resize(200, 300);
            splitter.show();
        }
    };

    static void drag(QSplitterHandle* handle, int fromY, int toY) {
        const QPoint start(5, fromY);
        QMouseEvent press(QEvent::MouseButtonPress, start, handle->mapToGlobal(start),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(handle, &press);
        const QPoint end(5, toY);
        QMouseEvent move(QEvent::MouseMove, end, handle->mapToGlobal(end), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(handle, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, end, handle->mapToGlobal(end),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(handle, &release);
    }

private slots:
    void positionsAreClampedToTheLimits() {
        Fixture f;
        QCOMPARE(f.splitter.clampPosition(10), 40);
        QCOMPARE(f.splitter.clampPosition(100), 100);
        QCOMPARE(f.splitter.clampPosition(290), 300 - 20 - 6);
        QCOMPARE(f.splitter.clampPosition(-50), 40);
    }

    void firstSizeStaysWithinTheLimits() {
        Fixture f;
        f.splitter.setFirstSize(82);
        QCOMPARE(f.splitter.firstSize(), 82);
        f.splitter.setFirstSize(5);
        QCOMPARE(f.splitter.firstSize(), 40);
        f.splitter.setFirstSize(1000);
        QCOMPARE(f.splitter.firstSize(), 274);
        QCOMPARE(f.splitter.sizes().at(1), 20);
    }

    void dragStopsAtTheLimits() {
        Fixture f;
        f.splitter.setFirstSize(100);
        QSplitterHandle* handle = f.splitter.handle(1);
        drag(handle, 3, 3 - 90); // up by 90: would leave 10
        QCOMPARE(f.splitter.firstSize(), 40);
        drag(handle, 3, 3 + 500);
        QCOMPARE(f.splitter.firstSize(), 274);
        drag(handle, 3, 3 - 100);
        QCOMPARE(f.splitter.firstSize(), 174);
        f.splitter.dragHandleTo(0);
        QCOMPARE(f.splitter.firstSize(), 40);
    }

    void sizeGivenBeforeShowingIsKept() {
        LimitSplitter splitter(Qt::Vertical);
        splitter.addWidget(new QWidget);
        splitter.addWidget(new QWidget);
        splitter.setStretchFactor(1, 1);
        splitter.setFirstSize(82);
        splitter.resize(200, 400);
        splitter.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splitter));
        QCOMPARE(splitter.firstSize(), 82);
    }
};

QTEST_MAIN(TestLimitSplitter)
#include "tst_limitsplitter.moc"
