#include "calculator.h"
#include "calculatorpopup.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using rk::Calculator;

namespace {

// Feeds a line of keys to a fresh calculator and returns what it shows.
QString run(const char* keys) {
    Calculator calc;
    for (const char* k = keys; *k; ++k)
        calc.press(QChar(*k));
    return calc.display();
}

} // namespace

class TestCalculator : public QObject {
    Q_OBJECT

private slots:
    void sums_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("digits") << "0012"
                                << "12";
        QTest::newRow("left to right") << "2+3*4="
                                       << "20";
        QTest::newRow("running result") << "2+3*"
                                        << "5";
        QTest::newRow("operator replaced") << "9+-4="
                                           << "5";
        QTest::newRow("decimals") << "0.1+0.2="
                                  << "0.3";
        QTest::newRow("leading point") << ".5*4="
                                       << "2";
        QTest::newRow("one point only") << "1.2.3"
                                        << "1.23";
        QTest::newRow("divide") << "7/2="
                                << "3.5";
        QTest::newRow("by zero") << "7/0="
                                 << "Error";
        QTest::newRow("digit after error") << "7/0=5"
                                           << "5";
        QTest::newRow("new sum after equals") << "2+2=7"
                                              << "7";
        QTest::newRow("result goes on") << "2+2=*3="
                                        << "12";
        QTest::newRow("percent") << "200+10%"
                                 << "20";
        QTest::newRow("comma as point") << "1,5+1="
                                        << "2.5";
        QTest::newRow("clear") << "12+3C"
                               << "0";
        QTest::newRow("backspace") << "123\b"
                                   << "12";
        QTest::newRow("backspace to zero") << "7\b"
                                           << "0";
    }

    void sums() {
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        QCOMPARE(run(keys.toLatin1().constData()), shown);
    }

    void signAndLimits() {
        Calculator calc;
        calc.press(u'5');
        calc.negate();
        QCOMPARE(calc.display(), QStringLiteral("-5"));
        QCOMPARE(calc.value(), -5.0);
        calc.negate();
        QCOMPARE(calc.display(), QStringLiteral("5"));
        calc.clear();
        calc.negate(); // zero has no sign
        QCOMPARE(calc.display(), QStringLiteral("0"));
        for (int i = 0; i < 30; ++i)
            calc.digit(9);
        QCOMPARE(calc.display().size(), Calculator::kMaxDigits);
        QVERIFY(!calc.press(u'q'));
        calc.setValue(12.5);
        QCOMPARE(calc.display(), QStringLiteral("12.5"));
        calc.press(u'+');
        calc.press(u'1');
        calc.press(u'=');
        QCOMPARE(calc.value(), 13.5);
    }

    void popupHandsBackTheResult() {
        rk::CalculatorPopup popup;
        popup.setValue(19.95);
        QSignalSpy accepted(&popup, &rk::CalculatorPopup::valueAccepted);
        popup.popupAt(QPoint(10, 10));
        QVERIFY(popup.isVisible());
        for (const QString& key :
             {QString(QChar(0x00D7)), QStringLiteral("2"), QStringLiteral("OK")}) {
            QVERIFY2(popup.key(key), qPrintable(key));
            QTest::mouseClick(popup.key(key), Qt::LeftButton);
        }
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(accepted.first().first().toDouble(), 39.9);
        QVERIFY(!popup.isVisible());
    }

    void popupTakesTheKeyboardAndKeepsAnError() {
        rk::CalculatorPopup popup;
        QSignalSpy accepted(&popup, &rk::CalculatorPopup::valueAccepted);
        popup.popupAt(QPoint(10, 10));
        QTest::keyClicks(&popup, QStringLiteral("8/0"));
        QTest::keyClick(&popup, Qt::Key_Return);
        QCOMPARE(popup.display(), QStringLiteral("Error"));
        QCOMPARE(accepted.count(), 0);
        QVERIFY(popup.isVisible());
        QTest::keyClick(&popup, Qt::Key_Escape);
        QVERIFY(!popup.isVisible());
        QCOMPARE(accepted.count(), 0);
        QVERIFY(popup.key(QString(QChar(0x00F7))));
        QVERIFY(popup.key(QStringLiteral("CE")));
    }
};

QTEST_MAIN(TestCalculator)
#include "tst_calculator.moc"
