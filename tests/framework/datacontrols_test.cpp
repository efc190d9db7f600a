// Data-aware controls: what they show, what the user's changes write, what showing a record
// must never write, and the lookup list that must stay virtual over a large table.
#include "datacontrols.h"
#include "faultenv.h"
#include "navigator.h"
#include "record.h"
#include "scriptedprompt.h"
#include "testcatalogue.h"

#include <QRadioButton>
#include <QSignalSpy>

using namespace rk::fw;
using State = Dataset::State;

namespace {

// Counts the rows a view asks for.
class CountingModel : public RecordListModel {
public:
    using RecordListModel::RecordListModel;
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole) ++asked;
        return RecordListModel::data(index, role);
    }
    mutable int asked = 0;
};

// Counts the model indexes a view makes (a list view's layout makes one for every row).
class IndexCountingModel : public RecordListModel {
public:
    using RecordListModel::RecordListModel;
    QModelIndex index(int row, int column, const QModelIndex& parent) const override {
        ++made;
        return RecordListModel::index(row, column, parent);
    }
    mutable int made = 0;
};

} // namespace

class DataControlsTest : public QObject {
    Q_OBJECT

private slots:
    void anEditTakesAtMostTheFieldWidth() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        DBEdit title, year, tapes;
        title.bind(&ds, "TITLE");
        year.bind(&ds, "YEAR");
        tapes.bind(&ds, "TAPES");
        QCOMPARE(title.maxLength(), 100);
        QCOMPARE(year.maxLength(), 4);
        QCOMPARE(tapes.maxLength(), 4);
        QCOMPARE(title.text(), QString("Casablanca"));
        QTest::keyClicks(&year, "12345");
        QCOMPARE(year.text(), QString("1942")); // full: nothing more is taken
    }

    void typingEditsTheRecordButShowingARecordNeverDoes() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        DBEdit title;
        title.bind(&ds, "TITLE");
        QVERIFY(ds.next().isOk());
        QVERIFY(ds.next().isOk());
        QCOMPARE(ds.state(), State::Browse);
        QCOMPARE(title.text(), ds.text("TITLE"));
        title.selectAll();
        QTest::keyClicks(&title, "Heat");
        QCOMPARE(ds.state(), State::Edit);
        QCOMPARE(ds.text("TITLE"), QString("Heat"));
        ds.cancel();
        QCOMPARE(title.text(), ds.text("TITLE"));
        QVERIFY(title.text() != "Heat");
    }

    void typingIntoAnEmptySetStartsANewRecordAndKeepsTheFirstKey() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        DBEdit title;
        title.bind(&ds, "TITLE");
        QVERIFY(ds.setQuery("CATEGORY = \"Documentary\"").isOk());
        QCOMPARE(title.text(), QString());
        QTest::keyClicks(&title, "Nanook");
        QCOMPARE(ds.state(), State::Insert);
        QCOMPARE(ds.text("TITLE"), QString("Nanook"));
    }

    void aComboKeepsAnyTypedTextAndWritesAChosenItem() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        DBComboBox rated;
        rated.addItems({"G", "R", "PG", "PG-13", "NC-17", "NR", "N/A"});
        rated.bind(&ds, "RATED");
        QCOMPARE(rated.currentText(), QString("PG"));
        rated.lineEdit()->selectAll();
        QTest::keyClicks(rated.lineEdit(), "Unrated here");
        QCOMPARE(ds.text("RATED"), QString("Unrated here"));
        QCOMPARE(rated.count(), 7); // typing adds nothing to the list
        emit rated.activated(3);
        QCOMPARE(ds.text("RATED"), QString("PG-13"));
    }

    void aCheckBoxWritesTrueWhenTicked() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        DBCheckBox marked;
        marked.bind(&ds, "MARKED");
        QVERIFY(marked.isChecked()); // Casablanca is marked in the sample
        marked.click();
        QVERIFY(!ds.logical("MARKED"));
        QCOMPARE(ds.state(), State::Edit);
        QVERIFY(ds.post().isOk());
        QVERIFY(ds.next().isOk());
        QVERIFY(ds.prior().isOk());
        QVERIFY(!marked.isChecked());
    }

    void aRadioGroupStoresTheItemTextWithItsAmpersands() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        DBRadioGroup visual("Visual", {"Color", "B&&W"});
        visual.bind(&ds, "PICTURE");
        QCOMPARE(visual.itemIndex(), 1); // Casablanca: B&&W
        QCOMPARE(ds.text("PICTURE"), QString("B&&W"));
        visual.button(0)->click();
        QCOMPARE(ds.text("PICTURE"), QString("Color"));
        visual.button(1)->click();
        QCOMPARE(ds.text("PICTURE"), QString("B&&W"));
        QVERIFY(ds.setText("PICTURE", "Sepia").isOk());
        QCOMPARE(visual.itemIndex(), -1); // no item has that text
    }

    void aMemoWritesWhatIsTypedAndShowsTheField() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        DBMemo summary;
        summary.bind(&ds, "SUMMARY");
        QCOMPARE(summary.toPlainText(), ds.text("SUMMARY"));
        QCOMPARE(ds.state(), State::Browse);
        summary.selectAll();
        QTest::keyClicks(&summary, "Short.");
        QCOMPARE(ds.text("SUMMARY"), QString("Short."));
    }

    void aLookupComboWritesTheChosenValueOfItsSource() {
        TestCatalogue cat;
        rk::store::Table cats(rk::findFileNoCase(cat.dir.path().toStdString(), "Cats.dbf"));
        QVERIFY(cats.open().isOk());
        Dataset titles(cat.titles.get());
        Dataset categories(&cats);
        RecordListModel source(&categories, "CATEGORY");
        DBLookupCombo combo;
        combo.bind(&titles, "CATEGORY", &source);
        QCOMPARE(combo.count(), int(cats.count()));
        QCOMPARE(combo.currentText(), QString("Drama"));
        const int doc = combo.findText("Documentary");
        QVERIFY(doc >= 0);
        emit combo.activated(doc);
        QCOMPARE(titles.text("CATEGORY"), QString("Documentary"));
        QCOMPARE(categories.state(), State::Browse); // the source is only read
    }

    void theListFollowsTheDatasetAndMovesIt() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        RecordListModel model(&ds, "TITLE");
        DBLookupList list;
        list.bind(&model);
        QCOMPARE(model.rowCount(), int(cat.titles->count()));
        QCOMPARE(list.currentIndex().row(), 0);
        QVERIFY(ds.goTo(5).isOk());
        QCOMPARE(model.recNoAt(list.currentIndex().row()), 5u);
        list.setCurrentIndex(model.index(2));
        QCOMPARE(ds.recNo(), model.recNoAt(2));
        QVERIFY(ds.setQuery("MARKED").isOk());
        QCOMPARE(model.rowCount(), int(cat.titles->count()));
        QVERIFY(model.rowCount() > 0);
        for (int r = 0; r < model.rowCount(); ++r) {
            QVERIFY(ds.goTo(model.recNoAt(r)).isOk());
            QVERIFY(ds.logical("MARKED"));
            QCOMPARE(model.textAt(r), ds.text("TITLE"));
        }
    }

    void aRecordThatCannotBePostedKeepsTheListOnIt() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        RecordListModel model(&ds, "TITLE");
        DBLookupList list;
        list.bind(&model);
        QSignalSpy failed(&ds, &Dataset::postFailed);
        QVERIFY(!ds.setText("TAPES", "abc").isOk()); // kept as typed, refused at post
        list.setCurrentIndex(model.index(4));
        QCOMPARE(failed.count(), 1);
        QCOMPARE(ds.recNo(), 1u);
        QCOMPARE(list.currentIndex().row(), 0);
        QCOMPARE(ds.state(), State::Edit);
    }

    void aPostedTitleShowsItsNewTextInTheList() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        RecordListModel model(&ds, "TITLE");
        QCOMPARE(model.textAt(0), QString("Casablanca"));
        QVERIFY(ds.setText("TITLE", "Casablanca!").isOk());
        QVERIFY(ds.post().isOk());
        QCOMPARE(model.textAt(model.rowOf(1)), QString("Casablanca!"));
    }

    void aLargeListAsksOnlyForTheRowsItShows() {
        QTemporaryDir dir;
        const std::string path = dir.path().toStdString();
        // A table without index files: the list is what is looked at, not the index upkeep.
        QVERIFY(rk::dbf::DbfFile::create(path + "/VIDEO.DBF", rk::catalogue::titleFields()).isOk());
        rk::test::FaultEnv env; // counts the bytes read
        rk::store::TableOptions options;
        options.sync = false;
        rk::store::Table t(path + "/VIDEO.DBF", options, &env);
        QVERIFY(t.open().isOk());
        const uint32_t n = 50000, group = 5000;
        const std::string blank = t.dbf()->blankRecord();
        for (uint32_t first = 1; first <= n; first += group) {
            std::string images;
            for (uint32_t i = first; i < first + group; ++i) {
                std::string image = blank;
                rk::dbf::setString(image, *t.field("TITLE"), "Title " + std::to_string(i));
                images += image;
            }
            QVERIFY(t.appendRecords(images, group).isOk());
        }
        QVERIFY(t.goTop().isOk());
        const uint64_t tableBytes = uint64_t(n) * blank.size();
        env.bytesRead = 0;
        Dataset ds(&t);
        CountingModel model(&ds, "TITLE");
        DBLookupList list;
        list.resize(300, 400);
        list.bind(&model);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QVERIFY(ds.last().isOk());
        QCoreApplication::processEvents();
        QCOMPARE(model.rowCount(), int(n));
        QCOMPARE(model.recNoAt(list.currentIndex().row()), n);
        QVERIFY2(model.asked < 500, qPrintable(QString::number(model.asked)));
        // One pass over the table finds the visible records; beyond it only the rows asked are
        // read.
        QVERIFY2(env.bytesRead < tableBytes + 500 * blank.size(),
                 qPrintable(QString::number(env.bytesRead)));
    }

    // 20,000 titles in an order unlike their record order, some deleted: the list counts its
    // rows and reads the order only as far as the rows asked, from the nearer end (so only
    // those rows' deleted flags), and every row is the one a whole walk gives.
    void aListReadsTheOrderOnlyUpToTheRowsAsked() {
        QTemporaryDir dir;
        const std::string path = dir.path().toStdString() + "/VIDEO.DBF";
        QVERIFY(rk::dbf::DbfFile::create(path, rk::catalogue::titleFields()).isOk());
        rk::test::FaultEnv env;
        rk::store::TableOptions options;
        options.sync = false;
        rk::store::Table t(path, options, &env);
        QVERIFY(t.open().isOk());
        const uint32_t n = 20000;
        std::string images;
        for (uint32_t i = 1; i <= n; ++i) {
            std::string image = t.dbf()->blankRecord();
            rk::dbf::setString(image, *t.field("TITLE"), "T" + std::to_string(i * 7919 % n));
            rk::dbf::setDeleted(image, i % 13 == 0);
            images += image;
        }
        QVERIFY(t.appendRecords(images, n).isOk());
        QVERIFY(t.createIndex({{"TITIT", "UPPER(TITLE)", "", false, false}}).isOk());
        t.setOrder(t.tagArea("TITIT"));
        std::vector<uint32_t> all;
        QVERIFY(t.visibleRecords(&all).isOk());
        t.close(); // forgets the order it walked
        QVERIFY(t.open().isOk());
        env.bytesReadFrom.clear();
        Dataset ds(&t);
        RecordListModel model(&ds, "TITLE");
        QCOMPARE(model.rowCount(), int(all.size()));
        const int last = model.rowCount() - 1;
        for (int row : {0, 1, 255, 256, 600, last - 300, last - 1, last})
            QCOMPARE(model.recNoAt(row), all[size_t(row)]);
        QCOMPARE(model.rowOf(all.back()), last);
        // The deleted flags of the rows found (a record read for each), not of every title.
        QVERIFY2(env.bytesReadFrom[path] < n / 8 * t.recSize(),
                 qPrintable(QString::number(env.bytesReadFrom[path])));
        // A record further in is found; then every row agrees with the walk.
        QCOMPARE(model.rowOf(all[all.size() / 2]), int(all.size() / 2));
        for (int row = 0; row <= last; ++row)
            QCOMPARE(model.recNoAt(row), all[size_t(row)]);
        QCOMPARE(model.rowOf(13), -1); // deleted
    }

    void aHiddenListLaysOutItsRowsOnlyWhenShown() {
        QTemporaryDir dir;
        const std::string path = dir.path().toStdString() + "/VIDEO.DBF";
        QVERIFY(rk::dbf::DbfFile::create(path, rk::catalogue::titleFields()).isOk());
        rk::store::Table t(path);
        QVERIFY(t.open().isOk());
        const uint32_t n = 3000;
        std::string images;
        for (uint32_t i = 1; i <= n; ++i) {
            std::string image = t.dbf()->blankRecord();
            rk::dbf::setString(image, *t.field("TITLE"), "Title " + std::to_string(i));
            images += image;
        }
        QVERIFY(t.appendRecords(images, n).isOk());
        QVERIFY(t.goTop().isOk());
        Dataset ds(&t);
        IndexCountingModel model(&ds, "TITLE");
        QWidget page; // another view page, not shown
        page.resize(300, 400);
        auto* list = new DBLookupList(&page);
        list->resize(300, 400);
        list->bind(&model);
        QVERIFY(ds.last().isOk());
        QVERIFY(ds.setQuery("").isOk());
        QVERIFY(ds.last().isOk());
        QCoreApplication::processEvents();
        QCOMPARE(model.recNoAt(list->currentIndex().row()), n);
        QVERIFY2(model.made < 100, qPrintable(QString::number(model.made)));
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QVERIFY(list->viewport()->rect().intersects(list->visualRect(list->currentIndex())));
    }

    void theNavigatorEnablesWhatCanBeDone() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        DBNavigator nav;
        nav.bind(&ds);
        QVERIFY(!nav.button(DBNavigator::First)->isEnabled());
        QVERIFY(nav.button(DBNavigator::Next)->isEnabled());
        QVERIFY(!nav.button(DBNavigator::Post)->isEnabled());
        nav.click(DBNavigator::Last);
        QVERIFY(!nav.button(DBNavigator::Next)->isEnabled());
        QVERIFY(nav.button(DBNavigator::Prior)->isEnabled());
        QVERIFY(ds.setText("TITLE", "Changed").isOk());
        QVERIFY(nav.button(DBNavigator::Post)->isEnabled());
        QVERIFY(nav.button(DBNavigator::Cancel)->isEnabled());
        nav.click(DBNavigator::Cancel);
        QCOMPARE(ds.state(), State::Browse);
        QVERIFY(!nav.button(DBNavigator::Post)->isEnabled());
    }

    void theNavigatorAsksBeforeDeleting() {
        TestCatalogue cat;
        Dataset ds(cat.titles.get());
        DBNavigator nav;
        nav.bind(&ds);
        ScriptedPrompt prompt;
        const uint32_t visible = cat.titles->count();
        prompt.answer(Button::No);
        nav.click(DBNavigator::Delete);
        QCOMPARE(cat.titles->count(), visible);
        prompt.answer(Button::Yes);
        nav.click(DBNavigator::Delete);
        QCOMPARE(cat.titles->count(), visible - 1);
        QCOMPARE(prompt.count("Delete record?"), 2);
    }
};

QTEST_MAIN(DataControlsTest)
#include "datacontrols_test.moc"
