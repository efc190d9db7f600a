// The internet: "Search the Net..." and the Internet tool button show the search launcher
// beside the main window; the web site command shows the program's own pages.
#include "form1.h"

#include "appwindows.h"
#include "gradienttoolbutton.h"
#include "newgrid.h"
#include "prompt.h"

#include <QAction>

void TForm1::connectNetCommands() {
    connect(InternetBut, &QAbstractButton::clicked, this, &TForm1::FormButClick);
    connect(SearchtheNet1, &QAction::triggered, this, &TForm1::FormButClick);
    connect(Website, &QAction::triggered, this, &TForm1::WebsiteClick);
}

void TForm1::FormButClick() {
    TNewGrid* grid = appWindows().newGrid;
    if (!grid) return;
    if (!grid->isVisible()) grid->setSearchText(titlesData()->text("TITLE"));
    grid->show();
    grid->raise();
    grid->activateWindow();
}

// The program has no web site of its own: its home page is the main topic of its help.
void TForm1::WebsiteClick() {
    rk::fw::prompt().showHelp(this, QStringLiteral("MainTopic"));
}
