// The Import/Export window: opened from the File menu; "Open File..." closes it and keeps the
// file for the rest of the run; the import tells its counts, appends through the main window's
// titles (the views and the full-text index follow) and lets the window repaint while it runs;
// a file that cannot be read appends nothing; the export writes its file or says why.
//
// On request, a screenshot of the window during a 100,000-line import (run under Xvfb):
//   RK_IMPORT_SHOT=/tmp/import.png QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1280x800x24'
//     build/bin/gui_importexport_test takeScreenshotDuringALongImport
#include "guifixture.h"

#include "catalogue_engine.h"
#include "importexport.h"
#include "modal.h"

#include <QAbstractItemView>
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTreeWidget>

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray lines(int count) {
    QByteArray text;
    for (int i = 1; i <= count; ++i)
        text += "Good,VHS,Drama,Quodlibet " + QByteArray::number(i) +
                ",ID,1,1:30,,,A summary of some words,,Prod,Dir,Star One,Star Two\r\n";
    return text;
}

// Runs the window from the File menu with `work` in place of the user.
void run(GuiFixture& app, const std::function<void(TImportExport&)>& work) {
    bool ran = false;
    rk::fw::setModalRunner([&](QDialog& d) {
        ran = true;
        work(static_cast<TImportExport&>(d));
    });
    ctl<QAction>(app.form, "ImportExport1")->trigger();
    rk::fw::setModalRunner(nullptr);
    QVERIFY(ran);
}

// Chooses `path` with "Open File..." (the dialog closes), then opens the window again.
void choose(GuiFixture& app, const QString& path) {
    app.prompt.answer(path);
    run(app, [](TImportExport& d) { ctl<QPushButton>(&d, "butLoad")->click(); });
}

void importFile(GuiFixture& app) {
    run(app, [](TImportExport& d) { ctl<QPushButton>(&d, "butImport")->click(); });
}

} // namespace

