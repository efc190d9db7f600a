// The settings store: the "0x" number rule, defaults, sections, and the INI file that keeps
// the registry's structure.
#include "inifile.h"
#include "settings.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace rk::fw;

class SettingsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString file_;

    void writeFile(const QByteArray& bytes) {
        QFile f(file_);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readFile() const {
        QFile f(file_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    static ino_t inodeOf(const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
    }

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

    void aFileIsKeptAsItWasExceptTheValueThatChanged() {
        // Windows-1252 text (an "é" that is not UTF-8), CR LF, a comment, a line that is no
        // value, a value before any section, a section named twice.
        const QByteArray original = "; Reelkeeper settings \xE9"
                                    "dit\xE9"
                                    "es\r\n"
                                    "Loose=1\r\n"
                                    "[Custom]\r\n"
                                    "Custom1=Caf\xE9\r\n"
                                    "this line is no value\r\n"
                                    "\r\n"
                                    "[Startup]\r\n"
                                    "StartTut=0\r\n"
                                    "[custom]\r\n"
                                    "Custom2=Shelf\r\n";
        writeFile(original);
        const auto inode = inodeOf(file_);
        {
            SettingsKey key;
            QCOMPARE(key.readString("Custom", "Custom1", ""), QString::fromUtf8("Caf\u00e9"));
            key.writeInteger("Startup", "StartTut", 0); // the value it has
            key.writeString("Custom", "Custom2", "Shelf");
        }
        QCOMPARE(readFile(), original);
        QCOMPARE(inodeOf(file_), inode); // not written at all

        {
            SettingsKey key;
            key.writeString("Custom", "Custom2", QString::fromUtf8("B\u00fccher"));
            key.writeString("Custom", "Custom3", "new");
            key.writeString("Settings", "BoldLists", "1");
        }
        QByteArray expected = original;
        expected.replace("Custom2=Shelf\r\n", "Custom2=B\xFC"
                                              "cher\r\nCustom3=new\r\n");
        expected += "\r\n[Settings]\r\nBoldLists=1\r\n";
        QCOMPARE(readFile(), expected);

        // A character Windows-1252 cannot hold turns the file into UTF-8, losing nothing.
        {
            SettingsKey key;
            key.writeString("Custom", "Custom4", QString::fromUtf8("\u2603"));
        }
        IniFile ini(file_);
        QCOMPARE(ini.encoding(), IniFile::Encoding::Utf8);
        QCOMPARE(ini.value("Custom", "Custom1").value_or(""), QString::fromUtf8("Caf\u00e9"));
        QCOMPARE(ini.value("Custom", "Custom4").value_or(""), QString::fromUtf8("\u2603"));
        QVERIFY(ini.text().startsWith(QString::fromUtf8("; Reelkeeper settings \u00e9dit")));
        QVERIFY(ini.text().contains("this line is no value\r\n"));
    }

    void aUtf8FileStaysUtf8AndRemovingTakesOnlyTheValue() {
        const QByteArray original = "\xEF\xBB\xBF[Custom]\nCustom1=Caf\xC3\xA9\n; note\nCustom2=x";
        writeFile(original);
        {
            SettingsKey key;
            QCOMPARE(key.readString("Custom", "Custom1", ""), QString::fromUtf8("Caf\u00e9"));
            QVERIFY(key.removeValue("Custom", "Custom2"));
        }
        QCOMPARE(readFile(), QByteArray("\xEF\xBB\xBF[Custom]\nCustom1=Caf\xC3\xA9\n; note\n"));
    }

    void aHugeFileIsReadOnlyInPartAndNeverWritten() {
        QByteArray junk = "[Startup]\nStartTut=0\n";
        junk += QByteArray(3 * IniFile::kMaxBytes, 'j');
        junk += "\n[Custom]\nCustom1=beyond the limit\n";
        writeFile(junk);
        SettingsKey key;
        QCOMPARE(key.readInteger("Startup", "StartTut", 1), 0);
        QVERIFY(!key.value("Custom", "Custom1")); // not read
        QVERIFY(!key.problem().isEmpty());
        key.writeString("Custom", "Custom1", "changed");
        IniFile ini(file_);
        ini.setValue("Custom", "Custom2", "x");
        QVERIFY(!ini.save());
        QCOMPARE(readFile().size(), junk.size());
        QCOMPARE(readFile(), junk);
    }

    void somethingElseThanAFileIsNeitherReadNorReplaced() {
        QVERIFY(::mkfifo(QFile::encodeName(file_).constData(), 0644) == 0);
        {
            SettingsKey key; // would wait for ever reading a pipe
            QCOMPARE(key.readInteger("Startup", "StartTut", 1), 1);
            QVERIFY(!key.problem().isEmpty());
            key.writeInteger("Startup", "StartTut", 0);
        }
        QVERIFY(!QFileInfo(file_).isFile()); // still the pipe
    }

    void theProfileFolderIsTheSettingsFolder() {
        QCOMPARE(SettingsKey::profileFolder(), dir_.path());
    }
};

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
