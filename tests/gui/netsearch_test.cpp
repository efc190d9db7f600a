// The internet search launcher against the recording URL opener: the address each page and
// choice opens from the user's table with what the user typed, the built-in table written
// for editing, the messages for empty texts (and nothing opened), the biography name's
// enabling, Enter and the current title, one modeless window that keeps its state, and the
// web site command.
#include "guifixture.h"

#include "gradienttoolbutton.h"
#include "newgrid.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace {

// A table in which every choice opens an address that names it.
const char* const kChoices[] = {"MoviesOnly",   "MoviesAndTV",   "TVOnly",     "AwardsByCategory",
                                "AwardsByYear", "AwardsSummary", "LatestNews", "FamousQuotes",
                                "Biography",    "Actors",        "Actresses",  "Directors",
                                "Writers"};

struct NetApp : GuiFixture {
    TNewGrid* grid = nullptr;

    explicit NetApp(bool namingTable = true) {
        if (namingTable) {
            QByteArray table;
            for (const char* name : kChoices) {
                const bool takesText = QByteArray(name).contains("Award") ||
                                       QByteArray(name) == "LatestNews" ||
                                       QByteArray(name) == "FamousQuotes";
                table += QByteArray(name) + " = https://t.example/" + name +
                         (takesText ? "" : "?q={text}") + "\n";
            }
            writeFile(table);
        }
        if (!start()) qFatal("no main window");
        ctl<rk::GradientToolButton>(form, "InternetBut")->click();
        grid = appWindows().newGrid;
        prompt.clear();
    }

    void writeFile(const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(TNewGrid::addressesFile()).absolutePath());
        QFile f(TNewGrid::addressesFile());
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) qFatal("table");
    }
    void page(int index) { ctl<QTabWidget>(grid, "PageControl1")->setCurrentIndex(index); }
    void choose(const char* group, int index) {
        ctl<QGroupBox>(grid, group)->findChildren<QRadioButton*>().at(index)->click();
    }
    void type(const char* edit, const QString& text) { ctl<QLineEdit>(grid, edit)->setText(text); }
    // The address opened since `before` URLs were opened (empty when none was).
    QByteArray opened(qsizetype before) {
        const QList<QUrl> urls = prompt.urls();
        return urls.size() > before ? urls.last().toEncoded() : QByteArray();
    }
    // Presses Go and returns the address opened.
    QByteArray go() {
        const qsizetype before = prompt.urls().size();
        ctl<QPushButton>(grid, "BitBtn1")->click();
        return opened(before);
    }
};

} // namespace

class NetSearchTest : public QObject {
    Q_OBJECT

private slots:
    void eachPageAndChoiceOpensItsAddressWithTheTextEncoded() {
        NetApp app;
        QCOMPARE(app.grid->focusWidget(), ctl<QLineEdit>(app.grid, "editSearch"));
        app.type("editSearch", "Pride & Prejudice? Am\u00e9lie");
        app.choose("radSearchType", 2);
        QCOMPARE(app.go(),
                 QByteArray("https://t.example/TVOnly?q=Pride+%26+Prejudice%3F+Am%C3%A9lie"));
        app.choose("radSearchType", 1);
        QCOMPARE(app.go(),
                 QByteArray("https://t.example/MoviesAndTV?q=Pride+%26+Prejudice%3F+Am%C3%A9lie"));

        app.page(3);
        QCOMPARE(app.grid->focusWidget(), ctl<QLineEdit>(app.grid, "editStarSearch"));
        app.type("editStarSearch", "Meryl Streep");
        app.choose("radStarOptions", 3);
        QCOMPARE(app.go(), QByteArray("https://t.example/Writers?q=Meryl+Streep"));
        app.choose("radStarOptions", 1);
        QCOMPARE(app.go(), QByteArray("https://t.example/Actresses?q=Meryl+Streep"));

        app.page(1);
        app.choose("radOptions", 1);
        QCOMPARE(app.go(), QByteArray("https://t.example/AwardsByYear"));

        app.page(2);
        auto* name = ctl<QLineEdit>(app.grid, "editBiog");
        QVERIFY(!name->isEnabled());
        app.choose("radNews", 2);
        QVERIFY(name->isEnabled() && ctl<QWidget>(app.grid, "lblBiog")->isEnabled());
        app.type("editBiog", "Orson Welles");
        QCOMPARE(app.go(), QByteArray("https://t.example/Biography?q=Orson+Welles"));
        app.choose("radNews", 1);
        QVERIFY(!name->isEnabled());
        QCOMPARE(app.go(), QByteArray("https://t.example/FamousQuotes"));
        QVERIFY(app.prompt.messages().isEmpty());
    }

