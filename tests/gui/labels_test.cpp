// The label printer's window: picking positions (and clicks that miss), the custom position
// with the face tab in the hidden picker, the face text kept while the spine is shown, field
// lines, the warning for a text taller than its label, what comes out on paper (a PDF from
// the shared printer), and Next and Prev moving the main window's title.
#include "guifixture.h"

#include "frmlabels.h"
#include "gradienttoolbutton.h"
#include "labelpreview.h"
#include "printersetup.h"
#include "spinedit.h"
#include "tpageprinter.h"
#include "transparentpicture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

namespace {

const QString kNoRoom = QStringLiteral("The margins leave no room for text");

struct LabelsApp : GuiFixture {
    TfrmLabels* labels = nullptr;
    QString pdf;

    LabelsApp() {
        if (!start()) qFatal("no main window");
        labels = appWindows().frmLabels;
        labels->show();
        // What the shared printer prints goes to a file of this test.
        pdf = root.filePath(QStringLiteral("label.pdf"));
        QPrinter& printer = rk::print::PrinterSetup::shared().printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    }
    ~LabelsApp() { labels->close(); }

    template <class T> T* c(const char* name) const { return ctl<T>(labels, name); }
    QTextEdit* editor() const { return c<QTextEdit>("RichEdit1"); }
    rk::print::TPagePrinter* prn() const { return c<rk::print::TPagePrinter>("prn"); }
    void clickPicture(const char* picture, QPoint at) {
        QTest::mouseClick(c<rk::TransparentPicture>(picture), Qt::LeftButton, {}, at);
    }
    // Prints and returns the text of the page that came out ("<none>" when none did); the
    // print dialog, when Print reaches it, is confirmed.
    QString print(bool reachesDialog = true) {
        QFile::remove(pdf);
        if (reachesDialog) prompt.answer(true);
        c<QPushButton>("BitBtn4")->click();
        return pdfText(pdf);
    }
    static QString pdfText(const QString& file) {
        if (!QFile::exists(file)) return QStringLiteral("<none>");
        QProcess p;
        p.start(QStringLiteral(RK_PDFTOTEXT), {file, QStringLiteral("-")});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput()).remove(QLatin1Char('\f')).trimmed();
    }
};

} // namespace

class LabelsTest : public QObject {
    Q_OBJECT

private slots:
    void positionsAndTheCustomPositionWithTheFaceTabInTheHiddenPicker() {
        LabelsApp app;
        auto* marker = app.c<QWidget>("butPos");
        // Column 2, row 5 of the face picture.
        app.clickPicture("LrsBmp1", QPoint(80, 160));
        QCOMPARE(app.c<QLineEdit>("EditCol")->text(), QString("2"));
        QCOMPARE(app.c<QLineEdit>("EditRow")->text(), QString("5"));
        const QPoint placed = marker->pos();
        // Between the two columns, and between rows 4 and 5: nothing changes.
        app.clickPicture("LrsBmp1", QPoint(60, 100));
        app.clickPicture("LrsBmp1", QPoint(30, 144));
        QCOMPARE(app.c<QLineEdit>("EditCol")->text(), QString("2"));
        QCOMPARE(app.c<QLineEdit>("EditRow")->text(), QString("5"));
        QCOMPARE(marker->pos(), placed);

        const QString title = app.titleText();
        QCOMPARE(app.print(), title);
        QCOMPARE(app.prn()->MarginLeft(), 4.5);
        QCOMPARE(app.prn()->MarginRight(), 1.0);
        QCOMPARE(app.prn()->MarginTop(), 8.37);
        // The bottom margin, kept within the printer's printable area (a PDF's quarter inch).
        QCOMPARE(app.prn()->MarginBottom(),
                 std::max(1.0 / 6.0, rk::print::PrinterSetup::shared().offsetInches()));

        // The custom position: its values enabled with the box, the picker hidden, the face
        // column still giving the right margin.
        auto* custom = app.c<QCheckBox>("chkCustom");
        auto* hor = app.c<rk::SpinEdit>("SpinHor");
        QVERIFY(!hor->isEnabled());
        custom->click();
        QVERIFY(hor->isEnabled() && app.c<QToolButton>("butSpine")->isEnabled());
        QVERIFY(app.c<QTabWidget>("PageCtrl")->isHidden());
        hor->setValue(2.0);
        app.c<rk::SpinEdit>("SpinVer")->setValue(3.5);
        QCOMPARE(app.print(), title);
        QCOMPARE(app.prn()->MarginLeft(), 2.0);
        QCOMPARE(app.prn()->MarginTop(), 3.5);
        QCOMPARE(app.prn()->MarginRight(), 1.0);

        // A position that leaves no room between the margins is told, and prints nothing.
        app.prompt.clear();
        hor->setValue(7.8);
        QCOMPARE(app.print(), QString("<none>"));
        QCOMPARE(app.prompt.messages(), QStringList{kNoRoom});
        custom->click();
        QVERIFY(!hor->isEnabled() && app.c<QTabWidget>("PageCtrl")->isVisible());

        // The spine picture: the gap before row 6 counts for nothing.
        app.c<QTabWidget>("PageCtrl")->setCurrentIndex(1);
        app.clickPicture("LrsBmp2", QPoint(70, 74));
        QCOMPARE(app.c<QLineEdit>("SpineRow")->text(), QString("6"));
        app.clickPicture("LrsBmp2", QPoint(70, 68));
        QCOMPARE(app.c<QLineEdit>("SpineRow")->text(), QString("6"));
        QVERIFY(app.print().startsWith(title));
        QCOMPARE(app.prn()->MarginTop(), 3.87);
        QCOMPARE(app.prn()->MarginLeft(), 1.5);
        QCOMPARE(app.prn()->MarginRight(), 1.3);

        // The same page saved as a PDF file (named with its extension).
        const QString saved = app.root.filePath("saved");
        app.prompt.answer(saved);
        app.c<QPushButton>("butSavePdf")->click();
        QVERIFY(LabelsApp::pdfText(saved + ".pdf").startsWith(title));
    }

