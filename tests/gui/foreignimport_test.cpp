// "Import from Another Program": a CSV file's columns mapped (guessed, then changed by the
// user), the preview following the mapping, the import adding the titles to the main
// window's titles and reporting; a hostile file told and nothing added.
//
// A screenshot of the window with its preview, and one with its report, on request:
//   RK_FOREIGN_SHOT=/tmp/foreign QT_QPA_PLATFORM=offscreen build/bin/gui_foreignimport_test
#include "guifixture.h"

#include "foreignimport.h"
#include "modal.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void shot(QWidget* w, const char* suffix) {
    const QString base = qEnvironmentVariable("RK_FOREIGN_SHOT");
    if (!base.isEmpty()) w->grab().save(base + QLatin1String(suffix) + QStringLiteral(".png"));
}

void run(GuiFixture& app, const std::function<void(TForeignImport&)>& work) {
    bool ran = false;
    rk::fw::setModalRunner([&](QDialog& d) {
        ran = true;
        work(static_cast<TForeignImport&>(d));
    });
    ctl<QAction>(app.form, "ImportForeign1")->trigger();
    rk::fw::setModalRunner(nullptr);
    QVERIFY(ran);
}

} // namespace

class ForeignImportTest : public QObject {
    Q_OBJECT

private slots:
    void csvColumnsMappedPreviewedAndImported() {
        GuiFixture app;
        QVERIFY(app.start());
        const uint32_t before = app.form->titles().count();
        const QString file = app.data + "list.csv";
        writeFile(file, "Name,Made in,Genre,Notes\r\nAlphaville,1965,Science Fiction,gift\r\n"
                        "Casablanca,1942,Drama,\r\nPlaytime,1967,Comedy; Satire,\r\n");
        app.prompt.answer(file);
        run(app, [&](TForeignImport& d) {
            ctl<QPushButton>(&d, "butOpen")->click();
            auto* preview = ctl<QTableWidget>(&d, "previewTable");
            // "Made in" is not a name we know: the year stays empty until the user maps it.
            QCOMPARE(preview->item(0, 1)->text(), QString());
            auto* year = ctl<QComboBox>(&d, "mapColumn1");
            year->setCurrentIndex(year->findData(QStringLiteral("year")));
            QCOMPARE(preview->item(0, 1)->text(), QStringLiteral("1965"));
            // Casablanca (1942) is in the sample catalogue already.
            QCOMPARE(preview->rowCount(), 2);
            QVERIFY(
                ctl<QLabel>(&d, "countsLabel")->text().contains(QStringLiteral("1 duplicates")));
            shot(&d, "-preview");
            ctl<QPushButton>(&d, "butImport")->click();
            QVERIFY(ctl<QPlainTextEdit>(&d, "reportText")
                        ->toPlainText()
                        .contains(QStringLiteral("Added: 2 titles.")));
            QVERIFY(!ctl<QPushButton>(&d, "butImport")->isEnabled());
            shot(&d, "-report");
        });
        QCOMPARE(app.form->titles().count(), before + 2);
    }

    void aHostileFileIsToldAndAddsNothing() {
        GuiFixture app;
        QVERIFY(app.start());
        const uint32_t before = app.form->titles().count();
        const QString file = app.data + "bomb.xml";
        writeFile(file, "<?xml version=\"1.0\"?><!DOCTYPE root [<!ENTITY a \"aaaa\">]>"
                        "<root><movie><title>&a;</title></movie></root>");
        app.prompt.answer(file);
        run(app, [&](TForeignImport& d) {
            ctl<QPushButton>(&d, "butOpen")->click();
            QVERIFY(!ctl<QPushButton>(&d, "butImport")->isEnabled());
        });
        QCOMPARE(app.prompt.messages().size(), 1);
        QVERIFY(app.prompt.messages().front().contains(QStringLiteral("entities")));
        QCOMPARE(app.form->titles().count(), before);
    }
};

QTEST_MAIN(ForeignImportTest)
#include "foreignimport_test.moc"
