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
    QTest::mouseClick(app.form->FindBut, Qt::LeftButton);
    return app.prompt.messages();
}

void clickTitle(TForm1* f, rk::fw::DBLookupList* list, int row) {
    collection::clickRow(list, row);
    QCOMPARE(f->Table1->recNo(), list->recordModel()->recNoAt(row));
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

        QTest::mouseClick(f->NewBut, Qt::LeftButton);
        QCOMPARE(f->Table1->state(), rk::fw::Dataset::State::Insert);
        QVERIFY(f->newTitlePending);
        QCOMPARE(f->Table1->text("FORMAT"), QString("VHS"));
        QTest::keyClicks(f->DBEdit1, "Zardoz Returns");
        f->Details1Click();
        QTest::keyClicks(f->DBEdit6, "Quentin Quartermaine");

        // Any move stores it: a click on another title of the list.
        clickTitle(f, f->DBLookupListBox2, 0);
        QCOMPARE(f->titles().recCount(), before + 1);
        QCOMPARE(stored(f->titles(), before + 1, "TITLE"), QString("Zardoz Returns"));
        QVERIFY(!f->newTitlePending);
        QCOMPARE(f->statusPanelText(0), count); // refreshed only when a view is applied

        QCOMPARE(find(app, "Zardoz"), QStringList{"1 Matches Found."});
        QCOMPARE(f->Table1->recNo(), before + 1);
        QCOMPARE(f->Table1->text("TITLE"), QString("Zardoz Returns"));
        QCOMPARE(find(app, "Quartermaine", 3), QStringList{"1 Matches Found."});
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
        QVERIFY(f->newTitlePending);
        app.prompt.answer(Button::Cancel);
        f->DBEdit1Exit();
        QCOMPARE(f->Table1->state(), rk::fw::Dataset::State::Browse);
        QVERIFY(!f->newTitlePending);
        // A change to a title already indexed, stored by a move, adds nothing to the index...
        f->Table1->setText("USER1", "Overlooked");
        f->Table1->next();
        // ...so the next new title's entry still bears its record number.
        f->NewButClick();
        f->Table1->setText("TITLE", "Quixotic Voyage");
        f->SaveButClick();
        const uint32_t recno = f->titles().recCount();
        QCOMPARE(find(app, "Quixotic"), QStringList{"1 Matches Found."});
        QCOMPARE(f->Table1->recNo(), recno);
        QCOMPARE(find(app, "Overlooked"), QStringList{"Text not found!"});
    }

    void aSearchNarrowsTheListsUntilAViewChange() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        find(app, "warm-up");
        f->ViewAll1Click();
        const int all = f->DBLookupListBox2->model()->rowCount();
        const auto lean = collection::recordsWhere(f->titles(), "DIRECTOR", "David Lean");
        QVERIFY(lean.size() > 1);

        QCOMPARE(find(app, "Lean", 4), QStringList{QString("%1 Matches Found.").arg(lean.size())});
        QCOMPARE(f->DBLookupListBox2->model()->rowCount(), int(lean.size()));
        // The other pages show the same set: the Category page applies nothing on entry.
        QTest::mouseClick(f->ExtPageControl1->tabBar(), Qt::LeftButton, {},
                          f->ExtPageControl1->tabBar()->tabRect(0).center());
        QCOMPARE(f->ExtPageControl1->currentWidget(), f->TabSheet7);
        auto shown = listed(f->DBLookupListBox3);
        std::sort(shown.begin(), shown.end());
        QCOMPARE(shown, lean);
        // A sort order keeps the set.
        f->Year1Click();
        QCOMPARE(f->DBLookupListBox3->model()->rowCount(), int(lean.size()));
        // Moving through the result and editing keeps it too.
        clickTitle(f, f->DBLookupListBox3, 1);
        QCOMPARE(f->DBLookupListBox3->model()->rowCount(), int(lean.size()));

        // A view change replaces the set.
        QTest::mouseClick(f->ExtPageControl1->tabBar(), Qt::LeftButton, {},
                          f->ExtPageControl1->tabBar()->tabRect(1).center());
        QCOMPARE(f->ExtPageControl1->currentWidget(), f->TabSheet8);
        QCOMPARE(f->DBLookupListBox2->model()->rowCount(), all);
        QCOMPARE(f->statusPanelText(0), QString("Total Entries: %1").arg(all));
    }
};

QTEST_MAIN(WalksTest)
#include "walks_test.moc"
