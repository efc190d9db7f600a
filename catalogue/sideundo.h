// Undo steps for a title's cover and loans, changed through SideData. A cover step holds the
// picture's bytes before and after the change ("" for none), so that an undo of a replace or a
// remove puts the old picture back; a picture is at most kMaxImageBytes and a stack holds at
// most UndoStack::kDefaultLimit steps. A loan step holds the title's loan history before and
// after. Either is refused, as a record step is, when the cover or the loans are no longer
// what the step left (undo) or found (redo).
#pragma once

#include "sidedata.h"
#include "undo.h"

#include <memory>
#include <string>
#include <vector>

namespace rk::catalogue {

class CoverStep final : public UndoStep {
public:
    CoverStep(std::string name, uint32_t recno, Face face, std::string before, std::string after)
        : name_(std::move(name)), recno_(recno), face_(face), before_(std::move(before)),
          after_(std::move(after)) {}
    std::string name() const override { return name_; }
    std::string conflict(Catalogue& catalogue, UndoDirection direction) override;
    Status apply(Catalogue& catalogue, UndoDirection direction) override;
    StepRecord shown() const override { return {CatalogueTable::Titles, recno_}; }
    size_t bytes() const override { return before_.size() + after_.size(); }

private:
    std::string name_;
    uint32_t recno_;
    Face face_;
    std::string before_, after_;
};

enum class LoanChange { Lend, Return };

class LoanStep final : public UndoStep {
public:
    LoanStep(LoanChange change, uint32_t recno, std::vector<Loan> before, std::vector<Loan> after)
        : change_(change), recno_(recno), before_(std::move(before)), after_(std::move(after)) {}
    std::string name() const override { return change_ == LoanChange::Lend ? "Lend" : "Return"; }
    std::string conflict(Catalogue& catalogue, UndoDirection direction) override;
    Status apply(Catalogue& catalogue, UndoDirection direction) override;
    StepRecord shown() const override { return {CatalogueTable::Titles, recno_}; }

private:
    LoanChange change_;
    uint32_t recno_;
    std::vector<Loan> before_, after_;
};

// Recording: taken before the change, finished after it succeeded; finish() gives the step,
// or nothing when the change cannot be read back (then it is not undoable).
class CoverRecording {
public:
    CoverRecording(Catalogue& catalogue, uint32_t recno, Face face = Face::Front);
    std::unique_ptr<UndoStep> finish(std::string name);

private:
    Catalogue& catalogue_;
    uint32_t recno_;
    Face face_;
    Result<std::string> before_;
};

class LoanRecording {
public:
    LoanRecording(Catalogue& catalogue, uint32_t recno);
    std::unique_ptr<UndoStep> finish(LoanChange change);

private:
    Catalogue& catalogue_;
    uint32_t recno_;
    Result<std::vector<Loan>> before_;
};

} // namespace rk::catalogue
