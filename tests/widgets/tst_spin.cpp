#include "spinbutton.h"
#include "spinedit.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using rk::SpinButton;
using rk::SpinEdit;

class TestSpin : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void twoDigitEditPadsAndClamps() {
        std::unique_ptr<SpinEdit> minutes(SpinEdit::integer(0, 59));
        minutes->setDigits(2);
        QCOMPARE(minutes->text(), QStringLiteral("00"));
        minutes->setValue(1);
        QCOMPARE(minutes->text(), QStringLiteral("01"));
        minutes->setValue(75);
        QCOMPARE(minutes->intValue(), 59);
        minutes->stepUp();
        QCOMPARE(minutes->intValue(), 59);
        minutes->setValue(-3);
        QCOMPARE(minutes->intValue(), 0);
        QCOMPARE(minutes->text(), QStringLiteral("00"));
        minutes->stepDown();
        QCOMPARE(minutes->intValue(), 0);
        minutes->setValue(12);
        QCOMPARE(minutes->text(), QStringLiteral("12"));
    }

    void digitsChangeTheShownTextAtOnce() {
        std::unique_ptr<SpinEdit> edit(SpinEdit::integer(0, 500));
        edit->setValue(7);
        QCOMPARE(edit->text(), QStringLiteral("7"));
        edit->setDigits(3);
        QCOMPARE(edit->text(), QStringLiteral("007"));
        edit->setValue(123);
        QCOMPARE(edit->text(), QStringLiteral("123"));
    }

    void paddedDecimalsAndNegativeValues() {
        std::unique_ptr<SpinEdit> edit(SpinEdit::decimal(-10, 10, 0.5, 2));
        edit->setDigits(2);
        edit->setValue(1.5);
        QCOMPARE(edit->text(), QStringLiteral("01.50"));
        edit->setValue(-1.5);
        QCOMPARE(edit->text(), QStringLiteral("-01.50"));
        edit->setValue(-0.001); // rounds to zero: no sign
        QCOMPARE(edit->text(), QStringLiteral("00.00"));
    }

    void decimalStepsStayOnTheGridAndInRange() {
        std::unique_ptr<SpinEdit> margin(SpinEdit::decimal(0.25, 6, 0.05, 2));
        margin->setValue(0.5);
        margin->stepUp();
        QCOMPARE(margin->value(), 0.55);
        QCOMPARE(margin->text(), QStringLiteral("0.55"));
        for (int i = 0; i < 20; ++i)
            margin->stepDown();
        QCOMPARE(margin->value(), 0.25);
        margin->setValue(5.98);
        margin->stepUp();
        QCOMPARE(margin->value(), 6.0);
        margin->setValue(1.234);
        QCOMPARE(margin->value(), 1.23);
    }

    void typedTextIsReadBackWithinTheRange() {
        std::unique_ptr<SpinEdit> hours(SpinEdit::integer(0, 59));
        hours->setDigits(2);
        QLineEdit* line = hours->findChild<QLineEdit*>();
        QVERIFY(line);
        line->selectAll();
        QTest::keyClicks(line, QStringLiteral("05"));
        QTest::keyClick(line, Qt::Key_Return);
        QCOMPARE(hours->intValue(), 5);
        QCOMPARE(hours->text(), QStringLiteral("05"));

        line->selectAll();
        QTest::keyClicks(line, QStringLiteral("75"));
        QTest::keyClick(line, Qt::Key_Return);
        QVERIFY(hours->intValue() >= 0 && hours->intValue() <= 59);
        QVERIFY(hours->text() != QStringLiteral("75"));
    }

    void halvesSplitAtTheMiddle() {
        SpinButton button;
        button.resize(18, 24);
        QCOMPARE(button.halfAt(QPoint(5, 0)), SpinButton::Half::Top);
        QCOMPARE(button.halfAt(QPoint(5, 11)), SpinButton::Half::Top);
        QCOMPARE(button.halfAt(QPoint(5, 12)), SpinButton::Half::Bottom);
        QCOMPARE(button.halfAt(QPoint(5, 23)), SpinButton::Half::Bottom);
        QCOMPARE(button.halfAt(QPoint(5, 24)), SpinButton::Half::None);
        button.resize(18, 25); // odd height: the middle row belongs to the top
        QCOMPARE(button.halfAt(QPoint(5, 12)), SpinButton::Half::Top);
        QCOMPARE(button.halfAt(QPoint(5, 13)), SpinButton::Half::Bottom);
    }

    void eachHalfHasItsOwnSignal() {
        SpinButton button;
        button.resize(18, 24);
        button.setRepeatDelay(10000);
        QSignalSpy top(&button, &SpinButton::topClick);
        QSignalSpy bottom(&button, &SpinButton::bottomClick);
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(9, 4));
        QCOMPARE(top.count(), 1);
        QCOMPARE(bottom.count(), 0);
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(9, 20));
        QCOMPARE(top.count(), 1);
        QCOMPARE(bottom.count(), 1);
        QTest::mouseClick(&button, Qt::RightButton, {}, QPoint(9, 20));
        QCOMPARE(bottom.count(), 1);
        button.setEnabled(false);
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(9, 4));
        QCOMPARE(top.count(), 1);
    }

    void holdingAHalfRepeatsUntilReleased() {
        SpinButton button;
        button.resize(18, 24);
        button.setRepeatDelay(20);
        button.setRepeatInterval(5);
        QSignalSpy bottom(&button, &SpinButton::bottomClick);
        QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(9, 20));
        QCOMPARE(bottom.count(), 1);
        QTRY_VERIFY(bottom.count() >= 4);
        QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(9, 20));
        const int count = int(bottom.count());
        QTest::qWait(40);
        QCOMPARE(bottom.count(), count);
    }

    void attachedButtonStepsTheEditWithinItsRange() {
        std::unique_ptr<SpinEdit> edit(SpinEdit::integer(0, 59));
        SpinButton button;
        button.resize(18, 24);
        button.setRepeatDelay(10000);
        rk::attachSpinButton(&button, edit.get());
        edit->setValue(58);
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(9, 4));
        QCOMPARE(edit->intValue(), 59);
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(9, 4));
        QCOMPARE(edit->intValue(), 59);
        edit->setValue(0);
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(9, 20));
        QCOMPARE(edit->intValue(), 0);
    }
};

QTEST_MAIN(TestSpin)
#include "tst_spin.moc"
