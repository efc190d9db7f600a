// The list editor: categories changed in the table at once, ratings and formats kept in the
// dialog and written only at OK, and the default format applied at once but stored at OK.
#include "collectionhelpers.h"
#include "dialoghelpers.h"

#include "modcats.h"

#include <QComboBox>
#include <QListWidget>

using collection::listed;
using collection::recordsWhere;
using collection::rowOfText;
using dialogs::fileBytes;
using dialogs::texts;
using rk::fw::Button;

namespace {

QStringList builtin(const std::vector<std::string>& list) {
    QStringList out;
    for (const auto& e : list)
        out << QString::fromStdString(e);
    return out;
}

QStringList comboItems(const QComboBox* combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

void select(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    list->setCurrentItem(found.first());
}

bool openLists(TForm1* f, const std::function<void(TModCats&)>& work) {
    return dialogs::run<TModCats>([f] { f->ModifyCategories2Click(); }, work);
}

} // namespace

class ListsTest : public QObject {
    Q_OBJECT

private slots:
    void withoutListFilesTheBuiltInListsAreShownAndOkWritesBoth() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        QVERIFY(!QFile::exists(app.data + "Rats.dat"));
        QVERIFY(!QFile::exists(app.data + "Formats.dat"));
        // From the category list's menu as from the Special menu.
        QVERIFY(dialogs::run<TModCats>(
            [f] { ctl<QAction>(f, "ModifyCategories1")->trigger(); },
            [](TModCats& d) {
                QCOMPARE(d.ratings(), builtin(rk::catalogue::builtinRatings()));
                QCOMPARE(d.formats(), builtin(rk::catalogue::builtinFormats()));
                d.BitBtn1->click();
            }));
        QCOMPARE(fileBytes(app.data + "Rats.dat"),
                 QByteArray("Excellent\r\nGood\r\nFair\r\nPoor\r\n"));
        QVERIFY(fileBytes(app.data + "Formats.dat").startsWith("VHS\r\nSVHS\r\n"));
        QCOMPARE(comboItems(ctl<QComboBox>(f, "DBComboBox1")),
                 builtin(rk::catalogue::builtinFormats()));
    }

    void categoriesChangeInTheTableAtOnce() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        const auto westerns = recordsWhere(f->titles(), "CATEGORY", "Western");
        QVERIFY(!westerns.empty());
        const int before = int(f->categories().count());
        app.prompt.answer(QStringLiteral("Drama"))
            .answer(QVariant())
            .answer(Button::Ok)
            .answer(QString())
            .answer(Button::Ok)
            .answer(Button::Yes);
        QVERIFY(openLists(f, [&](TModCats& d) {
            d.Button1->click(); // a name that exists: a second record
            d.Button1->click(); // cancelled
            d.Button1->click(); // empty
            const int row = rowOfText(d.DBLookupListBox1, "Western");
            QVERIFY(row >= 0);
            collection::clickRow(d.DBLookupListBox1, row);
            QCOMPARE(f->categoriesData()->text("CATEGORY"), QString("Western"));
            d.Button2->click();
            d.BitBtn2->click(); // Cancel does not undo them
        }));
        QCOMPARE(app.prompt.count("New Category Cancelled!"), 2);
        QCOMPARE(app.prompt.count("Delete the Western Category?"), 1);
        auto* cats = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1");
        QCOMPARE(cats->model()->rowCount(), before);
        QCOMPARE(rowOfText(cats, "Western"), -1);
        const int drama = rowOfText(cats, "Drama");
        QCOMPARE(rowOfText(cats, "Drama", drama + 1), drama + 1);
        // The titles keep their category and stay in View All.
        f->ViewAll1Click();
        QCOMPARE(recordsWhere(f->titles(), "CATEGORY", "Western"), westerns);
        const auto all = listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2"));
        for (uint32_t r : westerns)
            QVERIFY(std::find(all.begin(), all.end(), r) != all.end());
    }

    void theDefaultFormatIsUsedAtOnceButStoredOnlyAtOk() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        QVERIFY(openLists(app.form, [](TModCats& d) {
            d.ComboBox1->setEditText(QStringLiteral("DVD"));
            d.BitBtn2->click();
        }));
        app.form->NewButClick();
        QCOMPARE(app.form->titlesData()->text("FORMAT"), QString("DVD"));
        app.form->titlesData()->cancel();
        QCOMPARE(app.readSetting("Settings", "DefaultFormat"), QString("<missing>"));

        app.restart();
        QCOMPARE(app.form->editRules().defaultFormat, QString("VHS"));
        QVERIFY(openLists(app.form, [](TModCats& d) {
            QCOMPARE(d.ComboBox1->currentText(), QString("VHS"));
            d.ComboBox1->setEditText(QStringLiteral("Blu-ray"));
            d.BitBtn1->click();
        }));
        app.restart();
        QCOMPARE(app.form->editRules().defaultFormat, QString("Blu-ray"));
    }

    void listEditsStayInTheDialogUntilOkAndAreKeptAsTyped() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        app.prompt.answer(QStringLiteral("  Cult Classic  ")).answer(Button::Yes);
        QVERIFY(openLists(f, [](TModCats& d) {
            d.Button3->click();
            select(d.ListBox2, "VHS");
            d.Button6->click();
            d.BitBtn2->click();
        }));
        QVERIFY(!QFile::exists(app.data + "Rats.dat"));
        QVERIFY(!comboItems(ctl<QComboBox>(f, "DBComboBox2")).contains("  Cult Classic  "));

        app.prompt.answer(QStringLiteral("DVD"));
        QVERIFY(openLists(f, [](TModCats& d) {
            QVERIFY(texts(d.ListBox1).contains("  Cult Classic  "));
            // The deleted format is still offered as the default until a format is added.
            QVERIFY(!texts(d.ListBox2).contains("VHS"));
            QVERIFY(comboItems(d.ComboBox1).contains("VHS"));
            QCOMPARE(d.ComboBox1->currentText(), QString("VHS"));
            d.Button5->click();
            QCOMPARE(comboItems(d.ComboBox1), texts(d.ListBox2));
            QCOMPARE(d.ComboBox1->currentText(), QString("VHS"));
            d.BitBtn1->click();
        }));
        QVERIFY(fileBytes(app.data + "Rats.dat").endsWith("Poor\r\n  Cult Classic  \r\n"));
        QVERIFY(fileBytes(app.data + "Formats.dat").startsWith("SVHS\r\n"));
        QVERIFY(fileBytes(app.data + "Formats.dat").endsWith("8mm\r\nDVD\r\n"));
        QVERIFY(comboItems(ctl<QComboBox>(f, "DBComboBox2")).contains("  Cult Classic  "));
        QCOMPARE(comboItems(ctl<QComboBox>(f, "DBComboBox1")).last(), QString("DVD"));
        QCOMPARE(f->editRules().defaultFormat, QString("VHS"));
    }

    void aListFileThatCannotBeWrittenIsToldAndTheDialogStaysOpen() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        QVERIFY(QDir().mkpath(app.data + "Formats.dat")); // a folder where the file would go
        bool open = false;
        QVERIFY(openLists(app.form, [&](TModCats& d) {
            d.BitBtn1->click();
            open = d.isVisible();
        }));
        QVERIFY(open);
        QCOMPARE(app.prompt.messages().size(), 1);
        QVERIFY(app.prompt.messages().first().startsWith("Formats.dat could not be saved"));
    }
};

QTEST_MAIN(ListsTest)
#include "lists_test.moc"
