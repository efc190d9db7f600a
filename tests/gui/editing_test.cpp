// Entry editing: New with and without Lock, the title-required box, Save and Trash with the
// full-text index following them, the Enter rules, multi-sets and tapes, the zoom panel,
// the clipboard, and the lists' choices and what is stored from them. Each rule runs on the
// main window alone (GuiFixture::startMainWindow) over a sample catalogue of its own; the
// controls that a rule only looks at are in editingcontrols_test.cpp.
#include "guifixture.h"

#include "datacontrols.h"
#include "dotmatrixbanner.h"
#include "picturetabbar.h"
#include "record.h"
#include "spinbutton.h"
#include "spinedit.h"
#include "tfts.h"
#include "titleindex.h"

#include <QCheckBox>
#include <QClipboard>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

using rk::fw::Button;
using State = rk::fw::Dataset::State;

namespace {

// The entries the index proposes for a word.
QList<int> candidates(const QString& indexPath, const char* word) {
    rk::search::TFts fts;
    QList<int> out;
    if (fts.FtsOpen(indexPath.toStdString()) <= 0) return {-1};
    if (fts.FtsSet(word) > 0)
        for (int n = fts.FtsNextRec(); n > 0; n = fts.FtsNextRec())
            out << n;
    fts.FtsClose();
    return out;
}

void buildIndex(TForm1* f) {
    QVERIFY(f->catalogue().buildTextIndex().isOk());
    QVERIFY(QFile::exists(f->ftsPath()));
}

} // namespace

class EditingTest : public QObject {
    Q_OBJECT

private slots:
    // --- New

    void newWithoutLockStartsBlankWithTheDefaultFormat() {
        GuiFixture app;
        app.writeSetting("Settings", "DefaultFormat", "DVD");
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        f->Details1Click();
        QVERIFY(f->categoriesData()
                    ->goTo(3)
                    .isOk()); // a category picked in the list changes nothing here
        f->NewButClick();
        QCOMPARE(f->titlesData()->state(), State::Insert);
        QVERIFY(f->newTitlePending());
        QCOMPARE(ctl<rk::PictureTabWidget>(f, "PageControl2")->currentWidget(),
                 ctl<QWidget>(f, "TabSheet4"));
        QCOMPARE(f->titlesData()->text("CATEGORY"), QString());
        QCOMPARE(f->titlesData()->text("FORMAT"), QString("DVD"));
        QCOMPARE(ctl<rk::fw::DBComboBox>(f, "DBComboBox1")->currentText(), QString("DVD"));
        QCOMPARE(f->titlesData()->text("TITLE"), QString());
        QVERIFY(!f->titlesData()->logical("MARKED"));
        QVERIFY(!f->titlesData()->logical("MULTI_SET"));
        QCOMPARE(QApplication::focusWidget(), ctl<rk::fw::DBEdit>(f, "DBEdit1"));
    }

