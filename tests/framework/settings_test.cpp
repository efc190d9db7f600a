// The settings store: the "0x" number rule, defaults, sections, and the INI file that keeps
// the registry's structure.
#include "inifile.h"
#include "settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace rk::fw;

class SettingsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString file_;

private slots:
    void init() {
        file_ = dir_.filePath(QStringLiteral("RKP98-%1.ini").arg(QTest::currentTestFunction()));
        SettingsKey::setFilePath(file_);
    }
    void cleanupTestCase() { SettingsKey::setFilePath(QString()); }

    void numbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -999: not a number
        QTest::newRow("decimal") << "1" << 1;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("hex 0x0") << "0x0" << 0;
        QTest::newRow("hex upper") << "0X1F" << 31;
        QTest::newRow("hex lower digits") << "0xff" << 255;
        QTest::newRow("negative") << "-12" << -12;
        QTest::newRow("plus") << "+7" << 7;
        QTest::newRow("leading blanks") << "  42" << 42;
        QTest::newRow("all 32 bits in hex") << "0xFFFFFFFF" << -1;
        QTest::newRow("largest") << "2147483647" << 2147483647;
        QTest::newRow("smallest") << "-2147483648" << int(-2147483648LL);
        QTest::newRow("too large") << "2147483648" << -999;
        QTest::newRow("hex too large") << "0x100000000" << -999;
        QTest::newRow("letters") << "abc" << -999;
        QTest::newRow("empty") << "" << -999;
        QTest::newRow("blank") << "   " << -999;
        QTest::newRow("0x alone") << "0x" << -999;
        QTest::newRow("trailing text") << "12abc" << -999;
        QTest::newRow("trailing blank") << "1 " << -999;
        QTest::newRow("hex digit in decimal") << "1f" << -999;
        QTest::newRow("decimal point") << "1.5" << -999;
        QTest::newRow("arabic digits") << QString::fromUtf8("\u0661") << -999;
    }
    void numbers() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const auto got = parseSettingNumber(text);
        if (expected == -999)
            QVERIFY(!got.has_value());
        else
            QCOMPARE(got.value_or(-999), expected);
    }

    void missingValuesGiveTheReadersDefault() {
        SettingsKey key;
        QCOMPARE(key.readString("Custom", "Custom1", "Custom-1"), QString("Custom-1"));
        QCOMPARE(key.readInteger("Settings", "ShowHints", 1), 1);
        QVERIFY(!QFile::exists(file_)); // reading creates nothing
    }

    void aTextThatIsNoNumberGivesTheDefault() {
        {
            SettingsKey key;
            key.writeString("Settings", "ShowHints", "abc");
            key.writeString("Settings", "BoldLists", "0x1");
        }
        SettingsKey key;
        QCOMPARE(key.readInteger("Settings", "ShowHints", 1), 1);
        QCOMPARE(key.readInteger("Settings", "BoldLists", 0), 1);
        QCOMPARE(key.readString("Settings", "ShowHints", ""), QString("abc"));
    }

    void valuesSurviveClosingAndNamesIgnoreCase() {
        {
            SettingsKey key;
            key.writeInteger("Startup", "StartTut", 0);
            key.writeString("Custom", "Custom1", "  Shelf  ");
            key.writeString(kKeySection, "MainForm_Tab", "Settings");
        }
        SettingsKey key;
        QCOMPARE(key.readInteger("startup", "STARTTUT", 1), 0);
        QCOMPARE(key.readString("Custom", "Custom1", ""), QString("  Shelf  "));
        QCOMPARE(key.readString(kKeySection, "MainForm_Tab", ""), QString("Settings"));
        QVERIFY(!key.value("Custom", "Custom2"));
    }

    void numbersAreWrittenAsDecimalText() {
        {
            SettingsKey key;
            key.writeInteger("Settings", "Navigator", 1);
            key.writeBool("Settings", "EnterKeyTab", false);
        }
        IniFile ini(file_);
        QCOMPARE(ini.value("Settings", "Navigator").value_or(""), QString("1"));
        QCOMPARE(ini.value("Settings", "EnterKeyTab").value_or(""), QString("0"));
    }

    void theIniFileKeepsTextExactly() {
        IniFile ini(QString{});
        ini.parse("; comment\r\n[Settings]\r\nDefaultFormat = VHS \r\nQuoted=\"  a \"\r\n"
                  "Comma=1,2,3,4\r\nEquals=a=b\r\n[settings]\r\nextra=1\r\norphan\r\n");
        QCOMPARE(ini.value("SETTINGS", "defaultformat").value_or("?"), QString("VHS"));
        QCOMPARE(ini.value("Settings", "Quoted").value_or("?"), QString("  a "));
        QCOMPARE(ini.value("Settings", "Comma").value_or("?"), QString("1,2,3,4"));
        QCOMPARE(ini.value("Settings", "Equals").value_or("?"), QString("a=b"));
        QCOMPARE(ini.value("Settings", "extra").value_or("?"), QString("1")); // one section
        QCOMPARE(ini.sections().size(), 1);
        IniFile again(QString{});
        again.parse(ini.text());
        QCOMPARE(again.value("Settings", "Quoted").value_or("?"), QString("  a "));
        QCOMPARE(again.names("Settings"), ini.names("Settings"));
    }

    void valuesBeforeAnySectionAreIgnored() {
        IniFile ini(QString{});
        ini.parse("Loose=1\n[A]\nB=2\n");
        QVERIFY(!ini.value("", "Loose"));
        QCOMPARE(ini.value("A", "B").value_or(""), QString("2"));
    }

    void aNewlineInAValueDoesNotBreakTheFile() {
        {
            SettingsKey key;
            key.writeString("Custom", "Custom1", "two\nlines");
            key.writeString("Custom", "Custom2", "after");
        }
        SettingsKey key;
        QCOMPARE(key.readString("Custom", "Custom1", ""), QString("two lines"));
        QCOMPARE(key.readString("Custom", "Custom2", ""), QString("after"));
    }

    void theProfileFolderIsTheSettingsFolder() {
        QCOMPARE(SettingsKey::profileFolder(), dir_.path());
    }
};

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
