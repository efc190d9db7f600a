#include "dataset.h"

#include "record.h"
#include "text.h"

namespace rk::fw {

Dataset::Dataset(store::Table* table, QObject* parent) : QObject(parent), table_(table) {
    if (table_ && table_->isOpen()) setActive(true);
}

void Dataset::setActive(bool active) {
    unstored_.clear();
    modified_ = false;
    if (!active || !table_ || !table_->isOpen()) {
        hasRecord_ = false;
        buffer_.clear();
        setState(State::Inactive);
        showRecord(true);
        emitSetChanged();
        return;
    }
    setState(State::Browse);
    load();
    bof_ = true;
    eof_ = !hasRecord_;
    showRecord(true);
    emitSetChanged();
}

void Dataset::refresh() {
    if (!isActive()) return;
    if (isEditing()) cancel();
    // The current record may have become invisible (deleted, outside a new query).
    if (!table_->eof()) {
        const uint32_t rec = table_->recNo();
        if (!table_->go(rec).isOk() || table_->deleted())
            ignore(table_->goTop(), "a failed move leaves no current record, which load() shows");
    }
    load();
    showRecord(true);
    emitSetChanged();
}

uint32_t Dataset::recNo() const {
    if (state_ == State::Insert || !hasRecord_) return 0;
    return table_->recNo();
}

void Dataset::load() {
    if (!table_->isOpen() || table_->eof()) {
        hasRecord_ = false;
        buffer_ = table_->isOpen() && table_->dbf() ? table_->dbf()->blankRecord() : std::string();
    } else {
        hasRecord_ = true;
        buffer_ = table_->record();
    }
}

void Dataset::setState(State s) {
    if (state_ == s) return;
    state_ = s;
    if (!controlsDisabled()) emit stateChanged();
}

Status Dataset::fail(Status s) {
    if (!s.isOk()) emit postFailed(s);
    return s;
}

void Dataset::showRecord(bool moved) {
    if (controlsDisabled()) {
        pendingShow_ = true;
        return;
    }
    if (moved) emit recordMoved();
    emit dataChanged(-1);
}

void Dataset::emitSetChanged() {
    if (controlsDisabled()) {
        pendingSet_ = true;
        return;
    }
    emit setChanged();
}

void Dataset::disableControls() {
    ++disabled_;
}

void Dataset::enableControls() {
    if (disabled_ == 0 || --disabled_ > 0) return;
    emit stateChanged();
    if (pendingSet_) emit setChanged();
    if (pendingShow_) {
        emit recordMoved();
        emit dataChanged(-1);
    }
    pendingSet_ = pendingShow_ = false;
}

Status Dataset::checkBrowseMode() {
    if (!isEditing()) return Status::ok();
    if (modified_ || !unstored_.empty()) return post();
    cancel();
    return Status::ok();
}

Status Dataset::first() {
    if (!isActive()) return Status::ok();
    RK_RETURN_IF_ERROR(checkBrowseMode());
    const Status s = table_->goTop();
    load();
    bof_ = true;
    eof_ = !hasRecord_;
    showRecord(true);
    return s;
}

Status Dataset::last() {
    if (!isActive()) return Status::ok();
    RK_RETURN_IF_ERROR(checkBrowseMode());
    const Status s = table_->goBottom();
    load();
    eof_ = true;
    bof_ = !hasRecord_;
    showRecord(true);
    return s;
}

Status Dataset::next() {
    if (!isActive()) return Status::ok();
    RK_RETURN_IF_ERROR(checkBrowseMode());
    if (!hasRecord_) return Status::ok();
    Status s = table_->skip(1);
    bof_ = false;
    if (table_->eof()) {
        // Stay on the last record, as a data-aware window expects; eof() tells the caller.
        s = table_->goBottom();
        eof_ = true;
    }
    load();
    showRecord(true);
    return s;
}

Status Dataset::prior() {
    if (!isActive()) return Status::ok();
    RK_RETURN_IF_ERROR(checkBrowseMode());
    if (!hasRecord_) return Status::ok();
    Status s = table_->skip(-1);
    eof_ = false;
    if (table_->bof() || table_->eof()) {
        s = table_->goTop();
        bof_ = true;
    }
    load();
    showRecord(true);
    return s;
}

Status Dataset::goTo(uint32_t recno) {
    if (!isActive()) return Status::ok();
    RK_RETURN_IF_ERROR(checkBrowseMode());
    const Status s = table_->go(recno);
    load();
    bof_ = eof_ = !hasRecord_;
    showRecord(true);
    return s;
}

Status Dataset::setQuery(const std::string& expression) {
    if (!isActive()) return Status::ok();
    RK_RETURN_IF_ERROR(checkBrowseMode());
    const Status s = table_->query(expression);
    ignore(table_->goTop(), "a failed move leaves no current record, which load() shows");
    load();
    bof_ = true;
    eof_ = !hasRecord_;
    emitSetChanged();
    showRecord(true);
    return s;
}

Status Dataset::setFilter(std::shared_ptr<const std::vector<uint8_t>> flags) {
    if (!isActive()) return Status::ok();
    RK_RETURN_IF_ERROR(checkBrowseMode());
    table_->setFilter(std::move(flags));
    const Status s = table_->goTop();
    load();
    bof_ = true;
    eof_ = !hasRecord_;
    emitSetChanged();
    showRecord(true);
    return s;
}

Status Dataset::setOrder(int order) {
    if (!isActive()) return Status::ok();
    RK_RETURN_IF_ERROR(checkBrowseMode());
    table_->setOrder(order);
    const Status s = table_->goTop();
    load();
    bof_ = true;
    eof_ = !hasRecord_;
    emitSetChanged();
    showRecord(true);
    return s;
}

Status Dataset::readOnlyRefusal() const {
    return Status::invalid("the catalogue is open for reading only: nothing can be changed");
}

Status Dataset::edit() {
    if (readOnly_) return readOnlyRefusal();
    switch (state_) {
    case State::Inactive:
        return Status::invalid("the table is not open");
    case State::Edit:
    case State::Insert:
        return Status::ok();
    case State::Browse:
        break;
    }
    if (!hasRecord_) return insert();
    buffer_ = table_->record();
    modified_ = false;
    setState(State::Edit);
    return Status::ok();
}

Status Dataset::insert() {
    if (readOnly_) return readOnlyRefusal();
    if (!isActive()) return Status::invalid("the table is not open");
    RK_RETURN_IF_ERROR(checkBrowseMode());
    insertFrom_ = hasRecord_ ? table_->recNo() : 0;
    buffer_ = table_->dbf()->blankRecord();
    modified_ = false;
    unstored_.clear();
    setState(State::Insert);
    emit newRecord();
    showRecord(true);
    return Status::ok();
}

Status Dataset::post() {
    if (!isEditing()) return Status::ok();
    if (postCheck_) {
        switch (postCheck_()) {
        case PostCheck::Post:
            break;
        case PostCheck::Abandon:
            cancel();
            return Status::ok();
        case PostCheck::Refuse:
            return Status::invalid("the record was not posted");
        }
    }
    if (!unstored_.empty()) {
        const auto& [index, typed] = *unstored_.begin();
        const dbf::FieldDef& f = fields()[size_t(index)];
        // A text with a control character says which; any other refusal names the value.
        Status why = dbf::checkFieldText(f, toCp1252(typed));
        if (why.isOk())
            why = Status::invalid("\"" + typed.toStdString() + "\" cannot be stored in " + f.name);
        return fail(why);
    }
    if (state_ == State::Edit) {
        RK_RETURN_IF_ERROR(fail(writer().update(*table_, buffer_)));
    } else {
        auto added = writer().append(*table_, buffer_);
        if (!added.isOk()) return fail(added.status());
    }
    modified_ = false;
    load();
    hasRecord_ = !table_->eof();
    bof_ = eof_ = false;
    setState(State::Browse);
    emit afterPost();
    // The record may have moved in the order, or have joined the set.
    emitSetChanged();
    showRecord(true);
    return Status::ok();
}

void Dataset::cancel() {
    if (!isEditing()) return;
    const bool wasInsert = state_ == State::Insert;
    unstored_.clear();
    modified_ = false;
    if (wasInsert && insertFrom_ != 0)
        ignore(table_->go(insertFrom_),
               "a failed move leaves no current record, which load() shows");
    load();
    setState(State::Browse);
    emit afterCancel();
    showRecord(wasInsert);
}

Status Dataset::deleteCurrent() {
    if (readOnly_) return readOnlyRefusal();
    if (state_ == State::Insert) {
        cancel();
        return Status::ok();
    }
    if (state_ == State::Edit) cancel();
    if (!isActive() || !hasRecord_) return Status::ok();
    RK_RETURN_IF_ERROR(writer().remove(*table_));
    // The deleted record has left the set: the next visible one becomes current, or the
    // last one when it was the last.
    // The record is deleted whatever the move gives: a failed move leaves no current record.
    ignore(table_->skip(1), "the delete itself succeeded");
    if (table_->eof()) ignore(table_->goBottom(), "the delete itself succeeded");
    load();
    bof_ = eof_ = !hasRecord_;
    emit afterDelete();
    emitSetChanged();
    showRecord(true);
    return Status::ok();
}

const std::vector<dbf::FieldDef>& Dataset::fields() const {
    static const std::vector<dbf::FieldDef> none;
    return table_ && table_->isOpen() ? table_->fields() : none;
}

int Dataset::fieldIndex(std::string_view name) const {
    return table_ && table_->isOpen() ? table_->fieldIndex(name) : -1;
}

const dbf::FieldDef* Dataset::field(int index) const {
    const auto& all = fields();
    return index >= 0 && size_t(index) < all.size() ? &all[size_t(index)] : nullptr;
}

QString Dataset::text(int index) const {
    const dbf::FieldDef* f = field(index);
    if (!f || buffer_.empty()) return QString();
    if (auto it = unstored_.find(index); it != unstored_.end()) return it->second;
    const std::string_view raw = dbf::rawField(buffer_, *f);
    if (raw.find_first_not_of(' ') == std::string_view::npos) return QString();
    if (f->type == 'C') return fromCp1252(dbf::trimmedField(buffer_, *f));
    return fromCp1252(dbf::displayText(buffer_, *f));
}

bool Dataset::logical(int index) const {
    const dbf::FieldDef* f = field(index);
    return f && !buffer_.empty() && dbf::getLogical(buffer_, *f);
}

bool Dataset::storeText(int index, const QString& typed, Status* status) {
    const dbf::FieldDef& f = *field(index);
    // A field holds one line: line breaks and tabs typed or pasted become spaces (a CR LF one).
    QString value = typed;
    value.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (const QChar c : {QChar(u'\r'), QChar(u'\n'), QChar(u'\t')})
        value.replace(c, QChar(u' '));
    std::string image = buffer_;
    const std::string bytes = toCp1252(value);
    if (f.type == 'C') {
        *status = dbf::checkFieldText(f, bytes);
        if (status->isOk()) dbf::setString(image, f, bytes);
    } else if (value.trimmed().isEmpty()) {
        dbf::setBlank(image, f);
    } else {
        *status = dbf::setFromText(image, f, bytes);
    }
    if (!status->isOk()) {
        const bool changed = unstored_[index] != value;
        unstored_[index] = value;
        return changed;
    }
    const bool wasUnstored = unstored_.erase(index) > 0;
    if (image == buffer_) return wasUnstored;
    buffer_.swap(image);
    return true;
}

Status Dataset::setText(int index, const QString& value) {
    if (!field(index)) return Status::notFound("no such field");
    RK_RETURN_IF_ERROR(edit());
    Status status;
    if (storeText(index, value, &status)) {
        modified_ = true;
        if (!controlsDisabled()) emit dataChanged(index);
    }
    return status;
}

Status Dataset::setLogical(int index, bool value) {
    const dbf::FieldDef* f = field(index);
    if (!f) return Status::notFound("no such field");
    RK_RETURN_IF_ERROR(edit());
    std::string image = buffer_;
    dbf::setLogical(image, *f, value);
    if (image != buffer_) {
        buffer_.swap(image);
        modified_ = true;
        if (!controlsDisabled()) emit dataChanged(index);
    }
    return Status::ok();
}

} // namespace rk::fw
