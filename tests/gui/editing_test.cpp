// Entry editing: New with and without Lock, the title-required box, Save and Trash with the
// full-text index following them, the Enter rules, multi-sets and tapes, the zoom panel,
// the clipboard, and the controls of the four pages.
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
    rk::search::TFts fts;
    QVERIFY(rk::search::buildTitlesIndex(fts, f->titles(), f->ftsPath().toStdString()).isOk());
    fts.FtsClose();
    QVERIFY(QFile::exists(f->ftsPath()));
}

uint32_t findTitle(rk::store::Table& t, const QString& title) {
    for (uint32_t r = 1; r <= t.recCount(); ++r) {
        std::string image;
        t.dbf()->readRecord(r, &image);
        if (QString::fromStdString(std::string(rk::dbf::trimmedField(image, *t.field("TITLE")))) ==
            title)
            return r;
    }
    return 0;
}

} // namespace

class EditingTest : public QObject {
    Q_OBJECT

private slots:
    // --- New

    void newWithoutLockStartsBlankWithTheDefaultFormat() {
        GuiFixture app;
        app.writeSetting("Settings", "DefaultFormat", "DVD");
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->Details1Click();
        f->Table2->goTo(3); // a category picked in the list changes nothing here
        f->NewButClick();
        QCOMPARE(f->Table1->state(), State::Insert);
        QVERIFY(f->newTitlePending);
        QCOMPARE(f->PageControl2->currentWidget(), f->TabSheet4);
        QCOMPARE(f->Table1->text("CATEGORY"), QString());
        QCOMPARE(f->Table1->text("FORMAT"), QString("DVD"));
        QCOMPARE(f->DBComboBox1->currentText(), QString("DVD"));
        QCOMPARE(f->Table1->text("TITLE"), QString());
        QVERIFY(!f->Table1->logical("MARKED"));
        QVERIFY(!f->Table1->logical("MULTI_SET"));
        QCOMPARE(QApplication::focusWidget(), f->DBEdit1);
    }

