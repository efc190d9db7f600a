// Undo and redo of the changes a user makes by hand. Each change is an UndoStep: an object that
// holds what it needs to take the change back and to make it again, and that writes only through
// the catalogue engine, so that Titles.ia follows an undo as it followed the change.
//
// A step never overwrites what it did not write. Before an undo it checks that each of its
// records still holds what the change left there (before a redo: what the change found); when
// another path has changed one since (the master editor, an import, rkdb), it writes nothing and
// the stack reports a conflict and drops that step, so that the steps under it stay in reach.
//
//   step          recorded from                    undo                  redo
//   Edit, Mark    a post of a changed record       before image written  after image written
//   New Title     a post of a new record           deleted               recalled
//   Delete        a delete                         recalled              deleted
//   Recall        a recall                         deleted               recalled
//   Category ...  the same on the categories table
//   Un-Mark All   Catalogue::unmarkAll             MARKED set again      MARKED cleared again
//
// UndoRecorder is the RecordWriter the window's datasets write through: it hands each write to
// the catalogue and pushes a step for it. Changes of other kinds (covers, loans) are further
// UndoStep classes, pushed with UndoStack::push by whoever makes the change.
#pragma once

#include "catalogue_engine.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace rk::catalogue {

enum class CatalogueTable { Titles, Categories };
enum class UndoDirection { Undo, Redo };

// A record a step changed: the one the window shows after an undo or a redo.
struct StepRecord {
    CatalogueTable table = CatalogueTable::Titles;
    uint32_t recno = 0;
};

class UndoStep {
public:
    virtual ~UndoStep() = default;
    // What the change was, for the menu ("Edit", "Delete", ...).
    virtual std::string name() const = 0;
    // Empty when every record holds what the step expects before going in `direction`;
    // otherwise which record was changed by another path since.
    virtual std::string conflict(Catalogue& catalogue, UndoDirection direction) = 0;
    virtual Status apply(Catalogue& catalogue, UndoDirection direction) = 0;
    virtual StepRecord shown() const = 0;
    // What the step holds in memory beyond its own size (a cover's pictures).
    virtual size_t bytes() const { return 0; }
};

// Whole record images (flag byte first) before and after a change of one record. A new record's
// "before" is its image marked deleted: undoing it deletes it, redoing it recalls it.
struct RecordChange {
    CatalogueTable table = CatalogueTable::Titles;
    uint32_t recno = 0;
    std::string before, after;
};

class RecordStep final : public UndoStep {
public:
    RecordStep(std::string name, std::vector<RecordChange> changes)
        : name_(std::move(name)), changes_(std::move(changes)) {}
    std::string name() const override { return name_; }
    std::string conflict(Catalogue& catalogue, UndoDirection direction) override;
    Status apply(Catalogue& catalogue, UndoDirection direction) override;
    StepRecord shown() const override;

private:
    std::string name_;
    std::vector<RecordChange> changes_;
};

// Un-mark all: the titles whose mark was cleared, by number only (a million marks cost 4 MB).
class UnmarkAllStep final : public UndoStep {
public:
    explicit UnmarkAllStep(std::vector<uint32_t> recnos) : recnos_(std::move(recnos)) {}
    std::string name() const override { return "Un-Mark All"; }
    std::string conflict(Catalogue& catalogue, UndoDirection direction) override;
    Status apply(Catalogue& catalogue, UndoDirection direction) override;
    StepRecord shown() const override;

private:
    std::vector<uint32_t> recnos_;
};

struct UndoResult {
    enum class Outcome { Done, Nothing, Conflict, Failed };
    Outcome outcome = Outcome::Nothing;
    UndoDirection direction = UndoDirection::Undo;
    std::string step;   // the step's name
    std::string detail; // Conflict: the record changed since; Failed: the engine's message
    StepRecord shown;
};

class UndoStack {
public:
    static constexpr size_t kDefaultLimit = 100;
    static constexpr size_t kDefaultByteLimit = size_t(64) << 20;
    explicit UndoStack(Catalogue& catalogue, size_t limit = kDefaultLimit,
                       size_t byteLimit = kDefaultByteLimit)
        : catalogue_(catalogue), limit_(limit == 0 ? 1 : limit), byteLimit_(byteLimit) {}

    // A new change: the redo steps are dropped, and the oldest steps beyond the limit of
    // steps or, but for the newest, of the bytes they hold.
    void push(std::unique_ptr<UndoStep> step);
    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    std::string undoName() const { return canUndo() ? undo_.back()->name() : std::string(); }
    std::string redoName() const { return canRedo() ? redo_.back()->name() : std::string(); }
    size_t undoCount() const { return undo_.size(); }
    size_t redoCount() const { return redo_.size(); }

    // A step that conflicts is dropped; one whose write fails stays where it was.
    UndoResult undo() { return step(UndoDirection::Undo); }
    UndoResult redo() { return step(UndoDirection::Redo); }
    // The record numbers no longer hold (a pack renumbered them): every step is dropped.
    void clear();

    // Told after every undo or redo that did something (the one place the window refreshes),
    // and after every change of what can be undone (the menu follows).
    void setApplied(std::function<void(const UndoResult&)> applied) {
        applied_ = std::move(applied);
    }
    void setChanged(std::function<void()> changed) { changed_ = std::move(changed); }

private:
    UndoResult step(UndoDirection direction);
    void changed() {
        if (changed_) changed_();
    }

    Catalogue& catalogue_;
    size_t limit_;
    size_t byteLimit_;
    std::deque<std::unique_ptr<UndoStep>> undo_, redo_;
    std::function<void(const UndoResult&)> applied_;
    std::function<void()> changed_;
};

// The writer of the window's datasets: each write reaches the catalogue and becomes a step.
// Writes to a table that is not the catalogue's, and writes while paused, are not recorded.
class UndoRecorder final : public store::RecordWriter {
public:
    UndoRecorder(Catalogue& catalogue, UndoStack& stack) : catalogue_(catalogue), stack_(stack) {}

    Status update(store::Table& table, std::string_view image) override;
    Result<uint32_t> append(store::Table& table, std::string_view image) override;
    Status remove(store::Table& table) override;
    Status recall(store::Table& table) override;

    // Un-mark all through the catalogue, recorded as one step.
    Result<uint32_t> unmarkAll();

    // For the span of a window whose changes are not steps of their own (the master editor).
    class Pause {
    public:
        explicit Pause(UndoRecorder& r) : r_(r) { ++r_.paused_; }
        ~Pause() { --r_.paused_; }
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        UndoRecorder& r_;
    };

private:
    bool which(const store::Table& table, CatalogueTable* out) const;
    void record(std::string name, CatalogueTable table, uint32_t recno, std::string before,
                store::Table& t);

    Catalogue& catalogue_;
    UndoStack& stack_;
    int paused_ = 0;
};

} // namespace rk::catalogue
