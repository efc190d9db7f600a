// Undo and redo: the steps, the stack, and the writer that records the window's changes.
#include "undo.h"

#include "cp1252.h"
#include "record.h"

namespace rk::catalogue {

namespace {

constexpr char kDeleted = '*';
constexpr char kLive = ' ';

store::Table& tableOf(Catalogue& c, CatalogueTable which) {
    return which == CatalogueTable::Titles ? c.titles() : c.categories();
}

bool isDeleted(const std::string& image) {
    return !image.empty() && image[0] == kDeleted;
}

bool sameData(const std::string& a, const std::string& b) {
    return a.size() == b.size() && a.compare(1, std::string::npos, b, 1, std::string::npos) == 0;
}

// The stored image of a record, read from the file (not through the cursor, which stays put).
Status readStored(store::Table& t, uint32_t recno, std::string* image) {
    if (!t.isOpen() || !t.dbf()) return Status::invalid("the table is not open");
    if (recno < 1 || recno > t.recCount())
        return Status::notFound("record " + std::to_string(recno) + " is no longer in the table");
    return t.dbf()->readRecord(recno, image);
}

// How a record is named in a message: its title (or category) in quotes, else its number.
std::string nameOf(store::Table& t, CatalogueTable which, uint32_t recno,
                   const std::string& image) {
    const char* field = which == CatalogueTable::Titles ? "TITLE" : "CATEGORY";
    const dbf::FieldDef* f = t.field(field);
    std::string name = f ? cp1252::toUtf8(dbf::trimmedField(image, *f)) : std::string();
    return name.empty() ? "record " + std::to_string(recno) : "\"" + name + "\"";
}

std::string changedSince(const std::string& who) {
    return who + " was changed since, by another window or program";
}

// Brings one record from what it holds to `target`, through the catalogue. A record that must
// change while deleted is recalled first, so that Titles.ia never holds a deleted title.
Status bringTo(Catalogue& c, CatalogueTable which, uint32_t recno, const std::string& target) {
    store::Table& t = tableOf(c, which);
    RK_RETURN_IF_ERROR(t.go(recno));
    std::string current = t.record();
    const bool dataDiffers = !sameData(current, target);
    if (isDeleted(current) && (dataDiffers || !isDeleted(target))) {
        RK_RETURN_IF_ERROR(c.recall(t));
        current[0] = kLive;
    }
    if (dataDiffers) {
        std::string image = target;
        image[0] = current[0];
        RK_RETURN_IF_ERROR(c.update(t, image));
    }
    if (isDeleted(target) && !isDeleted(current)) RK_RETURN_IF_ERROR(c.remove(t));
    return Status::ok();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// RecordStep

std::string RecordStep::conflict(Catalogue& c, UndoDirection direction) {
    std::string stored;
    for (const RecordChange& ch : changes_) {
        store::Table& t = tableOf(c, ch.table);
        const std::string& expected = direction == UndoDirection::Undo ? ch.after : ch.before;
        if (Status s = readStored(t, ch.recno, &stored); !s) return s.message();
        if (stored != expected) return changedSince(nameOf(t, ch.table, ch.recno, stored));
    }
    return std::string();
}

Status RecordStep::apply(Catalogue& c, UndoDirection direction) {
    if (direction == UndoDirection::Undo) {
        for (auto it = changes_.rbegin(); it != changes_.rend(); ++it)
            RK_RETURN_IF_ERROR(bringTo(c, it->table, it->recno, it->before));
    } else {
        for (const RecordChange& ch : changes_)
            RK_RETURN_IF_ERROR(bringTo(c, ch.table, ch.recno, ch.after));
    }
    return Status::ok();
}

StepRecord RecordStep::shown() const {
    return changes_.empty() ? StepRecord{}
                            : StepRecord{changes_.front().table, changes_.front().recno};
}

// ---------------------------------------------------------------------------------------------
// UnmarkAllStep

std::string UnmarkAllStep::conflict(Catalogue& c, UndoDirection direction) {
    store::Table& t = c.titles();
    const dbf::FieldDef* marked = t.field("MARKED");
    if (!marked) return "the titles have no MARKED field";
    // Undo finds every one of them cleared; redo finds them marked again.
    const bool expected = direction == UndoDirection::Redo;
    std::string stored;
    for (uint32_t recno : recnos_) {
        if (Status s = readStored(t, recno, &stored); !s) return s.message();
        if (isDeleted(stored) || dbf::getLogical(stored, *marked) != expected)
            return changedSince(nameOf(t, CatalogueTable::Titles, recno, stored));
    }
    return std::string();
}

Status UnmarkAllStep::apply(Catalogue& c, UndoDirection direction) {
    store::Table& t = c.titles();
    const dbf::FieldDef* marked = t.field("MARKED");
    if (!marked) return Status::notFound("the titles have no MARKED field");
    std::vector<std::pair<uint32_t, std::string>> changes;
    changes.reserve(recnos_.size());
    std::string image;
    for (uint32_t recno : recnos_) {
        RK_RETURN_IF_ERROR(readStored(t, recno, &image));
        dbf::setLogical(image, *marked, direction == UndoDirection::Undo);
        changes.emplace_back(recno, image);
    }
    return c.updateMany(changes);
}

StepRecord UnmarkAllStep::shown() const {
    return {CatalogueTable::Titles, recnos_.empty() ? 0 : recnos_.front()};
}

// ---------------------------------------------------------------------------------------------
// UndoStack

void UndoStack::push(std::unique_ptr<UndoStep> step) {
    redo_.clear();
    undo_.push_back(std::move(step));
    while (undo_.size() > limit_)
        undo_.pop_front();
    size_t held = 0;
    for (const auto& s : undo_)
        held += s->bytes();
    while (held > byteLimit_ && undo_.size() > 1) {
        held -= undo_.front()->bytes();
        undo_.pop_front();
    }
    changed();
}

void UndoStack::clear() {
    undo_.clear();
    redo_.clear();
    changed();
}

UndoResult UndoStack::step(UndoDirection direction) {
    auto& from = direction == UndoDirection::Undo ? undo_ : redo_;
    auto& to = direction == UndoDirection::Undo ? redo_ : undo_;
    UndoResult result;
    result.direction = direction;
    if (from.empty()) return result;
    UndoStep& s = *from.back();
    result.step = s.name();
    result.shown = s.shown();
    if (std::string why = s.conflict(catalogue_, direction); !why.empty()) {
        result.outcome = UndoResult::Outcome::Conflict;
        result.detail = std::move(why);
        from.pop_back();
    } else if (Status written = s.apply(catalogue_, direction); !written) {
        result.outcome = UndoResult::Outcome::Failed;
        result.detail = written.message();
    } else {
        result.outcome = UndoResult::Outcome::Done;
        to.push_back(std::move(from.back()));
        from.pop_back();
    }
    if (applied_) applied_(result);
    changed();
    return result;
}

// ---------------------------------------------------------------------------------------------
// UndoRecorder

bool UndoRecorder::which(const store::Table& table, CatalogueTable* out) const {
    if (paused_ > 0) return false;
    if (&table == &catalogue_.titles()) {
        *out = CatalogueTable::Titles;
        return true;
    }
    if (&table == &catalogue_.categories()) {
        *out = CatalogueTable::Categories;
        return true;
    }
    return false;
}

// Pushes the change of one record, whose image after the write is read back as stored.
void UndoRecorder::record(std::string name, CatalogueTable table, uint32_t recno,
                          std::string before, store::Table& t) {
    std::string after;
    if (!readStored(t, recno, &after) || after == before) return;
    std::vector<RecordChange> changes;
    changes.push_back({table, recno, std::move(before), std::move(after)});
    stack_.push(std::make_unique<RecordStep>(std::move(name), std::move(changes)));
}

Status UndoRecorder::update(store::Table& table, std::string_view image) {
    CatalogueTable which;
    std::string before;
    const uint32_t recno = table.recNo();
    const bool recording = this->which(table, &which) && readStored(table, recno, &before);
    RK_RETURN_IF_ERROR(catalogue_.update(table, image));
    if (!recording) return Status::ok();
    std::string name = which == CatalogueTable::Categories ? "Category Rename" : "Edit";
    // A change of the mark alone is named after it.
    if (which == CatalogueTable::Titles) {
        if (const dbf::FieldDef* marked = table.field("MARKED")) {
            std::string other(image);
            dbf::setLogical(other, *marked, dbf::getLogical(before, *marked));
            const bool now = dbf::getLogical(image, *marked);
            if (sameData(other, before) && dbf::getLogical(before, *marked) != now)
                name = now ? "Mark" : "Un-Mark";
        }
    }
    record(std::move(name), which, recno, std::move(before), table);
    return Status::ok();
}

Result<uint32_t> UndoRecorder::append(store::Table& table, std::string_view image) {
    auto added = catalogue_.append(table, image);
    CatalogueTable which;
    if (!added || !this->which(table, &which)) return added;
    std::string before;
    if (!readStored(table, *added, &before)) return added;
    before[0] = kDeleted; // undone, a new record is deleted; redone, recalled
    record(which == CatalogueTable::Titles ? "New Title" : "New Category", which, *added,
           std::move(before), table);
    return added;
}

Status UndoRecorder::remove(store::Table& table) {
    CatalogueTable which;
    std::string before;
    const uint32_t recno = table.recNo();
    const bool recording = this->which(table, &which) && readStored(table, recno, &before);
    RK_RETURN_IF_ERROR(catalogue_.remove(table));
    if (recording)
        record(which == CatalogueTable::Titles ? "Delete" : "Category Delete", which, recno,
               std::move(before), table);
    return Status::ok();
}

Status UndoRecorder::recall(store::Table& table) {
    CatalogueTable which;
    std::string before;
    const uint32_t recno = table.recNo();
    const bool recording = this->which(table, &which) && readStored(table, recno, &before);
    RK_RETURN_IF_ERROR(catalogue_.recall(table));
    if (recording)
        record(which == CatalogueTable::Titles ? "Recall" : "Category Recall", which, recno,
               std::move(before), table);
    return Status::ok();
}

Result<uint32_t> UndoRecorder::unmarkAll() {
    std::vector<uint32_t> cleared;
    auto done = catalogue_.unmarkAll({}, &cleared);
    // Marks cleared before a failure are a step too: they can be set again.
    if (!cleared.empty() && paused_ == 0)
        stack_.push(std::make_unique<UnmarkAllStep>(std::move(cleared)));
    return done;
}

} // namespace rk::catalogue
