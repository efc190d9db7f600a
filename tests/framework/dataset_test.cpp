// The dataset's states, moves that post or cancel first, its events, and the failures that
// must keep the record in edit.
#include "dataset.h"
#include "faultenv.h"
#include "record.h"
#include "testcatalogue.h"

#include <QSignalSpy>

using rk::fw::Dataset;
using State = rk::fw::Dataset::State;

namespace {

using rk::test::FaultEnv;

// The stored TITLE of a record, read past the dataset.
QString storedTitle(rk::store::Table& t, uint32_t recno) {
    std::string image;
    if (!t.dbf()->readRecord(recno, &image).isOk()) return QStringLiteral("<unreadable>");
    return QString::fromStdString(std::string(rk::dbf::trimmedField(image, *t.field("TITLE"))));
}

} // namespace

class DatasetTest : public QObject {
    Q_OBJECT

private slots:
    void opensInBrowseOnTheFirstRecord() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        QCOMPARE(ds.state(), State::Browse);
        QCOMPARE(ds.recNo(), 1u);
        QCOMPARE(ds.text("TITLE"), QString("Casablanca"));
        QVERIFY(ds.bof());
        QVERIFY(!ds.isModified());
    }

    void typingEditsAndPostWritesTheRecord() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        QSignalSpy posted(&ds, &Dataset::afterPost);
        QVERIFY(ds.setText("TITLE", "Casablanca (restored)").isOk());
        QCOMPARE(ds.state(), State::Edit);
        QVERIFY(ds.isModified());
        QCOMPARE(storedTitle(*cat.titles, 1), QString("Casablanca"));
        QVERIFY(ds.post().isOk());
        QCOMPARE(ds.state(), State::Browse);
        QCOMPARE(posted.count(), 1);
        QCOMPARE(storedTitle(*cat.titles, 1), QString("Casablanca (restored)"));
    }

    void cancelBringsBackTheStoredValues() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        QSignalSpy posted(&ds, &Dataset::afterPost);
        QVERIFY(ds.setText("TITLE", "Something else").isOk());
        ds.cancel();
        QCOMPARE(ds.state(), State::Browse);
        QCOMPARE(ds.text("TITLE"), QString("Casablanca"));
        QCOMPARE(storedTitle(*cat.titles, 1), QString("Casablanca"));
        QCOMPARE(posted.count(), 0);
    }

    void aMovePostsAChangedRecordFirst() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        QVERIFY(ds.setText("DIRECTOR", "Someone").isOk());
        QVERIFY(ds.next().isOk());
        QCOMPARE(ds.recNo(), 2u);
        QCOMPARE(ds.state(), State::Browse);
        QVERIFY(ds.goTo(1).isOk());
        QCOMPARE(ds.text("DIRECTOR"), QString("Someone"));
    }

    void aMoveCancelsAnUnchangedEdit() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        QSignalSpy posted(&ds, &Dataset::afterPost);
        QSignalSpy cancelled(&ds, &Dataset::afterCancel);
        QVERIFY(ds.edit().isOk());
        QVERIFY(ds.setText("TITLE", "Casablanca").isOk()); // the value it already has
        QVERIFY(!ds.isModified());
        QVERIFY(ds.setQuery("").isOk());
        QCOMPARE(ds.state(), State::Browse);
        QCOMPARE(cancelled.count(), 1);
        QCOMPARE(posted.count(), 0);
    }

    void anAbandonedInsertWritesNothing() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        QVERIFY(ds.goTo(3).isOk());
        const uint32_t before = cat.titles->recCount();
        QSignalSpy started(&ds, &Dataset::newRecord);
        QVERIFY(ds.insert().isOk());
        QCOMPARE(started.count(), 1);
        QCOMPARE(ds.state(), State::Insert);
        QCOMPARE(ds.recNo(), 0u);
        QCOMPARE(ds.text("TITLE"), QString());
        QVERIFY(ds.setText("TITLE", "Never kept").isOk());
        ds.cancel();
        QCOMPARE(cat.titles->recCount(), before);
        QCOMPARE(ds.recNo(), 3u);
        QCOMPARE(ds.state(), State::Browse);
    }

    void aPostedInsertIsAppendedAndCurrent() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        const uint32_t before = cat.titles->recCount();
        QSignalSpy posted(&ds, &Dataset::afterPost);
        QSignalSpy setChanged(&ds, &Dataset::setChanged);
        QVERIFY(ds.insert().isOk());
        QVERIFY(ds.setText("TITLE", "A New Film").isOk());
        // Moving away posts the new record.
        QVERIFY(ds.first().isOk());
        QCOMPARE(cat.titles->recCount(), before + 1);
        QCOMPARE(storedTitle(*cat.titles, before + 1), QString("A New Film"));
        QCOMPARE(posted.count(), 1);
        QVERIFY(setChanged.count() >= 1);
        QCOMPARE(ds.recNo(), 1u);
    }

    void aTextThatIsNoNumberKeepsTheRecordInEdit() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        QSignalSpy failed(&ds, &Dataset::postFailed);
        QVERIFY(!ds.setText("TAPES", "abc").isOk());
        QCOMPARE(ds.text("TAPES"), QString("abc")); // what was typed stays visible
        QVERIFY(!ds.post().isOk());
        QCOMPARE(failed.count(), 1);
        QCOMPARE(ds.state(), State::Edit);
        // A move cannot leave the record either.
        QVERIFY(!ds.next().isOk());
        QCOMPARE(ds.recNo(), 1u);
        QCOMPARE(ds.state(), State::Edit);
        QVERIFY(ds.setText("TAPES", "3").isOk());
        QVERIFY(ds.post().isOk());
        QCOMPARE(ds.text("TAPES"), QString("3"));
    }

    void aControlCharacterIsRefusedAndTheRecordStaysInEdit() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        const QString before = ds.text("TITLE");
        for (const QString& typed : {QString("bell\a"), QString("esc\x1b[2J")}) {
            QVERIFY(!ds.setText("TITLE", typed).isOk());
            QCOMPARE(ds.text("TITLE"), typed); // what was typed stays visible
            const rk::Status s = ds.post();
            QVERIFY(!s.isOk());
            QVERIFY(QString::fromStdString(s.message()).endsWith(" in TITLE"));
            QCOMPARE(ds.state(), State::Edit);
        }
        ds.cancel();
        QCOMPARE(ds.text("TITLE"), before);
        QCOMPARE(storedTitle(*cat.titles, 1), before);
    }

    void lineBreaksAndTabsBecomeSpaces() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        QVERIFY(ds.setText("TITLE", "A plot\r\nin two lines,\nthree\twith a tab").isOk());
        QVERIFY(ds.post().isOk());
        QCOMPARE(storedTitle(*cat.titles, 1), QString("A plot in two lines, three with a tab"));
    }

    void aNumberTooWideForItsFieldIsRefusedAtPost() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        QVERIFY(!ds.setText("TAPES", "12345").isOk());
        const rk::Status s = ds.post();
        QVERIFY(!s.isOk());
        QVERIFY(QString::fromStdString(s.message()).contains("TAPES"));
        QCOMPARE(ds.state(), State::Edit);
        ds.cancel();
        QCOMPARE(ds.text("TAPES"), QString());
    }

    void aFailedWriteIsReportedAndTheRecordStaysInEdit() {
        QTemporaryDir dir;
        QVERIFY(rk::catalogue::createSample(dir.path().toStdString()).isOk());
        FaultEnv env;
        rk::store::Table t(rk::findFileNoCase(dir.path().toStdString(), "VIDEO.DBF"), {}, &env);
        QVERIFY(t.open().isOk());
        Dataset ds(&t);
        QSignalSpy failed(&ds, &Dataset::postFailed);
        QVERIFY(ds.setText("TITLE", "Kept in edit").isOk());
        env.failWrites = true;
        QVERIFY(!ds.post().isOk());
        QCOMPARE(failed.count(), 1);
        QCOMPARE(ds.state(), State::Edit);
        QCOMPARE(ds.text("TITLE"), QString("Kept in edit"));
        env.failWrites = false;
        QVERIFY(ds.post().isOk());
        QCOMPARE(storedTitle(t, 1), QString("Kept in edit"));
    }

    void characterTextIsCutToTheFieldWidth() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        QVERIFY(ds.setText("TITLE", QString(101, 'x')).isOk());
        QCOMPARE(ds.text("TITLE").size(), 100);
        QVERIFY(ds.setText("SPEED", "SLP - 360 Minutes").isOk());
        QCOMPARE(ds.text("SPEED"), QString("SLP - 360 Minut"));
    }

    void unicodeOutsideTheCodePageBecomesAQuestionMark() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        QVERIFY(ds.setText("TITLE", QString::fromUtf8("Amélie \u4e2d")).isOk());
        QCOMPARE(ds.text("TITLE"), QString::fromUtf8("Amélie ?"));
    }

    void editingAnEmptySetStartsANewRecord() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        QVERIFY(ds.setQuery("CATEGORY = \"Documentary\"").isOk());
        QVERIFY(ds.isEmpty());
        QSignalSpy started(&ds, &Dataset::newRecord);
        QVERIFY(ds.setLogical("MARKED", true).isOk());
        QCOMPARE(ds.state(), State::Insert);
        QCOMPARE(started.count(), 1);
    }

    void deletingMovesToTheNextVisibleRecord() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        const uint32_t visible = cat.titles->count();
        QSignalSpy deleted(&ds, &Dataset::afterDelete);
        QVERIFY(ds.goTo(2).isOk());
        QVERIFY(ds.deleteCurrent().isOk());
        QCOMPARE(deleted.count(), 1);
        QCOMPARE(ds.recNo(), 3u);
        QCOMPARE(cat.titles->count(), visible - 1);
        QVERIFY(ds.last().isOk());
        const uint32_t last = ds.recNo();
        QVERIFY(ds.deleteCurrent().isOk());
        QVERIFY(ds.recNo() < last);
        QVERIFY(ds.recNo() != 0);
    }

    void deletingDuringAnInsertOnlyAbandonsIt() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        const uint32_t visible = cat.titles->count();
        QVERIFY(ds.insert().isOk());
        QVERIFY(ds.deleteCurrent().isOk());
        QCOMPARE(ds.state(), State::Browse);
        QCOMPARE(cat.titles->count(), visible);
    }

    void aQueryPostsFirstAndShowsItsSet() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        QSignalSpy setChanged(&ds, &Dataset::setChanged);
        QVERIFY(ds.goTo(2).isOk()); // not marked in the sample
        QVERIFY(ds.setLogical("MARKED", true).isOk());
        QVERIFY(ds.setQuery("MARKED").isOk());
        QCOMPARE(ds.state(), State::Browse);
        QCOMPARE(setChanged.count(), 2); // the post, then the query
        std::vector<uint32_t> visible;
        QVERIFY(cat.titles->visibleRecords(&visible).isOk());
        QVERIFY(std::find(visible.begin(), visible.end(), 2u) != visible.end());
        for (uint32_t r : visible) {
            QVERIFY(ds.goTo(r).isOk());
            QVERIFY(ds.logical("MARKED"));
        }
    }

    void nextAtTheEndStaysOnTheLastRecord() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        QVERIFY(ds.last().isOk());
        const uint32_t last = ds.recNo();
        QVERIFY(ds.eof());
        QVERIFY(ds.prior().isOk());
        QVERIFY(!ds.eof());
        QVERIFY(ds.next().isOk());
        QVERIFY(ds.next().isOk());
        QCOMPARE(ds.recNo(), last);
        QVERIFY(ds.eof());
        QVERIFY(ds.first().isOk());
        QVERIFY(ds.prior().isOk());
        QCOMPARE(ds.recNo(), 1u);
        QVERIFY(ds.bof());
    }

    void disabledControlsHearOneEventAtTheEnd() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        QSignalSpy moved(&ds, &Dataset::recordMoved);
        QSignalSpy data(&ds, &Dataset::dataChanged);
        ds.disableControls();
        QVERIFY(ds.next().isOk());
        QVERIFY(ds.next().isOk());
        QVERIFY(ds.setQuery("MARKED").isOk());
        QCOMPARE(moved.count(), 0);
        QCOMPARE(data.count(), 0);
        ds.enableControls();
        QCOMPARE(moved.count(), 1);
        QCOMPARE(data.count(), 1);
    }

    void aClosedTableMakesTheDatasetInactive() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        QVERIFY(ds.setText("TITLE", "Unsaved").isOk());
        cat.titles->close();
        ds.setActive(false);
        QCOMPARE(ds.state(), State::Inactive);
        QVERIFY(ds.isEmpty());
        QVERIFY(!ds.edit().isOk());
        QVERIFY(cat.titles->open().isOk());
        ds.setActive(true);
        QCOMPARE(ds.state(), State::Browse);
        QCOMPARE(ds.text("TITLE"), QString("Casablanca"));
    }
};

QTEST_MAIN(DatasetTest)
#include "dataset_test.moc"
