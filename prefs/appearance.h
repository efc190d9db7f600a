// What a Save of the preferences changes in the main window at once.
#pragma once

#include "gradienttoolbutton.h"

#include <QStringList>

namespace rk::prefs {

struct Appearance {
    bool boldLists = false;      // the three view pages' fonts bold
    bool showHints = true;       // tool tips, and the check of "&Display ToolTips"
    bool categoryLock = false;   // the "Lock" box
    bool enterAsTab = false;     // Enter moves to the next field
    bool enterMovesPage = false; // Enter in a page's last field turns the page
    QStringList customLabels;    // the labels over USER1 to USER4
    GradientLook toolBar;        // every button of the tool bar
};

} // namespace rk::prefs
