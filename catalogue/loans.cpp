// Loans: one row of LOANS.DBF per loan of a title; the row of the loan that is out has no
// date returned.
#include "sidedata.h"
#include "sidetable.h"

#include <algorithm>
#include <tuple>

namespace rk::catalogue {

namespace {

auto key(const dbf::Date& d) {
    return std::make_tuple(d.year, d.month, d.day);
}

} // namespace

// The loans of one title whose rows match it, in the order they were made.
static Status titleLoans(SideTable& t, const std::vector<uint32_t>& rows, const std::string& fp,
                         uint32_t recno, std::vector<Loan>* out, std::vector<uint32_t>* at,
                         bool* stale) {
    for (uint32_t r : rows) {
        RK_RETURN_IF_ERROR(t.table.go(r));
        const std::string& row = t.table.record();
        if (t.fingerprintOf(row) != fp) {
            *stale = true;
            continue;
        }
        Loan loan;
        loan.recno = recno;
        loan.person = std::string(dbf::trimmedField(row, t.field("PERSON")));
        loan.lent = dbf::getDate(row, t.field("LENT"));
        loan.due = dbf::getDate(row, t.field("DUE"));
        loan.returned = dbf::getDate(row, t.field("RETURNED"));
        out->push_back(loan);
        if (at) at->push_back(r);
    }
    return Status::ok();
}

Result<std::vector<Loan>> SideData::loanHistory(uint32_t recno) {
    std::vector<Loan> loans;
    RK_RETURN_IF_ERROR(open(*loans_, false));
    if (!loans_->table.isOpen()) return loans;
    auto title = titleImage(recno);
    RK_RETURN_IF_ERROR(title.status());
    if (title->empty()) return loans;
    const std::string fp = titleFingerprint(titles_, *title);
    for (int attempt = 0; attempt < 2; ++attempt) {
        loans.clear();
        std::vector<uint32_t> rows;
        RK_RETURN_IF_ERROR(rowsOf(*loans_, recno, &rows));
        bool stale = false;
        RK_RETURN_IF_ERROR(titleLoans(*loans_, rows, fp, recno, &loans, nullptr, &stale));
        if (!stale) break;
        RK_RETURN_IF_ERROR(repair(*loans_));
    }
    return loans;
}

Result<std::optional<Loan>> SideData::currentLoan(uint32_t recno) {
    auto history = loanHistory(recno);
    RK_RETURN_IF_ERROR(history.status());
    for (const Loan& l : *history)
        if (l.out()) return std::optional<Loan>(l);
    return std::optional<Loan>();
}

Result<std::vector<Loan>> SideData::loansOut(const dbf::Date& today) {
    std::vector<Loan> out;
    RK_RETURN_IF_ERROR(open(*loans_, false));
    if (!loans_->table.isOpen()) return out;
    // A pass over the rows: each one still out is shown only on the title it matches.
    bool stale = false;
    std::string row;
    for (int attempt = 0; attempt < 2; ++attempt) {
        out.clear();
        stale = false;
        for (uint32_t r = 1; r <= loans_->table.recCount(); ++r) {
            RK_RETURN_IF_ERROR(loans_->table.dbf()->readRecord(r, &row));
            if (dbf::isDeleted(row) || dbf::getDate(row, loans_->field("RETURNED")).year) continue;
            const uint32_t recno = loans_->recnoOf(row);
            auto title = titleImage(recno);
            RK_RETURN_IF_ERROR(title.status());
            if (title->empty() || titleFingerprint(titles_, *title) != loans_->fingerprintOf(row)) {
                stale = true;
                continue;
            }
            Loan loan;
            loan.recno = recno;
            loan.person = std::string(dbf::trimmedField(row, loans_->field("PERSON")));
            loan.lent = dbf::getDate(row, loans_->field("LENT"));
            loan.due = dbf::getDate(row, loans_->field("DUE"));
            out.push_back(loan);
        }
        if (!stale) break;
        RK_RETURN_IF_ERROR(repair(*loans_));
    }
    std::stable_sort(out.begin(), out.end(), [&](const Loan& a, const Loan& b) {
        const bool la = a.overdue(today), lb = b.overdue(today);
        if (la != lb) return la;
        if (la && key(a.due) != key(b.due)) return key(a.due) < key(b.due);
        return key(a.lent) < key(b.lent);
    });
    return out;
}

Status SideData::lend(uint32_t recno, const std::string& person, const dbf::Date& lent,
                      const dbf::Date& due) {
    auto title = titleImage(recno);
    RK_RETURN_IF_ERROR(title.status());
    if (title->empty()) return Status::notFound("there is no record " + std::to_string(recno));
    if (dbf::isDeleted(*title))
        return Status::invalid("record " + std::to_string(recno) + " is deleted");
    if (person.find_first_not_of(' ') == std::string::npos)
        return Status::invalid("a loan needs the name of the person who has the title");
    if (lent.year == 0) return Status::invalid("a loan needs the date it was made");
    if (due.year && key(due) < key(lent))
        return Status::invalid("the date due back is before the date lent");
    RK_RETURN_IF_ERROR(open(*loans_, true));
    auto current = currentLoan(recno);
    RK_RETURN_IF_ERROR(current.status());
    if (*current)
        return Status::invalid("record " + std::to_string(recno) + " is out on loan to " +
                               (*current)->person + " already");
    std::string row = loans_->row(recno, titleFingerprint(titles_, *title));
    const auto& personField = loans_->field("PERSON");
    RK_RETURN_IF_ERROR(dbf::checkFieldText(personField, person));
    if (person.size() > personField.length)
        return Status::invalid("the name is longer than " + std::to_string(personField.length) +
                               " characters");
    dbf::setString(row, personField, person);
    dbf::setDate(row, loans_->field("LENT"), lent);
    if (due.year) dbf::setDate(row, loans_->field("DUE"), due);
    return loans_->table.appendRecord(row).status();
}

Status SideData::loansAt(uint32_t recno, std::vector<Loan>* loans, std::vector<uint32_t>* at) {
    // Stale rows are moved or dropped first.
    RK_RETURN_IF_ERROR(loanHistory(recno).status());
    auto title = titleImage(recno);
    RK_RETURN_IF_ERROR(title.status());
    if (title->empty()) return Status::notFound("there is no record " + std::to_string(recno));
    std::vector<uint32_t> rows;
    bool stale = false;
    RK_RETURN_IF_ERROR(rowsOf(*loans_, recno, &rows));
    return titleLoans(*loans_, rows, titleFingerprint(titles_, *title), recno, loans, at, &stale);
}

Status SideData::giveBack(uint32_t recno, const dbf::Date& date) {
    std::vector<uint32_t> at;
    std::vector<Loan> loans;
    RK_RETURN_IF_ERROR(loansAt(recno, &loans, &at));
    for (size_t i = 0; i < loans.size(); ++i) {
        if (!loans[i].out()) continue;
        if (key(date) < key(loans[i].lent))
            return Status::invalid("the date returned is before the date lent");
        RK_RETURN_IF_ERROR(loans_->table.go(at[i]));
        std::string row = loans_->table.record();
        dbf::setDate(row, loans_->field("RETURNED"), date);
        return loans_->table.putRecord(row);
    }
    return Status::invalid("record " + std::to_string(recno) + " is not out on loan");
}

Status SideData::withdrawLoan(uint32_t recno) {
    std::vector<uint32_t> at;
    std::vector<Loan> loans;
    RK_RETURN_IF_ERROR(loansAt(recno, &loans, &at));
    for (size_t i = 0; i < loans.size(); ++i) {
        if (!loans[i].out()) continue;
        RK_RETURN_IF_ERROR(loans_->table.go(at[i]));
        return loans_->table.deleteRecord();
    }
    return Status::invalid("record " + std::to_string(recno) + " is not out on loan");
}

Status SideData::reopenLoan(uint32_t recno) {
    std::vector<uint32_t> at;
    std::vector<Loan> loans;
    RK_RETURN_IF_ERROR(loansAt(recno, &loans, &at));
    if (loans.empty()) return Status::invalid("record " + std::to_string(recno) + " has no loan");
    for (const Loan& l : loans)
        if (l.out())
            return Status::invalid("record " + std::to_string(recno) + " is out on loan to " +
                                   l.person + " already");
    RK_RETURN_IF_ERROR(loans_->table.go(at.back()));
    std::string row = loans_->table.record();
    dbf::setBlank(row, loans_->field("RETURNED"));
    return loans_->table.putRecord(row);
}

} // namespace rk::catalogue