    // The sheets are US Letter: the printout, the PDF and the preview are on Letter paper
    // (612 x 792 points) whatever the printer's own paper, which comes back after printing.
    void theSheetsPaperIsUsedToPrintPreviewAndSave() {
        LabelsApp app;
        QPrinter& printer = rk::print::PrinterSetup::shared().printer();
        printer.setPageSize(QPageSize(QPageSize::A4));
        app.editor()->setPlainText("Letter");
        QVERIFY(app.print().startsWith("Letter"));
        QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::A4);
        const QString saved = app.root.filePath("saved.pdf");
        app.prompt.answer(saved);
        app.c<QPushButton>("butSavePdf")->click();
        for (const QString& file : {app.pdf, saved}) {
            QProcess p;
            p.start(QStringLiteral(RK_PDFINFO), {file});
            QVERIFY(p.waitForFinished(30000));
            QVERIFY2(p.readAllStandardOutput().contains("612 x 792"), qPrintable(file));
        }
        app.c<QPushButton>("butPreview")->click();
        auto* preview = app.labels->findChild<rk::print::LabelPreview*>();
        QVERIFY(preview);
        auto* view = preview->findChild<rk::print::TPagePrinter*>();
        QVERIFY(view);
        const rk::print::PrinterMetrics m = view->Metrics();
        QCOMPARE(double(m.paperWidth) / m.dpiX, 8.5);
        preview->close();
    }

    void theFaceTextComesBackExactlyAfterTheSpine() {
        LabelsApp app;
        QTextEdit* e = app.editor();
        e->setPlainText("Face text\nsecond line");
        // "Face" made bold and larger through the attribute controls.
        QTextCursor cursor(e->document());
        cursor.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
        e->setTextCursor(cursor);
        app.c<QToolButton>("BoldButton")->click();
        app.c<QSpinBox>("FontSize")->setValue(20);
        const QString face = e->document()->toHtml();
        QVERIFY(face.contains("font-weight:700") && face.contains("20pt"));

        // A switch to the face layout while it shows keeps what was typed.
        app.labels->butFaceClick();
        QCOMPARE(e->document()->toHtml(), face);

        auto* sheets = app.c<QTabWidget>("PageCtrl");
        sheets->setCurrentIndex(1);
        const auto* titles = app.form->titlesData();
        QCOMPARE(e->toPlainText(), titles->text("TITLE") + "\n" + titles->text("ID"));
        QVERIFY(app.c<QToolButton>("butSpine")->isChecked());
        // A second switch to the spine does not save the spine text as the face text.
        app.labels->butSpineClick();
        e->append("spine edit");
        sheets->setCurrentIndex(0);
        QCOMPARE(e->document()->toHtml(), face);
        QVERIFY(app.c<QToolButton>("butFace")->isChecked());
    }

    void fieldLinesAndTheirTicks() {
        LabelsApp app;
        auto* list = app.c<QListWidget>("ListBox1");
        QCOMPARE(list->count(), 17);
        QTextEdit* e = app.editor();
        const QString before = e->toPlainText();
        QListWidgetItem* multiSet = list->item(4);
        multiSet->setCheckState(Qt::Checked);
        const QString multi = app.form->titlesData()->logical("MULTI_SET") ? "Yes" : "No";
        QCOMPARE(e->toPlainText(), before + "\nMulti_Set: " + multi);
        const QString added = e->toPlainText();
        multiSet->setCheckState(Qt::Unchecked);
        QCOMPARE(e->toPlainText(), added);

        // A title without a first star: the message, and the tick taken back.
        QVERIFY(app.form->titlesData()->setText("STAR1", QString()).isOk());
        app.prompt.clear();
        QListWidgetItem* stars = list->item(11);
        stars->setCheckState(Qt::Checked);
        QCOMPARE(app.prompt.messages(),
                 QStringList{"There are no stars listed in this movie! What's up?"});
        QCOMPARE(stars->checkState(), Qt::Unchecked);
        QCOMPARE(e->toPlainText(), added);

        // The spine layout takes every tick away.
        multiSet->setCheckState(Qt::Checked);
        app.c<QTabWidget>("PageCtrl")->setCurrentIndex(1);
        for (int i = 0; i < list->count(); ++i)
            QCOMPARE(list->item(i)->checkState(), Qt::Unchecked);
        app.form->titlesData()->cancel();
    }

    void aTextTallerThanItsLabelIsToldBeforePrintingAndAnEmptyOneHasNoText() {
        LabelsApp app;
        QStringList lines;
        for (int i = 1; i <= 30; ++i)
            lines << QString("line %1").arg(i);
        app.editor()->setPlainText(lines.join('\n'));
        app.prompt.clear();
        app.prompt.answer(1); // go back
        QCOMPARE(app.print(false), QString("<none>"));
        QCOMPARE(app.prompt.asked.size(), 1);
        QCOMPARE(app.prompt.asked[0].kind, QString("choose"));
        QVERIFY(app.prompt.asked[0].text.contains(QRegularExpression("runs \\d\\.\\d\\d inch")));
        app.prompt.answer(0); // print anyway
        QVERIFY(app.print().contains("line 30"));

        app.prompt.clear();
        app.editor()->clear();
        QCOMPARE(app.print(), QString());
        QVERIFY(app.prompt.messages().isEmpty());
        // Print asks the print dialog; cancelled, nothing comes out.
        app.prompt.clear();
        app.prompt.answer(false);
        QCOMPARE(app.print(false), QString("<none>"));
        QCOMPARE(app.prompt.asked.last().kind, QString("print"));
    }

    void nextAndPrevMoveTheMainWindowsTitle() {
        LabelsApp app;
        app.labels->close();
        auto* titles = app.form->titlesData();
        QVERIFY(titles->goTo(2).isOk());
        const QString second = app.titleText();
        // The Labels button opens the window on the current title.
        QString shown;
        QTimer::singleShot(0, [&] {
            shown = app.editor()->toPlainText();
            app.c<QPushButton>("BitBtn1")->click();
            app.labels->close();
        });
        ctl<rk::GradientToolButton>(app.form, "LabelBut")->click();
        QCOMPARE(shown, second);
        const QString next = app.titleText();
        QVERIFY(next != second);
        QCOMPARE(app.editor()->toPlainText(), next);
        QCOMPARE(ctl<QLineEdit>(app.form, "DBEdit1")->text(), next);
        app.c<QPushButton>("BitBtn2")->click();
        QCOMPARE(app.titleText(), second);
        QCOMPARE(app.editor()->toPlainText(), second);
    }
};

QTEST_MAIN(LabelsTest)
#include "labels_test.moc"
