// Cover and loan steps: what they check before an undo or redo, and how they write it.
#include "sideundo.h"

#include "cp1252.h"

#include <tuple>

namespace rk::catalogue {

namespace {

// The title in quotes, else its number.
std::string titleName(Catalogue& c, uint32_t recno) {
    store::Table& t = c.titles();
    std::string image;
    const dbf::FieldDef* f = t.field("TITLE");
    if (f && t.dbf() && recno >= 1 && recno <= t.recCount() &&
        t.dbf()->readRecord(recno, &image).isOk()) {
        std::string name = cp1252::toUtf8(dbf::trimmedField(image, *f));
        if (!name.empty()) return "\"" + name + "\"";
    }
    return "record " + std::to_string(recno);
}

std::string changedSince(Catalogue& c, uint32_t recno, const char* what) {
    return "the " + std::string(what) + " of " + titleName(c, recno) +
           " was changed since, by another window or program";
}

auto key(const dbf::Date& d) {
    return std::make_tuple(d.year, d.month, d.day);
}

bool sameLoans(const std::vector<Loan>& a, const std::vector<Loan>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].person != b[i].person || key(a[i].lent) != key(b[i].lent) ||
            key(a[i].due) != key(b[i].due) || key(a[i].returned) != key(b[i].returned))
            return false;
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// CoverStep

std::string CoverStep::conflict(Catalogue& c, UndoDirection direction) {
    auto stored = c.sideData().coverBytes(recno_, face_);
    if (!stored) return stored.status().message();
    const std::string& expected = direction == UndoDirection::Undo ? after_ : before_;
    return *stored == expected ? std::string() : changedSince(c, recno_, "cover");
}

Status CoverStep::apply(Catalogue& c, UndoDirection direction) {
    const std::string& target = direction == UndoDirection::Undo ? before_ : after_;
    if (target.empty()) return c.sideData().removeCover(recno_, face_);
    return c.sideData().setCoverBytes(recno_, target, "the cover", face_);
}

CoverRecording::CoverRecording(Catalogue& c, uint32_t recno, Face face)
    : catalogue_(c), recno_(recno), face_(face), before_(c.sideData().coverBytes(recno, face)) {}

std::unique_ptr<UndoStep> CoverRecording::finish(std::string name) {
    if (!before_) return nullptr;
    auto after = catalogue_.sideData().coverBytes(recno_, face_);
    if (!after || *after == *before_) return nullptr;
    return std::make_unique<CoverStep>(std::move(name), recno_, face_, std::move(*before_),
                                       std::move(*after));
}

// ---------------------------------------------------------------------------------------------
// LoanStep

std::string LoanStep::conflict(Catalogue& c, UndoDirection direction) {
    auto stored = c.sideData().loanHistory(recno_);
    if (!stored) return stored.status().message();
    const auto& expected = direction == UndoDirection::Undo ? after_ : before_;
    return sameLoans(*stored, expected) ? std::string() : changedSince(c, recno_, "loan");
}

Status LoanStep::apply(Catalogue& c, UndoDirection direction) {
    SideData& side = c.sideData();
    const bool undo = direction == UndoDirection::Undo;
    if (after_.empty()) return Status::invalid("the step holds no loan");
    const Loan& last = after_.back();
    if (change_ == LoanChange::Lend)
        return undo ? side.withdrawLoan(recno_)
                    : side.lend(recno_, last.person, last.lent, last.due);
    return undo ? side.reopenLoan(recno_) : side.giveBack(recno_, last.returned);
}

LoanRecording::LoanRecording(Catalogue& c, uint32_t recno)
    : catalogue_(c), recno_(recno), before_(c.sideData().loanHistory(recno)) {}

std::unique_ptr<UndoStep> LoanRecording::finish(LoanChange change) {
    if (!before_) return nullptr;
    auto after = catalogue_.sideData().loanHistory(recno_);
    if (!after || after->empty() || sameLoans(*after, *before_)) return nullptr;
    return std::make_unique<LoanStep>(change, recno_, std::move(*before_), std::move(*after));
}

} // namespace rk::catalogue
