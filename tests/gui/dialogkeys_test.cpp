// The keyboard in the secondary windows: F1 asks for a help topic the program has in each
// of them, and every button and label of the dialogs has a letter (mnemonic) that no other
// control shown with it has.
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

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

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

// The mnemonic letter of a caption ("&Print" gives "P"); empty when it has none.
QString mnemonic(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&')) continue;
        if (caption[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return caption.mid(i + 1, 1).toUpper();
    }
    return {};
}

// The controls that take a mnemonic: buttons with a caption and labels that name a control.
// The page of a tab widget that holds a control (nullptr: the window itself); controls of
// different pages are never shown together, so they may share a letter.
struct Captioned {
    QWidget* control;
    QString caption;
    QWidget* page;
};

QList<Captioned> captioned(QWidget* window) {
    QList<Captioned> out;
    auto pageOf = [window](QWidget* w) -> QWidget* {
        for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
            if (qobject_cast<QStackedWidget*>(p->parentWidget()) &&
                qobject_cast<QTabWidget*>(p->parentWidget()->parentWidget()))
                return p;
        return nullptr;
    };
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        if (b->text().isEmpty() || b->window() != window || b->text() == QLatin1String("..."))
            continue;
        if (qobject_cast<QToolButton*>(b) && b->text().size() <= 1) continue; // arrows
        out.push_back({b, b->text(), pageOf(b)});
    }
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->buddy() && l->window() == window) out.push_back({l, l->text(), pageOf(l)});
    return out;
}

// "caption: why" for each control without a letter, or with one that another control shown
// with it has.
QStringList mnemonicFaults(QWidget* window) {
    QStringList faults;
    const QList<Captioned> all = captioned(window);
    for (const Captioned& c : all) {
        const QString key = mnemonic(c.caption);
        if (key.isEmpty()) {
            faults << c.caption + QStringLiteral(": no letter");
            continue;
        }
        for (const Captioned& other : all)
            if (&other < &c && mnemonic(other.caption) == key &&
                (!c.page || !other.page || c.page == other.page))
                faults << c.caption + QStringLiteral(": the letter of ") + other.caption;
    }
    return faults;
}

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

    void everyButtonAndLabelOfTheDialogsHasALetterOfItsOwn() {
        KeysApp app;
        const AppWindows& w = appWindows();
        QStringList faults;
        for (QWidget* window : QList<QWidget*>{w.printDiag, w.findForm, w.importExport, w.prefForm,
                                               w.modCats, w.frmLabels}) {
            window->show();
            for (const QString& fault : mnemonicFaults(window))
                faults << window->objectName() + QStringLiteral(": ") + fault;
            window->hide();
        }
        // The View menu's commands, Statistics among them.
        QStringList view;
        for (QAction* a : ctl<QMenu>(app.form, "View1")->actions())
            if (!a->isSeparator()) view << a->text();
        QVERIFY(!mnemonic(ctl<QAction>(app.form, "Statistics1")->text()).isEmpty());
        for (qsizetype i = 0; i < view.size(); ++i)
            for (qsizetype j = 0; j < i; ++j)
                if (!mnemonic(view[i]).isEmpty() && mnemonic(view[i]) == mnemonic(view[j]))
                    faults << QStringLiteral("View menu: ") + view[i] + QStringLiteral(", ") +
                                  view[j];
        for (const QString& fault : faults)
            qWarning("%s", qPrintable(fault));
        QCOMPARE(faults.size(), 0);
    }
};

QTEST_MAIN(DialogKeysTest)
#include "dialogkeys_test.moc"
