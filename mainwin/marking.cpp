// Marking: the Mark command with its hidden check box and lit indicator, un-marking every
// marked title, and the value of the titles in view.
#include "form1.h"
#include "text.h"

#include "collection.h"
#include "datacontrols.h"
#include "hourglass.h"
#include "litcheckbox.h"
#include "prompt.h"

#include <QApplication>
#include <QLocale>
#include <QProgressBar>
#include <QStatusBar>

using rk::mainwin::Hourglass;

namespace {

const QString kReady = QStringLiteral("Ready...");

} // namespace

// Flips the mark of the current title and stores it at once. With no current title (an
// empty view) there is nothing to mark, and no blank title is made for it.
void TForm1::MarkButClick() {
    if (Table1->isEmpty()) return;
    if (!Table1->edit().isOk()) return;
    DBCheckBox1->setChecked(!DBCheckBox1->isChecked());
    if (!Table1->setLogical("MARKED", DBCheckBox1->isChecked()).isOk()) return;
    // A failed post is told through the dataset's postFailed and keeps the title in edit.
    if (Table1->isEditing()) ignore(Table1->post(), "told through postFailed");
}

// The indicator shows the hidden mark box: lit for a marked title, dark for an unmarked one,
// greyed when no title is current.
void TForm1::DBCheckBox1Click() {
    if (Table1->isEmpty()) {
        BitCheck->setCheckState(Qt::PartiallyChecked);
        return;
    }
    BitCheck->setTristate(false); // a click flips between lit and dark only
    BitCheck->setCheckState(DBCheckBox1->isChecked() ? Qt::Checked : Qt::Unchecked);
}

// A click on the indicator works the hidden box as a click on it would: the mark changes in
// the edited record, which the next move or Save stores.
void TForm1::BitCheckClick() {
    const bool wanted = BitCheck->isChecked();
    if (Table1->isEmpty()) {
        DBCheckBox1Click();
        return;
    }
    if (DBCheckBox1->isChecked() == wanted) return;
    DBCheckBox1->setChecked(wanted);
    if (DBCheckBox1->link()) DBCheckBox1->link()->writeLogical(wanted);
}

// Clears every mark. The view stays limited to the titles that were marked until a view or
// category is applied again.
void TForm1::UnMarkMarkedEntries1Click() {
    if (!Table1->setQuery("MARKED").isOk()) return; // the post's failure was reported
    setStatusPanelText(1, QStringLiteral("Un-Marking..."));
    StatusBar1->repaint();
    rk::Status failure;
    {
        Hourglass wait;
        Table1->disableControls();
        if (const auto cleared = recorder_->unmarkAll(); !cleared.isOk())
            failure = cleared.status();
        Table1->refresh();
        Table1->enableControls();
    }
    setStatusPanelText(1, kReady);
    nameSet(QStringLiteral("Un-Marked Entries: "), QStringLiteral("Un-Marked Entries"));
    if (!failure.isOk()) {
        rk::fw::showStatus(this, QStringLiteral("Not every mark could be cleared."), failure);
        return;
    }
    rk::fw::inform(this, QStringLiteral("UnMark Completed!"));
}

// Adds up the prices of the titles in view, in the current order.
void TForm1::CalcClick() {
    // A changed title is stored first (its post failure has been reported when it fails).
    if (!Table1->checkBrowseMode().isOk()) return;
    rk::store::Table& t = titles();
    rk::Result<double> total = 0.0;
    uint32_t remembered = 0;
    bool locked = false;
    {
        const rk::store::WholeTablePass pass(t);
        locked = pass.locked();
        if (locked) {
            ProgressBar1->setRange(0, int(std::min<uint32_t>(t.recCount(), INT32_MAX)));
            ProgressBar1->setValue(0);
            ProgressBar1->show();
            setStatusPanelText(1, QStringLiteral("Calculating..."));
            StatusBar1->repaint();
            remembered = Table1->recNo();
            Hourglass wait;
            // The bar follows the record numbers, so it may jump about in other orders.
            const int step = ProgressBar1->maximum() / 100 + 1;
            int shown = -1;
            total = rk::store::collectionValue(t, rk::fw::decimalSeparator(), [&](uint32_t recno) {
                ProgressBar1->setValue(int(recno));
                if (int(recno) / step != shown) {
                    shown = int(recno) / step;
                    ProgressBar1->repaint();
                }
            });
            setStatusPanelText(1, kReady);
            ProgressBar1->setValue(0);
            ProgressBar1->hide();
        }
    }
    if (total.isOk())
        rk::fw::inform(this, QStringLiteral("Total Value is $") +
                                 QString::fromStdString(rk::store::formatTotal(
                                     total.value(), rk::fw::decimalSeparator())));
    else
        rk::fw::showStatus(this, QStringLiteral("The value could not be calculated."),
                           total.status());
    // The walk moved the table under the window: the remembered title is current again.
    if (locked) {
        if (remembered == 0 || !Table1->goTo(remembered).isOk()) Table1->refresh();
    }
}
