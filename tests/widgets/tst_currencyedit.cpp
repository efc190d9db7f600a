#include "currencyedit.h"

#include <QSignalSpy>
#include <QtTest>

using rk::CurrencyEdit;

class TestCurrencyEdit : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void showsTheAmountWithSignAndSeparators() {
        CurrencyEdit edit;
        edit.setValue(1234.5);
        QCOMPARE(edit.text(), QStringLiteral("$1,234.50"));
        edit.setValue(-3);
        QCOMPARE(edit.text(), QStringLiteral("-$3.00"));
        edit.setValue(0.004); // rounds to 0.00 without a sign
        QCOMPARE(edit.text(), QStringLiteral("$0.00"));
        QCOMPARE(edit.value(), 0.0);
        edit.setCurrencySymbol(QStringLiteral("€"));
        edit.setDecimals(0);
        edit.setValue(1999.6);
        QCOMPARE(edit.text(), QString::fromUtf8("€2,000"));
        QCOMPARE(edit.editText(edit.value()), QStringLiteral("2000"));
    }

    void readsWhatUsersType_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "19.95" << true << 19.95;
        QTest::newRow("with sign") << "$19.95" << true << 19.95;
        QTest::newRow("separators") << " $1,234.50 " << true << 1234.5;
        QTest::newRow("negative") << "-$3" << true << -3.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("letters") << "12a" << false << 0.0;
        QTest::newRow("two points") << "1.2.3" << false << 0.0;
        QTest::newRow("sign only") << "$" << false << 0.0;
    }

    void readsWhatUsersType() {
        QFETCH(QString, typed);
        QFETCH(bool, ok);
        QFETCH(double, value);
        double read = -1;
        QCOMPARE(CurrencyEdit::parse(typed, QLocale(), &read), ok);
        if (ok) QCOMPARE(read, value);
    }

    void typingChangesTheAmountAndBadTextIsUndone() {
        CurrencyEdit edit;
        edit.setValue(10);
        QSignalSpy changed(&edit, &CurrencyEdit::valueChanged);
        edit.setText(QStringLiteral("25.456"));
        emit edit.editingFinished();
        QCOMPARE(edit.value(), 25.46);
        QCOMPARE(changed.count(), 1);
        edit.setText(QStringLiteral("twenty"));
        emit edit.editingFinished();
        QCOMPARE(edit.value(), 25.46);
        QCOMPARE(edit.text(), QStringLiteral("$25.46"));
        QCOMPARE(changed.count(), 1);
    }

    void focusShowsThePlainNumber() {
        QWidget window;
        auto* edit = new CurrencyEdit(&window);
        auto* other = new QLineEdit(&window);
        other->move(0, 40);
        edit->setValue(1234.5);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        QCOMPARE(edit->text(), QStringLiteral("1234.50"));
        other->setFocus();
        QTRY_VERIFY(!edit->hasFocus());
        QCOMPARE(edit->text(), QStringLiteral("$1,234.50"));
    }
};

QTEST_MAIN(TestCurrencyEdit)
#include "tst_currencyedit.moc"
