// The rules a new title starts by, the same whether New started it or typing into an empty
// view did: the category when Lock is ticked and the default format. A title started by
// typing also keeps to the view it was started in once it is saved (a mark in the Marked
// view, the category of a category's view), so that it does not vanish from the lists.
#include "form1.h"

#include "catalogue.h"
#include "text.h"

#include <QCheckBox>

void TForm1::startTitle(const QString& lockedCategory, bool typed) {
    const std::string query = titles().queryText();
    const QString listed = Table2->text("CATEGORY"); // the category picked in the list
    const bool categoryView =
        !listed.isEmpty() &&
        query == rk::catalogue::equalsQuery("CATEGORY", rk::fw::toCp1252(listed));
    QString category;
    if (typed && categoryView)
        category = listed;
    else if (LockCheck->isChecked())
        // Typed into an empty view, there is no title that was current: the category picked.
        category = typed ? listed : lockedCategory;
    auto keep = [](const rk::Status& s) {
        rk::ignore(s, "kept in the buffer: a value the field cannot take fails the post, which "
                      "says so");
    };
    if (!category.isEmpty()) keep(Table1->setText("CATEGORY", category));
    keep(Table1->setText("FORMAT", rules_.defaultFormat));
    if (typed && query == "MARKED") keep(Table1->setLogical("MARKED", true));
}
