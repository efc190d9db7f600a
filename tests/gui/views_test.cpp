// Views, tabs and sort orders: the query and count of each view, the view that is not
// re-applied, the order kept across views, the banner, the navigator window and the
// command table of the menus and tool bar. The navigator's rules start the whole program; the
// others run on the main window alone.
#include "guifixture.h"

#include "datacontrols.h"
#include "dotmatrixbanner.h"
#include "gradienttoolbutton.h"
#include "inifile.h"
#include "picturetabbar.h"
#include "record.h"
#include "recordlistmodel.h"

#include <QMenu>
#include <QProgressBar>
#include <QSplitter>
#include <QTabBar>

namespace {

QString field(rk::store::Table& t, uint32_t recno, const char* name) {
    std::string image;
    if (!t.dbf()->readRecord(recno, &image).isOk()) return QStringLiteral("<unreadable>");
    return QString::fromStdString(std::string(rk::dbf::trimmedField(image, *t.field(name))));
}

int markedCount(rk::store::Table& t) {
    int n = 0;
    for (uint32_t r = 1; r <= t.recCount(); ++r) {
        std::string image;
        if (!t.dbf()->readRecord(r, &image).isOk()) return -1;
        n += rk::dbf::getLogical(image, *t.field("MARKED")) && !rk::dbf::isDeleted(image);
    }
    return n;
}

} // namespace

class ViewsTest : public QObject {
    Q_OBJECT

private slots:
    void viewAllAndMarkedApplyTheirQueriesAndCounts() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        const uint32_t all = f->titles().recCount();
        const int marked = markedCount(f->titles());
        QVERIFY(marked > 0 && uint32_t(marked) < all);

