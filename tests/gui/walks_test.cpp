// Two walks through the whole window: a new title typed, stored by a move and found by a
// search; and a search whose result narrows every list until a view change replaces it.
#include "collectionhelpers.h"

#include "picturetabbar.h"

using collection::FindAnswer;
using collection::listed;
using collection::stored;
using rk::fw::Button;

namespace {

QStringList find(GuiFixture& app, const QString& text, int choice = 0) {
    app.prompt.clear();
    FindAnswer answer(text, choice);
    QTest::mouseClick(ctl<rk::GradientToolButton>(app.form, "FindBut"), Qt::LeftButton);
    return app.prompt.messages();
}

void clickTitle(TForm1* f, rk::fw::DBLookupList* list, int row) {
    collection::clickRow(list, row);
    QCOMPARE(f->titlesData()->recNo(), list->recordModel()->recNoAt(row));
}

} // namespace

class WalksTest : public QObject {
    Q_OBJECT

private slots:
    void aNewTitleTypedStoredByAMoveAndFoundBySearch() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        QCOMPARE(find(app, "warm-up").size(), 3); // the first search builds the index
        f->ViewAll1Click();
        const QString count = f->statusPanelText(0);
        const uint32_t before = f->titles().recCount();

        QTest::mouseClick(ctl<rk::GradientToolButton>(f, "NewBut"), Qt::LeftButton);
        QCOMPARE(f->titlesData()->state(), rk::fw::Dataset::State::Insert);
        QVERIFY(f->newTitlePending());
        QCOMPARE(f->titlesData()->text("FORMAT"), QString("VHS"));
        QTest::keyClicks(ctl<rk::fw::DBEdit>(f, "DBEdit1"), "Zardoz Returns");
        f->Details1Click();
        QTest::keyClicks(ctl<rk::fw::DBEdit>(f, "DBEdit6"), "Quentin Quartermaine");

        // Any move stores it: a click on another title of the list.
        clickTitle(f, ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2"), 0);
        QCOMPARE(f->titles().recCount(), before + 1);
        QCOMPARE(stored(f->titles(), before + 1, "TITLE"), QString("Zardoz Returns"));
        QVERIFY(!f->newTitlePending());
        QCOMPARE(f->statusPanelText(0), QString("Total Entries: %1").arg(before + 1));
        QVERIFY(count != f->statusPanelText(0));

        QCOMPARE(find(app, "Zardoz"), QStringList{"1 Match Found."});
        QCOMPARE(f->titlesData()->recNo(), before + 1);
        QCOMPARE(f->titlesData()->text("TITLE"), QString("Zardoz Returns"));
        QCOMPARE(find(app, "Quartermaine", 3), QStringList{"1 Match Found."});
        QCOMPARE(find(app, "Quartermaine", 4), QStringList{"Text not found!"});

        f->Marked1Click();
        f->ViewAll1Click();
        QCOMPARE(f->statusPanelText(0), QString("Total Entries: %1").arg(before + 1));
    }

    void anAbandonedNewTitleAddsNoEntry() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        find(app, "warm-up");
        f->ViewAll1Click();
        // New, then abandoned: leaving the empty title and choosing Cancel.
        f->NewButClick();
        QVERIFY(f->newTitlePending());
        app.prompt.answer(Button::Cancel);
        f->DBEdit1Exit();
        QCOMPARE(f->titlesData()->state(), rk::fw::Dataset::State::Browse);
        QVERIFY(!f->newTitlePending());
        // A change to a title already indexed, stored by a move, replaces its entry...
        QVERIFY(f->titlesData()->setText("USER1", "Overlooked").isOk());
        QVERIFY(f->titlesData()->next().isOk());
        // ...so the next new title's entry still bears its record number.
        f->NewButClick();
        QVERIFY(f->titlesData()->setText("TITLE", "Quixotic Voyage").isOk());
        f->SaveButClick();
        const uint32_t recno = f->titles().recCount();
        QCOMPARE(find(app, "Quixotic"), QStringList{"1 Match Found."});
        QCOMPARE(f->titlesData()->recNo(), recno);
        QCOMPARE(find(app, "Overlooked"), QStringList{"1 Match Found."});
    }

    void aSearchNarrowsTheListsUntilAViewChange() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        find(app, "warm-up");
        f->ViewAll1Click();
        const int all = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->model()->rowCount();
        const auto lean = collection::recordsWhere(f->titles(), "DIRECTOR", "David Lean");
        QVERIFY(lean.size() > 1);

        QCOMPARE(find(app, "Lean", 4), QStringList{QString("%1 Matches Found.").arg(lean.size())});
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->model()->rowCount(),
                 int(lean.size()));
        // The other pages show the same set: the Category page applies nothing on entry.
        QTest::mouseClick(
            ctl<rk::PictureTabWidget>(f, "ExtPageControl1")->tabBar(), Qt::LeftButton, {},
            ctl<rk::PictureTabWidget>(f, "ExtPageControl1")->tabBar()->tabRect(0).center());
        QCOMPARE(ctl<rk::PictureTabWidget>(f, "ExtPageControl1")->currentWidget(),
                 ctl<QWidget>(f, "TabSheet7"));
        auto shown = listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3"));
        std::sort(shown.begin(), shown.end());
        QCOMPARE(shown, lean);
        // A sort order keeps the set.
        f->Year1Click();
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3")->model()->rowCount(),
                 int(lean.size()));
        // Moving through the result and editing keeps it too.
        clickTitle(f, ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3"), 1);
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3")->model()->rowCount(),
                 int(lean.size()));

        // A view change replaces the set.
        QTest::mouseClick(
            ctl<rk::PictureTabWidget>(f, "ExtPageControl1")->tabBar(), Qt::LeftButton, {},
            ctl<rk::PictureTabWidget>(f, "ExtPageControl1")->tabBar()->tabRect(1).center());
        QCOMPARE(ctl<rk::PictureTabWidget>(f, "ExtPageControl1")->currentWidget(),
                 ctl<QWidget>(f, "TabSheet8"));
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->model()->rowCount(), all);
        QCOMPARE(f->statusPanelText(0), QString("Total Entries: %1").arg(all));
    }
};

QTEST_MAIN(WalksTest)
#include "walks_test.moc"
