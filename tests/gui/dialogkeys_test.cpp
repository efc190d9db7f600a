// The keyboard in the secondary windows: F1 asks for a help topic the program has in each
// of them.
#include "guifixture.h"

#include "colprtform.h"
#include "findform.h"
#include "frmlabels.h"
#include "helpviewer.h"
#include "importexport.h"
#include "masterform.h"
#include "modcats.h"
#include "newgrid.h"
#include "prefform.h"
#include "printdiag.h"
#include "statsform.h"

#include <QTest>

namespace {

struct KeysApp : GuiFixture {
    KeysApp() {
        if (!start()) qFatal("no main window");
        prompt.clear();
    }

    QList<QWidget*> secondaryWindows() const {
        const AppWindows& w = appWindows();
        return {w.modCats,    w.prefForm,     w.newGrid,    w.findForm,  w.frmLabels,
                w.masterForm, w.importExport, w.colPrtForm, w.printDiag, w.statsForm};
    }
};

} // namespace

class DialogKeysTest : public QObject {
    Q_OBJECT

private slots:
    void f1InEachSecondaryWindowAsksForAHelpTopicThatExists() {
        KeysApp app;
        for (QWidget* window : app.secondaryWindows()) {
            QVERIFY(window);
            window->show();
            window->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), window);
            const qsizetype before = app.prompt.helpTopics().size();
            QTest::keyClick(window, Qt::Key_F1);
            const QStringList topics = app.prompt.helpTopics();
            QVERIFY2(topics.size() == before + 1, qPrintable(window->objectName()));
            QVERIFY2(!rk::fw::helpPagePath(topics.last()).isEmpty(), qPrintable(topics.last()));
            window->hide();
        }
    }
};

QTEST_MAIN(DialogKeysTest)
#include "dialogkeys_test.moc"