    void newWithLockKeepsTheCategoryOfTheTitleThatWasCurrent() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        ctl<QCheckBox>(f, "LockCheck")->setChecked(true);
        const QString category = f->titlesData()->text("CATEGORY");
        QVERIFY(!category.isEmpty());
        f->NewButClick();
        QCOMPARE(f->titlesData()->text("CATEGORY"), category);
        QCOMPARE(ctl<rk::fw::DBEdit>(f, "DBEdit13")->text(), category);
        QCOMPARE(f->titlesData()->text("FORMAT"), QString("VHS"));
    }

    void newWithLockOnAnEmptyViewTakesAnEmptyCategory() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        ctl<QCheckBox>(f, "LockCheck")->setChecked(true);
        QVERIFY(f->titlesData()->setQuery("CATEGORY = \"Documentary\"").isOk());
        QVERIFY(f->titlesData()->isEmpty());
        f->NewButClick();
        QCOMPARE(f->titlesData()->state(), State::Insert);
        QCOMPARE(f->titlesData()->text("CATEGORY"), QString());
        QCOMPARE(f->titlesData()->text("FORMAT"), QString("VHS"));
    }

    // --- Title required

    void cancelOnTheTitleBoxDiscardsTheNewTitle() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        QVERIFY(f->titlesData()->goTo(4).isOk());
        const QString current = app.titleText();
        const uint32_t records = f->titles().recCount();
        f->NewButClick();
        app.prompt.clear();
        app.prompt.answer(Button::Cancel);
        ctl<rk::fw::DBEdit>(f, "DBEdit3")->setFocus(); // leaving the empty title
        QCOMPARE(app.prompt.messages(),
                 QStringList{"You did not enter a Title for this Entry. Click OK to enter a "
                             "Title or Cancel to abort this Entry."});
        QCOMPARE(app.prompt.asked[0].buttons, rk::fw::Buttons::OkCancel);
        QCOMPARE(f->titlesData()->state(), State::Browse);
        QCOMPARE(f->titles().recCount(), records);
        QVERIFY(!f->newTitlePending());
        QCOMPARE(app.titleText(), current);
        QCOMPARE(ctl<rk::fw::DBEdit>(f, "DBEdit1")->text(), current);
    }

    void okOnTheTitleBoxGoesBackToTheTitle() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        f->NewButClick();
        app.prompt.clear();
        app.prompt.answer(Button::Ok);
        ctl<rk::fw::DBEdit>(f, "DBEdit3")->setFocus();
        QCOMPARE(app.prompt.asked.size(), 1);
        QTRY_COMPARE(QApplication::focusWidget(), ctl<rk::fw::DBEdit>(f, "DBEdit1"));
        QCOMPARE(f->titlesData()->state(), State::Insert);
    }

    void leavingATitleThatHasTextAsksNothing() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        ctl<rk::fw::DBEdit>(app.form, "DBEdit1")->setFocus();
        app.prompt.clear();
        ctl<rk::fw::DBEdit>(app.form, "DBEdit3")->setFocus();
        QVERIFY(app.prompt.asked.isEmpty());
    }

    // --- Save, Trash and the full-text index

    void aNewTitleIsIndexedUnderItsRecordNumberOnce() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        buildIndex(f);
        f->NewButClick();
        QTest::keyClicks(ctl<rk::fw::DBEdit>(f, "DBEdit1"), "Zyxwvut Returns");
        f->SaveButClick();
        QCOMPARE(f->titlesData()->state(), State::Browse);
        QVERIFY(!f->newTitlePending());
        const int recno = int(f->titles().recCount());
        QCOMPARE(candidates(f->ftsPath(), "zyxwvut"), QList<int>{recno});
        // Saving it again after a change replaces its entry: the new words find it, the
        // words it no longer holds do not.
        QVERIFY(f->titlesData()->setText("DIRECTOR", "Quuxley").isOk());
        f->SaveButClick();
        QCOMPARE(candidates(f->ftsPath(), "quuxley"), QList<int>{recno});
        QVERIFY(f->titlesData()->setText("TITLE", "Plain Returns").isOk());
        f->SaveButClick();
        QVERIFY(candidates(f->ftsPath(), "zyxwvut").isEmpty());
        QCOMPARE(candidates(f->ftsPath(), "quuxley"), QList<int>{recno});
    }

    void saveWithoutATitleAsksFirstAndCancelWritesNothing() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        f->ViewAll1Click();
        const uint32_t records = f->titles().recCount();
        f->NewButClick();
        app.prompt.clear();
        app.prompt.answer(Button::Ok);
        ctl<QAction>(f, "Save1")->trigger();
        QCOMPARE(app.prompt.asked.size(), 1);
        QCOMPARE(f->titlesData()->state(), State::Insert); // OK: still there to be given a title
        QCOMPARE(f->titles().recCount(), records);
        app.prompt.answer(Button::Cancel);
        f->SaveButClick();
        QCOMPARE(app.prompt.asked.size(), 2);
        QCOMPARE(f->titlesData()->state(), State::Browse);
        QCOMPARE(f->titles().recCount(), records);
        QVERIFY(!f->newTitlePending());
        // A move posts too: the same question, and Cancel lets the move go on.
        f->NewButClick();
        QVERIFY(f->titlesData()->setText("DIRECTOR", "Nobody").isOk());
        app.prompt.answer(Button::Cancel);
        QVERIFY(f->titlesData()->first().isOk());
        QCOMPARE(app.prompt.asked.size(), 3);
        QCOMPARE(f->titles().recCount(), records);
    }

    void aNewTitlePostedByAMoveIsIndexedToo() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        buildIndex(f);
        f->NewButClick();
        QVERIFY(f->titlesData()->setText("TITLE", "Frobozz").isOk());
        f->ViewAll1Click();
        QCOMPARE(candidates(f->ftsPath(), "frobozz"), QList<int>{int(f->titles().recCount())});
    }

    void anAbandonedNewTitleAddsNothingLater() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        buildIndex(f);
        f->NewButClick();
        f->titlesData()->cancel();
        QVERIFY(!f->newTitlePending());
        const int current = int(f->titlesData()->recNo());
        const uint32_t records = f->titles().recCount();
        QVERIFY(f->titlesData()->setText("TITLE", "Plughsome").isOk());
        f->SaveButClick();
        QCOMPARE(f->titles().recCount(), records);
        QCOMPARE(candidates(f->ftsPath(), "plughsome"), QList<int>{current});
    }

    void trashAsksAndRemovesTheTitlesOwnEntry() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        f->NaturalOrder1Click();
        buildIndex(f);
        const uint32_t victim = findTitle(f->titles(), "Casablanca");
        const uint32_t next = victim + 1;
        std::string image;
        QVERIFY(f->titles().dbf()->readRecord(next, &image).isOk());
        const std::string nextWord =
            std::string(rk::dbf::trimmedField(image, *f->titles().field("ID")));
        QVERIFY(candidates(f->ftsPath(), nextWord.c_str()).contains(int(next)));
        QVERIFY(f->titlesData()->goTo(victim).isOk());
        app.prompt.clear();
        app.prompt.answer(Button::No);
        f->TrashButClick();
        // The question names the title.
        QCOMPARE(app.prompt.messages(),
                 QStringList{"Delete the current Record, \"" +
                             f->titlesData()->text("TITLE").trimmed() + "\"?"});
        QCOMPARE(app.prompt.asked[0].buttons, rk::fw::Buttons::YesNo);
        QCOMPARE(f->titlesData()->recNo(), victim);
        QVERIFY(candidates(f->ftsPath(), "casablanca").contains(int(victim)));

        app.prompt.answer(Button::Yes);
        f->TrashButClick();
        QVERIFY(f->titlesData()->recNo() != victim);
        QVERIFY(!candidates(f->ftsPath(), "casablanca").contains(int(victim)));
        QVERIFY(candidates(f->ftsPath(), nextWord.c_str()).contains(int(next)));
    }

    void withoutAnIndexFileAddingAndDeletingLeaveItAlone() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        f->NewButClick();
        QVERIFY(f->titlesData()->setText("TITLE", "No index yet").isOk());
        f->SaveButClick();
        QVERIFY(!f->newTitlePending());
        app.prompt.answer(Button::Yes);
        f->TrashButClick();
        QVERIFY(!QFile::exists(f->ftsPath()));
        QCOMPARE(app.prompt.messages(),
                 QStringList{"Delete the current Record, \"No index yet\"?"});
    }

    void saveWhileBrowsingDoesNothing() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        QSignalSpy posted(app.form->titlesData(), &rk::fw::Dataset::afterPost);
        app.form->SaveButClick();
        QCOMPARE(posted.count(), 0);
    }

    void aFailedSaveIsReportedAndTheEntryStaysInEdit() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        QVERIFY(
            f->titlesData()->goTo(findTitle(f->titles(), "Citizen Kane")).isOk()); // a multi-set
        ctl<rk::fw::DBEdit>(f, "DBEditTapes")->selectAll();
        QTest::keyClicks(ctl<rk::fw::DBEdit>(f, "DBEditTapes"), "ab");
        app.prompt.clear();
        f->SaveButClick();
        QCOMPARE(app.prompt.asked.size(), 1);
        QVERIFY2(app.prompt.asked[0].text.contains("Number of Tapes"),
                 qPrintable(app.prompt.asked[0].text));
        QVERIFY(app.prompt.asked[0].text.contains("still being edited"));
        QCOMPARE(f->titlesData()->state(), State::Edit);
        QCOMPARE(ctl<rk::fw::DBEdit>(f, "DBEditTapes")->text(), QString("ab"));
        // Moving away is refused the same way; what was typed stays.
        QVERIFY(!f->titlesData()->next().isOk()); // the post fails, so the move does not happen
        QCOMPARE(f->titlesData()->state(), State::Edit);
        QCOMPARE(ctl<rk::fw::DBEdit>(f, "DBEditTapes")->text(), QString("ab"));
    }

    // --- A title started by typing into an empty view

    void typingIntoAnEmptyViewStartsATitleByNewsRulesThatStaysInSight() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->editRules().defaultFormat = QStringLiteral("Laser Disc (CLV)");
        ctl<QCheckBox>(f, "LockCheck")->setChecked(true);
        const QString category = f->categoriesData()->text("CATEGORY"); // picked in the list
        QVERIFY(!category.isEmpty());
        f->UnMarkMarkedEntries1Click();
        f->ViewAll1Click();
        f->Marked1Click(); // the Marked view, empty
        QVERIFY(f->titlesData()->isEmpty());

        auto* title = ctl<rk::fw::DBEdit>(f, "DBEdit1");
        title->setFocus();
        QTest::keyClicks(title, "Typed In");
        QCOMPARE(f->titlesData()->text("CATEGORY"), category);
        QCOMPARE(f->titlesData()->text("FORMAT"), QString("Laser Disc (CLV)"));
        f->SaveButClick();
        const uint32_t typed = findTitle(f->titles(), "Typed In");
        QVERIFY(typed > 0);
        // Still in the Marked view it was typed into.
        QCOMPARE(f->titles().count(), 1u);
        QCOMPARE(f->titlesData()->recNo(), typed);

        // Typed into another field first: the title question, and Cancel abandons it.
        f->UnMarkMarkedEntries1Click();
        f->ViewAll1Click();
        f->Marked1Click();
        QVERIFY(f->titlesData()->isEmpty());
        const uint32_t before = f->titles().recCount();
        app.prompt.clear();
        app.prompt.answer(rk::fw::Button::Cancel);
        QTest::keyClicks(ctl<rk::fw::DBEdit>(f, "DBEdit3"), "Nobody");
        f->SaveButClick();
        QCOMPARE(app.prompt.asked.size(), 1);
        QVERIFY(app.prompt.asked[0].text.contains("Title"));
        QCOMPARE(f->titles().recCount(), before);
    }

    // --- Enter

    void enterInTheSummaryNeverAddsALineBreak() {
        for (bool movesPage : {false, true}) {
            GuiFixture app;
            app.writeSetting("Settings", "EnterMovesTab", movesPage ? "1" : "0");
            QVERIFY(app.startMainWindow());
            TForm1* f = app.form;
            f->Details1Click();
            ctl<rk::fw::DBMemo>(f, "DBMemo1")->setFocus();
            ctl<rk::fw::DBMemo>(f, "DBMemo1")->moveCursor(QTextCursor::End);
            const QString before = ctl<rk::fw::DBMemo>(f, "DBMemo1")->toPlainText();
            QTest::keyClick(ctl<rk::fw::DBMemo>(f, "DBMemo1"), Qt::Key_Return);
            QTest::keyClick(ctl<rk::fw::DBMemo>(f, "DBMemo1"), Qt::Key_Enter);
            QCOMPARE(ctl<rk::fw::DBMemo>(f, "DBMemo1")->toPlainText(), before);
            QVERIFY(!f->titlesData()->text("SUMMARY").contains('\n'));
            QCOMPARE(ctl<rk::PictureTabWidget>(f, "PageControl2")->currentWidget() ==
                         ctl<QWidget>(f, "TabSheet5"),
                     !movesPage ? true : false);
        }
    }

    void enterMovesToTheNextFieldOnlyWhenAsked() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        ctl<rk::fw::DBEdit>(f, "DBEdit1")->setFocus();
        QTest::keyClick(ctl<rk::fw::DBEdit>(f, "DBEdit1"), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), ctl<rk::fw::DBEdit>(f, "DBEdit1"));
        f->editRules().enterAsTab = true;
        QTest::keyClick(ctl<rk::fw::DBEdit>(f, "DBEdit1"), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), ctl<rk::fw::DBEdit>(f, "DBEdit3"));
        ctl<rk::fw::DBComboBox>(f, "DBComboBox3")->setFocus();
        QTest::keyClick(ctl<rk::fw::DBComboBox>(f, "DBComboBox3"), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), ctl<rk::fw::DBComboBox>(f, "DBComboBox2"));
        // The category's drop-down and "..." of the run time are no dead ends.
        auto* drop = ctl<QWidget>(f, "DBLookupComboBox1");
        drop->setFocus();
        QTest::keyClick(drop, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), drop->nextInFocusChain());
        auto* zoom = ctl<QPushButton>(f, "butZoom");
        zoom->setFocus();
        QTest::keyClick(zoom, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), ctl<rk::fw::DBComboBox>(f, "DBComboBox3"));
        QVERIFY(ctl<QWidget>(f, "pnlZoom")->isHidden());
    }

    void enterInTheLastFieldOfAPageTurnsThePage() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        QVERIFY(f->titlesData()->goTo(findTitle(f->titles(), "Citizen Kane")).isOk());
        ctl<rk::fw::DBEdit>(f, "DBEditTapes")->setFocus();
        QTest::keyClick(ctl<rk::fw::DBEdit>(f, "DBEditTapes"),
                        Qt::Key_Return); // moves-page off: consumed only
        QCOMPARE(ctl<rk::PictureTabWidget>(f, "PageControl2")->currentWidget(),
                 ctl<QWidget>(f, "TabSheet4"));
        f->editRules().enterMovesPage = true;
        QTest::keyClick(ctl<rk::fw::DBEdit>(f, "DBEditTapes"), Qt::Key_Return);
        QCOMPARE(ctl<rk::PictureTabWidget>(f, "PageControl2")->currentWidget(),
                 ctl<QWidget>(f, "TabSheet5"));
        QVERIFY(ctl<rk::DotMatrixBanner>(f, "BannerLab")->isVisible());
        QCOMPARE(QApplication::focusWidget(), ctl<rk::fw::DBEdit>(f, "DBEdit6"));
        f->Other1Click();
        ctl<rk::fw::DBEdit>(f, "DBEditClip")->setFocus();
        QTest::keyClick(ctl<rk::fw::DBEdit>(f, "DBEditClip"), Qt::Key_Return);
        QCOMPARE(ctl<rk::PictureTabWidget>(f, "PageControl2")->currentWidget(),
                 ctl<QWidget>(f, "TabSheet1"));
    }

    // --- Multi-sets and tapes

    void showingATitleWithOneTapeWarnsWithoutTyping() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        f->NaturalOrder1Click();
        QVERIFY(f->titlesData()->goTo(2).isOk());
        QVERIFY(f->titlesData()->setLogical("MULTI_SET", true).isOk());
        QVERIFY(f->titlesData()->setText("TAPES", "1").isOk());
        QVERIFY(f->titlesData()->post().isOk());
        QVERIFY(f->titlesData()->goTo(1).isOk());
        app.prompt.clear();
        QVERIFY(f->titlesData()->goTo(2).isOk());
        QCOMPARE(app.prompt.count("You cannot specify 1 tape as a multi-set."), 1);
        QCOMPARE(f->titlesData()->text("TAPES"), QString("1")); // the value stays
        QCOMPARE(f->titlesData()->state(), State::Browse);
    }

    void theTapesShowOnlyForAMultiSet() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        const uint32_t kane = findTitle(f->titles(), "Citizen Kane");
        QVERIFY(f->titlesData()->goTo(kane).isOk());
        QVERIFY(ctl<rk::fw::DBCheckBox>(f, "chkMultiSet")->isChecked());
        QVERIFY(ctl<rk::fw::DBEdit>(f, "DBEditTapes")->isVisible());
        QVERIFY(ctl<QLabel>(f, "lblTapes")->isVisible());
        QVERIFY(ctl<rk::SpinButton>(f, "UpDown1")->isVisible());
        QCOMPARE(ctl<rk::fw::DBEdit>(f, "DBEditTapes")->text(), QString("2"));
        QVERIFY(f->titlesData()->goTo(findTitle(f->titles(), "Casablanca")).isOk());
        QVERIFY(!ctl<rk::fw::DBEdit>(f, "DBEditTapes")->isVisible());
        QVERIFY(!ctl<rk::SpinButton>(f, "UpDown1")->isVisible());
        QCOMPARE(f->titlesData()->state(), State::Browse);
        // Clearing the box empties the count, and the title keeps none.
        QVERIFY(f->titlesData()->goTo(kane).isOk());
        ctl<rk::fw::DBCheckBox>(f, "chkMultiSet")->click();
        QCOMPARE(ctl<rk::fw::DBEdit>(f, "DBEditTapes")->text(), QString());
        f->SaveButClick();
        QVERIFY(f->titlesData()->goTo(1).isOk());
        QVERIFY(f->titlesData()->goTo(kane).isOk());
        QCOMPARE(f->titlesData()->text("TAPES"), QString());
        QVERIFY(!f->titlesData()->logical("MULTI_SET"));
    }

    void theUpDownStepsTheTapesFromOneToAHundred() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        QVERIFY(f->titlesData()->goTo(findTitle(f->titles(), "Citizen Kane")).isOk());
        emit ctl<rk::SpinButton>(f, "UpDown1")->topClick();
        QCOMPARE(f->titlesData()->state(), State::Edit);
        QCOMPARE(f->titlesData()->text("TAPES"), QString("3"));
        QCOMPARE(ctl<rk::fw::DBEdit>(f, "DBEditTapes")->text(), QString("3"));
        QVERIFY(f->titlesData()->setText("TAPES", "100").isOk());
        emit ctl<rk::SpinButton>(f, "UpDown1")->topClick();
        QCOMPARE(ctl<rk::fw::DBEdit>(f, "DBEditTapes")->text(), QString("100"));
        QVERIFY(f->titlesData()->setText("TAPES", "1").isOk());
        emit ctl<rk::SpinButton>(f, "UpDown1")->bottomClick();
        QCOMPARE(ctl<rk::fw::DBEdit>(f, "DBEditTapes")->text(), QString("1"));
        QVERIFY(f->titlesData()->setText("TAPES", "").isOk());
        emit ctl<rk::SpinButton>(f, "UpDown1")
            ->topClick(); // no number to step from: nothing happens
        QCOMPARE(ctl<rk::fw::DBEdit>(f, "DBEditTapes")->text(), QString());
    }

    // --- Zoom panel

    void goWithItStoresHoursAndMinutesAsTwoDigitsEach() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        f->butZoomClick();
        QVERIFY(ctl<QFrame>(f, "pnlZoom")->isVisible());
        QVERIFY(f->isZoomOpen());
        QCOMPARE(ctl<rk::SpinEdit>(f, "RxSpinEdit1")->intValue(), 0);
        f->RxSpinButton1TopClick();
        for (int i = 0; i < 5; ++i)
            f->RxSpinButton2TopClick();
        f->BitBtn3Click();
        QCOMPARE(f->titlesData()->text("RUNTIME"), QString("01:05"));
        QCOMPARE(ctl<rk::fw::DBEdit>(f, "DBEditRunTime")->text(), QString("01:05"));
        QCOMPARE(f->titlesData()->state(), State::Edit); // left for the next save or move
        QVERIFY(!f->isZoomOpen());
        QTRY_VERIFY(!ctl<QFrame>(f, "pnlZoom")->isVisible());

        ctl<rk::SpinEdit>(f, "RxSpinEdit1")->setValue(0);
        ctl<rk::SpinEdit>(f, "RxSpinEdit2")->setValue(0);
        f->RxSpinButton2BottomClick(); // clamped at 0
        f->butZoomClick();
        f->BitBtn3Click();
        QCOMPARE(f->titlesData()->text("RUNTIME"), QString("00:00"));
    }

    void escapeClosesTheZoomPanelAndGivesTheKeysBack() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        const QString before = f->titlesData()->text("RUNTIME");
        f->butZoomClick();
        QTRY_VERIFY(ctl<QFrame>(f, "pnlZoom")->isVisible());
        QTest::keyClick(ctl<rk::SpinEdit>(f, "RxSpinEdit1"), Qt::Key_Escape);
        QVERIFY(!f->isZoomOpen());
        QTRY_VERIFY(!ctl<QFrame>(f, "pnlZoom")->isVisible());
        QCOMPARE(QApplication::focusWidget(), ctl<QWidget>(f, "DBEditRunTime"));
        QCOMPARE(f->titlesData()->text("RUNTIME"), before);
    }

    void theZoomEditsKeepTheirValuesAndLimits() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        ctl<rk::SpinEdit>(f, "RxSpinEdit1")->setValue(58);
        f->RxSpinButton1TopClick();
        f->RxSpinButton1TopClick();
        QCOMPARE(ctl<rk::SpinEdit>(f, "RxSpinEdit1")->intValue(), 59);
        QCOMPARE(ctl<rk::SpinEdit>(f, "RxSpinEdit1")->text(), QString("59"));
        ctl<rk::SpinEdit>(f, "RxSpinEdit2")->setValue(3);
        QCOMPARE(ctl<rk::SpinEdit>(f, "RxSpinEdit2")->text(), QString("03"));
        f->butZoomClick();
        const QString before = f->titlesData()->text("RUNTIME");
        f->BitBtn2Click(); // Cancel
        QCOMPARE(f->titlesData()->text("RUNTIME"), before);
        QCOMPARE(f->titlesData()->state(), State::Browse);
        QVERIFY(f->titlesData()->next().isOk()); // another title: the edits are not loaded from it
        QCOMPARE(ctl<rk::SpinEdit>(f, "RxSpinEdit2")->intValue(), 3);
        QCOMPARE(ctl<rk::SpinButton>(f, "RxSpinButton1")->toolTip(), QString("Hours"));
        QCOMPARE(ctl<rk::SpinButton>(f, "RxSpinButton2")->toolTip(), QString("Minutes"));
    }

    // --- Clipboard

    void cutCopyAndPasteWorkOnTheFocusedField() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        const QString director = ctl<rk::fw::DBEdit>(f, "DBEdit3")->text();
        ctl<rk::fw::DBEdit>(f, "DBEdit3")->setFocus();
        ctl<rk::fw::DBEdit>(f, "DBEdit3")->selectAll();
        f->Copy1Click();
        QCOMPARE(QApplication::clipboard()->text(), director);
        f->Cut1Click();
        QCOMPARE(ctl<rk::fw::DBEdit>(f, "DBEdit3")->text(), QString());
        QCOMPARE(f->titlesData()->text("DIRECTOR"), QString());
        QCOMPARE(f->titlesData()->state(), State::Edit);
        f->Paste1Click();
        QCOMPARE(f->titlesData()->text("DIRECTOR"), director);
        ctl<rk::fw::DBComboBox>(f, "DBComboBox2")->setFocus();
        ctl<rk::fw::DBComboBox>(f, "DBComboBox2")->lineEdit()->selectAll();
        f->Paste1Click();
        QCOMPARE(f->titlesData()->text("RATING"), director.left(25));
    }

    // --- The controls

    void theChoicesOfTheLists() {
        GuiFixture app;
        QVERIFY(app.startMainWindow(false));
        auto items = [](QComboBox* c) {
            QStringList out;
            for (int i = 0; i < c->count(); ++i)
                out << c->itemText(i);
            return out;
        };
        QCOMPARE(items(ctl<rk::fw::DBComboBox>(app.form, "DBComboBox3")),
                 QStringList({"G", "R", "PG", "PG-13", "NC-17", "NR", "N/A"}));
        QCOMPARE(items(ctl<rk::fw::DBComboBox>(app.form, "DBComboBox4")),
                 QStringList({"SP - 120 Minutes", "LP - 240 Minutes", "SLP - 360 Minutes",
                              "Not Sure", "N/A"}));
        QCOMPARE(items(ctl<rk::fw::DBComboBox>(app.form, "DBComboBox2")),
                 QStringList({"Excellent", "Good", "Fair", "Poor"}));
        QCOMPARE(items(ctl<rk::fw::DBComboBox>(app.form, "DBComboBox1")).size(), 8);
        QCOMPARE(items(ctl<rk::fw::DBComboBox>(app.form, "DBComboBox1")).first(), QString("VHS"));
        app.stop();
        QFile rats(app.data + "Rats.dat");
        QVERIFY(rats.open(QIODevice::WriteOnly));
        rats.close();
        QFile formats(app.data + "Formats.dat");
        QVERIFY(formats.open(QIODevice::WriteOnly));
        formats.write("DVD\r\n\r\nBlu-ray");
        formats.close();
        QVERIFY(app.startMainWindow(false));
        QCOMPARE(items(ctl<rk::fw::DBComboBox>(app.form, "DBComboBox2")), QStringList());
        QCOMPARE(items(ctl<rk::fw::DBComboBox>(app.form, "DBComboBox1")),
                 QStringList({"DVD", "", "Blu-ray"}));
        QCOMPARE(ctl<rk::fw::DBComboBox>(app.form, "DBComboBox1")->currentText(),
                 app.form->titlesData()->text("FORMAT"));
    }

    void theVisualChoiceBAndWIsStoredWithTwoAmpersands() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        QVERIFY(f->titlesData()->goTo(findTitle(f->titles(), "The Wizard of Oz")).isOk());
        QCOMPARE(ctl<rk::fw::DBRadioGroup>(f, "RadioGroupPicture")->itemIndex(), 0);
        ctl<rk::fw::DBRadioGroup>(f, "RadioGroupPicture")->button(1)->click();
        QCOMPARE(f->titlesData()->text("PICTURE"), QString("B&&W"));
        QCOMPARE(ctl<rk::fw::DBRadioGroup>(f, "RadioGroupPicture")->button(1)->text(),
                 QString("B&&W")); // shows as B&W
        f->SaveButClick();
        std::string image;
        QVERIFY(f->titles().dbf()->readRecord(f->titlesData()->recNo(), &image).isOk());
        QCOMPARE(QByteArray::fromStdString(
                     std::string(rk::dbf::rawField(image, *f->titles().field("PICTURE")))),
                 QByteArray("B&&W "));
    }

    void aSpeedChoiceIsCutToTheFieldWidth() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        emit ctl<rk::fw::DBComboBox>(f, "DBComboBox4")->activated(2);
        QCOMPARE(f->titlesData()->text("SPEED"), QString("SLP - 360 Minut"));
    }
};

QTEST_MAIN(EditingTest)
#include "editing_test.moc"
