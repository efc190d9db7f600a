// The Find dialog and the main window's search: the remembered text and choice, Cancel,
// Enter, the limits of both controls; the build when Titles.ia is missing, the messages of
// every ending, the field choice, the result as the visible set until the next view, and the
// deleted-records filter on again on every way out.
#include "collectionhelpers.h"

#include "titleindex.h"

#include <QFile>
#include <QProgressBar>
#include <QTimer>

using collection::FindAnswer;
using collection::listed;
using collection::stored;

namespace {

const QString kBuildFirst =
    QStringLiteral("Need to build the search index. Your search runs when it is complete.");
const QString kCreating =
    QStringLiteral("Need to create a Titles Index for the Database. This only needs to be done "
                   "for new database files or Packing the database.");

// Runs a search through the window and returns the messages it showed.
QStringList search(GuiFixture& app, const QString& text, int choice = 0) {
    app.prompt.clear();
    FindAnswer answer(text, choice);
    ctl<rk::GradientToolButton>(app.form, "FindBut")->click();
    return app.prompt.messages();
}

// The window's first search builds the index, then runs (for a word no title holds).
void buildIndex(GuiFixture& app) {
    if (search(app, "Nosuchword") != QStringList{kBuildFirst, kCreating, "Text not found!"})
        qFatal("the index was not built");
    app.prompt.clear();
}

QString ftsFile(GuiFixture& app) {
    return app.form->ftsPath();
}

} // namespace

class SearchTest : public QObject {
    Q_OBJECT

private slots:
    // --- The dialog

    void theDialogOffersItsControlsAndRemembersTextAndChoice() {
        TFindForm find;
        QCOMPARE(find.windowTitle(), QString("Find"));
        QCOMPARE(find.ComboBox1->count(), 12);
        const QStringList items{"ALL Fields", "Titles", "Stars", "Producer", "Director", "Rating",
                                "Year",       "ID",     "User1", "User2",    "User3",    "User4"};
        for (int i = 0; i < items.size(); ++i)
            QCOMPARE(find.ComboBox1->itemText(i), items[i]);
        QCOMPARE(find.butFindit->text(), QString("Go"));
        QCOMPARE(find.butCancel->text(), QString("Cancel"));
        QVERIFY(find.butFindit->isDefault());
        // Only list items can be chosen.
        QVERIFY(!find.ComboBox1->isEditable());

        // The first opening: "ALL Fields" and an empty field.
        find.show();
        QVERIFY(QTest::qWaitForWindowExposed(&find));
        QCOMPARE(find.ComboBox1->currentIndex(), 0);
        QCOMPARE(find.searchText(), QString());
        QCOMPARE(QApplication::focusWidget(), find.EditSearch);

        // A search for a text in "Director"; the next opening shows both again.
        QTest::keyClicks(find.EditSearch, "Kubrick");
        find.ComboBox1->setCurrentIndex(4);
        QCOMPARE(find.ComboBox1->property("Tag").toInt(), 4);
        find.butFindit->click();
        QCOMPARE(find.result(), int(QDialog::Accepted));
        QVERIFY(find.isHidden());
        find.ComboBox1->setCurrentIndex(1); // moved while hidden: the remembered choice wins
        find.ComboBox1->setProperty("Tag", 4);
        find.show();
        QCOMPARE(find.ComboBox1->currentText(), QString("Director"));
        QCOMPARE(find.fieldChoice(), 4);
        QCOMPARE(find.searchText(), QString("Kubrick"));
    }

    void cancelAndEscEmptyTheTextTheCloseBoxKeepsIt() {
        TFindForm find;
        find.show();
        find.EditSearch->setText("Hitchcock");
        find.close(); // the window's close box
        QCOMPARE(find.searchText(), QString("Hitchcock"));

        find.show();
        QCOMPARE(find.searchText(), QString("Hitchcock"));
        find.butCancel->click();
        QCOMPARE(find.result(), int(QDialog::Rejected));
        QCOMPARE(find.searchText(), QString());

        find.show();
        find.EditSearch->setText("Lean");
        QTest::keyClick(find.EditSearch, Qt::Key_Escape);
        QVERIFY(find.isHidden());
        QCOMPARE(find.searchText(), QString());
    }

