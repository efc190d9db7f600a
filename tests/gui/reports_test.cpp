// Printing from the main window: the print request dialog with its scopes, the standard
// report's preview saved as PDF, and the custom report builder (fields, widths, totals,
// layout files, its saved settings).
#include "collectionhelpers.h"

#include "collection.h"
#include "colprtform.h"
#include "duallistdialog.h"
#include "hruler.h"
#include "modal.h"
#include "previewcommands.h"
#include "printdiag.h"
#include "printersetup.h"
#include "reportform.h"
#include "sidedata.h"
#include "tpageprinter.h"

#include <QAction>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

using rk::fw::Button;
using rk::print::TColPrtForm;
using rk::print::TPrintDiag;
using rk::print::TReportPreview;

namespace {

QString pdfText(const QString& file) {
    QProcess p;
    p.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")),
            {QStringLiteral("-layout"), file, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The titles the table shows, in its order.
QStringList visibleTitles(rk::store::Table& t) {
    std::vector<uint32_t> records;
    if (!t.visibleRecords(&records).isOk()) return {};
    QStringList out;
    for (uint32_t r : records)
        out << collection::stored(t, r, "TITLE");
    return out;
}

// Works the modal windows that open, each kind with its function, for as long as it lives.
struct Runners {
    std::function<void(TPrintDiag&)> printDiag;
    std::function<void(TReportPreview&)> preview;
    std::function<void(TColPrtForm&)> builder;
    Runners() {
        rk::fw::setModalRunner([this](QDialog& d) {
            d.show();
            if (auto* p = qobject_cast<TPrintDiag*>(&d); p && printDiag) printDiag(*p);
            if (auto* p = qobject_cast<TReportPreview*>(&d); p && preview) preview(*p);
            if (auto* b = qobject_cast<TColPrtForm*>(&d); b && builder) builder(*b);
        });
    }
    ~Runners() { rk::fw::setModalRunner(nullptr); }
};

} // namespace

class ReportsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
    }

    void selectedTitleAndCategoryPrintExactlyThat() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        const auto alien = collection::recordsWhere(f->titles(), "TITLE", "Alien");
        QCOMPARE(alien.size(), size_t(1));
        QVERIFY(f->titlesData()->goTo(alien[0]).isOk());
        Runners runners;
        int previews = 0;
        auto scope = [&](int item) {
            runners.printDiag = [item](TPrintDiag& d) {
                d.setPrintItem(item);
                d.Radio2->setChecked(true);
                d.BitBtn3->click();
            };
        };
        runners.preview = [&](TReportPreview&) { ++previews; };
        scope(0); // Selected Title: "Aliens" is another title
        ctl<QAbstractButton>(f, "PrintBut")->click();
        QCOMPARE(visibleTitles(f->titles()), QStringList{"Alien"});
        QCOMPARE(previews, 1);

