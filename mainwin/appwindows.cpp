#include "appwindows.h"

#include "aboutwindow.h"
#include "findform.h"
#include "form1.h"
#include "frmlabels.h"
#include "navform.h"
#include "newgrid.h"

AppWindows& appWindows() {
    static AppWindows windows;
    return windows;
}

TForm1* createWindows(const QString& dataFolder) {
    AppWindows& w = appWindows();
    w.form1 = new TForm1(dataFolder);
    if (!w.form1->isReady()) return w.form1;
    // TModCats, TPrefForm, TReportForm: created here when they are built.
    w.navForm = new TNavForm(w.form1);
    // TPrintDiag: created here when it is built.
    auto* about = new rk::AboutWindow(w.form1);
    about->setObjectName(QStringLiteral("AboutBox"));
    w.aboutBox = about;
    w.newGrid = new TNewGrid(w.form1);
    w.findForm = new TFindForm(w.form1);
    w.frmLabels = new TfrmLabels(w.form1->titlesData(), w.form1);
    // TImportExport, TfrmPlayer, TColPrtForm, TMasterForm: created here when they are built.
    return w.form1;
}

void destroyWindows() {
    AppWindows& w = appWindows();
    delete w.frmLabels;
    delete w.findForm;
    delete w.newGrid;
    delete w.aboutBox;
    delete w.navForm;
    delete w.form1;
    w = AppWindows{};
}
