// The controls of the entry pages, on one main window for the whole test: each field's
// control, its width and accessible name, the hints, and the order the keys take through
// each page. The window is made once: these rules only look at it (a test that types
// something cancels it).
#include "guifixture.h"

#include "datacontrols.h"
#include "record.h"
#include "spinbutton.h"

#include <QCheckBox>
#include <QPushButton>

#include <memory>

class EditingControlsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiFixture> app;

private slots:
    void initTestCase() {
        app = std::make_unique<GuiFixture>();
        QVERIFY(app->startMainWindow());
    }
    void cleanupTestCase() { app.reset(); }

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
        auto* w = app->form->findChild<QWidget*>(control);
        QVERIFY(w);
        QCOMPARE(w->accessibleName(), caption);
        if (auto* edit = qobject_cast<QLineEdit*>(w); edit && width > 0)
            QCOMPARE(edit->maxLength(), width);
        if (auto* label = qobject_cast<QLabel*>(w->parentWidget()->findChild<QLabel*>()))
            if (label->buddy() == w) QCOMPARE(label->text(), caption);
    }

    void theHintsOfThePages() {
        QCOMPARE(ctl<QCheckBox>(app->form, "LockCheck")->toolTip(),
                 QString("Lock Category for New Entries"));
        QCOMPARE(ctl<rk::fw::DBEdit>(app->form, "DBEdit11")->toolTip(),
                 QString("Press Enter for Details Tab"));
        QCOMPARE(ctl<rk::fw::DBMemo>(app->form, "DBMemo1")->toolTip(),
                 QString("Press Enter for Tracks Tab"));
        QCOMPARE(ctl<QPushButton>(app->form, "BitBtn2")->toolTip(), QString("Cancel"));
        QCOMPARE(ctl<QPushButton>(app->form, "BitBtn3")->toolTip(), QString("Go with it!"));
        QCOMPARE(ctl<QPushButton>(app->form, "BitBtn5")->toolTip(),
                 QString("Browse for a video or audio clip"));
    }

    void theTabOrderOfTheCommonPage() {
        TForm1* f = app->form;
        f->Common1Click();
        QVERIFY(f->titlesData()
                    ->goTo(findTitle(f->titles(), "Citizen Kane"))
                    .isOk()); // shows the tapes
        // Every control takes the keys in turn, the category drop-down, Lock and the run
        // time's "..." button among them.
        const QList<QWidget*> order = {
            ctl<QWidget>(f, "DBEdit1"),       ctl<QWidget>(f, "DBEdit3"),
            ctl<QWidget>(f, "DBEdit13"),      ctl<QWidget>(f, "DBLookupComboBox1"),
            ctl<QWidget>(f, "LockCheck"),     ctl<QWidget>(f, "DBComboBox1"),
            ctl<QWidget>(f, "DBEditRunTime"), ctl<QWidget>(f, "butZoom"),
            ctl<QWidget>(f, "DBComboBox3"),   ctl<QWidget>(f, "DBComboBox2"),
            ctl<QWidget>(f, "DBEdit7"),       ctl<QWidget>(f, "DBEdit11"),
            ctl<QWidget>(f, "chkMultiSet"),   ctl<QWidget>(f, "DBEditTapes")};
        ctl<rk::fw::DBEdit>(f, "DBEdit1")->setFocus();
        for (int i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[i]);
        }
        // The tapes' up-down follows the keys of the tapes field instead.
        QVERIFY(!(ctl<rk::SpinButton>(f, "UpDown1")->focusPolicy() & Qt::TabFocus));
    }

    void theTabOrderOfTheDetailsPage() {
        TForm1* f = app->form;
        f->Details1Click();
        ctl<rk::fw::DBEdit>(f, "DBEdit6")->setFocus();
        QList<QWidget*> seen{ctl<rk::fw::DBEdit>(f, "DBEdit6")};
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << QApplication::focusWidget();
        }
        QCOMPARE(seen[1], ctl<rk::fw::DBEdit>(f, "DBEdit12"));
        QCOMPARE(seen[2], ctl<rk::fw::DBEdit>(f, "DBEdit14"));
        QCOMPARE(seen[3], ctl<rk::fw::DBEdit>(f, "DBEdit5"));
        QVERIFY(ctl<rk::fw::DBRadioGroup>(f, "RadioGroupContent")->isAncestorOf(seen[4]));
        QVERIFY(ctl<rk::fw::DBRadioGroup>(f, "RadioGroupSound")->isAncestorOf(seen[5]));
        QVERIFY(ctl<rk::fw::DBRadioGroup>(f, "RadioGroupPicture")->isAncestorOf(seen[6]));
        QCOMPARE(seen[7], ctl<rk::fw::DBEdit>(f, "DBEdit8"));
    }

    void theTabOrderOfTheAvPageWithAClip() {
        TForm1* f = app->form;
        f->Other1Click();
        auto* clip = ctl<rk::fw::DBCheckBox>(f, "chkClip");
        QVERIFY(!clip->isChecked());
        clip->setFocus();
        QTest::keyClick(clip, Qt::Key_Space);
        QVERIFY(clip->isChecked());
        QTest::keyClicks(ctl<rk::fw::DBEdit>(f, "DBEditClip"), "/films/trailer.avi");
        // With a clip, the file, its browse button, the clip type and Play follow the box in
        // the order they are laid out.
        clip->setFocus();
        QList<QWidget*> seen{clip};
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << QApplication::focusWidget();
        }
        QCOMPARE(seen[1], ctl<rk::fw::DBEdit>(f, "DBEditClip"));
        QCOMPARE(seen[2], ctl<QPushButton>(f, "BitBtn5"));
        QVERIFY(ctl<rk::fw::DBRadioGroup>(f, "RadioGroupClip")->isAncestorOf(seen[3]));
        QCOMPARE(seen[4], ctl<QPushButton>(f, "butPlay"));
        f->titlesData()->cancel();
    }
};

QTEST_MAIN(EditingControlsTest)
#include "editingcontrols_test.moc"
