#include "appwindows.h"

#include "aboutwindow.h"
#include "appearance.h"
#include "colprtform.h"
#include "findform.h"
#include "form1.h"
#include "frmlabels.h"
#include "importexport.h"
#include "masterform.h"
#include "modcats.h"
#include "navform.h"
#include "newgrid.h"
#include "playerform.h"
#include "prefform.h"
#include "printdiag.h"
#include "reportform.h"
#include "sidedata.h"
#include "statsform.h"

#include <QApplication>

AppWindows& appWindows() {
    static AppWindows windows;
    return windows;
}

TForm1* createWindows(const QString& dataFolder) {
    AppWindows& w = appWindows();
    w.form1 = new TForm1(dataFolder);
    if (!w.form1->isReady()) return w.form1;
    w.modCats = new TModCats(w.form1->listsHost(), w.form1);
    w.prefForm = new TPrefForm(
        w.form1->dataFolder(),
        [form1 = w.form1](const rk::prefs::Appearance& a) {
            if (form1) form1->applyAppearance(a);
        },
        w.form1);
    w.reportForm = new rk::print::TReportForm(w.form1);
    w.reportForm->setCoverSource([form = w.form1](uint32_t recno) {
        auto path = form->catalogue().sideData().cover(recno);
        return path ? QString::fromStdString(*path) : QString();
    });
    w.navForm = new TNavForm(w.form1);
    TForm1* form = w.form1;
    w.printDiag = new rk::print::TPrintDiag(w.reportForm,
                                            {form->titlesData(), form->dataFolder(),
                                             [form] { return form->userFieldCaptions(); },
                                             [] {
                                                 if (appWindows().colPrtForm)
                                                     appWindows().colPrtForm->execute();
                                             }},
                                            form);
    auto* about = new rk::AboutWindow(w.form1);
    about->setObjectName(QStringLiteral("AboutBox"));
    w.aboutBox = about;
    w.newGrid = new TNewGrid(w.form1);
    w.findForm = new TFindForm(w.form1);
    w.frmLabels = new TfrmLabels(w.form1->titlesData(), w.form1);
    w.importExport = new TImportExport(w.form1->titlesData(), &w.form1->catalogue(),
                                       w.form1->dataFolder(), w.form1);
    w.player = new TfrmPlayer(w.form1);
    w.colPrtForm = new rk::print::TColPrtForm(
        {form->titlesData(), form->dataFolder(), [form] { return form->userFieldCaptions(); }},
        form);
    w.masterForm = new TMasterForm(w.form1->titlesData(), w.form1);
    w.statsForm = new TStatsForm(w.form1);
    return w.form1;
}

void destroyWindows() {
    AppWindows& w = appWindows();
    delete w.statsForm;
    delete w.masterForm;
    delete w.importExport;
    delete w.player; // no parent: it stays on the screen while the program is minimized
    delete w.colPrtForm;
    delete w.frmLabels;
    delete w.findForm;
    delete w.newGrid;
    delete w.aboutBox;
    delete w.printDiag;
    delete w.navForm;
    delete w.reportForm;
    delete w.prefForm;
    delete w.modCats;
    delete w.form1;
    w = AppWindows{};
}

TForm1* switchCatalogue(const QString& dataFolder) {
    const QString left = appWindows().form1 ? appWindows().form1->dataFolder() : QString();
    // The program goes on while no window shows.
    const bool quitOnLast = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    destroyWindows();
    TForm1* form = createWindows(dataFolder);
    if (!form->isReady() && !left.isEmpty()) {
        destroyWindows();
        form = createWindows(left);
    }
    QGuiApplication::setQuitOnLastWindowClosed(quitOnLast);
    if (!form->isReady()) {
        destroyWindows();
        QCoreApplication::exit(1);
        return nullptr;
    }
    form->show();
    form->activateWindow();
    return form;
}