    void theBuiltInTableIsWrittenForEditingAndItsBadLinesAreToldOnce() {
        NetApp app(false);
        const qsizetype before = app.prompt.urls().size();
        ctl<QPushButton>(app.grid, "btnAddresses")->click();
        QCOMPARE(app.prompt.urls().value(before), QUrl::fromLocalFile(TNewGrid::addressesFile()));
        QFile file(TNewGrid::addressesFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const auto read = rk::search::readSearchAddresses(file.readAll().toStdString());
        QVERIFY(read.problems.empty());
        QCOMPARE(read.addresses.address, rk::search::defaultSearchAddresses().address);

        app.writeFile("MoviesOnly = https://m.example/?q={text}\nnonsense\n");
        app.type("editSearch", "Alien");
        QCOMPARE(app.go(), QByteArray("https://m.example/?q=Alien"));
        QCOMPARE(app.prompt.messages().size(), 1);
        QVERIFY(app.prompt.messages()[0].contains("line 2"));
        QCOMPARE(app.go(), QByteArray("https://m.example/?q=Alien"));
        QCOMPARE(app.prompt.messages().size(), 1);
    }

    void theBoxStartsWithTheCurrentTitleAndEnterSearches() {
        NetApp app;
        auto* edit = ctl<QLineEdit>(app.grid, "editSearch");
        const QString title = app.titleText().trimmed();
        QVERIFY(!title.isEmpty());
        QCOMPARE(edit->text(), title);
        QCOMPARE(edit->selectedText(), title);
        const qsizetype before = app.prompt.urls().size();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(app.opened(before),
                 "https://t.example/MoviesOnly?q=" +
                     QByteArray::fromStdString(rk::search::encodeSearchText(title.toStdString())));
    }

    void emptyTextsAreAskedForAndOpenNothing() {
        NetApp app;
        app.type("editSearch", QString());
        QCOMPARE(app.go(), QByteArray());
        app.page(2);
        app.choose("radNews", 2);
        QCOMPARE(app.go(), QByteArray());
        app.page(3);
        QCOMPARE(app.go(), QByteArray());
        QCOMPARE(app.prompt.messages(),
                 QStringList({"Please enter a Movie or TV show to search for.",
                              "Please enter something in the \"Who's Biography\" field.",
                              "Please enter the name of the Star you wish to search for."}));
        QCOMPARE(app.grid->focusWidget(), ctl<QLineEdit>(app.grid, "editStarSearch"));
        QVERIFY(app.prompt.urls().isEmpty());
    }

    void oneModelessWindowThatKeepsItsStateAndTheWebSite() {
        NetApp app;
        QVERIFY(app.grid->isVisible() && !app.grid->isModal());
        app.page(3);
        app.type("editStarSearch", "Garbo");
        ctl<QPushButton>(app.grid, "BitBtn2")->click();
        QVERIFY(app.grid->isHidden());
        ctl<QAction>(app.form, "SearchtheNet1")->trigger();
        QCOMPARE(appWindows().newGrid, app.grid);
        QVERIFY(app.grid->isVisible());
        QCOMPARE(ctl<QTabWidget>(app.grid, "PageControl1")->currentIndex(), 3);
        QCOMPARE(ctl<QLineEdit>(app.grid, "editStarSearch")->text(), QString("Garbo"));

        ctl<QAction>(app.form, "Website")->trigger();
        QCOMPARE(app.prompt.helpTopics(), QStringList{"MainTopic"});
    }
};

QTEST_MAIN(NetSearchTest)
#include "netsearch_test.moc"
