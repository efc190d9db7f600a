// Marking: the Mark command with its hidden check box and lit indicator, un-marking every
// marked title, and the value of the titles in view.
#include "form1.h"

#include "collectionvalue.h"
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

char decimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 0x80 ? char(point[0].unicode()) : '.';
}

} // namespace

// Flips the mark of the current title and stores it at once. With no current title (an
// empty view) there is nothing to mark, and no blank title is made for it.
void TForm1::MarkButClick() {
    if (Table1->isEmpty()) return;
    if (!Table1->edit().isOk()) return;
    DBCheckBox1->setChecked(!DBCheckBox1->isChecked());
    Table1->setLogical("MARKED", DBCheckBox1->isChecked());
    if (Table1->isEditing()) Table1->post();
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
    if (!Table1->setQuery("MARKED").isOk()) return;
    Table1->first();
    setStatusPanelText(1, QStringLiteral("Un-Marking..."));
    StatusBar1->repaint();
    bool completed = true;
    {
        Hourglass wait;
        Table1->disableControls();
        const uint32_t n = titles().count();
        for (uint32_t i = 0; i < n; ++i) {
            Table1->edit();
            Table1->setLogical("MARKED", false);
            if (!Table1->post().isOk()) {
                // The post's failure has been reported; the rest stay marked.
                Table1->cancel();
                completed = false;
                break;
            }
            Table1->next();
        }
        Table1->enableControls();
    }
    setStatusPanelText(1, kReady);
    if (completed) rk::fw::inform(this, QStringLiteral("UnMark Completed!"));
}

// Adds up the prices of the titles in view, in the current order.
void TForm1::CalcClick() {
    // A changed title is stored first (its post failure has been reported when it fails).
    if (!Table1->checkBrowseMode().isOk()) return;
    rk::store::Table& t = titles();
    double total = 0;
    const bool locked = t.flock();
    uint32_t remembered = 0;
    if (locked) {
        ProgressBar1->setRange(0, int(std::min<uint32_t>(t.recCount(), INT32_MAX)));
        ProgressBar1->setValue(0);
        ProgressBar1->show();
        setStatusPanelText(1, QStringLiteral("Calculating..."));
        StatusBar1->repaint();
        remembered = Table1->recNo();
        {
            Hourglass wait;
            t.setTurboRead(true);
            const int price = t.fieldIndex("PRICE");
            const char separator = decimalSeparator();
            int shown = -1;
            for (t.goTop(); !t.eof(); t.skip(1)) {
                if (price >= 0) {
                    const std::string& image = t.record();
                    const auto& f = t.fields()[size_t(price)];
                    if (auto value = rk::mainwin::readPrice(
                            std::string_view(image).substr(f.offset, f.length), separator))
                        total += *value;
                }
                ProgressBar1->setValue(int(t.recNo()));
                // The bar follows the record numbers, so it may jump about in other orders.
                const int step = ProgressBar1->maximum() / 100 + 1;
                if (int(t.recNo()) / step != shown) {
                    shown = int(t.recNo()) / step;
                    ProgressBar1->repaint();
                }
            }
        }
        setStatusPanelText(1, kReady);
        t.setTurboRead(false);
        t.unlock();
        ProgressBar1->setValue(0);
        ProgressBar1->hide();
    }
    rk::fw::inform(this,
                   QStringLiteral("Total Value is $") +
                       QString::fromStdString(rk::mainwin::formatTotal(total, decimalSeparator())));
    // The walk moved the table under the window: the remembered title is current again.
    if (locked) {
        if (remembered)
            Table1->goTo(remembered);
        else
            Table1->refresh();
    }
}
