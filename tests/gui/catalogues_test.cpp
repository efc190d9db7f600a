// Catalogues: another folder opened from the File menu (the windows are made again on it,
// the recent list remembers both, a folder in use is refused, a folder that cannot be opened
// leaves the user on the old one), and the pocket catalogue of the titles in view.
#include "collectionhelpers.h"

#include <QLockFile>
#include <QMenu>

namespace {

// Runs the queued switch of catalogue and points the fixture at the new main window.
void settle(GuiFixture& app) {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    app.form = appWindows().form1;
}

} // namespace

class CataloguesTest : public QObject {
    Q_OBJECT

private slots:
    void anotherFolderOpensAndTheRecentListKeepsBoth() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        const QString other = app.root.filePath(QStringLiteral("other")) + QLatin1Char('/');
        QVERIFY(rk::catalogue::createEmpty(other.toStdString()).isOk());

        app.prompt.answer(other);
        app.form->OpenCatalogue1Click();
        settle(app);
        QVERIFY(app.form);
        QCOMPARE(app.form->dataFolder(), other);
        QVERIFY(app.form->isVisible());
        QCOMPARE(app.form->titles().recCount(), 0u);
        QCOMPARE(app.readSetting("Catalogues", "Recent1"), other);
        QCOMPARE(app.readSetting("Catalogues", "Recent2"), app.data);

        // The recent list offers the first folder again, the open one checked and disabled.
        auto* recent = ctl<QMenu>(app.form, "RecentCatalogues1");
        QMetaObject::invokeMethod(recent, "aboutToShow");
        QCOMPARE(recent->actions().size(), 2);
        QVERIFY(!recent->actions()[0]->isEnabled() && recent->actions()[0]->isChecked());
        recent->actions()[1]->trigger();
        settle(app);
        QCOMPARE(app.form->dataFolder(), app.data);
        QVERIFY(app.form->titles().recCount() > 70);
    }

    void aFolderInUseIsRefusedAndOneThatCannotOpenLeavesTheOld() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        const QString busy = app.root.filePath(QStringLiteral("busy")) + QLatin1Char('/');
        QVERIFY(rk::catalogue::createEmpty(busy.toStdString()).isOk());
        QLockFile held(busy + QStringLiteral("Reelkeeper.lock")); // another program's
        QVERIFY(held.tryLock(0));
        TForm1* before = app.form;
        app.form->openCatalogueFolder(busy);
        settle(app);
        QCOMPARE(app.form, before);
        QCOMPARE(app.prompt.count(QStringLiteral("Reelkeeper is already running with the "
                                                 "catalogue in %1.\n\nUse the window that is "
                                                 "open, or close it before opening that "
                                                 "catalogue here.")
                                      .arg(busy)),
                 1);

        // A folder without a catalogue, and the user quits the offer to make one.
        const QString bare = app.root.filePath(QStringLiteral("bare")) + QLatin1Char('/');
        QVERIFY(QDir().mkpath(bare));
        app.prompt.answer(2); // "Quit"
        app.form->openCatalogueFolder(bare);
        settle(app);
        QVERIFY(app.form);
        QCOMPARE(app.form->dataFolder(), app.data);
        QVERIFY(app.form->isReady());
        QVERIFY(app.form->isVisible());
    }

    void thePocketCatalogueHoldsTheTitlesInView() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        f->Marked1Click();
        const int marked = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox4")->model()->rowCount();
        QVERIFY(marked > 0);
        const QString file = app.root.filePath(QStringLiteral("pocket"));
        app.prompt.answer(file);
        f->ExportPocket1Click();
        QFile page(file + QStringLiteral(".html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        // One line of data per title.
        QCOMPARE(html.count(QRegularExpression(QStringLiteral("\n\\[\""))), marked);
        QCOMPARE(app.prompt.messages().size(), 1);
        QVERIFY(app.prompt.messages()[0].startsWith(QString("%1 titles were written").arg(marked)));
    }
};

QTEST_MAIN(CataloguesTest)
#include "catalogues_test.moc"
