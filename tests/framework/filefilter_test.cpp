// File dialog filters written as description|patterns pairs, in the form Qt's dialogs take.
#include "filefilter.h"

#include <QTest>

class FileFilterTest : public QObject {
    Q_OBJECT

private slots:
    void pairsBecomeDialogFilters_data() {
        QTest::addColumn<QString>("pairs");
        QTest::addColumn<QString>("filter");
        QTest::newRow("patterns in the description")
            << "AVI Video clips (*.avi)|*.avi|All Files|*.*"
            << "AVI Video clips (*.avi);;All Files (*.*)";
        QTest::newRow("the pair's patterns filter") << "Midi files (*.mid)|*mid"
                                                    << "Midi files (*mid)";
        QTest::newRow("several patterns") << "All types|*.wav;*.mid;*.avi"
                                          << "All types (*.wav *.mid *.avi)";
        QTest::newRow("description without patterns") << "Anything|"
                                                      << "Anything";
        QTest::newRow("nothing") << ""
                                 << "";
    }
    void pairsBecomeDialogFilters() {
        QFETCH(QString, pairs);
        QFETCH(QString, filter);
        QCOMPARE(rk::fw::dialogFilter(pairs), filter);
    }
};

QTEST_MAIN(FileFilterTest)
#include "filefilter_test.moc"