        f->ViewAll1Click();
        QCOMPARE(ctl<rk::PictureTabWidget>(f, "ExtPageControl1")->currentWidget(),
                 ctl<QWidget>(f, "TabSheet8"));
        QCOMPARE(QString::fromStdString(f->titles().queryText()), QString());
        QCOMPARE(f->statusPanelText(0), QString("Total Entries: %1").arg(all));
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->model()->rowCount(), int(all));

        f->Marked1Click();
        QCOMPARE(QString::fromStdString(f->titles().queryText()), QString("MARKED"));
        QCOMPARE(f->statusPanelText(0), QString("Marked Entries: %1").arg(marked));
        auto* model = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox4")->recordModel();
        QCOMPARE(model->rowCount(), marked);
        for (int r = 0; r < model->rowCount(); ++r)
            QCOMPARE(field(f->titles(), model->recNoAt(r), "MARKED"), QString("T"));
    }

    void choosingTheActiveViewAgainChangesNothing() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        f->ViewAll1Click();
        const QString count = f->statusPanelText(0);
        QVERIFY(f->titlesData()
                    ->setQuery("MARKED")
                    .isOk()); // another command leaves its own query in force
        f->ViewAll1Click();
        QCOMPARE(QString::fromStdString(f->titles().queryText()), QString("MARKED"));
        QVERIFY(count != f->statusPanelText(0));
        QVERIFY(f->statusPanelText(0).endsWith(" " + QString::number(markedCount(f->titles()))));
        // A change of page applies it again.
        f->Category2Click();
        f->ViewAll1Click();
        QCOMPARE(QString::fromStdString(f->titles().queryText()), QString());
    }

    void theCategoryPageKeepsThePreviousQuery() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        f->Marked1Click();
        const QString count = f->statusPanelText(0);
        f->Category2Click();
        QCOMPARE(QString::fromStdString(f->titles().queryText()), QString("MARKED"));
        QCOMPARE(f->statusPanelText(0), count);
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3")->model()->rowCount(),
                 markedCount(f->titles()));
        QCOMPARE(QApplication::focusWidget(), ctl<rk::fw::DBLookupList>(f, "DBLookupListBox1"));
        f->ViewAll1Click();
        f->Category2Click();
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3")->model()->rowCount(),
                 int(f->titles().recCount()));
    }

    void everySortItemSelectsItsTagAndGoesToTheFirstTitle() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        const std::pair<QAction*, const char*> items[] = {
            {ctl<QAction>(f, "Title2"), "TITIT"},     {ctl<QAction>(f, "Category3"), "CATEGORY"},
            {ctl<QAction>(f, "Director1"), "DIRECT"}, {ctl<QAction>(f, "ID"), "IDS"},
            {ctl<QAction>(f, "Year1"), "YR"},         {ctl<QAction>(f, "Format1"), "FRMT"},
            {ctl<QAction>(f, "Rating"), "RAT"},       {ctl<QAction>(f, "RatedPG13etc1"), "RATD"},
            {ctl<QAction>(f, "Content1"), "CONT"},    {ctl<QAction>(f, "MultiSets1"), "MULTI"},
            {ctl<QAction>(f, "User11"), "USE1"},      {ctl<QAction>(f, "User21"), "USE2"},
        };
        for (const auto& [action, tag] : items) {
            QVERIFY(f->titlesData()->goTo(7).isOk());
            action->trigger();
            QVERIFY2(f->titles().tagArea(tag) > 0, tag);
            QCOMPARE(f->titles().indexOrd(), f->titles().tagArea(tag));
            QCOMPARE(f->titlesData()->recNo(),
                     ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->recordModel()->recNoAt(0));
        }
        ctl<QAction>(f, "NaturalOrder1")->trigger();
        QCOMPARE(f->titles().indexOrd(), 0);
        QCOMPARE(f->titlesData()->recNo(), 1u);
        QCOMPARE(ctl<QMenu>(f, "PopupMenu3")->actions().size(), 14); // 13 orders and a separator
        QVERIFY(ctl<QMenu>(f, "PopupMenu3")->actions()[12]->isSeparator());
    }

    void theViewMenuSortsFromTheKeyboardToo() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        auto* sort = ctl<QMenu>(f, "SortMenu");
        QVERIFY(ctl<QMenu>(f, "View1")->actions().contains(sort->menuAction()));
        QStringList mnemonics;
        for (QAction* a : sort->actions()) {
            if (a->isSeparator()) continue;
            const QString text = a->text();
            const qsizetype amp = text.indexOf(QLatin1Char('&'));
            QVERIFY2(amp >= 0, qPrintable(text));
            mnemonics << text.mid(amp + 1, 1).toUpper();
        }
        QCOMPARE(mnemonics.size(), 13);
        QCOMPARE(QSet<QString>(mnemonics.begin(), mnemonics.end()).size(), 13); // all different
        ctl<QAction>(f, "SortYear1")->trigger();
        QCOMPARE(f->titles().indexOrd(), f->titles().tagArea("YR"));
        // Opened, both menus tick the order in force, and only it.
        auto ticked = [f](const char* menu) {
            QMenu* m = ctl<QMenu>(f, menu);
            m->popup(QPoint());
            QStringList on;
            for (QAction* a : m->actions())
                if (a->isChecked()) on << a->objectName();
            m->close();
            return on;
        };
        QCOMPARE(ticked("SortMenu"), QStringList{"SortYear1"});
        ctl<QAction>(f, "SortNaturalOrder1")->trigger();
        QCOMPARE(f->titles().indexOrd(), 0);
        QCOMPARE(ticked("PopupMenu3"), QStringList{"NaturalOrder1"});
    }

    void theStartOrderIsByTitle() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        QCOMPARE(f->titles().indexOrd(), f->titles().tagArea("TITIT"));
        auto* model = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3")->recordModel();
        for (int r = 1; r < model->rowCount(); ++r)
            QVERIFY2(model->textAt(r - 1).toUpper() <= model->textAt(r).toUpper(),
                     qPrintable(model->textAt(r)));
    }

    void aSortOrderChosenInOneViewStaysInTheNext() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        f->Marked1Click();
        f->Year1Click();
        auto years = [&](rk::fw::DBLookupList* list) {
            QStringList out;
            auto* m = list->recordModel();
            for (int r = 0; r < m->rowCount(); ++r)
                out << field(f->titles(), m->recNoAt(r), "YEAR");
            return out;
        };
        QStringList marked = years(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox4"));
        QStringList sorted = marked;
        sorted.sort();
        QCOMPARE(marked, sorted);
        f->ViewAll1Click();
        QCOMPARE(f->titles().indexOrd(), f->titles().tagArea("YR"));
        QStringList all = years(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2"));
        sorted = all;
        sorted.sort();
        QCOMPARE(all, sorted);
    }

    void naturalOrderListsTheTitlesAsTheyWereAdded() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        f->ViewAll1Click();
        QVERIFY(f->titlesData()->goTo(2).isOk());
        QVERIFY(f->titlesData()->deleteCurrent().isOk());
        f->NaturalOrder1Click();
        auto* m = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->recordModel();
        QCOMPARE(m->rowCount(), int(f->titles().recCount()) - 1);
        QCOMPARE(m->recNoAt(0), 1u);
        QCOMPARE(m->recNoAt(1), 3u); // the deleted one is left out
        for (int r = 1; r < m->rowCount(); ++r)
            QVERIFY(m->recNoAt(r - 1) < m->recNoAt(r));
    }

    void aViewChangeSavesTheTitleBeingEdited() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        const uint32_t rec = f->titlesData()->recNo();
        QVERIFY(f->titlesData()->setText("DIRECTOR", "Changed in passing").isOk());
        f->Marked1Click();
        QCOMPARE(f->titlesData()->state(), rk::fw::Dataset::State::Browse);
        QCOMPARE(field(f->titles(), rec, "DIRECTOR"), QString("Changed in passing"));
    }

    void theListsAndTheCurrentTitleMoveTogether() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        f->ViewAll1Click();
        auto* list = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2");
        const QRect row = list->visualRect(list->model()->index(3, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(f->titlesData()->recNo(), list->recordModel()->recNoAt(3));
        QCOMPARE(ctl<rk::fw::DBEdit>(f, "DBEdit1")->text(), list->recordModel()->textAt(3));
        QVERIFY(f->titlesData()->next().isOk());
        QCOMPARE(list->currentIndex().row(), 4);
        QCOMPARE(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox3")->currentIndex().row(), 4);
    }

    void theBannerNamesTheCurrentTitleEvenWhileHidden() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        QCOMPARE(ctl<rk::PictureTabWidget>(f, "PageControl2")->currentWidget(),
                 ctl<QWidget>(f, "TabSheet4"));
        QVERIFY(!ctl<rk::DotMatrixBanner>(f, "BannerLab")->isVisible());
        QVERIFY(f->titlesData()->goTo(5).isOk());
        QCOMPARE(ctl<rk::DotMatrixBanner>(f, "BannerLab")->text(),
                 QString("   NOW SHOWING...   %1...").arg(app.titleText()));
        QVERIFY(!ctl<rk::DotMatrixBanner>(f, "BannerLab")->isVisible());
        QVERIFY(!ctl<rk::DotMatrixBanner>(f, "BannerLab")->isScrolling());

        f->Details1Click();
        QVERIFY(ctl<rk::DotMatrixBanner>(f, "BannerLab")->isVisible());
        QVERIFY(ctl<rk::DotMatrixBanner>(f, "BannerLab")->isScrolling());
        // Across the top of the page, below the tabs, clear of the page's first field.
        const QRect banner = ctl<rk::DotMatrixBanner>(f, "BannerLab")->geometry();
        QVERIFY(banner.top() >
                ctl<rk::PictureTabWidget>(f, "PageControl2")->tabBar()->geometry().bottom());
        QVERIFY(banner.bottom() <
                ctl<rk::fw::DBEdit>(f, "DBEdit6")
                    ->mapTo(ctl<rk::PictureTabWidget>(f, "PageControl2"), QPoint(0, 0))
                    .y());
        QVERIFY(ctl<rk::PictureTabWidget>(f, "PageControl2")->rect().contains(banner));
        QCOMPARE(ctl<rk::DotMatrixBanner>(f, "BannerLab")->interval(), 150);
        QVERIFY(f->titlesData()->goTo(6).isOk());
        QCOMPARE(ctl<rk::DotMatrixBanner>(f, "BannerLab")->text(),
                 QString("   NOW SHOWING...   %1...").arg(app.titleText()));
        f->Stars1Click();
        QVERIFY(ctl<rk::DotMatrixBanner>(f, "BannerLab")->isVisible());
        f->Common1Click();
        QVERIFY(!ctl<rk::DotMatrixBanner>(f, "BannerLab")->isVisible());
        QVERIFY(!ctl<rk::DotMatrixBanner>(f, "BannerLab")->isScrolling());
    }

    void enterInStar4MovesToTheCommonPageAndHidesTheBanner() {
        GuiFixture app;
        app.writeSetting("Settings", "EnterMovesTab", "1");
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        f->Stars1Click();
        ctl<rk::fw::DBEdit>(f, "DBEditStar4")->setFocus();
        QTest::keyClick(ctl<rk::fw::DBEdit>(f, "DBEditStar4"), Qt::Key_Return);
        QCOMPARE(ctl<rk::PictureTabWidget>(f, "PageControl2")->currentWidget(),
                 ctl<QWidget>(f, "TabSheet4"));
        QVERIFY(!ctl<rk::DotMatrixBanner>(f, "BannerLab")->isVisible());
        QCOMPARE(QApplication::focusWidget(), ctl<rk::fw::DBEdit>(f, "DBEdit1"));
    }

    void theFunctionKeysChooseThePages() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        TForm1* f = app.form;
        const std::pair<Qt::Key, QWidget*> keys[] = {
            {Qt::Key_F6, ctl<QWidget>(f, "TabSheet8")},
            {Qt::Key_F7, ctl<QWidget>(f, "TabSheet9")},
            {Qt::Key_F5, ctl<QWidget>(f, "TabSheet7")},
            {Qt::Key_F9, ctl<QWidget>(f, "TabSheet5")},
            {Qt::Key_F10, ctl<QWidget>(f, "TabSheet6")},
            {Qt::Key_F11, ctl<QWidget>(f, "TabSheet1")},
            {Qt::Key_F8, ctl<QWidget>(f, "TabSheet4")},
        };
        for (const auto& [key, page] : keys) {
            QTest::keyClick(f, key);
            QVERIFY(ctl<rk::PictureTabWidget>(f, "ExtPageControl1")->currentWidget() == page ||
                    ctl<rk::PictureTabWidget>(f, "PageControl2")->currentWidget() == page);
        }
    }

    void theTabsHaveTheirSizesAndPictures() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        auto* left = ctl<rk::PictureTabWidget>(app.form, "ExtPageControl1")->pictureTabBar();
        auto* right = ctl<rk::PictureTabWidget>(app.form, "PageControl2")->pictureTabBar();
        QCOMPARE(left->tabWidth(), 80);
        QCOMPARE(left->tabHeight(), 28);
        QCOMPARE(right->tabWidth(), 75);
        QCOMPARE(right->tabHeight(), 28);
        QCOMPARE(left->pictures().size(), 3);
        QCOMPARE(right->pictures().size(), 4);
        for (const QPixmap& p : left->pictures() + right->pictures())
            QVERIFY(!p.isNull());
        QStringList captions;
        for (int i = 0; i < right->count(); ++i)
            captions << right->tabText(i);
        QCOMPARE(captions, QStringList({"Common", "Details", "AV", "Stars"}));
    }

    void theNavigatorWindowKeepsItsPositionInItsProfileFile() {
        GuiFixture app;
        QVERIFY(app.start());
        TNavForm* nav = appWindows().navForm;
        QCOMPARE(nav->pos(), QPoint(323, 414));
        QCOMPARE(nav->windowTitle(), QString("Navigator"));
        ctl<QAction>(app.form, "Navigator1")->trigger();
        QVERIFY(nav->isVisible());
        QVERIFY(ctl<QAction>(app.form, "Navigator1")->isChecked());
        nav->move(100, 120);
        nav->close();
        QVERIFY(!ctl<QAction>(app.form, "Navigator1")->isChecked());
        rk::fw::IniFile ini(TNavForm::profilePath());
        QCOMPARE(ini.value("NavPosition", "Left").value_or(""), QString("100"));
        QCOMPARE(ini.value("NavPosition", "Top").value_or(""), QString("120"));
        QVERIFY(QFileInfo(TNavForm::profilePath()).fileName() == "RKeeper.ini");
        app.restart();
        QCOMPARE(appWindows().navForm->pos(), QPoint(100, 120));
    }

    void theNavigatorMovesTheTitles() {
        GuiFixture app;
        QVERIFY(app.start());
        auto* nav = appWindows().navForm->navigator();
        for (auto b : {rk::fw::DBNavigator::Insert, rk::fw::DBNavigator::Delete,
                       rk::fw::DBNavigator::Edit, rk::fw::DBNavigator::Refresh})
            QVERIFY(nav->button(b)->isHidden());
        const QString first = app.titleText();
        nav->click(rk::fw::DBNavigator::Next);
        QVERIFY(app.titleText() != first);
        nav->click(rk::fw::DBNavigator::First);
        QCOMPARE(app.titleText(), first);
    }

    void theListsAreNamedByTheirHeadings() {
        GuiFixture app;
        QVERIFY(app.startMainWindow(false));
        QCOMPARE(ctl<rk::fw::DBLookupList>(app.form, "DBLookupListBox1")->accessibleName(),
                 QString("Categories"));
        QCOMPARE(ctl<rk::fw::DBLookupList>(app.form, "DBLookupListBox3")->accessibleName(),
                 QString("Titles"));
        QCOMPARE(ctl<rk::fw::DBLookupList>(app.form, "DBLookupListBox2")->accessibleName(),
                 QString("All Entries"));
        QCOMPARE(ctl<rk::fw::DBLookupList>(app.form, "DBLookupListBox4")->accessibleName(),
                 QString("Marked Entries"));
    }

    void theStatusBarHasItsPanelsAndAHiddenProgressBar() {
        GuiFixture app;
        QVERIFY(app.startMainWindow());
        QCOMPARE(app.form->findChild<QLabel*>("StatusPanel0")->width(), 150);
        QVERIFY(app.form->findChild<QLabel*>("StatusPanel1")->width() >= 200);
        QVERIFY(ctl<QProgressBar>(app.form, "ProgressBar1")->isHidden());
        QCOMPARE(ctl<QProgressBar>(app.form, "ProgressBar1")->minimum(), 0);
        QCOMPARE(ctl<QProgressBar>(app.form, "ProgressBar1")->maximum(), 100);
    }

    void theCommandTable_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("enabled");
        auto row = [](const char* n, const char* c, const char* k, bool e) {
            QTest::newRow(n) << QString(n) << QString(c) << QString(k) << e;
        };
        row("Save1", "Save", "Ctrl+S", true);
        row("PrintReport1", "&Print Report...", "Ctrl+P", false);
        row("ReportBuilder1", "Report Builder...", "", false);
        row("CreateVideoLabels1", "Create Video Labels...", "", true);
        row("ImportExport1", "Import/Export...", "", false);
        row("PackDatabase1", "Pack &Database", "", false);
        row("ReIndexDatabase1", "Re-Index Database", "Ctrl+I", false);
        row("quit", "E&xit Reelkeeper", "Ctrl+Q", true);
        row("Cut1", "Cu&t", "Ctrl+X", true);
        row("Copy1", "&Copy", "Ctrl+C", true);
        row("Paste1", "&Paste", "Ctrl+V", true);
        row("AddNewEntry1", "Add &New Entry", "Ctrl+N", true);
        row("DeleteCurrentEntry1", "&Delete Current Entry", "", true);
        row("MarkUnMarkCurrentEntry1", "Mark/UnMark Current Entry", "Ctrl+M", false);
        row("UnMarkMarkedEntries1", "&Un-Mark Marked Entries", "", false);
        row("AddNewCategory2", "&Add New Category...", "Ctrl+A", false);
        row("Find1", "&Find...", "Ctrl+F", false);
        row("Navigator1", "&Navigator", "Ctrl+F1", true);
        row("MasterEditor1", "Master Editor...", "", true);
        row("Category2", "&Category", "F5", true);
        row("ViewAll1", "View &All", "F6", true);
        row("Marked1", "&Marked", "F7", true);
        row("Common1", "C&ommon", "F8", true);
        row("Details1", "&Details", "F9", true);
        row("Other1", "AV", "F10", true);
        row("Stars1", "Stars", "F11", true);
        row("ToolTips1", "&Display ToolTips", "", true);
        row("TipoftheDay1", "Tip of the Day...", "", true);
        row("Preferences", "&Preferences...", "Ctrl+R", true);
        row("ModifyCategories2", "User Defined Settings...", "Ctrl+U", true);
        row("SearchtheNet1", "Search the Net...", "Ctrl+G", true);
        row("CalculateCosts1", "Calculate Costs...", "", false);
        row("Contents1", "Help Topics", "F1", true);
        row("Tutorial1", "Tutorial", "", true);
        row("About", "&About Reelkeeper98...", "", true);
        row("Website", "Reelkeeper98's Web site...", "", true);
    }
    void theCommandTable() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, keys);
        QFETCH(bool, enabled);
        GuiFixture app;
        QVERIFY(app.startMainWindow(false));
        auto* a = app.form->findChild<QAction*>(name);
        QVERIFY(a);
        QCOMPARE(a->text(), caption);
        QCOMPARE(a->shortcut(), QKeySequence(keys));
        // The commands of this window's own parts work from the start; the others are
        // enabled by the parts that bring their handlers.
        if (enabled && name != "Paste1") QVERIFY(a->isEnabled());
    }

    void theToolBarButtons() {
        GuiFixture app;
        QVERIFY(app.startMainWindow(false));
        const std::tuple<const char*, const char*, const char*> buttons[] = {
            {"NewBut", "New", "Add a New Entry to the Database"},
            {"SaveBut", "Save", "Saves and Updates the Database"},
            {"TrashBut", "Trash", "Trash/Delete the current entry"},
            {"MarkBut", "Mark", "Mark/UnMark the current Entry"},
            {"PrintBut", "Print", "Opens the Print Dialog box"},
            {"ReportsBut", "Reports", "Opens the Custom Report Builder"},
            {"LabelBut", "Labels", "Print Video Labels"},
            {"FindBut", "Find", "Opens the Search dialog"},
            {"MasterBut", "Master", "Opens the Master Editor"},
            {"InternetBut", "Internet", "Search the Internet for Movie stuff"},
            {"SortBut", "Sort", "Sort Database"},
        };
        for (const auto& [name, caption, hint] : buttons) {
            auto* b = app.find<rk::GradientToolButton>(name);
            QVERIFY2(b, name);
            QCOMPARE(b->text(), QString(caption));
            QCOMPARE(b->toolTip(), QString(hint));
        }
        QCOMPARE(ctl<rk::GradientToolButton>(app.form, "SortBut")->menu(),
                 ctl<QMenu>(app.form, "PopupMenu3"));
    }
};

QTEST_MAIN(ViewsTest)
#include "views_test.moc"