    void enterPressesGoInTheModalDialog() {
        TFindForm find;
        find.EditSearch->setText("Wilder");
        QTimer::singleShot(0, &find, [&] { QTest::keyClick(find.EditSearch, Qt::Key_Return); });
        QCOMPARE(find.execute(), int(QDialog::Accepted));
        QCOMPARE(find.searchText(), QString("Wilder"));
    }

    void theTextAndTheChoiceStayWithinTheirLimits() {
        TFindForm find;
        find.show();
        find.EditSearch->setText(QString(300, QLatin1Char('a')));
        QCOMPARE(find.searchText().size(), 255);
        find.EditSearch->clear();
        QTest::keyClicks(find.EditSearch, QString(260, QLatin1Char('b')));
        QCOMPARE(find.searchText().size(), 255);
        // Typing over the list picks items; nothing else can become the choice.
        find.ComboBox1->setFocus();
        QTest::keyClicks(find.ComboBox1, "zzz");
        QVERIFY(find.fieldChoice() >= 0 && find.fieldChoice() < 12);
        QTest::qWait(QApplication::keyboardInputInterval() + 100);
        QTest::keyClicks(find.ComboBox1, "Y");
        QCOMPARE(find.ComboBox1->currentText(), QString("Year"));
        find.ComboBox1->setCurrentIndex(-1);
        QVERIFY(find.fieldChoice() >= 0 && find.fieldChoice() < 12);
    }

    // --- The search

