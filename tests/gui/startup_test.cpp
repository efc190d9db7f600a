// Start-up, settings and shut-down: first-run defaults, the settings that shape the window,
// the tutorial that opens once, the splash, placement across runs, the catalogue that is
// missing, held or damaged, and the second instance.
#include "guifixture.h"

#include "aboutwindow.h"
#include "datacontrols.h"
#include "dbf.h"
#include "env.h"
#include "gradienttoolbutton.h"
#include "picturetabbar.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLockFile>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QToolTip>

using rk::fw::Button;

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void theFirstRunUsesTheDefaultsAndOpensTheTutorialOnce() {
        GuiFixture app;
        QVERIFY(app.start());
        TForm1* f = app.form;
        QCOMPARE(ctl<rk::PictureTabWidget>(f, "ExtPageControl1")->currentWidget(),
                 ctl<QWidget>(f, "TabSheet7"));
        QVERIFY(ctl<QAction>(f, "ToolTips1")->isChecked());
        QVERIFY(f->hintsShown());
        QVERIFY(!ctl<QWidget>(f, "TabSheet8")->font().bold());
        QVERIFY(!ctl<QCheckBox>(f, "LockCheck")->isChecked());
        QVERIFY(!f->editRules().enterAsTab);
        QVERIFY(!f->editRules().enterMovesPage);
        QVERIFY(!ctl<QAction>(f, "Navigator1")->isChecked());
        QVERIFY(appWindows().navForm && !appWindows().navForm->isVisible());
        QCOMPARE(f->editRules().defaultFormat, QString("VHS"));
        QCOMPARE(ctl<QLabel>(f, "lblUser1")->text(), QString("Custom-1"));
        QCOMPARE(ctl<QLabel>(f, "lblUser4")->text(), QString("Custom-4"));
        QCOMPARE(ctl<rk::fw::DBEdit>(f, "DBEdit7")->accessibleName(), QString("Custom-1"));
        QCOMPARE(f->statusPanelText(0), QString("Entries"));
        QVERIFY(f->statusPanelText(1).startsWith("Database Last Modified on: "));
        QCOMPARE(app.prompt.helpTopics(), QStringList{"Tutorial"});
        QCOMPARE(app.readSetting("Startup", "StartTut"), QString("0"));

        // Another activation opens no tutorial.
        f->FormActivate();
        QCOMPARE(app.prompt.helpTopics().size(), 1);
        app.restart();
        QVERIFY(app.prompt.helpTopics().isEmpty());
        QCOMPARE(app.prompt.unanswered, 0);
    }

    void startTabMustBeExactlyViewAll() {
        GuiFixture app;
        app.writeSetting("Settings", "StartTab", "viewall");
        QVERIFY(app.start());
        QCOMPARE(ctl<rk::PictureTabWidget>(app.form, "ExtPageControl1")->currentWidget(),
                 ctl<QWidget>(app.form, "TabSheet7"));
        QCOMPARE(app.form->statusPanelText(0), QString("Entries"));
        app.stop();
        app.writeSetting("Settings", "StartTab", "ViewAll");
        QVERIFY(app.start());
        QCOMPARE(ctl<rk::PictureTabWidget>(app.form, "ExtPageControl1")->currentWidget(),
                 ctl<QWidget>(app.form, "TabSheet8"));
        QCOMPARE(app.form->statusPanelText(0),
                 QString("Total Entries: %1").arg(app.form->titles().count()));
        QVERIFY(app.form->titles().count() > 0);
    }

    void showHintsReadsNumbersWithTheHexRule() {
        GuiFixture app;
        app.writeSetting("Settings", "ShowHints", "0x0");
        QVERIFY(app.start());
        QVERIFY(!app.form->hintsShown());
        QVERIFY(!ctl<QAction>(app.form, "ToolTips1")->isChecked());
        app.stop();
        app.writeSetting("Settings", "ShowHints", "abc");
        QVERIFY(app.start());
        QVERIFY(app.form->hintsShown());
        QVERIFY(ctl<QAction>(app.form, "ToolTips1")->isChecked());
    }

    void theToolTipsSwitchIsNotSaved() {
        GuiFixture app;
        app.writeSetting("Settings", "ShowHints", "1");
        QVERIFY(app.start());
        const QByteArray before = app.settingsBytes();
        auto askForTip = [&] {
            QToolTip::hideText();
            if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000)) return true;
            QWidget* button = ctl<rk::GradientToolButton>(app.form, "NewBut");
            QHelpEvent tip(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
            QCoreApplication::sendEvent(button, &tip);
            return QToolTip::isVisible();
        };
        QVERIFY(askForTip());
        ctl<QAction>(app.form, "ToolTips1")->trigger();
        QVERIFY(!app.form->hintsShown());
        QVERIFY(!askForTip());
        QCOMPARE(app.settingsBytes(), before);
        app.restart();
        QVERIFY(app.form->hintsShown());
    }

    void aLongDefaultFormatKeepsItsFirst255Characters() {
        GuiFixture app;
        const QString format = QString(200, 'a') + QString(100, 'b');
        app.writeSetting("Settings", "DefaultFormat", format);
        QVERIFY(app.start());
        QCOMPARE(app.form->editRules().defaultFormat, format.left(255));
    }

    void theOtherSettingsTakeEffect() {
        GuiFixture app;
        app.writeSetting("Custom", "Custom1", "Shelf");
        app.writeSetting("Custom", "Custom3", "Bought at");
        app.writeSetting("Settings", "BoldLists", "1");
        app.writeSetting("Settings", "CategoryLock", "7"); // anything but 0 is on
        app.writeSetting("Settings", "EnterKeyTab", "1");
        app.writeSetting("Settings", "EnterMovesTab", "2");
        app.writeSetting("Settings", "Navigator", "1");
        QVERIFY(app.start());
        TForm1* f = app.form;
        QCOMPARE(ctl<QLabel>(f, "lblUser1")->text(), QString("Shelf"));
        QCOMPARE(ctl<QLabel>(f, "lblUser2")->text(), QString("Custom-2"));
        QCOMPARE(ctl<QLabel>(f, "lblUser3")->text(), QString("Bought at"));
        QVERIFY(ctl<QWidget>(f, "TabSheet8")->font().bold());
        QVERIFY(ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2")->font().bold());
        QVERIFY(ctl<QCheckBox>(f, "LockCheck")->isChecked());
        QVERIFY(f->editRules().enterAsTab);
        QVERIFY(f->editRules().enterMovesPage);
        QVERIFY(ctl<QAction>(f, "Navigator1")->isChecked());
        QVERIFY(appWindows().navForm->isVisible());
    }

    void enterKeyTabMustBeOneAndEnterMovesTabAnythingButZero() {
        GuiFixture app;
        app.writeSetting("Settings", "EnterKeyTab", "2");
        app.writeSetting("Settings", "EnterMovesTab", "0");
        QVERIFY(app.start());
        QVERIFY(!app.form->editRules().enterAsTab);
        QVERIFY(!app.form->editRules().enterMovesPage);
    }

    void activationFollowsTheNavigatorCheckMark() {
        GuiFixture app;
        QVERIFY(app.start());
        TNavForm* nav = appWindows().navForm;
        ctl<QAction>(app.form, "Navigator1")->trigger(); // checked: shown
        QVERIFY(nav->isVisible());
        nav->hide(); // hidden behind the program's back
        app.form->FormActivate();
        QVERIFY(nav->isVisible());
        // A tool window of the main window, not above every window of the desktop.
        QCOMPARE(nav->windowType(), Qt::Tool);
        QCOMPARE(nav->parentWidget(), app.form);
        QVERIFY(!(nav->windowFlags() & Qt::WindowStaysOnTopHint));
        ctl<QAction>(app.form, "Navigator1")->trigger(); // unchecked: hidden
        QVERIFY(!nav->isVisible());
        app.form->FormActivate();
        QVERIFY(!nav->isVisible());
        QCOMPARE(app.prompt.helpTopics().size(), 1); // still the first run's tutorial only
    }

    // On a 1000-pixel-high screen at scale factor 2 (the ctest gui.startup_test_fits_2x) the
    // window, with room for a title bar, fits the screen.
    void theMainWindowFitsTheScreen() {
        GuiFixture app;
        QVERIFY(app.start());
        const QRect area = app.form->screen()->availableGeometry();
        constexpr int kTitleBar = 30;
        QVERIFY2(app.form->minimumSizeHint().height() + kTitleBar <= area.height(),
                 qPrintable(QString::number(app.form->minimumSizeHint().height())));
        QVERIFY(area.contains(app.form->geometry()));
        QVERIFY(app.form->height() + kTitleBar <= area.height());
    }

    void theSplashClosesAfterTheFirstShow() {
        GuiFixture app;
        QWidget splash;
        splash.show();
        QVERIFY(app.start(false));
        app.form->setSplash(&splash);
        app.form->show();
        QVERIFY(ctl<QTimer>(app.form, "Timer1")->isActive());
        QCOMPARE(ctl<QTimer>(app.form, "Timer1")->interval(), 800);
        QVERIFY(splash.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!splash.isVisible(), 3000);
    }

    void placementAndCategoryListHeightSurviveARestart() {
        GuiFixture app;
        QVERIFY(app.start());
        app.form->move(40, 30);
        app.form->resize(900, 640);
        QCoreApplication::processEvents();
        app.form->setCategoryListHeight(150);
        QCOMPARE(app.form->categoryListHeight(), 150);
        app.stop();
        QCOMPARE(app.readSetting("MainFormSettings", "DBLookupListBox1_Height"), QString("150"));
        QCOMPARE(app.readSetting("MainFormSettings", "NormPos"), QString("40,30,940,670"));
        QVERIFY(app.start());
        QCoreApplication::processEvents();
        QCOMPARE(app.form->pos(), QPoint(40, 30));
        QCOMPARE(app.form->size(), QSize(900, 640));
        QTRY_COMPARE(app.form->categoryListHeight(), 150);
    }

    void theCategoryListKeepsItsSplitterLimits() {
        GuiFixture app;
        QVERIFY(app.start());
        QCoreApplication::processEvents();
        QTRY_COMPARE(app.form->categoryListHeight(), 82);
        app.form->setCategoryListHeight(5);
        QCOMPARE(app.form->categoryListHeight(), 40);
        app.form->setCategoryListHeight(5000);
        const int titlesHeight = ctl<QSplitter>(app.form, "RxSplitter1")->sizes().value(1);
        QVERIFY2(titlesHeight >= 20, qPrintable(QString::number(titlesHeight)));
    }

    void closingClosesTheTables() {
        GuiFixture app;
        QVERIFY(app.start());
        rk::store::Table* titles = &app.form->titles();
        app.form->close();
        QVERIFY(!titles->isOpen());
        QVERIFY(!app.form->categories().isOpen());
    }

    void closingSavesAChangedEntry() {
        GuiFixture app;
        QVERIFY(app.start());
        QVERIFY(app.form->titlesData()->setText("TITLE", "Changed before closing").isOk());
        app.form->close();
        rk::store::Table t(rk::findFileNoCase(app.data.toStdString(), "VIDEO.DBF"));
        QVERIFY(t.open().isOk());
        t.setOrder(0);
        QVERIFY(t.goTop().isOk());
        std::vector<uint32_t> all;
        QVERIFY(t.visibleRecords(&all).isOk());
        bool found = false;
        for (uint32_t r : all) {
            QVERIFY(t.go(r).isOk());
            found = found || QString::fromStdString(t.record()).contains("Changed before closing");
        }
        QVERIFY(found);
    }

    void anEntryThatCannotBeSavedIsNotLostOnClose() {
        GuiFixture app;
        QVERIFY(app.start());
        QVERIFY(!app.form->titlesData()
                     ->setText("TAPES", "many")
                     .isOk()); // kept as typed, refused at post
        app.prompt.clear();
        app.prompt.answer(Button::Ok).answer(Button::No); // the failure, then "close anyway?"
        app.form->close();
        QVERIFY(app.form->isVisible());
        QVERIFY(app.form->titlesData()->isEditing());
        QCOMPARE(app.prompt.asked.size(), 2);
    }

    void aFolderWithoutACatalogueOffersOne() {
        GuiFixture app(GuiFixture::Catalogue::None);
        app.prompt.answer(1); // the sample
        QVERIFY(app.start());
        QCOMPARE(app.prompt.asked.first().kind, QString("choose"));
        QVERIFY(app.prompt.asked.first().text.contains("no catalogue"));
        QVERIFY(app.form->titles().count() > 10);
        app.stop();

        GuiFixture empty(GuiFixture::Catalogue::None);
        empty.prompt.answer(0);
        QVERIFY(empty.start());
        QCOMPARE(empty.form->titles().count(), 0u);
        QVERIFY(empty.form->titlesData()->isEmpty());
        empty.stop();

        GuiFixture declined(GuiFixture::Catalogue::None);
        declined.prompt.answer(2);
        QVERIFY(!declined.start());
        QVERIFY(!QFile::exists(declined.data + "VIDEO.DBF"));
    }

    void aTableHeldByAnotherProgramIsExplained() {
        GuiFixture app;
        rk::store::Table holder(rk::findFileNoCase(app.data.toStdString(), "VIDEO.DBF"));
        QVERIFY(holder.open().isOk());
        QVERIFY(!app.start());
        QCOMPARE(app.prompt.asked.size(), 1);
        QVERIFY2(app.prompt.asked[0].text.contains("in use by another program"),
                 qPrintable(app.prompt.asked[0].text));
    }

    void aHeldIndexIsNamedAsTheFileInUse() {
        GuiFixture app;
        auto held =
            rk::Env::standard()->open(rk::findFileNoCase(app.data.toStdString(), "VIDEO.CDX"),
                                      rk::OpenMode::ReadOnly, rk::LockMode::Exclusive);
        QVERIFY(held.isOk());
        QVERIFY(!app.start());
        QVERIFY2(app.prompt.asked.value(0).text.startsWith("VIDEO.CDX in "),
                 qPrintable(app.prompt.asked.value(0).text));
    }

    void repairsAtStartUpAreToldOnceWithoutWaiting() {
        GuiFixture app;
        const std::string titles = rk::findFileNoCase(app.data.toStdString(), "VIDEO.DBF");
        // A table cut inside its last record, as a power cut can leave it.
        {
            QFile f(QString::fromStdString(titles));
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.resize(f.size() - 100));
        }
        QVERIFY(app.start());
        QCOMPARE(app.prompt.messages(), QStringList()); // nothing that waits
        QCOMPARE(app.prompt.notices().size(), 1);
        // A first start opens the tutorial too: the notice comes after it, in front.
        QCOMPARE(app.prompt.asked.size(), 2);
        QCOMPARE(app.prompt.asked[0].kind, QString("help"));
        QCOMPARE(app.prompt.asked[1].kind, QString("notice"));
        QString told = app.prompt.notices().value(0);
        QVERIFY2(told.contains("VIDEO.DBF") && told.contains("cut short") &&
                     told.contains("71 whole ones"),
                 qPrintable(told));
        QVERIFY(!app.form->statusBar()->currentMessage().isEmpty());
        app.restart(); // repaired: nothing more to tell
        QCOMPARE(app.prompt.notices(), QStringList());
        app.stop();

        // A title added behind the index's back: the index is made again.
        {
            auto t = rk::dbf::DbfFile::open(titles, rk::dbf::OpenOptions{});
            QVERIFY(t.isOk());
            QVERIFY((*t)->appendRecord((*t)->blankRecord()).isOk());
        }
        app.prompt.clear();
        QVERIFY(app.start());
        told = app.prompt.notices().value(0);
        QVERIFY2(told.contains("VIDEO.CDX") && told.contains("made again"), qPrintable(told));
        app.stop();

        // An index that cannot be read at all: record order until it is re-indexed.
        QFile::remove(app.data + "VIDEO.CDX");
        QFile cdx(app.data + "VIDEO.CDX");
        QVERIFY(cdx.open(QIODevice::WriteOnly));
        cdx.write("not an index");
        cdx.close();
        app.prompt.clear();
        QVERIFY(app.start());
        told = app.prompt.notices().value(0);
        QVERIFY2(told.contains("cannot be used") && told.contains("Re-Index"), qPrintable(told));
        QCOMPARE(app.form->titles().indexOrd(), 0);
        app.prompt.answer(Button::Yes);
        ctl<QAction>(app.form, "ReIndexDatabase1")->trigger();
        QVERIFY2(app.prompt.messages().last().contains("successfully"),
                 qPrintable(app.prompt.messages().join('|')));
        QCOMPARE(app.form->titles().orderName(), std::string("TITIT"));
        app.prompt.clear();
        app.restart();
        QCOMPARE(app.prompt.notices(), QStringList());
    }

    void aStartDoesNotRewriteTheSettingsFile() {
        GuiFixture app;
        QDir().mkpath(QFileInfo(app.settings).absolutePath());
        QFile f(app.settings);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("; my notes\r\n[Startup]\r\nStartTut=0\r\n[Custom]\r\nCustom1=Caf\xE9\r\n");
        f.close();
        const QByteArray before = app.settingsBytes();
        const QDateTime written = QFileInfo(app.settings).lastModified();
        QTest::qWait(20);
        QVERIFY(app.start());
        QCOMPARE(ctl<QLabel>(app.form, "lblUser1")->text(), QString::fromUtf8("Caf\u00e9"));
        QCOMPARE(app.settingsBytes(), before);
        QCOMPARE(QFileInfo(app.settings).lastModified(), written);
    }

    void aDamagedTableIsExplained() {
        GuiFixture app;
        QFile f(app.data + "VIDEO.DBF");
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.write(QByteArray(32, '\x7f'));
        f.close();
        QVERIFY(!app.start());
        QCOMPARE(app.prompt.asked.size(), 1);
        QVERIFY2(app.prompt.asked[0].text.contains("VIDEO.DBF"),
                 qPrintable(app.prompt.asked[0].text));
        QCOMPARE(app.prompt.asked[0].icon, rk::fw::Icon::Error);
    }

    void aMissingCategoriesTableIsExplained() {
        GuiFixture app;
        QFile::remove(app.data + "Cats.dbf");
        QVERIFY(!app.start());
        QVERIFY2(app.prompt.asked.value(0).text.contains("Cats.dbf"),
                 qPrintable(app.prompt.asked.value(0).text));
    }

    void aSecondInstanceOnTheSameFolderIsRefusedAndBringsTheFirstToTheFront() {
        GuiFixture app;
        QVERIFY(app.start());
        // The first one's socket is in the user's own runtime folder, not the shared /tmp.
        const QFileInfo socket(TForm1::instanceServerName(app.data));
        QVERIFY2(socket.exists(), qPrintable(socket.filePath()));
        QCOMPARE(QFileInfo(socket.path()).permissions() &
                     (QFile::ReadOther | QFile::WriteOther | QFile::ExeOther | QFile::ReadGroup |
                      QFile::WriteGroup | QFile::ExeGroup),
                 QFile::Permissions());
        QSignalSpy front(app.form, &TForm1::broughtToFront);
        TForm1 second(app.data);
        QVERIFY(!second.isReady());
        QCOMPARE(app.prompt.asked.last().icon, rk::fw::Icon::Error);
        QVERIFY(app.prompt.asked.last().text.contains("already running"));
        // The first one goes on undisturbed, in front.
        QVERIFY(app.form->titles().isOpen());
        QTRY_COMPARE(front.count(), 1);
    }

    void aSecondProgramOnTheSameFolderIsRefused() {
        GuiFixture app;
        QProcess first;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", app.root.filePath("other-config"));
        env.insert("XDG_DATA_HOME", app.root.filePath("other-data"));
        first.setProcessEnvironment(env);
        first.start(REELKEEPER_PATH, {"--data", app.data});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(app.data + "Reelkeeper.lock"), 30000);
        QVERIFY(!app.start());
        QVERIFY(app.prompt.asked.value(0).text.contains("already running"));
        first.kill();
        first.waitForFinished();
        // Once it is gone, its lock is stale and the folder is free again.
        app.prompt.clear();
        QVERIFY(app.start());
    }

    void unexpectedErrorsGoToTheLog() {
        GuiFixture app;
        QVERIFY(app.start());
        app.form->MyException("test", "something odd");
        QFile log(app.root.filePath("reelkeeper.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("test: something odd"));
        QVERIFY(app.prompt.messages().isEmpty());
    }

    void theTipWindowShowsWhenTheTipFileSaysSo() {
        GuiFixture app;
        QFile tod(app.data + "tod.dat");
        QVERIFY(tod.open(QIODevice::WriteOnly));
        tod.write("1\r\nFirst tip\r\nSecond tip\r\n");
        tod.close();
        QVERIFY(app.start());
        QTRY_VERIFY(app.form->findChild<QDialog*>("TipWindow"));
        app.stop();

        GuiFixture off;
        QFile tod0(off.data + "tod.dat");
        QVERIFY(tod0.open(QIODevice::WriteOnly));
        tod0.write("0\r\nFirst tip\r\n");
        tod0.close();
        QVERIFY(off.start());
        QTest::qWait(50);
        QVERIFY(!off.form->findChild<QDialog*>("TipWindow"));
    }

    void pasteIsOfferedExactlyWhenTheClipboardHoldsText() {
        GuiFixture app;
        QVERIFY(app.start());
        QApplication::clipboard()->setText("Brazil");
        emit ctl<QMenu>(app.form, "Special1")->aboutToShow();
        QVERIFY(ctl<QAction>(app.form, "Paste1")->isEnabled());
        QApplication::clipboard()->clear();
        emit ctl<QMenu>(app.form, "Help1")->aboutToShow();
        QVERIFY(!ctl<QAction>(app.form, "Paste1")->isEnabled());
    }

    void theHelpAboutAndWebCommands() {
        GuiFixture app;
        QVERIFY(app.start());
        app.prompt.clear();
        ctl<QAction>(app.form, "Contents1")->trigger();
        ctl<QAction>(app.form, "Tutorial1")->trigger();
        QCOMPARE(app.prompt.helpTopics(), QStringList({"MainTopic", "Tutorial"}));
        ctl<QAction>(app.form, "Website")->trigger();
        QCOMPARE(app.prompt.helpTopics(), QStringList({"MainTopic", "Tutorial", "MainTopic"}));
        ctl<QAction>(app.form, "About")->trigger();
        QVERIFY(appWindows().aboutBox->isVisible());
        QVERIFY(appWindows().aboutBox->isModal());
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
