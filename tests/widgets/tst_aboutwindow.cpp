#include "aboutwindow.h"
#include "creditsscroller.h"

#include <QLabel>
#include <QtTest>

using rk::AboutWindow;
using rk::CreditsScroller;

class TestAboutWindow : public QObject {
    Q_OBJECT

private slots:
    void namesProductAndVersion() {
        AboutWindow about;
        auto* name = about.findChild<QLabel*>(QStringLiteral("productName"));
        auto* version = about.findChild<QLabel*>(QStringLiteral("version"));
        QVERIFY(name && version);
        QCOMPARE(name->text(), QStringLiteral("Reelkeeper98"));
        QCOMPARE(version->text(), QStringLiteral("v3.01"));
        QVERIFY(!about.credits()->lines().isEmpty());
    }

    void creditsRollWhileShownAndComeRoundAgain() {
        CreditsScroller credits;
        credits.setLines({QStringLiteral("# One"), QStringLiteral("two")});
        credits.resize(200, 100);
        const int loop = credits.loopHeight();
        QVERIFY(loop > 100);
        for (int i = 0; i < loop - 1; ++i)
            credits.step();
        QCOMPARE(credits.offset(), loop - 1);
        credits.step();
        QCOMPARE(credits.offset(), 0);

        credits.setInterval(5);
        credits.show();
        const int shown = credits.offset();
        QVERIFY(shown > 0); // opening lines already in view
        QTRY_VERIFY(credits.offset() > shown + 2);
        credits.hide();
        const int stopped = credits.offset();
        QTest::qWait(30);
        QCOMPARE(credits.offset(), stopped);
    }

    void noCreditsNoMovement() {
        CreditsScroller credits;
        credits.step();
        QCOMPARE(credits.offset(), 0);
        QCOMPARE(credits.loopHeight(), 0);
    }
};

QTEST_MAIN(TestAboutWindow)
#include "tst_aboutwindow.moc"
