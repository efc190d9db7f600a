// View, "Statistics...": the figures of the titles in view, from one pass of the table
// engine, shown in the statistics window.
#include "form1.h"

#include "appwindows.h"
#include "collection.h"
#include "hourglass.h"
#include "prompt.h"
#include "statsform.h"

#include <QLineEdit>
#include <QLocale>
#include <QMenu>

namespace {

char decimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 0x80 ? char(point[0].unicode()) : '.';
}

} // namespace

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
        figures = rk::store::collectionFigures(titles(), decimalSeparator());
    }
    if (!figures) {
        rk::fw::prompt().message(this,
                                 QStringLiteral("The statistics could not be gathered:\n%1")
                                     .arg(QString::fromStdString(figures.status().message())),
                                 QStringLiteral("Collection Statistics"), rk::fw::Icon::Error,
                                 rk::fw::Buttons::Ok);
        return;
    }
    QString view = QStringLiteral("Titles in view");
    if (titles().filtered())
        view += QStringLiteral(" (quick filter \"%1\")").arg(QuickFilter->text().trimmed());
    form->showFigures(*figures, view, decimalSeparator());
    form->show();
    form->raise();
    form->activateWindow();
}
