// Timings of the main window on a large catalogue, on request: set RK_BIG_CATALOGUE to a
// data folder (for example one the benchmarks made, copied first: the test edits it).
//   RK_BIG_CATALOGUE=/tmp/rk-1m build/bin/gui_bigcatalogue_test
// Without it the test is skipped.
#include "guifixture.h"

#include "datacontrols.h"
#include "recordlistmodel.h"

#include <QElapsedTimer>
#include <QScrollBar>

class BigCatalogueTest : public QObject {
    Q_OBJECT

    static qint64 timed(const std::function<void()>& f) {
        QElapsedTimer t;
        t.start();
        f();
        QCoreApplication::processEvents();
        return t.elapsed();
    }

private slots:
    void aLargeCatalogueStaysQuick() {
        const QString folder = qEnvironmentVariable("RK_BIG_CATALOGUE");
        if (folder.isEmpty()) QSKIP("RK_BIG_CATALOGUE is not set");
        GuiFixture app(GuiFixture::Catalogue::None);
        app.data = folder + "/";
        app.writeSetting("Startup", "StartTut", "0");
        bool started = false;
        const qint64 start = timed([&] { started = app.start(); });
        QVERIFY(started);
        TForm1* f = app.form;
        const uint32_t n = f->titles().recCount();
        const qint64 viewAll = timed([&] { f->ViewAll1Click(); });
        auto* list = ctl<rk::fw::DBLookupList>(f, "DBLookupListBox2");
        QCOMPARE(uint32_t(list->model()->rowCount()), f->titles().count());
        const qint64 scroll = timed(
            [&] { list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum()); });
        const qint64 last = timed([&] { QVERIFY(f->titlesData()->last().isOk()); });
        const qint64 sortYear = timed([&] { f->Year1Click(); });
        const qint64 marked = timed([&] { f->Marked1Click(); });
        f->ViewAll1Click();
        const qint64 post = timed([&] {
            QVERIFY(f->titlesData()->setText("DIRECTOR", "Timed").isOk());
            f->SaveButClick();
        });
        const qint64 newTitle = timed([&] {
            f->NewButClick();
            QVERIFY(f->titlesData()->setText("TITLE", "A timed new title").isOk());
            f->SaveButClick();
        });
        qInfo("%u titles: start %lld ms, View All %lld ms, scroll to the end %lld ms, last %lld "
              "ms, sort by year %lld ms, Marked %lld ms, save an edit %lld ms, save a new "
              "title %lld ms",
              n, start, viewAll, scroll, last, sortYear, marked, post, newTitle);
        QVERIFY(scroll < 1000);
    }
};

QTEST_MAIN(BigCatalogueTest)
#include "bigcatalogue_test.moc"
