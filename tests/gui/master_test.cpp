// The master editor: every field of the current title on the main window's own dataset, so
// that its moves, inserts, refused posts and deletes are those of the main window.
#include "collectionhelpers.h"
#include "dialoghelpers.h"

#include "dbpaneledit.h"
#include "masterform.h"
#include "navigator.h"

#include <QScrollArea>
#include <QScrollBar>

using collection::listed;
using rk::fw::Button;
using rk::fw::DBNavigator;
using State = rk::fw::Dataset::State;

namespace {

bool openMaster(TForm1* f, const std::function<void(TMasterForm&)>& work) {
    return dialogs::run<TMasterForm>([f] { ctl<rk::GradientToolButton>(f, "MasterBut")->click(); },
                                     work);
}

QLineEdit* edit(TMasterForm& m, const char* field) {
    rk::fw::TDBPanelEditControl* item = m.MasterEdit1->itemOf(QString::fromLatin1(field));
    return item ? qobject_cast<QLineEdit*>(item->control()) : nullptr;
}

} // namespace

class MasterTest : public QObject {
    Q_OBJECT

private slots:
    void everyFieldEachTimeItOpensAndItsMovesAreTheMainWindows() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        f->ViewAll1Click();
        uint32_t shown = 0;
        for (int run = 0; run < 2; ++run) {
            QVERIFY(openMaster(f, [&](TMasterForm& m) {
                QVERIFY(!m.isMaximized());
                // Yes/no fields are check boxes.
                QVERIFY(qobject_cast<QCheckBox*>(m.MasterEdit1->findChild<QWidget*>("MARKED")));
                QCOMPARE(m.MasterEdit1->controls().count(), 33);
                QCOMPARE(edit(m, "TITLE")->text(), f->titlesData()->text("TITLE"));
                m.DBNavigator1->button(DBNavigator::Next)->click();
                m.DBNavigator1->button(DBNavigator::Next)->click();
                shown = f->titlesData()->recNo();
                QCOMPARE(edit(m, "TITLE")->text(), f->titlesData()->text("TITLE"));
                if (run == 0)
                    m.BitBtn1->click();
                else
                    QTest::keyClick(&m, Qt::Key_Escape);
                QVERIFY(!m.isVisible());
                QCOMPARE(m.MasterEdit1->controls().count(), 0);
                QVERIFY(!m.DBNavigator1->button(DBNavigator::First)->isEnabled());
            }));
            QCOMPARE(f->titlesData()->recNo(), shown);
            QCOMPARE(ctl<QLineEdit>(f, "DBEdit1")->text(), f->titlesData()->text("TITLE"));
        }
        QCOMPARE(app.prompt.asked.size(), 0);
    }

    void longFieldsStayInsideTheWindowAndShortOnesAreNarrow() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        QVERIFY(openMaster(app.form, [](TMasterForm& m) {
            QTRY_VERIFY(m.MasterEdit1->width() > 400);
            QLineEdit* summary = edit(m, "SUMMARY");
            QLineEdit* year = edit(m, "YEAR");
            QScrollArea* box = m.MasterEdit1->scrollBox();
            QVERIFY(summary->geometry().right() < box->viewport()->width());
            QCOMPARE(box->horizontalScrollBar()->maximum(), 0);
            QVERIFY(year->width() * 4 < edit(m, "TITLE")->width());
            m.BitBtn1->click();
        }));
    }

    void anEmptyCatalogueShowsEveryLabel() {
        GuiFixture app(GuiFixture::Catalogue::Empty);
        QVERIFY(collection::start(app));
        QVERIFY(openMaster(app.form, [](TMasterForm& m) {
            QCOMPARE(m.MasterEdit1->controls().count(), 33);
            QCOMPARE(edit(m, "TITLE")->text(), QString());
            m.BitBtn1->click();
        }));
    }

    void anInsertWaitsForTheIndexAndARefusedPostKeepsTheRecordInEdit() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        QVERIFY(openMaster(f, [&](TMasterForm& m) {
            m.DBNavigator1->button(DBNavigator::Insert)->click();
            QVERIFY(f->newTitlePending());
            QTest::keyClicks(edit(m, "TITLE"), "The Master Copy");
            QTest::keyClicks(edit(m, "TAPES"), "two");
            m.DBNavigator1->button(DBNavigator::Post)->click();
            QCOMPARE(app.prompt.messages().size(), 1);
            QVERIFY(app.prompt.messages().first().contains("Number of Tapes"));
            QCOMPARE(f->titlesData()->state(), State::Insert);
            QCOMPARE(edit(m, "TITLE")->text(), QString("The Master Copy"));
            edit(m, "TAPES")->clear();
            QTest::keyClicks(edit(m, "TAPES"), "2");
            m.DBNavigator1->button(DBNavigator::Post)->click();
            QCOMPARE(f->titlesData()->state(), State::Browse);
            QVERIFY(!f->newTitlePending());
            m.BitBtn1->click();
        }));
        QCOMPARE(collection::recordsWhere(f->titles(), "TITLE", "The Master Copy").size(),
                 size_t(1));
    }

    void aDeletedTitleLeavesTheListsAtOnce() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        f->ViewAll1Click();
        auto* all = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2");
        const auto before = listed(all);
        uint32_t deleted = 0;
        app.prompt.answer(Button::No).answer(Button::Yes);
        QVERIFY(openMaster(f, [&](TMasterForm& m) {
            deleted = f->titlesData()->recNo();
            m.DBNavigator1->button(DBNavigator::Delete)->click(); // No
            QCOMPARE(f->titlesData()->recNo(), deleted);
            m.DBNavigator1->button(DBNavigator::Delete)->click(); // Yes
            QVERIFY(f->titlesData()->recNo() != deleted);
            QCOMPARE(edit(m, "TITLE")->text(), f->titlesData()->text("TITLE"));
            const auto after = listed(all);
            QCOMPARE(after.size(), before.size() - 1);
            QVERIFY(std::find(after.begin(), after.end(), deleted) == after.end());
            m.BitBtn1->click();
        }));
        QCOMPARE(app.prompt.count("Delete record?"), 2);
        QVERIFY(collection::storedDeleted(f->titles(), deleted));
    }
};

QTEST_MAIN(MasterTest)
#include "master_test.moc"