        // A title without a category: said, and nothing printed.
        QVERIFY(f->titlesData()->setText("CATEGORY", QString()).isOk());
        QVERIFY(f->titlesData()->post().isOk());
        app.prompt.clear();
        scope(1);
        ctl<QAbstractButton>(f, "PrintBut")->click();
        QCOMPARE(previews, 1);
        QCOMPARE(app.prompt.messages().size(), 1);
        QVERIFY(app.prompt.messages()[0].contains("no category"));
    }

    void theStandardReportPrintsTheChosenScopeAndKeepsItsQuery() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        const QString category = f->titlesData()->text("CATEGORY");
        const QString pdf = app.root.filePath(QStringLiteral("category.pdf"));
        Runners runners;
        QString request, previewed;
        runners.printDiag = [&](TPrintDiag& d) {
            d.Edit1->setText(QStringLiteral("Our Films"));
            d.setPrintItem(1); // Selected Category
            d.Radio2->setChecked(true);
            d.BitBtn3->click();
        };
        runners.preview = [&](TReportPreview& p) {
            app.prompt.answer(pdf);
            p.butSavePdf->click();
            previewed = p.lblPage->text();
        };
        ctl<QAbstractButton>(f, "PrintBut")->click();
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("Print Request: CATEGORY")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Our Films")));
        QVERIFY(text.contains(QStringLiteral("Printed at ")));
        // Exactly the category's titles, in the view's order; the query stays.
        const QStringList titles = visibleTitles(f->titles());
        QVERIFY(!titles.isEmpty());
        QCOMPARE(int(titles.size()),
                 int(collection::recordsWhere(f->titles(), "CATEGORY", category).size()));
        for (const QString& t : titles)
            QVERIFY2(text.contains(t.left(20)), qPrintable(t));
        QVERIFY(previewed.startsWith(QStringLiteral("1 of ")));

        // "All Entries" next: the plain request label, every title, no date.
        runners.printDiag = [&](TPrintDiag& d) {
            QCOMPARE(d.Edit1->text(), QStringLiteral("Our Films")); // kept from the last use
            d.setPrintItem(3);
            d.Radio3->setChecked(true);
            d.BitBtn3->click();
        };
        ctl<QAction>(f, "PrintReport1")->trigger();
        const QString all = pdfText(pdf);
        QVERIFY(all.contains(QStringLiteral("Print Request")));
        QVERIFY(!all.contains(QStringLiteral("Print Request:")));
        QVERIFY(!all.contains(QStringLiteral("Printed at")));
        QVERIFY(f->titles().queryText().empty());
        QCOMPARE(int(visibleTitles(f->titles()).size()), int(f->titles().count()));
    }

    void noMarkedTitlesIsToldAndNothingChanges() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        QVERIFY(rk::store::clearMarks(f->titles()).isOk());
        f->titlesData()->refresh();
        const std::string before = f->titles().queryText();
        Runners runners;
        bool stayedOpen = false;
        int previews = 0;
        runners.preview = [&](TReportPreview&) { ++previews; };
        runners.printDiag = [&](TPrintDiag& d) {
            d.setPrintItem(2); // Marked Entries
            d.BitBtn3->click();
            stayedOpen = d.result() != QDialog::Accepted;
            d.BitBtn2->click(); // Cancel
        };
        app.prompt.clear();
        f->BitBtn1Click();
        QCOMPARE(app.prompt.messages(), QStringList{"There are no Marked entries to print!"});
        QVERIFY(stayedOpen);
        QCOMPARE(previews, 0);
        QCOMPARE(f->titles().queryText(), before);
        QCOMPARE(appWindows().printDiag->printItem(), 2); // the choice stays for next time
    }

    // Every report window offers the print dialog (whose print-to-file choice writes a PDF
    // with no printer installed) and "Save as PDF...": the builder and the standard report.
    void theBuilderAndTheStandardReportPrintThroughTheDialogAndSavePdf() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        QPrinter& printer = rk::print::PrinterSetup::shared().printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString printed = app.root.filePath(QStringLiteral("printed.pdf"));
        const QString saved = app.root.filePath(QStringLiteral("saved.pdf"));
        Runners runners;
        runners.builder = [&](TColPrtForm& b) {
            b.butPreview->click();
            printer.setOutputFileName(printed);
            app.prompt.answer(false); // the print dialog cancelled: nothing printed
            b.butPrint->click();
            QVERIFY(!QFile::exists(printed));
            app.prompt.answer(true);
            b.butPrint->click();
            app.prompt.answer(saved);
            ctl<QAction>(&b, "SaveAsPdf1")->trigger();
        };
        app.prompt.clear();
        ctl<QAbstractButton>(f, "ReportsBut")->click();
        QCOMPARE(app.prompt.asked[1].kind, QString("print"));
        const QRegularExpression countLine(QStringLiteral("Entr(y|ies) Printed"));
        QVERIFY(pdfText(printed).contains(countLine));
        QVERIFY(pdfText(saved).contains(countLine));

        const QString report = app.root.filePath(QStringLiteral("report.pdf"));
        runners.printDiag = [&](TPrintDiag& d) {
            d.setPrintItem(3);
            app.prompt.answer(report);
            ctl<QPushButton>(&d, "butSavePdf")->click();
        };
        f->BitBtn1Click();
        QVERIFY(pdfText(report).contains("Print Request"));
        // Its side margins keep a PDF's quarter inch (18 points): nothing starts nearer.
        QProcess p;
        p.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")),
                {QStringLiteral("-bbox"), report, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(30000));
        const QString boxes = QString::fromUtf8(p.readAllStandardOutput());
        double left = 1e9;
        for (const auto& m :
             QRegularExpression(QStringLiteral("xMin=\"([0-9.]+)\"")).globalMatch(boxes))
            left = std::min(left, m.captured(1).toDouble());
        QVERIFY2(left >= 18 && left < 40, qPrintable(QString::number(left)));
    }

    // With "Include covers" the standard report's PDF holds the one stored front cover;
    // without it, no picture at all.
    void theStandardReportPrintsCoversOnlyWhenAsked() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdfimages")).isEmpty())
            QSKIP("pdfimages is not installed");
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        const QString poster = app.root.filePath(QStringLiteral("poster.png"));
        QImage image(200, 300, QImage::Format_RGB32);
        image.fill(QColor(200, 40, 40));
        QVERIFY(image.save(poster, "PNG"));
        QVERIFY(f->catalogue().sideData().setCover(1, poster.toStdString()).isOk());
        auto imagesIn = [&](bool covers) {
            const QString pdf =
                app.root.filePath(covers ? QStringLiteral("on.pdf") : QStringLiteral("off.pdf"));
            Runners runners;
            runners.printDiag = [&](TPrintDiag& d) {
                d.setPrintItem(3);
                d.chkCovers->setChecked(covers);
                app.prompt.answer(pdf);
                d.butSavePdf->click();
            };
            f->BitBtn1Click();
            QProcess p;
            p.start(QStandardPaths::findExecutable(QStringLiteral("pdfimages")),
                    {QStringLiteral("-list"), pdf});
            p.waitForFinished(30000);
            const QStringList rows = QString::fromUtf8(p.readAllStandardOutput())
                                         .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            int count = 0;
            for (const QString& row : rows)
                if (row.simplified().section(QLatin1Char(' '), 2, 2) == QLatin1String("image"))
                    ++count;
            return rows.size() >= 2 ? count : -1; // -1: no listing (no PDF)
        };
        QCOMPARE(imagesIn(true), 1);
        QCOMPARE(imagesIn(false), 0);
    }

    void theBuilderBuildsTheViewWithItsColumnsAndTotals() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        const QString pdf = app.root.filePath(QStringLiteral("custom.pdf"));
        const int visible = int(f->titles().count());
        const rk::Result<double> value = rk::store::collectionValue(f->titles(), '.');
        QVERIFY(value.isOk());
        QVERIFY(f->titlesData()->first().isOk());
        QVERIFY(f->titlesData()->next().isOk());
        const uint32_t current = f->titlesData()->recNo();
        Runners runners;
        QString pages;
        QList<int> widths;
        runners.builder = [&](TColPrtForm& b) {
            pages = b.lblPage->text();
            // Five fields after two, by the detail pages' captions: the first two keep their
            // widths, the others are new.
            QVERIFY(b.DualListDialog1->sourceItems().contains("Shelf"));
            QTimer::singleShot(0, b.DualListDialog1, [&] {
                b.DualListDialog1->setDestinationItems(
                    {"Title", "Category", "Release Year", "Price", "Close Captioned"});
                b.DualListDialog1->accept();
            });
            b.butSelect->click();
            for (int i = 0; i < b.HC1->count(); ++i)
                widths << b.HC1->sectionSize(i);
            b.chkPriceTotal->setChecked(true);
            // The details in a colour of the font dialog.
            app.prompt.answer(QVariantList{QFont("DejaVu Sans", 8), QColor(200, 0, 0)});
            b.BitBtn3->click();
            QCOMPARE(b.layout().detailsFont.toReportFont().color, QColor(200, 0, 0));
            b.butPreview->click();
            // The ruler's 0 stands over the paper's left edge.
            const auto pageLeft = [&] {
                return b.Prn->viewport()
                    ->mapTo(&b, QPoint(qRound(b.Prn->pageInViewport().left()), 0))
                    .x();
            };
            QTRY_COMPARE(b.ruler->mapTo(&b, QPoint(0, 0)).x(), pageLeft());
            app.prompt.answer(pdf);
            rk::print::savePagesAsPdf(*b.Prn, &b, app.root.path());
            b.Prn->Clear();
            b.butPrint->click();
        };
        app.prompt.clear();
        ctl<QLabel>(f, "lblUser1")->setText("Shelf"); // as the preferences name it
        ctl<QAbstractButton>(f, "ReportsBut")->click();
        QCOMPARE(f->titlesData()->recNo(), current); // the report's walk leaves no trace
        QCOMPARE(app.prompt.helpTopics(), QStringList{"Custom_Reports"}); // on the first use
        QVERIFY(pages.endsWith(QStringLiteral(" of ") + pages.section(' ', -1)));
        QCOMPARE(widths, (QList<int>{50, 150, 125, rk::print::defaultSectionWidth("Year"),
                                     rk::print::defaultSectionWidth("Price"),
                                     rk::print::defaultSectionWidth("Close_Capt")}));
        QCOMPARE(app.prompt.messages().last(),
                 QStringLiteral("There is nothing to print.  Click Preview first."));
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("%1 Entries Printed").arg(visible)),
                 qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Total Value is $") +
                              QString::number(value.value(), 'f', 2)));
        // The captions are the column titles, wrapped between words.
        for (const char* word : {"Release", "Year", "Close", "Captioned"})
            QVERIFY2(text.contains(QRegularExpression(QStringLiteral("\\b%1\\b").arg(word))), word);
        // Closed captions show as Yes and No in the builder.
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral("\\b(Yes|No)\\s*$"),
                                                  QRegularExpression::MultilineOption)),
                 qPrintable(text));
        // The settings are kept; the help opens by itself only once.
        QCOMPARE(app.readSetting("CustReport", "chkPriceTotal_Checked"), QStringLiteral("True"));
        QCOMPARE(app.readSetting("CustReport", "StartHelp"), QStringLiteral("0"));
    }

    void layoutFilesOpenWhatWasSavedAndRefuseOtherFiles() {
        GuiFixture app;
        QVERIFY(collection::start(app));
        TForm1* f = app.form;
        const QString file = app.root.filePath(QStringLiteral("westerns.rkr"));
        const QString other = app.root.filePath(QStringLiteral("notes.txt"));
        QFile junk(other);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("just some notes\n");
        junk.close();
        Runners runners;
        runners.builder = [&](TColPrtForm& b) {
            b.editTitle->setText(QStringLiteral("Westerns"));
            b.spinLeft->setValue(0.75);
            b.HC1->resizeSection(1, 240);
            b.butLandscape->click();
            app.prompt.answer(QString(file).chopped(4)); // the extension is added
            b.Save1->trigger();
            QCOMPARE(b.windowTitle(), QStringLiteral("Custom Report Builder - westerns.rkr"));

            b.editTitle->setText(QStringLiteral("Something else"));
            b.HC1->resizeSection(1, 90);
            b.butPortrait->click();
            // Open asks before it discards the changes: Cancel keeps them and opens nothing.
            const qsizetype asked = app.prompt.asked.size();
            app.prompt.answer(Button::Cancel);
            b.Open1->trigger();
            QCOMPARE(app.prompt.asked.size(), asked + 1);
            QCOMPARE(app.prompt.asked.last().buttons, rk::fw::Buttons::YesNoCancel);
            app.prompt.answer(Button::No).answer(other);
            b.Open1->trigger();
            QCOMPARE(b.editTitle->text(), QStringLiteral("Something else"));
            QCOMPARE(b.HC1->sectionSize(1), 90);

            app.prompt.answer(Button::No).answer(file);
            b.Open1->trigger();
            QCOMPARE(b.editTitle->text(), QStringLiteral("Westerns"));
            QCOMPARE(b.HC1->sectionSize(1), 240);
            QVERIFY(b.butLandscape->isChecked());
            QCOMPARE(b.HC1->width(), 1055);
            QCOMPARE(b.Prn->Orientation(), rk::print::poLandscape);
            QVERIFY(b.Prn->PageCount() > 0);
            // Opened and not changed since: nothing to ask.
            const qsizetype before = app.prompt.asked.size();
            app.prompt.answer(file);
            b.Open1->trigger();
            QCOMPARE(app.prompt.asked.size(), before + 1);
            QCOMPARE(app.prompt.asked.last().kind, QStringLiteral("open"));

            b.ZoomList->setEditText(QStringLiteral("abc%"));
            b.ZoomListKeyPress();
        };
        app.prompt.clear();
        f->ReportBuilder1Click();
        QVERIFY(app.prompt.messages().contains(
            QStringLiteral("notes.txt is not a report layout file.")));
        QCOMPARE(app.prompt.messages().last(),
                 QStringLiteral("'abc%' is not a valid integer value"));
        QCOMPARE(app.readSetting("CustReport", "spinLeft_Value"), QStringLiteral("0.75"));
    }
};

QTEST_MAIN(ReportsTest)
#include "reports_test.moc"
