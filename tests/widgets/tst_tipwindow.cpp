#include "textlines.h"
#include "tiplist.h"
#include "tipwindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using rk::TipList;
using rk::TipWindow;

class TestTipWindow : public QObject {
    Q_OBJECT

private:
    static QStringList list(std::initializer_list<const char*> items) {
        QStringList lines;
        for (const char* item : items)
            lines << QString::fromUtf8(item);
        return lines;
    }

private slots:
    void nextTipMovesTheCurrentTipToTheEnd() {
        TipList tips(list({"1", "a", "b", "c"}));
        QVERIFY(tips.showAtStartup());
        QCOMPARE(tips.currentTip(), QStringLiteral("a"));
        QCOMPARE(tips.tipCount(), 3);
        tips.nextTip();
        QCOMPARE(tips.lines(), list({"1", "b", "c", "a"}));
        tips.nextTip();
        tips.nextTip();
        QCOMPARE(tips.lines(), list({"1", "a", "b", "c"}));
    }

    void okSetsTheFlagAndTurnsOnceMore() {
        TipList tips(list({"0", "a", "b", "c"}));
        QVERIFY(!tips.showAtStartup());
        tips.finish(true);
        QCOMPARE(tips.lines(), list({"1", "b", "c", "a"}));
        tips.finish(false);
        QCOMPARE(tips.lines(), list({"0", "c", "a", "b"}));
    }

    void shortListsStayWhole() {
        TipList empty;
        QCOMPARE(empty.currentTip(), QString());
        QCOMPARE(empty.tipCount(), 0);
        empty.nextTip();
        QVERIFY(empty.lines().isEmpty());
        empty.finish(false);
        QCOMPARE(empty.lines(), list({"0"}));

        TipList flagOnly(list({"1"}));
        flagOnly.nextTip();
        QCOMPARE(flagOnly.lines(), list({"1"}));

        TipList single(list({"1", "only"}));
        single.finish(true);
        QCOMPARE(single.lines(), list({"1", "only"}));

        // Only exactly "1" means show.
        QVERIFY(!TipList(list({"1 ", "a"})).showAtStartup());
        QVERIFY(!TipList(list({"", "a"})).showAtStartup());
    }

    void windowShowsTheTipAndTheFlag() {
        TipWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Welcome"));
        QCOMPARE(window.showOnStartupBox()->text(),
                 QStringLiteral("Continue showing these Tips on Startup"));
        QCOMPARE(window.nextTipButton()->text(), QStringLiteral("Next Tip"));
        QCOMPARE(window.okButton()->text(), QStringLiteral("Ok"));
        bool heading = false;
        for (QLabel* label : window.findChildren<QLabel*>())
            heading = heading || label->text() == QStringLiteral("Welcome to Reelkeeper98");
        QVERIFY(heading);

        window.setLines(list({"1", "first", "second"}));
        QVERIFY(window.showOnStartupBox()->isChecked());
        QCOMPARE(window.shownTip(), QStringLiteral("first"));
        window.setLines(list({"0", "first", "second"}));
        QVERIFY(!window.showOnStartupBox()->isChecked());
    }

    void nextTipThenOkGivesTheListToWriteBack() {
        TipWindow window;
        window.setLines(list({"1", "a", "b", "c"}));
        window.show();
        QTest::mouseClick(window.nextTipButton(), Qt::LeftButton);
        QCOMPARE(window.shownTip(), QStringLiteral("b"));
        window.showOnStartupBox()->setChecked(false);
        QTest::mouseClick(window.okButton(), Qt::LeftButton);
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(!window.isVisible());
        QCOMPARE(window.lines(), list({"0", "c", "a", "b"}));
    }

    void linesAreWindows1252WithAnyLineEnd() {
        const QByteArray bytes("1\r\nCaf\xE9 \x80\nb\rc\r\n\r\nlast");
        const QStringList lines = rk::decodeCp1252Lines(bytes);
        QCOMPARE(lines,
                 QStringList({QStringLiteral("1"), QString::fromUtf8("Café €"), QStringLiteral("b"),
                              QStringLiteral("c"), QString(), QStringLiteral("last")}));
        QCOMPARE(rk::decodeCp1252Lines("a\r\nb\r\n"), QStringList({"a", "b"}));
        QCOMPARE(rk::decodeCp1252Lines(QByteArray()), QStringList());
        QCOMPARE(rk::encodeCp1252Lines({QString::fromUtf8("é€"), QStringLiteral("x")}),
                 QByteArray("\xE9\x80\r\nx\r\n"));
    }

    void fileRoundTripAndMissingFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tod.dat"));
        bool ok = true;
        QVERIFY(rk::readCp1252Lines(path, &ok).isEmpty());
        QVERIFY(!ok);
        const QStringList lines = {QStringLiteral("1"), QString::fromUtf8("Crème brûlée"),
                                   QStringLiteral("second tip")};
        QVERIFY(rk::writeCp1252Lines(path, lines));
        QCOMPARE(rk::readCp1252Lines(path, &ok), lines);
        QVERIFY(ok);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(1), QByteArray("1"));
        QVERIFY(file.readAll().contains("Cr\xE8me"));
        QVERIFY(
            !rk::writeCp1252Lines(dir.filePath(QStringLiteral("no/such/folder/tod.dat")), lines));
    }
};

QTEST_MAIN(TestTipWindow)
#include "tst_tipwindow.moc"
