// The preferences: the command that opens them, and what their Save changes in this window.
#include "form1.h"

#include "appearance.h"
#include "appwindows.h"
#include "gradienttoolbutton.h"
#include "modal.h"
#include "prefform.h"

#include <QAction>
#include <QCheckBox>
#include <QToolBar>

void TForm1::connectPrefCommands() {
    connect(Preferences, &QAction::triggered, this, &TForm1::PreferencesClick);
}

void TForm1::PreferencesClick() {
    rk::fw::execModal(appWindows().prefForm);
}

void TForm1::applyAppearance(const rk::prefs::Appearance& a) {
    for (QWidget* page : {TabSheet7, TabSheet8, TabSheet9}) {
        QFont f = page->font();
        f.setBold(a.boldLists);
        page->setFont(f);
    }
    setHintsShown(a.showHints);
    LockCheck->setChecked(a.categoryLock);
    rules_.enterAsTab = a.enterAsTab;
    rules_.enterMovesPage = a.enterMovesPage;
    setCustomLabels(a.customLabels);
    rk::applyLookToAll(TB97, a.toolBar);
}

// The labels over USER1 to USER4; the edits under them are named after them for screen
// readers.
void TForm1::setCustomLabels(const QStringList& labels) {
    QLabel* captions[] = {lblUser1, lblUser2, lblUser3, lblUser4};
    for (int i = 0; i < 4; ++i) {
        const QString text = labels.value(i);
        captions[i]->setText(text);
        captions[i]->buddy()->setAccessibleName(text);
    }
}
