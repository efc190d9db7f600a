// Edit, Undo and Redo on the main window: a post and a delete taken back and made again from
// the menu, typing not yet stored, categories, and a change made by another path kept.
#include "guifixture.h"

#include "datacontrols.h"
#include "recordlistmodel.h"

#include <QAction>

using rk::fw::Button;

namespace {

QString storedTitle(TForm1* f, uint32_t recno) {
    std::string image;
    if (!f->titles().dbf()->readRecord(recno, &image).isOk()) return QString();
    return QString::fromStdString(
        std::string(rk::dbf::trimmedField(image, *f->titles().field("TITLE"))));
}

int listed(TForm1* f) {
    return ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->model()->rowCount();
}

} // namespace

class UndoTest : public QObject {
    Q_OBJECT

private slots:
    void aPostAndADeleteAreUndoneAndRedoneFromTheMenu() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        f->ViewAll1Click();
        auto* undo = ctl<QAction>(f, "Undo1");
        auto* redo = ctl<QAction>(f, "Redo1");
        QVERIFY(!undo->isEnabled());
        const uint32_t recno = f->titlesData()->recNo();
        const QString original = storedTitle(f, recno);
        const int all = listed(f);

        QVERIFY(f->titlesData()->setText("TITLE", "Zebra Crossing").isOk());
        f->SaveButClick();
        QVERIFY(undo->isEnabled());
        undo->trigger();
        QCOMPARE(storedTitle(f, recno), original);
        QCOMPARE(f->titlesData()->recNo(), recno);
        QCOMPARE(f->titlesData()->text("TITLE"), original);
        QVERIFY(redo->isEnabled());
        redo->trigger();
        QCOMPARE(storedTitle(f, recno), QString("Zebra Crossing"));

        app.prompt.answer(Button::Yes);
        f->TrashButClick();
        QCOMPARE(listed(f), all - 1);
        undo->trigger();
        QCOMPARE(listed(f), all);
        QCOMPARE(f->titlesData()->recNo(), recno);
        redo->trigger();
        QCOMPARE(listed(f), all - 1);
        undo->trigger();
        undo->trigger();
        QCOMPARE(storedTitle(f, recno), original);
        QCOMPARE(app.prompt.messages().size(), 1); // the delete's question alone
    }

    void typingNotYetStoredIsWhatUndoTakesBackFirst() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        const uint32_t recno = f->titlesData()->recNo();
        const QString original = storedTitle(f, recno);
        QVERIFY(f->titlesData()->setText("DIRECTOR", "Somebody").isOk());
        f->SaveButClick();
        QVERIFY(f->titlesData()->setText("TITLE", "Half Typed").isOk());
        ctl<QAction>(f, "Undo1")->trigger();
        QVERIFY(!f->titlesData()->isEditing());
        QCOMPARE(f->titlesData()->text("TITLE"), original);
        QCOMPARE(ctl<QAction>(f, "Undo1")->text(), QString("&Undo Edit"));
    }

    void aCategoryAddedOrDeletedIsTakenBack() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        auto* list = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1");
        const int categories = list->model()->rowCount();
        app.prompt.answer(QVariant(QString("Westerns")));
        f->AddNewCategory1Click();
        QCOMPARE(list->model()->rowCount(), categories + 1);
        ctl<QAction>(f, "Undo1")->trigger();
        QCOMPARE(list->model()->rowCount(), categories);
        QVERIFY(f->categoriesData()->deleteCurrent().isOk());
        QCOMPARE(list->model()->rowCount(), categories - 1);
        ctl<QAction>(f, "Undo1")->trigger();
        QCOMPARE(list->model()->rowCount(), categories);
    }

    void aChangeByAnotherPathIsKeptAndTold() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        const uint32_t recno = f->titlesData()->recNo();
        QVERIFY(f->titlesData()->setText("TITLE", "Mine").isOk());
        f->SaveButClick();
        // An import or the master editor writes the same title through the catalogue.
        std::string image = f->titles().record();
        rk::dbf::setString(image, *f->titles().field("TITLE"), "Theirs");
        QVERIFY(f->catalogue().updateTitle(recno, image).isOk());
        app.prompt.clear();
        app.prompt.answer(Button::Ok);
        ctl<QAction>(f, "Undo1")->trigger();
        QCOMPARE(app.prompt.asked.size(), 1);
        QCOMPARE(app.prompt.asked[0].icon, rk::fw::Icon::Warning);
        QVERIFY(app.prompt.asked[0].text.contains("Theirs"));
        QCOMPARE(storedTitle(f, recno), QString("Theirs"));
        QVERIFY(!ctl<QAction>(f, "Undo1")->isEnabled());
    }
};

QTEST_MAIN(UndoTest)
#include "undo_test.moc"
