// A dataset over one store table: the current record as an edit buffer, with the states
// of a data-aware window and the events the windows hang their rules on.
//
// States and the calls that move between them:
//
//              edit(), or setText() on a field while browsing
//     +--------+  ---------------------------------------->  +------+
//     | Browse |                                             | Edit |
//     +--------+  <----------------------------------------  +------+
//       |   ^        post() writes the record (putRecord),      |  a failed post
//       |   |        cancel() re-reads the stored record        +--> stays in Edit
//       |   |
//       |   |        post() appends the buffer (appendRecord)
//       |   +------------------------------------------------ +--------+
//       |            cancel() drops the buffer: nothing is    | Insert |
//       |            written, the previous record is current  +--------+
//       +----------------------------------------------------->   |  a failed post
//              insert(); edit() on an empty set                   +--> stays in Insert
//
//     Inactive: the table is closed (setActive(false)); setActive(true) re-reads it and
//     enters Browse.
//
// Every write goes through the dataset's writer (store/recordwriter.h): the catalogue engine
// for the catalogue's tables, which carries each change into what derives from the titles;
// without one, the record is written to the table and nothing else.
//
// Before a post writes anything, the window's post check (setPostCheck) may let it go on,
// abandon the edit as cancel() does, or refuse it (the record stays in edit).
//
// checkBrowseMode() ends an edit before anything moves: a modified buffer is posted, an
// unmodified one cancelled. Every move (first, last, next, prior, goTo), setQuery(),
// setOrder() and insert() call it first; when its post fails, the move does not happen
// and postFailed() tells the window why.
//
// An inserted record is written only when it is posted, so an abandoned insert leaves no
// trace in the file.
//
// A field holds one line: line breaks and tabs in a text given to setText become spaces.
//
// Field values pass through as text: character fields without their trailing blanks,
// numbers as stored, logical fields as T or F. A number that cannot be stored (not a
// number, too wide for its field) is kept as typed and makes the post fail with a message
// that names the field; nothing the user typed is dropped in silence.
#pragma once

#include "recordwriter.h"
#include "status.h"
#include "table.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace rk::fw {

class Dataset : public QObject {
    Q_OBJECT

public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit Dataset(store::Table* table, QObject* parent = nullptr);

    store::Table* table() const { return table_; }
    // Who writes the dataset's changes (nullptr: straight to the table).
    void setWriter(store::RecordWriter* writer) { writer_ = writer; }
    // A read-only dataset refuses every edit, insert and delete (its table is on media that
    // cannot be written): nothing typed is taken in to be lost later.
    void setReadOnly(bool on) { readOnly_ = on; }
    bool isReadOnly() const { return readOnly_; }

    // Re-reads the table after it was opened, closed or changed outside the dataset (the
    // full-text build closes and reopens it; pack renumbers it). Ends any edit unposted.
    void setActive(bool active);
    bool isActive() const { return state_ != State::Inactive; }
    void refresh();

    State state() const { return state_; }
    bool isEditing() const { return state_ == State::Edit || state_ == State::Insert; }
    bool isModified() const { return modified_; }
    // No current record: the visible set is empty (and no insert is under way).
    bool isEmpty() const { return !hasRecord_ && state_ != State::Insert; }
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    // The current record's number; 0 while inserting or when the set is empty.
    uint32_t recNo() const;

    Status first();
    Status last();
    Status next();
    Status prior();
    Status goTo(uint32_t recno);
    Status setQuery(const std::string& expression);
    // Sets the table's filter beside the query (Table::setFilter; nullptr clears it) and
    // moves to the first record, as setQuery does.
    Status setFilter(std::shared_ptr<const std::vector<uint8_t>> flags);
    // Makes `order` the controlling order (0: record order) and moves to the first record.
    Status setOrder(int order);

    Status edit();
    Status insert();
    Status post();
    void cancel();
    // Marks the current record deleted and moves to the next visible one (or the last).
    Status deleteCurrent();
    Status checkBrowseMode();

    // Asked before every post of an edited record. Post goes on; Abandon cancels the edit
    // (nothing is written, and the post counts as done, so a move goes on); Refuse writes
    // nothing and keeps the record in edit (the post fails; the check has told the user why,
    // so postFailed is not emitted).
    enum class PostCheck { Post, Abandon, Refuse };
    void setPostCheck(std::function<PostCheck()> check) { postCheck_ = std::move(check); }

    const std::vector<dbf::FieldDef>& fields() const;
    int fieldIndex(std::string_view name) const; // -1 when the table has no such field
    const dbf::FieldDef* field(int index) const;

    QString text(int field) const;
    QString text(std::string_view name) const { return text(fieldIndex(name)); }
    bool logical(int field) const;
    bool logical(std::string_view name) const { return logical(fieldIndex(name)); }
    // Puts the dataset into Edit (or Insert on an empty set) first.
    Status setText(int field, const QString& value);
    Status setText(std::string_view name, const QString& value) {
        return setText(fieldIndex(name), value);
    }
    Status setLogical(int field, bool value);
    Status setLogical(std::string_view name, bool value) {
        return setLogical(fieldIndex(name), value);
    }
    // The record image the dataset shows: the edit buffer while editing or inserting.
    const std::string& image() const { return buffer_; }

    // While disabled no event reaches the controls; enabling again shows the current state
    // once. Calls nest.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return disabled_ > 0; }

signals:
    void stateChanged();
    // A field of the current record changed (its index), or a whole record is shown (-1).
    void dataChanged(int field);
    // Another record became current (also: an insert started or was abandoned).
    void recordMoved();
    // The set of visible records or their order may have changed: lists reload.
    void setChanged();
    void newRecord();
    void afterPost();
    void afterCancel();
    void afterDelete();
    // A post, or a move that had to post first, failed; the record is still in edit.
    void postFailed(const rk::Status& status);

private:
    std::function<PostCheck()> postCheck_;
    Status readOnlyRefusal() const;
    void load();
    void setState(State s);
    Status fail(Status s);
    void showRecord(bool moved);
    void emitSetChanged();
    bool storeText(int field, const QString& value, Status* status);

    store::RecordWriter& writer() const {
        return writer_ ? *writer_ : *store::DirectWriter::instance();
    }

    store::Table* table_;
    store::RecordWriter* writer_ = nullptr;
    bool readOnly_ = false;
    State state_ = State::Inactive;
    std::string buffer_;
    bool hasRecord_ = false;
    bool modified_ = false;
    bool bof_ = true, eof_ = true;
    uint32_t insertFrom_ = 0;         // the record that was current when an insert began
    std::map<int, QString> unstored_; // typed values a field cannot hold (yet)
    int disabled_ = 0;
    bool pendingShow_ = false, pendingSet_ = false;
};

} // namespace rk::fw
