// The category list: a pick limits the titles to one category and counts them; categories
// are added from the main window; the four lists begin drags that nothing accepts.
#include "form1.h"

#include "catalogue.h"
#include "datacontrols.h"
#include "prompt.h"
#include "recordlistmodel.h"
#include "text.h"

#include <QAbstractItemView>

// Picking a category, on the release of any mouse button over the list (the press has made
// the clicked category current; the right button leaves it as it was).
void TForm1::DBLookupListBox1MouseUp(Qt::MouseButton) {
    const rk::store::WholeTablePass pass(titles());
    if (!pass.locked()) return;
    const std::string category = rk::fw::toCp1252(Table2->text("CATEGORY"));
    // A name holding a double quote is delimited otherwise, so that it still selects; a changed
    // title that could not be posted (told through postFailed) keeps the view.
    if (!Table1->setQuery(rk::catalogue::equalsQuery("CATEGORY", category)).isOk()) return;
    nameSet(QStringLiteral("Category Entries: "),
            QStringLiteral("Category: ") + Table2->text("CATEGORY"));
}

// A drag begins only once the mouse has moved with the left button held (ListMouse), so a
// plain click still selects a line.
void TForm1::DBLookupListBox1MouseDown(QAbstractItemView* sender, Qt::MouseButton button,
                                       const QPoint& pos) {
    if (button != Qt::LeftButton || !sender) return;
    sender->setProperty("dragFrom", pos);
}

void TForm1::AddNewCategory1Click() {
    const std::optional<QString> name =
        rk::fw::prompt().inputText(this, QStringLiteral("Add New Category"),
                                   QStringLiteral("Enter the New Category Name"), QString());
    if (!name || name->isEmpty()) return;
    // Taken as typed (not trimmed); a name already in the list is not added twice.
    for (int row = 0; row < categoryModel_->rowCount(); ++row)
        if (categoryModel_->textAt(row) == name->trimmed()) {
            rk::fw::prompt().message(
                this, QStringLiteral("The category \"%1\" is already in the list.").arg(*name),
                QStringLiteral("Add New Category"), rk::fw::Icon::Warning, rk::fw::Buttons::Ok);
            return;
        }
    if (!Table2->insert().isOk()) return;
    rk::ignore(Table2->setText("CATEGORY", *name),
               "kept in the buffer: a value the field cannot take fails the post, which says so");
    const rk::Status posted = Table2->post();
    if (!posted.isOk()) {
        Table2->cancel();
        rk::fw::showStatus(this, QStringLiteral("The category could not be added."), posted,
                           QStringLiteral("Add New Category"));
    }
}

void TForm1::AddNewCategory2Click() {
    AddNewCategory1Click();
}
