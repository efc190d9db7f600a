// Printing: the print request dialog with the standard report, and the custom report
// builder. Both windows are created at start-up (appwindows.cpp) and handed the titles.
#include "form1.h"

#include "appwindows.h"
#include "colprtform.h"
#include "dataset.h"
#include "gradienttoolbutton.h"
#include "printdiag.h"

#include <QAction>

// "Print" and "&Print Report..." open the print request dialog; "Reports" and "Report
// Builder..." the custom report builder.
void TForm1::connectPrintCommands() {
    connect(PrintBut, &QAbstractButton::clicked, this, &TForm1::BitBtn1Click);
    connect(PrintReport1, &QAction::triggered, this, &TForm1::BitBtn1Click);
    connect(ReportsBut, &QAbstractButton::clicked, this, &TForm1::ReportBuilder1Click);
    connect(ReportBuilder1, &QAction::triggered, this, &TForm1::ReportBuilder1Click);
}

void TForm1::BitBtn1Click() {
    rk::print::TPrintDiag* dialog = appWindows().printDiag;
    if (!dialog) return;
    dialog->execute();
    // The titles printed stay in force: the count and the headings say which they are.
    switch (dialog->appliedItem()) {
    case 0:
        nameSet(QStringLiteral("Title Entries: "),
                QStringLiteral("Printed: ") + Table1->text("TITLE").trimmed());
        break;
    case 1:
        nameSet(QStringLiteral("Category Entries: "),
                QStringLiteral("Printed Category: ") + Table1->text("CATEGORY").trimmed());
        break;
    case 2:
        nameSet(QStringLiteral("Marked Entries: "), QStringLiteral("Printed: Marked Entries"));
        break;
    case 3:
        nameSet(QStringLiteral("Total Entries: "), QStringLiteral("All Entries"));
        break;
    default:
        break;
    }
}

void TForm1::ReportBuilder1Click() {
    if (rk::print::TColPrtForm* builder = appWindows().colPrtForm) builder->execute();
}

std::array<QString, 4> TForm1::userFieldCaptions() const {
    return {lblUser1->text(), lblUser2->text(), lblUser3->text(), lblUser4->text()};
}
