// View, "Statistics...": the figures of the titles in view, from one pass of the table
// engine, shown in the statistics window.
#include "form1.h"
#include "text.h"

#include "appwindows.h"
#include "collection.h"
#include "hourglass.h"
#include "prompt.h"
#include "statsform.h"

#include <QLineEdit>
#include <QLocale>
#include <QMenu>

void TForm1::connectStatsCommands() {
    Statistics1 = new QAction(QStringLiteral("S&tatistics..."), this);
    Statistics1->setObjectName(QStringLiteral("Statistics1"));
    View1->insertAction(View1->actions().value(View1->actions().indexOf(MasterEditor1) + 1),
                        Statistics1);
    connect(Statistics1, &QAction::triggered, this, &TForm1::Statistics1Click);
}

void TForm1::Statistics1Click() {
    TStatsForm* form = appWindows().statsForm;
    // A changed title is counted as stored (its post failure has been reported when it fails).
    if (!form || !Table1->checkBrowseMode().isOk()) return;
    rk::Result<rk::store::CollectionFigures> figures = rk::store::CollectionFigures{};
    {
        rk::mainwin::Hourglass wait;
        figures = rk::store::collectionFigures(titles(), rk::fw::decimalSeparator());
    }
    if (!figures) {
        rk::fw::showStatus(this, QStringLiteral("The statistics could not be gathered."),
                           figures.status(), QStringLiteral("Collection Statistics"));
        return;
    }
    QString view = QStringLiteral("Titles in view");
    if (titles().filtered())
        view += QStringLiteral(" (quick filter \"%1\")").arg(QuickFilter->text().trimmed());
    form->showFigures(*figures, view, rk::fw::decimalSeparator());
    form->show();
    form->raise();
    form->activateWindow();
}