class ImportExportTest : public QObject {
    Q_OBJECT

private slots:
    void openFileClosesTheDialogAndTheFileStaysChosen() {
        GuiFixture app;
        QVERIFY(app.start());
        QVERIFY(ctl<QAction>(app.form, "ImportExport1")->isEnabled());
        run(app, [](TImportExport& d) {
            QVERIFY(!ctl<QPushButton>(&d, "butImport")->isEnabled());
            QVERIFY(ctl<QPushButton>(&d, "butLoad")->isDefault());
        });

        const QString file = app.data + "old.dat";
        app.prompt.answer(file);
        int result = -1;
        run(app, [&](TImportExport& d) {
            ctl<QPushButton>(&d, "butLoad")->click();
            result = d.result();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(app.prompt.asked.last().kind, QString("open"));
        // Cancelled the next time: the file chosen before stays, and so does "Begin Import".
        app.prompt.answer(QVariant());
        run(app, [&](TImportExport& d) {
            QVERIFY(ctl<QPushButton>(&d, "butImport")->isEnabled());
            ctl<QPushButton>(&d, "butLoad")->click();
        });
        run(app, [&](TImportExport& d) {
            QCOMPARE(d.importPath(), file);
            QVERIFY(ctl<QPushButton>(&d, "butImport")->isEnabled());
        });
        QCOMPARE(app.prompt.unanswered, 0);
    }

    void theImportTellsItsCountsAndTheTitlesFollow() {
        GuiFixture app;
        {
            rk::catalogue::Catalogue cat;
            QVERIFY(cat.open(app.data.toStdString()).isOk());
            QVERIFY(cat.buildTextIndex().isOk());
        }
        QVERIFY(app.start());
        const uint32_t before = app.form->titles().recCount();
        writeFile(app.data + "old.dat", "Good,VHS,,Zanzibar Nights\r\nnodat,nodat\r\n\r\n");
        choose(app, app.data + "old.dat");
        app.prompt.clear();
        importFile(app);
        QCOMPARE(app.prompt.messages(), QStringList({"3 Records", "2 Fields in this File."}));
        QCOMPARE(app.form->titles().recCount(), before + 3);
        // The lists show the new titles, and the index has them under their record numbers.
        QCOMPARE(ctl<QAbstractItemView>(app.form, "DBLookupListBox4")->model()->rowCount(),
                 int(before + 3));
        auto found = rk::search::searchTitles(app.form->titles(), app.form->ftsPath().toStdString(),
                                              "zanzibar", 1);
        QVERIFY(found.isOk());
        QCOMPARE(found->report.matches, 1u);
    }

    // The comma export is refused with nothing written; a data file shows its first records
    // as they will be stored, and a line that cannot be stored is left out and listed.
    void anotherLayoutIsRefusedAndABadLineIsListed() {
        GuiFixture app;
        QVERIFY(app.start());
        const uint32_t before = app.form->titles().recCount();
        QVERIFY(app.form->titles()
                    .copyFileText((app.data + "all.csv").toStdString(),
                                  rk::store::TextFormat::CommaDelimited)
                    .isOk());
        choose(app, app.data + "all.csv");
        run(app, [](TImportExport& d) {
            QVERIFY(ctl<QLabel>(&d, "ImportNote")->text().contains("more than 18 columns"));
            QVERIFY(ctl<QTreeWidget>(&d, "ImportPreview")->isHidden());
        });
        app.prompt.clear();
        importFile(app);
        QCOMPARE(app.prompt.asked.size(), 1);
        QVERIFY(app.prompt.asked[0].text.contains("Nothing was imported"));
        QCOMPARE(app.form->titles().recCount(), before);

        writeFile(app.data + "old.dat", "Good,VHS,Drama,Alien,ID,5\r\n"
                                        "Fair,VHS,Drama,Big,ID,123456\r\nnodat,,Drama,Cars\r\n");
        choose(app, app.data + "old.dat");
        run(app, [](TImportExport& d) {
            QVERIFY(ctl<QLabel>(&d, "ImportNote")->text().contains("line 2: the counter 123456"));
            auto* preview = ctl<QTreeWidget>(&d, "ImportPreview");
            QCOMPARE(preview->topLevelItemCount(), 2);
            QCOMPARE(preview->topLevelItem(1)->text(0), QString("3"));
            QCOMPARE(preview->topLevelItem(1)->text(1), QString("Empty Title"));
            QCOMPARE(preview->topLevelItem(1)->text(4), QString("Cars"));
        });
        app.prompt.clear();
        importFile(app);
        QCOMPARE(app.form->titles().recCount(), before + 2);
        QCOMPARE(app.prompt.asked.size(), 3);
        QVERIFY(app.prompt.asked[2].text.contains("line 2: the counter 123456"));
        QVERIFY(app.prompt.asked[2].text.startsWith("2 titles were imported"));
    }

    void aFileThatCannotBeReadAppendsNothing() {
        GuiFixture app;
        QVERIFY(app.start());
        const uint32_t before = app.form->titles().recCount();
        choose(app, app.data + "missing.dat");
        app.prompt.clear();
        importFile(app);
        QCOMPARE(app.prompt.asked.size(), 1);
        QCOMPARE(app.prompt.asked[0].icon, rk::fw::Icon::Error);
        QVERIFY(app.prompt.asked[0].text.contains("missing.dat"));
        QCOMPARE(app.form->titles().recCount(), before);
    }

    // The bar moves line by line and the window paints while the import runs; Close and Esc
    // wait until it ends.
    void aLongImportMovesTheBarAndRepaints() {
        GuiFixture app;
        QVERIFY(app.start());
        const uint32_t before = app.form->titles().recCount();
        writeFile(app.data + "old.dat", lines(20000));
        choose(app, app.data + "old.dat");
        int paints = 0, lastValue = 0, closeTries = 0;
        bool increasing = true;
        run(app, [&](TImportExport& d) {
            d.show();
            auto* bar = ctl<QProgressBar>(&d, "Prog");
            struct Painted : QObject {
                int* count;
                bool eventFilter(QObject*, QEvent* e) override {
                    if (e->type() == QEvent::Paint) ++*count;
                    return false;
                }
            } painted;
            painted.count = &paints;
            bar->installEventFilter(&painted);
            QObject::connect(bar, &QProgressBar::valueChanged, &d, [&](int v) {
                increasing = increasing && v >= lastValue;
                lastValue = v;
                if (d.importing() && closeTries++ == 0) {
                    ctl<QPushButton>(&d, "butClose")->click();
                    d.reject();
                }
            });
            ctl<QPushButton>(&d, "butImport")->click();
            bar->removeEventFilter(&painted);
            QVERIFY(d.isVisible());
        });
        QVERIFY(increasing);
        QCOMPARE(lastValue, 20000);
        QVERIFY2(paints > 2, qPrintable(QString::number(paints)));
        QCOMPARE(app.form->titles().recCount(), before + 20000u);
    }

    void theExportWritesItsFileOrSaysWhy() {
        GuiFixture app;
        QVERIFY(app.start());
        auto exportTo = [&](const QVariant& answer, int method) {
            app.prompt.clear();
            app.prompt.answer(answer);
            run(app, [&](TImportExport& d) {
                ctl<QGroupBox>(&d, "radExport")->findChildren<QRadioButton*>()[method]->click();
                ctl<QPushButton>(&d, "BitBtn1")->click();
            });
        };
        exportTo(QVariant(), 0); // cancelled: nothing written, nothing said
        QCOMPARE(app.prompt.asked.size(), 1);
        QVERIFY(!QFile::exists(app.data + "reelkeep.csv"));

        exportTo(app.data + "titles.txt", 1);
        QCOMPARE(app.prompt.asked.size(), 2);
        QCOMPARE(app.prompt.asked[1].icon, rk::fw::Icon::Information);
        QFile written(app.data + "titles.txt");
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray text = written.readAll();
        QCOMPARE(text.count('\n'), qsizetype(app.form->titles().count()));
        QVERIFY(!text.startsWith('"')); // the space layout, as chosen

        exportTo(app.data + "no/such/folder/titles.csv", 0);
        QCOMPARE(app.prompt.asked.size(), 2);
        QCOMPARE(app.prompt.asked[1].icon, rk::fw::Icon::Warning);
        QVERIFY(app.prompt.asked[1].text.contains("no/such/folder"));
    }

    void takeScreenshotDuringALongImport() {
        const QString shot = qEnvironmentVariable("RK_IMPORT_SHOT");
        if (shot.isEmpty()) QSKIP("RK_IMPORT_SHOT is not set");
        GuiFixture app;
        QVERIFY(app.start());
        writeFile(app.data + "old.dat", lines(100000));
        choose(app, app.data + "old.dat");
        bool taken = false;
        run(app, [&](TImportExport& d) {
            d.show();
            QVERIFY(QTest::qWaitForWindowExposed(&d));
            auto* bar = ctl<QProgressBar>(&d, "Prog");
            QObject::connect(bar, &QProgressBar::valueChanged, &d, [&](int v) {
                if (taken || v < 55000) return;
                QCoreApplication::processEvents();
                taken = QGuiApplication::primaryScreen()->grabWindow(0).save(shot);
            });
            app.prompt.answer(rk::fw::Button::Ok).answer(rk::fw::Button::Ok);
            ctl<QPushButton>(&d, "butImport")->click();
        });
        QVERIFY(taken);
    }
};

QTEST_MAIN(ImportExportTest)
#include "importexport_test.moc"