    void newWithLockKeepsTheCategoryOfTheTitleThatWasCurrent() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->LockCheck->setChecked(true);
        const QString category = f->Table1->text("CATEGORY");
        QVERIFY(!category.isEmpty());
        f->NewButClick();
        QCOMPARE(f->Table1->text("CATEGORY"), category);
        QCOMPARE(f->DBEdit13->text(), category);
        QCOMPARE(f->Table1->text("FORMAT"), QString("VHS"));
    }

    void newWithLockOnAnEmptyViewTakesAnEmptyCategory() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->LockCheck->setChecked(true);
        f->Table1->setQuery("CATEGORY = \"Documentary\"");
        QVERIFY(f->Table1->isEmpty());
        f->NewButClick();
        QCOMPARE(f->Table1->state(), State::Insert);
        QCOMPARE(f->Table1->text("CATEGORY"), QString());
        QCOMPARE(f->Table1->text("FORMAT"), QString("VHS"));
    }

    // --- Title required

    void cancelOnTheTitleBoxDiscardsTheNewTitle() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->Table1->goTo(4);
        const QString current = app.titleText();
        const uint32_t records = f->titles().recCount();
        f->NewButClick();
        app.prompt.clear();
        app.prompt.answer(Button::Cancel);
        f->DBEdit3->setFocus(); // leaving the empty title
        QCOMPARE(app.prompt.messages(),
                 QStringList{"You did not enter a Title for this Entry. Click OK to enter a "
                             "Title or Cancel to abort this Entry."});
        QCOMPARE(app.prompt.asked[0].buttons, rk::fw::Buttons::OkCancel);
        QCOMPARE(f->Table1->state(), State::Browse);
        QCOMPARE(f->titles().recCount(), records);
        QVERIFY(!f->newTitlePending);
        QCOMPARE(app.titleText(), current);
        QCOMPARE(f->DBEdit1->text(), current);
    }

    void okOnTheTitleBoxGoesBackToTheTitle() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->NewButClick();
        app.prompt.clear();
        app.prompt.answer(Button::Ok);
        f->DBEdit3->setFocus();
        QCOMPARE(app.prompt.asked.size(), 1);
        QTRY_COMPARE(QApplication::focusWidget(), f->DBEdit1);
        QCOMPARE(f->Table1->state(), State::Insert);
    }

    void leavingATitleThatHasTextAsksNothing() {
        GuiFixture app;
        QVERIFY(app.start());
        app.form->DBEdit1->setFocus();
        app.prompt.clear();
        app.form->DBEdit3->setFocus();
        QVERIFY(app.prompt.asked.isEmpty());
    }

    // --- Save, Trash and the full-text index

    void aNewTitleIsIndexedUnderItsRecordNumberOnce() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        buildIndex(f);
        f->NewButClick();
        QTest::keyClicks(f->DBEdit1, "Zyxwvut Returns");
        f->SaveButClick();
        QCOMPARE(f->Table1->state(), State::Browse);
        QVERIFY(!f->newTitlePending);
        const int recno = int(f->titles().recCount());
        QCOMPARE(candidates(f->ftsPath(), "zyxwvut"), QList<int>{recno});
        // Saving it again after a change adds nothing.
        f->Table1->setText("DIRECTOR", "Quuxley");
        f->SaveButClick();
        QCOMPARE(candidates(f->ftsPath(), "zyxwvut"), QList<int>{recno});
        QVERIFY(candidates(f->ftsPath(), "quuxley").isEmpty());
    }

    void aNewTitlePostedByAMoveIsIndexedToo() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        buildIndex(f);
        f->NewButClick();
        f->Table1->setText("TITLE", "Frobozz");
        f->ViewAll1Click();
        QCOMPARE(candidates(f->ftsPath(), "frobozz"), QList<int>{int(f->titles().recCount())});
    }

    void anAbandonedNewTitleAddsNothingLater() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        buildIndex(f);
        f->NewButClick();
        f->Table1->cancel();
        QVERIFY(!f->newTitlePending);
        f->Table1->setText("TITLE", "Plughsome");
        f->SaveButClick();
        QVERIFY(candidates(f->ftsPath(), "plughsome").isEmpty());
    }

    void trashAsksAndRemovesTheTitlesOwnEntry() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->NaturalOrder1Click();
        buildIndex(f);
        const uint32_t victim = findTitle(f->titles(), "Casablanca");
        const uint32_t next = victim + 1;
        std::string image;
        f->titles().dbf()->readRecord(next, &image);
        const std::string nextWord =
            std::string(rk::dbf::trimmedField(image, *f->titles().field("ID")));
        QVERIFY(candidates(f->ftsPath(), nextWord.c_str()).contains(int(next)));
        f->Table1->goTo(victim);
        app.prompt.clear();
        app.prompt.answer(Button::No);
        f->TrashButClick();
        QCOMPARE(app.prompt.messages(), QStringList{"Delete the current Record?"});
        QCOMPARE(app.prompt.asked[0].buttons, rk::fw::Buttons::YesNo);
        QCOMPARE(f->Table1->recNo(), victim);
        QVERIFY(candidates(f->ftsPath(), "casablanca").contains(int(victim)));

        app.prompt.answer(Button::Yes);
        f->TrashButClick();
        QVERIFY(f->Table1->recNo() != victim);
        QVERIFY(!candidates(f->ftsPath(), "casablanca").contains(int(victim)));
        QVERIFY(candidates(f->ftsPath(), nextWord.c_str()).contains(int(next)));
    }

    void withoutAnIndexFileAddingAndDeletingLeaveItAlone() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->NewButClick();
        f->Table1->setText("TITLE", "No index yet");
        f->SaveButClick();
        QVERIFY(!f->newTitlePending);
        app.prompt.answer(Button::Yes);
        f->TrashButClick();
        QVERIFY(!QFile::exists(f->ftsPath()));
        QCOMPARE(app.prompt.messages(), QStringList{"Delete the current Record?"});
    }

    void saveWhileBrowsingDoesNothing() {
        GuiFixture app;
        QVERIFY(app.start());
        QSignalSpy posted(app.form->Table1, &rk::fw::Dataset::afterPost);
        app.form->SaveButClick();
        QCOMPARE(posted.count(), 0);
    }

    void aFailedSaveIsReportedAndTheEntryStaysInEdit() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->Table1->goTo(findTitle(f->titles(), "Citizen Kane")); // a multi-set
        f->DBEditTapes->selectAll();
        QTest::keyClicks(f->DBEditTapes, "ab");
        app.prompt.clear();
        f->SaveButClick();
        QCOMPARE(app.prompt.asked.size(), 1);
        QVERIFY2(app.prompt.asked[0].text.contains("Number of Tapes"),
                 qPrintable(app.prompt.asked[0].text));
        QVERIFY(app.prompt.asked[0].text.contains("still being edited"));
        QCOMPARE(f->Table1->state(), State::Edit);
        QCOMPARE(f->DBEditTapes->text(), QString("ab"));
        // Moving away is refused the same way; what was typed stays.
        f->Table1->next();
        QCOMPARE(f->Table1->state(), State::Edit);
        QCOMPARE(f->DBEditTapes->text(), QString("ab"));
    }

    // --- Enter

    void enterInTheSummaryNeverAddsALineBreak() {
        for (bool movesPage : {false, true}) {
            GuiFixture app;
            app.writeSetting("Settings", "EnterMovesTab", movesPage ? "1" : "0");
            QVERIFY(app.start());
            TForm1* f = app.form;
            f->Details1Click();
            f->DBMemo1->setFocus();
            f->DBMemo1->moveCursor(QTextCursor::End);
            const QString before = f->DBMemo1->toPlainText();
            QTest::keyClick(f->DBMemo1, Qt::Key_Return);
            QTest::keyClick(f->DBMemo1, Qt::Key_Enter);
            QCOMPARE(f->DBMemo1->toPlainText(), before);
            QVERIFY(!f->Table1->text("SUMMARY").contains('\n'));
            QCOMPARE(f->PageControl2->currentWidget() == f->TabSheet5, !movesPage ? true : false);
        }
    }

    void enterMovesToTheNextFieldOnlyWhenAsked() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->DBEdit1->setFocus();
        QTest::keyClick(f->DBEdit1, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), f->DBEdit1);
        f->enterAsTab = true;
        QTest::keyClick(f->DBEdit1, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), f->DBEdit3);
        f->DBComboBox3->setFocus();
        QTest::keyClick(f->DBComboBox3, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), f->DBComboBox2);
    }

    void enterInTheLastFieldOfAPageTurnsThePage() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->Table1->goTo(findTitle(f->titles(), "Citizen Kane"));
        f->DBEditTapes->setFocus();
        QTest::keyClick(f->DBEditTapes, Qt::Key_Return); // moves-page off: consumed only
        QCOMPARE(f->PageControl2->currentWidget(), f->TabSheet4);
        f->enterMovesPage = true;
        QTest::keyClick(f->DBEditTapes, Qt::Key_Return);
        QCOMPARE(f->PageControl2->currentWidget(), f->TabSheet5);
        QVERIFY(f->BannerLab->isVisible());
        QCOMPARE(QApplication::focusWidget(), f->DBEdit6);
        f->Other1Click();
        f->DBEditClip->setFocus();
        QTest::keyClick(f->DBEditClip, Qt::Key_Return);
        QCOMPARE(f->PageControl2->currentWidget(), f->TabSheet1);
    }

    // --- Multi-sets and tapes

    void showingATitleWithOneTapeWarnsWithoutTyping() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->NaturalOrder1Click();
        f->Table1->goTo(2);
        f->Table1->setLogical("MULTI_SET", true);
        f->Table1->setText("TAPES", "1");
        f->Table1->post();
        f->Table1->goTo(1);
        app.prompt.clear();
        f->Table1->goTo(2);
        QCOMPARE(app.prompt.count("You cannot specify 1 tape as a multi-set."), 1);
        QCOMPARE(f->Table1->text("TAPES"), QString("1")); // the value stays
        QCOMPARE(f->Table1->state(), State::Browse);
    }

    void theTapesShowOnlyForAMultiSet() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        const uint32_t kane = findTitle(f->titles(), "Citizen Kane");
        f->Table1->goTo(kane);
        QVERIFY(f->chkMultiSet->isChecked());
        QVERIFY(f->DBEditTapes->isVisible());
        QVERIFY(f->lblTapes->isVisible());
        QVERIFY(f->UpDown1->isVisible());
        QCOMPARE(f->DBEditTapes->text(), QString("2"));
        f->Table1->goTo(findTitle(f->titles(), "Casablanca"));
        QVERIFY(!f->DBEditTapes->isVisible());
        QVERIFY(!f->UpDown1->isVisible());
        QCOMPARE(f->Table1->state(), State::Browse);
        // Clearing the box empties the count, and the title keeps none.
        f->Table1->goTo(kane);
        f->chkMultiSet->click();
        QCOMPARE(f->DBEditTapes->text(), QString());
        f->SaveButClick();
        f->Table1->goTo(1);
        f->Table1->goTo(kane);
        QCOMPARE(f->Table1->text("TAPES"), QString());
        QVERIFY(!f->Table1->logical("MULTI_SET"));
    }

    void theUpDownStepsTheTapesFromOneToAHundred() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->Table1->goTo(findTitle(f->titles(), "Citizen Kane"));
        emit f->UpDown1->topClick();
        QCOMPARE(f->Table1->state(), State::Edit);
        QCOMPARE(f->Table1->text("TAPES"), QString("3"));
        QCOMPARE(f->DBEditTapes->text(), QString("3"));
        f->Table1->setText("TAPES", "100");
        emit f->UpDown1->topClick();
        QCOMPARE(f->DBEditTapes->text(), QString("100"));
        f->Table1->setText("TAPES", "1");
        emit f->UpDown1->bottomClick();
        QCOMPARE(f->DBEditTapes->text(), QString("1"));
        f->Table1->setText("TAPES", "");
        emit f->UpDown1->topClick(); // no number to step from: nothing happens
        QCOMPARE(f->DBEditTapes->text(), QString());
    }

    // --- Zoom panel

    void goWithItStoresHoursAndMinutesAsTwoDigitsEach() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->butZoomClick();
        QVERIFY(f->pnlZoom->isVisible());
        QVERIFY(f->isZoomOpen());
        QCOMPARE(f->RxSpinEdit1->intValue(), 0);
        f->RxSpinButton1TopClick();
        for (int i = 0; i < 5; ++i)
            f->RxSpinButton2TopClick();
        f->BitBtn3Click();
        QCOMPARE(f->Table1->text("RUNTIME"), QString("01:05"));
        QCOMPARE(f->DBEditRunTime->text(), QString("01:05"));
        QCOMPARE(f->Table1->state(), State::Edit); // left for the next save or move
        QVERIFY(!f->isZoomOpen());
        QTRY_VERIFY(!f->pnlZoom->isVisible());

        f->RxSpinEdit1->setValue(0);
        f->RxSpinEdit2->setValue(0);
        f->RxSpinButton2BottomClick(); // clamped at 0
        f->butZoomClick();
        f->BitBtn3Click();
        QCOMPARE(f->Table1->text("RUNTIME"), QString("00:00"));
    }

    void theZoomEditsKeepTheirValuesAndLimits() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->RxSpinEdit1->setValue(58);
        f->RxSpinButton1TopClick();
        f->RxSpinButton1TopClick();
        QCOMPARE(f->RxSpinEdit1->intValue(), 59);
        QCOMPARE(f->RxSpinEdit1->text(), QString("59"));
        f->RxSpinEdit2->setValue(3);
        QCOMPARE(f->RxSpinEdit2->text(), QString("03"));
        f->butZoomClick();
        const QString before = f->Table1->text("RUNTIME");
        f->BitBtn2Click(); // Cancel
        QCOMPARE(f->Table1->text("RUNTIME"), before);
        QCOMPARE(f->Table1->state(), State::Browse);
        f->Table1->next(); // another title: the edits are not loaded from it
        QCOMPARE(f->RxSpinEdit2->intValue(), 3);
        QCOMPARE(f->RxSpinButton1->toolTip(), QString("Hours"));
        QCOMPARE(f->RxSpinButton2->toolTip(), QString("Minutes"));
    }

    // --- Clipboard

    void cutCopyAndPasteWorkOnTheFocusedField() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        const QString director = f->DBEdit3->text();
        f->DBEdit3->setFocus();
        f->DBEdit3->selectAll();
        f->Copy1Click();
        QCOMPARE(QApplication::clipboard()->text(), director);
        f->Cut1Click();
        QCOMPARE(f->DBEdit3->text(), QString());
        QCOMPARE(f->Table1->text("DIRECTOR"), QString());
        QCOMPARE(f->Table1->state(), State::Edit);
        f->Paste1Click();
        QCOMPARE(f->Table1->text("DIRECTOR"), director);
        f->DBComboBox2->setFocus();
        f->DBComboBox2->lineEdit()->selectAll();
        f->Paste1Click();
        QCOMPARE(f->Table1->text("RATING"), director.left(25));
    }

    // --- The controls

    void everyFieldHasItsControlWidthAndAccessibleName_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("width"); // 0: no limit of its own
        auto row = [](const char* c, const char* cap, int w) {
            QTest::newRow(c) << QString(c) << QString(cap) << w;
        };
        row("DBEdit1", "Title", 100);
        row("DBEdit3", "Director(s)", 50);
        row("DBEdit13", "Category", 50);
        row("DBComboBox1", "Media Format", 0);
        row("DBEditRunTime", "Run Time", 8);
        row("DBComboBox3", "Rated (MPAA)", 0);
        row("DBComboBox2", "Personal Rating", 0);
        row("DBEdit7", "Custom-1", 50);
        row("DBEdit11", "Custom-2", 50);
        row("DBEditTapes", "Number of Tapes", 4);
        row("DBEdit6", "Produced by", 50);
        row("DBEdit12", "Release Year", 4);
        row("DBEdit14", "ID", 25);
        row("DBEdit5", "Price", 6);
        row("DBEdit8", "Custom-3", 50);
        row("DBEdit9", "Custom-4", 50);
        row("DBMemo1", "Summary", 0);
        row("DBComboBox4", "Record/Playback Speed", 0);
        row("DBEditClip", "Clip File", 100);
        row("DBEditStar1", "Star 1", 25);
        row("DBEditStar4", "Star 4", 25);
        row("RadioGroupContent", "Content", 0);
        row("RadioGroupSound", "Audio", 0);
        row("RadioGroupPicture", "Visual", 0);
    }
    void everyFieldHasItsControlWidthAndAccessibleName() {
        QFETCH(QString, control);
        QFETCH(QString, caption);
        QFETCH(int, width);
        GuiFixture app;
        QVERIFY(app.start(false));
        auto* w = app.form->findChild<QWidget*>(control);
        QVERIFY(w);
        QCOMPARE(w->accessibleName(), caption);
        if (auto* edit = qobject_cast<QLineEdit*>(w); edit && width > 0)
            QCOMPARE(edit->maxLength(), width);
        if (auto* label = qobject_cast<QLabel*>(w->parentWidget()->findChild<QLabel*>()))
            if (label->buddy() == w) QCOMPARE(label->text(), caption);
    }

    void theHintsOfThePages() {
        GuiFixture app;
        QVERIFY(app.start(false));
        QCOMPARE(app.form->LockCheck->toolTip(), QString("Lock Category for New Entries"));
        QCOMPARE(app.form->DBEdit11->toolTip(), QString("Press Enter for Details Tab"));
        QCOMPARE(app.form->DBMemo1->toolTip(), QString("Press Enter for Tracks Tab"));
        QCOMPARE(app.form->BitBtn2->toolTip(), QString("Cancel"));
        QCOMPARE(app.form->BitBtn3->toolTip(), QString("Go with it!"));
        QCOMPARE(app.form->BitBtn5->toolTip(), QString("Browse for a video or audio clip"));
    }

    void theTabOrderOfTheCommonPage() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->Table1->goTo(findTitle(f->titles(), "Citizen Kane")); // shows the tapes
        const QList<QWidget*> order = {f->DBEdit1,     f->DBEdit3,       f->DBEdit13,
                                       f->DBComboBox1, f->DBEditRunTime, f->DBComboBox3,
                                       f->DBComboBox2, f->DBEdit7,       f->DBEdit11,
                                       f->chkMultiSet, f->DBEditTapes};
        f->DBEdit1->setFocus();
        for (int i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[i]);
        }
        for (QWidget* skipped : std::initializer_list<QWidget*>{f->DBLookupComboBox1, f->LockCheck,
                                                                f->UpDown1, f->butZoom})
            QVERIFY(!(skipped->focusPolicy() & Qt::TabFocus));
    }

    void theTabOrderOfTheDetailsPage() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->Details1Click();
        f->DBEdit6->setFocus();
        QList<QWidget*> seen{f->DBEdit6};
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << QApplication::focusWidget();
        }
        QCOMPARE(seen[1], f->DBEdit12);
        QCOMPARE(seen[2], f->DBEdit14);
        QCOMPARE(seen[3], f->DBEdit5);
        QVERIFY(f->RadioGroupContent->isAncestorOf(seen[4]));
        QVERIFY(f->RadioGroupSound->isAncestorOf(seen[5]));
        QVERIFY(f->RadioGroupPicture->isAncestorOf(seen[6]));
        QCOMPARE(seen[7], f->DBEdit8);
    }

    void theChoicesOfTheLists() {
        GuiFixture app;
        QVERIFY(app.start(false));
        auto items = [](QComboBox* c) {
            QStringList out;
            for (int i = 0; i < c->count(); ++i)
                out << c->itemText(i);
            return out;
        };
        QCOMPARE(items(app.form->DBComboBox3),
                 QStringList({"G", "R", "PG", "PG-13", "NC-17", "NR", "N/A"}));
        QCOMPARE(items(app.form->DBComboBox4),
                 QStringList({"SP - 120 Minutes", "LP - 240 Minutes", "SLP - 360 Minutes",
                              "Not Sure", "N/A"}));
        QCOMPARE(items(app.form->DBComboBox2), QStringList({"Excellent", "Good", "Fair", "Poor"}));
        QCOMPARE(items(app.form->DBComboBox1).size(), 8);
        QCOMPARE(items(app.form->DBComboBox1).first(), QString("VHS"));
        app.stop();
        QFile rats(app.data + "Rats.dat");
        QVERIFY(rats.open(QIODevice::WriteOnly));
        rats.close();
        QFile formats(app.data + "Formats.dat");
        QVERIFY(formats.open(QIODevice::WriteOnly));
        formats.write("DVD\r\n\r\nBlu-ray");
        formats.close();
        QVERIFY(app.start(false));
        QCOMPARE(items(app.form->DBComboBox2), QStringList());
        QCOMPARE(items(app.form->DBComboBox1), QStringList({"DVD", "", "Blu-ray"}));
        QCOMPARE(app.form->DBComboBox1->currentText(), app.form->Table1->text("FORMAT"));
    }

    void theVisualChoiceBAndWIsStoredWithTwoAmpersands() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        f->Table1->goTo(findTitle(f->titles(), "The Wizard of Oz"));
        QCOMPARE(f->RadioGroupPicture->itemIndex(), 0);
        f->RadioGroupPicture->button(1)->click();
        QCOMPARE(f->Table1->text("PICTURE"), QString("B&&W"));
        QCOMPARE(f->RadioGroupPicture->button(1)->text(), QString("B&&W")); // shows as B&W
        f->SaveButClick();
        std::string image;
        f->titles().dbf()->readRecord(f->Table1->recNo(), &image);
        QCOMPARE(QByteArray::fromStdString(
                     std::string(rk::dbf::rawField(image, *f->titles().field("PICTURE")))),
                 QByteArray("B&&W "));
    }

    void aSpeedChoiceIsCutToTheFieldWidth() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        emit f->DBComboBox4->activated(2);
        QCOMPARE(f->Table1->text("SPEED"), QString("SLP - 360 Minut"));
    }
};

QTEST_MAIN(EditingTest)
#include "editing_test.moc"
