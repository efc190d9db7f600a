// The set of titles in force: every command that changes which titles the lists show (a view,
// a category pick, a search, a print request, un-marking) names the set, and the status bar's
// count and the lists' headings say that name. The count follows every change of the set
// (an add, a delete, a recall, a pack), not only the next view.
#include "form1.h"

#include "datacontrols.h"
#include "picturetabbar.h"

#include <QLabel>

void TForm1::nameSet(const QString& caption, const QString& heading) {
    setCaption_ = caption;
    setHeading_ = heading;
    // Each list's heading (the label whose buddy it is) names what the list shows.
    for (QLabel* label : ExtPageControl1->findChildren<QLabel*>()) {
        QWidget* buddy = label->buddy();
        if (buddy == DBLookupListBox2 || buddy == DBLookupListBox3 || buddy == DBLookupListBox4)
            label->setText(heading);
    }
    refreshCount();
}

void TForm1::refreshCount() {
    // Until a view is applied the panel says "Entries" with no count.
    if (setCaption_.isEmpty()) return;
    setStatusPanelText(0, setCaption_ + QString::number(titles().count()));
}
