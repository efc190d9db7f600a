// The label printer: the Labels tool button and "Create Video Labels..." open it modally on
// the current title.
#include "form1.h"

#include "appwindows.h"
#include "frmlabels.h"
#include "gradienttoolbutton.h"

#include <QAction>

void TForm1::connectLabelCommands() {
    connect(LabelBut, &QAbstractButton::clicked, this, &TForm1::butLabelsClick);
    connect(CreateVideoLabels1, &QAction::triggered, this, &TForm1::butLabelsClick);
}

void TForm1::butLabelsClick() {
    TfrmLabels* labels = appWindows().frmLabels;
    if (!labels) return;
    labels->exec();
}
