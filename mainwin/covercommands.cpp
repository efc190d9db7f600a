// Covers and loans: the Lend/Return command, the Loans window, the current title's cover and
// loan on the Common page, and the question before a title on loan is deleted.
#include "form1.h"

#include "covers.h"
#include "cp1252.h"
#include "prompt.h"
#include "sidedata.h"

#include <QTimer>

void TForm1::showCoverAndLoan() {
    if (!coverPanel_) return;
    const bool current = Table1 && !Table1->isEmpty() && !Table1->eof() &&
                         Table1->state() != rk::fw::Dataset::State::Insert;
    coverPanel_->showTitle(current ? Table1->recNo() : 0);
}

void TForm1::LendReturn1Click() {
    if (!Table1 || Table1->isEmpty() || Table1->state() == rk::fw::Dataset::State::Insert) return;
    if (rk::mainwin::lendOrReturn(this, catalogue(), Table1->recNo())) {
        showCoverAndLoan();
        if (loansWindow_) loansWindow_->reload();
    }
}

void TForm1::Loans1Click() {
    if (!loansWindow_) loansWindow_ = new rk::mainwin::LoansWindow(catalogue(), this);
    loansWindow_->reload();
    loansWindow_->show();
    loansWindow_->raise();
}

// A title out on loan is deleted only when the user says so, knowing who has it.
bool TForm1::askDeleteOnLoan() {
    if (!Table1 || Table1->isEmpty() || Table1->state() == rk::fw::Dataset::State::Insert)
        return true;
    auto loan = catalogue().sideData().currentLoan(Table1->recNo());
    if (!loan || !*loan) return true;
    return rk::fw::confirm(
        this, QStringLiteral("This title is out on loan to %1. Delete it all the same?")
                  .arg(QString::fromStdString(rk::cp1252::toUtf8((*loan)->person))));
}

// What the catalogue found stale in the covers and loans (a catalogue changed by another
// program) is told once, after the work that found it, in one box.
void TForm1::sideDataNotice(const std::string& what) {
    if (sideNotices_.isEmpty())
        QTimer::singleShot(0, this, [this] {
            const QStringList notices = std::exchange(sideNotices_, {});
            rk::fw::prompt().notify(this, notices.join(QLatin1Char('\n')),
                                    QStringLiteral("Covers and Loans"), rk::fw::Icon::Information);
        });
    sideNotices_ << QString::fromStdString(rk::cp1252::toUtf8(what));
}
