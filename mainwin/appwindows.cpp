#include "appwindows.h"

#include "aboutwindow.h"
#include "colprtform.h"
#include "findform.h"
#include "form1.h"
#include "navform.h"
#include "printdiag.h"
#include "reportform.h"

AppWindows& appWindows() {
    static AppWindows windows;
    return windows;
}

TForm1* createWindows(const QString& dataFolder) {
    AppWindows& w = appWindows();
    w.form1 = new TForm1(dataFolder);
    if (!w.form1->isReady()) return w.form1;
    // TModCats, TPrefForm: created here when they are built.
    w.reportForm = new rk::print::TReportForm(w.form1);
    w.navForm = new TNavForm(w.form1);
    TForm1* form = w.form1;
    w.printDiag = new rk::print::TPrintDiag(w.reportForm, form);
    w.printDiag->setContext({form->titlesData(), form->dataFolder(),
                             [form] { return form->userFieldCaptions(); },
                             [] {
                                 if (appWindows().colPrtForm) appWindows().colPrtForm->execute();
                             }});
    auto* about = new rk::AboutWindow(w.form1);
    about->setObjectName(QStringLiteral("AboutBox"));
    w.aboutBox = about;
    // TNewGrid: created here when it is built.
    w.findForm = new TFindForm(w.form1);
    // TfrmLabels, TImportExport, TfrmPlayer: created here when they are built.
    w.colPrtForm = new rk::print::TColPrtForm(form);
    w.colPrtForm->setContext({form->titlesData(), form->dataFolder()});
    // TMasterForm: created here when it is built.
    return w.form1;
}

void destroyWindows() {
    AppWindows& w = appWindows();
    delete w.colPrtForm;
    delete w.findForm;
    delete w.aboutBox;
    delete w.printDiag;
    delete w.navForm;
    delete w.reportForm;
    delete w.form1;
    w = AppWindows{};
}