    void theFirstSearchBuildsTheIndexAndThenRuns() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        QVERIFY(!QFile::exists(ftsFile(app)));
        f->ViewAll1Click();
        FindAnswer answer("Spielberg", 4);
        ctl<rk::GradientToolButton>(f, "FindBut")->click();
        QCOMPARE(FindAnswer::offered, QString());
        QCOMPARE(FindAnswer::offeredChoice, 0);
        const auto spielberg =
            collection::recordsWhere(f->titles(), "DIRECTOR", "Steven Spielberg");
        QVERIFY(spielberg.size() > 1);
        const QString found = QString("%1 Matches Found.").arg(spielberg.size());
        QCOMPARE(app.prompt.messages(), (QStringList{kBuildFirst, kCreating, found}));
        QVERIFY(QFile::exists(ftsFile(app)));
        QVERIFY(f->titles().hidesDeleted());
        QVERIFY(ctl<QProgressBar>(f, "ProgressBar1")->isHidden());
        QCOMPARE(f->statusPanelText(1), QString("Ready..."));
        // The table was closed and opened again, in the same order; the search ran on it.
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->model()->rowCount(),
                 int(spielberg.size()));
        QCOMPARE(QString::fromStdString(f->titles().orderName()), QString("TITIT"));

        // The next search finds; the dialog offers the last text and choice.
        app.prompt.clear();
        ctl<QAction>(f, "Find1")->trigger();
        QCOMPARE(FindAnswer::offered, QString("Spielberg"));
        QCOMPARE(FindAnswer::offeredChoice, 4);
        QCOMPARE(app.prompt.messages(), QStringList{found});
        QCOMPARE(app.prompt.asked[0].icon, rk::fw::Icon::Information);
    }

    void theBuildShowsItsProgressAndLetsTheWindowRepaint() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        // Enough titles for the build to take a while, appended in one go.
        rk::store::Table& t = f->titles();
        std::string images;
        for (int i = 0; i < 4000; ++i) {
            std::string image = t.dbf()->blankRecord();
            rk::dbf::setString(image, *t.field("TITLE"), "Filler " + std::to_string(i));
            rk::dbf::setString(image, *t.field("CATEGORY"), "Drama");
            images += image;
        }
        QVERIFY(t.appendRecords(images, 4000).isOk());
        f->titlesData()->refresh();
        bool sawIndexing = false, sawBar = false;
        int maximum = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, f, [&] {
            sawIndexing |= f->statusPanelText(1) == "Indexing...";
            sawBar |= ctl<QProgressBar>(f, "ProgressBar1")->isVisible() &&
                      ctl<QProgressBar>(f, "ProgressBar1")->value() > 0;
            maximum = std::max(maximum, ctl<QProgressBar>(f, "ProgressBar1")->maximum());
        });
        tick.start(1);
        QList<int> positions;
        connect(ctl<QProgressBar>(f, "ProgressBar1"), &QProgressBar::valueChanged, f,
                [&](int v) { positions << v; });
        buildIndex(app);
        QVERIFY(sawIndexing);
        QVERIFY(sawBar);
        QCOMPARE(maximum, int(f->titles().recCount()));
        positions.removeAll(0);
        QVERIFY(!positions.isEmpty());
        QCOMPARE(positions.first(), 1);
        QCOMPARE(positions.last(), int(f->titles().recCount()));
        QVERIFY(std::is_sorted(positions.begin(), positions.end()));
    }

    void cancelOrAnEmptyTextSearchesNothing() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        f->Marked1Click();
        const auto marked = listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox4"));
        {
            FindAnswer answer("Bogart", 0, false);
            f->FindButClick();
        }
        {
            FindAnswer answer("", 0, true);
            f->FindButClick();
        }
        QCOMPARE(app.prompt.asked.size(), 0);
        QVERIFY(!QFile::exists(ftsFile(app)));
        QVERIFY(f->titles().hidesDeleted());
        QCOMPARE(listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox4")), marked);
        QCOMPARE(appWindows().findForm->searchText(), QString());
    }

    void theFieldChoiceDecidesWhatMatches() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        buildIndex(app);
        // A word of a title only: found in "Titles", not in "Stars". Nothing found leaves the
        // title that was current.
        const uint32_t current = f->titlesData()->recNo();
        QCOMPARE(search(app, "Casablanca", 2), QStringList{"Text not found!"});
        QCOMPARE(f->titlesData()->recNo(), current);
        QCOMPARE(QString::fromStdString(f->titles().queryText()), QString());
        QCOMPARE(search(app, "Casablanca", 1), QStringList{"1 Match Found."});
        QCOMPARE(f->titlesData()->text("TITLE"), QString("Casablanca"));

        // A word that only the summary or a user field holds: found with "ALL Fields".
        f->ViewAll1Click();
        QVERIFY(f->titlesData()->edit().isOk());
        QVERIFY(f->titlesData()->setText("USER3", "Zanzibarian").isOk());
        QVERIFY(f->titlesData()->post().isOk());
        // Changed after it was indexed: a rebuild takes the new text in.
        QFile::remove(ftsFile(app));
        buildIndex(app);
        QCOMPARE(search(app, "zanzibarian", 0), QStringList{"1 Match Found."});
        QCOMPARE(search(app, "zanzibarian", 10), QStringList{"1 Match Found."});
        QCOMPARE(search(app, "zanzibarian", 1), QStringList{"Text not found!"});
        QVERIFY(f->titles().hidesDeleted());
    }

    void theResultIsTheVisibleSetUntilTheNextView() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        buildIndex(app);
        collection::clickRow(
            ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1"),
            collection::rowOfText(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1"), "Drama"));
        f->Title2Click();
        const auto kubrick = collection::recordsWhere(f->titles(), "DIRECTOR", "Stanley Kubrick");
        QCOMPARE(search(app, "Kubrick", 4),
                 QStringList{QString("%1 Matches Found.").arg(kubrick.size())});
        // Every list shows the matches, in the sort order, on the first of them.
        auto shown = listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3"));
        QCOMPARE(shown.size(), kubrick.size());
        QStringList titles;
        for (uint32_t r : shown) {
            QCOMPARE(stored(f->titles(), r, "DIRECTOR"), QString("Stanley Kubrick"));
            titles << stored(f->titles(), r, "TITLE").toUpper();
        }
        QVERIFY(std::is_sorted(titles.begin(), titles.end()));
        QCOMPARE(f->titlesData()->recNo(), shown.front());
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->model()->rowCount(),
                 int(kubrick.size()));
        QCOMPARE(QString::fromStdString(f->titles().orderName()), QString("TITIT"));
        // A view change replaces the set.
        f->ViewAll1Click();
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->model()->rowCount(),
                 int(f->titles().recCount()));
    }

    void aDeletedTitleIsNeitherCountedNorShown() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        f->ViewAll1Click();
        const auto jaws = collection::recordsWhere(f->titles(), "TITLE", "Jaws");
        QCOMPARE(jaws.size(), size_t(1));
        QVERIFY(f->titlesData()->goTo(jaws[0]).isOk());
        app.prompt.answer(rk::fw::Button::Yes);
        f->TrashButClick();
        QVERIFY(collection::storedDeleted(f->titles(), jaws[0]));
        // Built while the title is deleted, the index holds its entry.
        buildIndex(app);
        const auto spielberg =
            collection::recordsWhere(f->titles(), "DIRECTOR", "Steven Spielberg");
        QCOMPARE(search(app, "Spielberg", 4),
                 QStringList{QString("%1 Matches Found.").arg(spielberg.size())});
        const auto shown = listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2"));
        QVERIFY(std::find(shown.begin(), shown.end(), jaws[0]) == shown.end());
        QCOMPARE(shown.size(), spielberg.size());
        QVERIFY(f->titles().hidesDeleted());
        // No match at all: the whole catalogue, the deleted title still hidden.
        QCOMPARE(search(app, "Nosuchword", 0), QStringList{"Text not found!"});
        const auto all = listed(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2"));
        QCOMPARE(all.size(), size_t(f->titles().recCount() - 1));
        QVERIFY(std::find(all.begin(), all.end(), jaws[0]) == all.end());
        QVERIFY(!f->titlesData()->eof());
    }

    void anIndexThatNoLongerMatchesIsReportedAndBuiltAgain() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        buildIndex(app);
        // Titles added by another program while this one was not running: the index has no
        // entries for them.
        app.stop();
        {
            rk::store::Table t(rk::findFileNoCase(app.data.toStdString(), "VIDEO.DBF"));
            QVERIFY(t.open().isOk());
            std::string img = t.dbf()->blankRecord();
            rk::dbf::setString(img, *t.field("TITLE"), "Night of the Quokka");
            QVERIFY(t.appendRecord(img).isOk());
        }
        QVERIFY(collection::start(app));
        const QStringList told = search(app, "Quokka", 1);
        QCOMPARE(told.size(), 2);
        QVERIFY2(told.value(0).contains("no longer matches"), qPrintable(told.join('|')));
        QCOMPARE(told.value(1), QString("1 Match Found."));
    }

    void anUnusableIndexIsReported() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        f->Marked1Click();
        QFile junk(ftsFile(app));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not an index at all");
        junk.close();
        QCOMPARE(search(app, "Star", 0),
                 QStringList{"No Search Index created yet. Select Pack Database from the File "
                             "menu."});
        // The query was cleared on the way.
        QCOMPARE(QString::fromStdString(f->titles().queryText()), QString());
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox4")->model()->rowCount(),
                 int(f->titles().recCount()));
        QVERIFY(f->titles().hidesDeleted());
    }
};

QTEST_MAIN(SearchTest)
#include "search_test.moc"
