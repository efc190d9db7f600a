// The set of titles in force: the status bar's count follows the list through adds, deletes
// and a pack; a print request and a search name the set they leave in force, over the lists
// and in the count; the export page names the set it writes and the message its count.
#include "collectionhelpers.h"

#include "importexport.h"
#include "printdiag.h"
#include "reportform.h"

#include <QAction>
#include <QLabel>

using namespace collection;
using rk::fw::Button;

namespace {

QString headingOf(TForm1* f, const char* list) {
    for (QLabel* l : f->findChildren<QLabel*>())
        if (l->buddy() && l->buddy()->objectName() == QLatin1String(list)) return l->text();
    return QStringLiteral("<no heading>");
}

} // namespace

class SetInForceTest : public QObject {
    Q_OBJECT

private slots:
    void theCountFollowsAddsDeletesAndAPack() {
        GuiFixture app;
        QVERIFY(start(app));
        TForm1* f = app.form;
        f->ViewAll1Click();
        const uint32_t all = f->titles().count();
        QVERIFY(addTitle(f, "Brief Encounter", "Drama") > 0);
        QCOMPARE(f->statusPanelText(0), QString("Total Entries: %1").arg(all + 1));
        app.prompt.answer(Button::Yes);
        f->TrashButClick();
        app.prompt.answer(Button::Yes);
        f->TrashButClick();
        QCOMPARE(f->statusPanelText(0), QString("Total Entries: %1").arg(all - 1));
        app.prompt.answer(Button::Yes);
        f->PackDatabase1Click();
        QCOMPARE(f->titles().recCount(), all - 1);
        QCOMPARE(f->statusPanelText(0), QString("Total Entries: %1").arg(all - 1));
    }

    void aPrintRequestAndASearchNameTheSetTheyLeave() {
        GuiFixture app;
        QVERIFY(start(app));
        TForm1* f = app.form;
        f->ViewAll1Click();
        const size_t marked = recordsWhere(f->titles(), "MARKED", "T").size();
        QVERIFY(marked > 1 && marked < f->titles().count());
        rk::fw::setModalRunner([](QDialog& d) {
            if (auto* p = qobject_cast<rk::print::TPrintDiag*>(&d)) {
                p->setPrintItem(2); // Marked Entries
                p->BitBtn3->click();
            }
        });
        ctl<QAction>(f, "PrintReport1")->trigger();
        QCOMPARE(f->titles().count(), uint32_t(marked));
        QCOMPARE(f->statusPanelText(0), QString("Marked Entries: %1").arg(marked));
        QCOMPARE(headingOf(f, "DBLookupListBox2"), QString("Printed: Marked Entries"));

        // The export writes that set and says so.
        QString named;
        rk::fw::setModalRunner([&](QDialog& d) {
            named = ctl<QLabel>(&d, "ExportSet")->text();
            ctl<QPushButton>(&d, "BitBtn1")->click();
        });
        app.prompt.clear();
        app.prompt.answer(app.data + "marked.csv");
        ctl<QAction>(f, "ImportExport1")->trigger();
        QVERIFY2(named.contains("Printed: Marked Entries") &&
                     named.contains(QString("%1 titles").arg(marked)),
                 qPrintable(named));
        QCOMPARE(app.prompt.messages().last(),
                 QString("%1 titles written to %2").arg(marked).arg(app.data + "marked.csv"));
        QCOMPARE(size_t(fileBytes((app.data + "marked.csv").toStdString()).count('\n')), marked);

        rk::fw::setModalRunner(nullptr);
        {
            FindAnswer warmUp("warm-up"); // the first search builds the index
            ctl<QAction>(f, "Find1")->trigger();
            FindAnswer answer("Spielberg", 4);
            ctl<QAction>(f, "Find1")->trigger();
        }
        QVERIFY(f->titles().count() > 0);
        QCOMPARE(f->statusPanelText(0), QString("Search Matches: %1").arg(f->titles().count()));
        QCOMPARE(headingOf(f, "DBLookupListBox3"), QString("Found: Spielberg"));
    }
};

QTEST_MAIN(SetInForceTest)
#include "setinforce_test.moc"
