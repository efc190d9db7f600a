// The internet search launcher against the recording URL opener: the addresses each page
// opens from what the user typed, the messages for empty texts (and nothing opened), the
// biography name's enabling, one modeless window that keeps its state, and the web site
// command.
#include "guifixture.h"

#include "gradienttoolbutton.h"
#include "newgrid.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace {

const QByteArray kFilms = "https://www.imdb.com";

struct NetApp : GuiFixture {
    TNewGrid* grid = nullptr;

    NetApp() {
        if (!start()) qFatal("no main window");
        ctl<rk::GradientToolButton>(form, "InternetBut")->click();
        grid = appWindows().newGrid;
        prompt.clear();
    }

    void page(int index) { ctl<QTabWidget>(grid, "PageControl1")->setCurrentIndex(index); }
    void choose(const char* group, int index) {
        ctl<QGroupBox>(grid, group)->findChildren<QRadioButton*>().at(index)->click();
    }
    void type(const char* edit, const QString& text) { ctl<QLineEdit>(grid, edit)->setText(text); }
    // Presses Go and returns the address opened (empty when none was).
    QByteArray go() {
        const qsizetype before = prompt.urls().size();
        ctl<QPushButton>(grid, "BitBtn1")->click();
        const QList<QUrl> urls = prompt.urls();
        return urls.size() > before ? urls.last().toEncoded() : QByteArray();
    }
};

} // namespace

class NetSearchTest : public QObject {
    Q_OBJECT

private slots:
    void movieSearchTexts() {
        NetApp app;
        QCOMPARE(app.grid->focusWidget(), ctl<QLineEdit>(app.grid, "editSearch"));
        app.type("editSearch", "Star Wars");
        app.choose("radSearchType", 2);
        QCOMPARE(app.go(), kFilms + "/M/title-substring?title=Star+Wars&tv=only");
        app.type("editSearch", " Blade  Runner ");
        app.choose("radSearchType", 0);
        QCOMPARE(app.go(), kFilms + "/M/title-substring?title=+Blade++Runner+&tv=off");
        // Characters that would change the address search for themselves.
        app.type("editSearch", "Pride & Prejudice?");
        QCOMPARE(app.go(), kFilms + "/M/title-substring?title=Pride+%26+Prejudice%3F&tv=off");
        app.type("editSearch", "Amélie");
        QCOMPARE(app.go(), kFilms + "/M/title-substring?title=Am%C3%A9lie&tv=off");
    }

    void starsAndOtherPages() {
        NetApp app;
        app.page(3);
        QCOMPARE(app.grid->focusWidget(), ctl<QLineEdit>(app.grid, "editStarSearch"));
        app.type("editStarSearch", "Meryl Streep");
        const QByteArray actors = app.go();
        QCOMPARE(actors, kFilms + "/Name?Meryl+Streep");
        app.choose("radStarOptions", 3);
        QCOMPARE(app.go(), actors);

        app.page(1);
        app.choose("radOptions", 1);
        QCOMPARE(app.go(), kFilms + "/Oscars/ByYear");

        app.page(2);
        auto* name = ctl<QLineEdit>(app.grid, "editBiog");
        QVERIFY(!name->isEnabled());
        app.choose("radNews", 2);
        QVERIFY(name->isEnabled() && ctl<QWidget>(app.grid, "lblBiog")->isEnabled());
        app.type("editBiog", "Orson Welles");
        QCOMPARE(app.go(), kFilms + "/M/person-biography?Orson+Welles");
        // The news and the quotes ignore the name.
        app.choose("radNews", 0);
        QVERIFY(!name->isEnabled());
        QCOMPARE(app.go(), kFilms + "/StudioBrief/index.html");
        app.choose("radNews", 1);
        QCOMPARE(app.go(), QByteArray("https://www.moviequotes.com/movies/quotes/"));
    }

    void emptyTextsAreAskedForAndOpenNothing() {
        NetApp app;
        QCOMPARE(app.go(), QByteArray());
        app.page(2);
        app.choose("radNews", 2);
        QCOMPARE(app.go(), QByteArray());
        app.page(3);
        QCOMPARE(app.go(), QByteArray());
        QCOMPARE(app.prompt.messages(),
                 QStringList({"Please enter a Movie or TV show to search for.",
                              "Please enter something in the \"Who`s Biography\" field.",
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
