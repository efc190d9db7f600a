#include "defaulttips.h"

namespace rk::fw {

QStringList defaultTipLines() {
    return {
        QStringLiteral("1"),
        QStringLiteral("Press F6 to see every title in the catalogue, F7 for the marked ones and "
                       "F5 to pick a category."),
        QStringLiteral("The Sort button on the tool bar lists your titles by title, category, "
                       "director, year and more; the order stays when you change the view."),
        QStringLiteral("Tick \"Lock\" beside the category and every new entry starts in the "
                       "category of the title you were looking at."),
        QStringLiteral("The \"...\" button beside Run Time opens a panel where hours and minutes "
                       "are set with the arrows; \"Go with it!\" puts them into the entry."),
        QStringLiteral("F8 to F11 switch between the Common, Details, AV and Stars pages of the "
                       "current title."),
        QStringLiteral("A changed entry is saved as soon as you move to another title; Save "
                       "(Ctrl+S) saves it at once."),
        QStringLiteral("The Navigator (Ctrl+F1) is a small window with buttons to step through "
                       "the titles one by one."),
    };
}

} // namespace rk::fw
