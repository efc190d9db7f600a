// A table as the program uses it: one DBF file with its structural CDX index, a cursor,
// an active order (0 = natural order, n = the n-th tag of the index file), a query that
// limits the visible records, and the deleted-records filter of this table.
//
// Visible record: not deleted (while the deleted filter is on) and, when a query is set,
// with its query bit on. Every cursor move skips records that are not visible.
//
// A Table object outlives close() and open(): it remembers its order's tag name and its
// query text and applies both again whenever it opens.
#pragma once

#include "dbf.h"
#include "env.h"
#include "indextags.h"
#include "query_plan.h"
#include "record.h"
#include "status.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rk::cdx {
class Cursor;
} // namespace rk::cdx

namespace rk::store {

// Progress of a long operation, 0..100.
using Progress = std::function<void(int percent)>;

struct TableOptions {
    bool exclusive = true;
    bool readOnly = false;
    bool hideDeleted = true; // the deleted filter: deleted records are not visible
    // Each write outside a batch, and each batch, ends with the table and its index flushed
    // to stable storage (a power cut loses nothing that was reported written). Off: a killed
    // process still loses nothing, a power cut may.
    bool sync = true;
    // Called while an index found stale or damaged at open is rebuilt.
    Progress rebuildProgress;
};

// Text copy layouts (copyFileText).
enum class TextFormat {
    CommaDelimited = 21, // "text",number,T,YYYYMMDD per record, CR LF
    SpaceDelimited = 22, // every field at its full width, one space between, CR LF
};

// Text lines read back as records (rkdb append --from, table_text.cpp). Each fills `image`,
// which starts as a blank record, and says what is wrong with a line that does not fit:
//   assignments    FIELD=VALUE items separated by tabs, field names without regard to case,
//                  values as dbf::setFromText takes them; fields not named stay blank
//   comma / space  a line of copyFileText's CommaDelimited or SpaceDelimited layout, every
//                  field in the table's order (a space line may lack its trailing blanks)
// The text is the table's own (Windows-1252); a CR at the end of the line is ignored.
Status recordFromAssignments(const std::vector<dbf::FieldDef>& fields, std::string_view line,
                             std::string* image);
Status recordFromTextLine(const std::vector<dbf::FieldDef>& fields, std::string_view line,
                          TextFormat format, std::string* image);

class IndexFile; // the structural CDX (cdx.h)

class Table {
public:
    explicit Table(std::string path, TableOptions opts = {}, Env* env = Env::standard());
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Opens the file and its structural index; re-applies the remembered order and query.
    Status open();
    void close();
    bool isOpen() const;
    const std::string& path() const { return path_; }
    void setPath(std::string path);     // only while closed
    void setOptions(TableOptions opts); // only while closed
    // What open found and repaired (a cut file, a rebuilt index, ...).
    const std::vector<std::string>& notices() const { return notices_; }

    // Structure.
    const std::vector<dbf::FieldDef>& fields() const;
    int fieldIndex(std::string_view name) const; // -1 when missing
    const dbf::FieldDef* field(std::string_view name) const;
    uint32_t recCount() const;    // physical, deleted records included
    uint16_t recSize() const;     // bytes, flag byte included
    std::string baseDate() const; // last update, "mm/dd/yy"

    // Cursor. A move that finds no visible record leaves eof() (or bof()) true.
    Status goTop();
    Status goBottom();
    Status go(uint32_t recno); // positions on that physical record even if not visible
    Status skip(int64_t n = 1);
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    uint32_t recNo() const { return recno_; } // recCount() + 1 at eof

    // The current record's whole stored image (flag byte first). Blank at eof.
    const std::string& record();
    bool deleted();
    // Writes the current record; keeps every tag current.
    Status putRecord(std::string_view image);
    // Appends a blank record and makes it current (it is visible under any query).
    Result<uint32_t> appendBlank();
    // Appends the image and makes it current.
    Result<uint32_t> appendRecord(std::string_view image);
    // Appends `count` images (count * recSize() bytes) with one write of the table, and makes
    // the last one current; returns its number. Keep: the index takes them in one change.
    // Defer: the index is only marked as being changed, and reindex() after the last group
    // brings it up to date at once (faster when the records are many); until then orders do
    // not show them. Either way a process killed meanwhile leaves whole records and an index
    // marked as being changed, which the next open rebuilds. (table_append.cpp)
    enum class IndexUpkeep { Keep, Defer };
    Result<uint32_t> appendRecords(std::string_view images, uint32_t count,
                                   IndexUpkeep upkeep = IndexUpkeep::Keep);
    Status deleteRecord(); // marks the current record deleted
    Status recall();
    // Keeps the first `count` records and drops those after them (a batch of appends that
    // could not be completed is taken back), rebuilding the index from what stays. The
    // cursor goes to the top. (table_append.cpp)
    Status dropRecordsAfter(uint32_t count);

    // Orders. Order numbers count the tags of the index file from 1 in their stored order.
    std::vector<std::string> tagNames() const;
    int tagArea(std::string_view tagName) const; // order number, 0 when there is no such tag
    int setOrder(int order);                     // returns the order that was active
    int indexOrd() const { return order_; }
    std::string orderName() const; // "" in natural order
    // Seeks a key in the active order (text as for the tag's key expression; a shorter key
    // matches its prefix). Exact: found or eof. Soft: the next key at or after it.
    Status seek(std::string_view key, bool soft, bool* found);

    // The deleted filter: while on (the default), deleted records are not visible.
    void setHideDeleted(bool on) { opts_.hideDeleted = on; }
    bool hidesDeleted() const { return opts_.hideDeleted; }

    // Query. Empty text clears it. The tags answer what they can (query_plan.h): only the
    // records their key ranges give are read and tested.
    Status query(std::string_view expression);
    // How the last query() found its records.
    const QueryPlan& lastQueryPlan() const { return plan_; }
    const std::string& queryText() const { return queryText_; }
    Status setQueryBit(uint32_t recno, bool visible);
    uint32_t queryRecCount(); // visible records
    uint32_t count();         // visible records
    // Every visible record number in the active order.
    Status visibleRecords(std::vector<uint32_t>* out);
    // The first `most` of them (the last, from the end backwards, with `backwards`): only the
    // entries of the order up to them are read, unless the whole order is known already.
    Status visibleRecords(std::vector<uint32_t>* out, uint32_t most, bool backwards);
    // Whether the active order lists every visible record (record order, or a tag without a
    // FOR condition or uniqueness in an index that holds every record), so that count() is
    // the number of records visibleRecords gives.
    bool orderListsAll() const;
    // Calls fn(recno, image) for every visible record in the active order until fn returns
    // false, reading only those records (an index order reads each where it lies, through a
    // view of the file when the file layer has one). The cursor does not move; fn must not
    // change the table. With `only` (field numbers), an index order copies just those fields
    // and the deleted flag out of each record: the rest of the image fn sees is blank.
    using RecordVisitor = std::function<bool(uint32_t recno, std::string_view image)>;
    Status walk(const RecordVisitor& fn, const std::vector<int>& only = {});

    // A filter beside the query (the quick filter): one flag per record number, and a record
    // whose flag is 0 is not visible. Records beyond its end are visible (titles added after
    // it was set). It stays until it is set again or cleared (nullptr); close and pack, which
    // forget or renumber the records, drop it.
    void setFilter(std::shared_ptr<const std::vector<uint8_t>> flags);
    bool filtered() const { return filter_ != nullptr; }

    // Whole-table passes.
    bool flock();
    void unlock();
    void setTurboRead(bool on);
    Status copyFileText(const std::string& path, TextFormat format);
    Status pack(const Progress& progress = {});
    Status reindex(const Progress& progress = {});
    // Makes the structural index with these tags (replacing any) from the records, and sets
    // the table's flag that says it has one. Needs the table open for changes.
    Status createIndex(const std::vector<TagSpec>& tags, const Progress& progress = {});

    // Batches. Between beginBatch() and endBatch() every append and write goes to the table
    // file at once, as always, while the index takes them all under one mark "being
    // changed": its changed pages stay in memory (up to a bound) and are written, marked
    // sound and synced with the table once, at the end. A batch killed midway loses no
    // record whose write returned; the next open finds the index marked and rebuilds it.
    // Batches nest: the outermost end finishes. A write that fails inside a batch leaves the
    // index matching the records before it; the batch can go on or end. Prefer Batch (below),
    // which ends the batch on every way out.
    Status beginBatch();
    Status endBatch();
    bool inBatch() const { return batchDepth_ > 0; }

    // Low level access for engine tools (rkdb, the full-text build).
    dbf::DbfFile* dbf() { return dbf_.get(); }
    IndexFile* index() { return index_.get(); }

private:
    struct QueryState;
    Status loadCurrent();
    Status readCached(uint32_t recno, std::string* out);
    void updateCaches(uint32_t recno, std::string_view image);
    Status scan(const std::function<void(uint32_t, std::string_view)>& fn);
    // A pass over every record that reads only these byte ranges of each (offset, length; the
    // rest of the image fn sees is blank), from the view of the file when there is one.
    using Spans = std::vector<std::pair<uint32_t, uint32_t>>;
    Status scanParts(const Spans& spans, const std::function<void(uint32_t, std::string_view)>& fn);
    // The table file as a view kept while the table is open, for the passes of queries: their
    // records are read where they lie, and a later pass finds the file mapped already. Null
    // when the file layer has none.
    FileView* recordView();
    Status testCandidates(QueryState& q, bool exact, Status* fault);
    Status orderedWalk(const RecordVisitor& fn, const std::vector<int>& only, bool* started);
    bool isVisible(uint32_t recno);
    const std::vector<uint8_t>* queryBits() const; // nullptr without a query
    void noteDeleted(uint32_t recno, std::string_view image) {
        if (deletedState_.size() <= recno) deletedState_.resize(size_t(recno) + 1, 0);
        deletedState_[recno] = dbf::isDeleted(image) ? 2 : 1;
    }
    bool isDeletedRecord(uint32_t recno); // reads the record when its flag is not known
    // The index knows the table holds no deleted record (so no flag need be read).
    bool noneDeleted() const;
    Status learnAllDeleted(); // one pass, for what needs every record's flag
    uint32_t nextVisible(uint32_t from, int direction); // 0 when there is none
    void setPosition(uint32_t recno);
    void setEof();
    Status goEdge(bool last);
    Status setDeletedFlag(bool deleted);
    Status finishWrites();
    void writeFailed();

    // The structural index (table_index.cpp).
    Status openIndex();
    bool ordered() const; // an index order is active
    cdx::Cursor& cursor();
    Status currentKey(std::string* key);
    Status orderedEdge(bool last);
    Status orderedSkip(int64_t n);
    Status orderedRecords(std::vector<uint32_t>* out);
    Status orderedRecords(std::vector<uint32_t>* out, uint32_t most, bool backwards);
    Status indexBegin();
    Status indexAfterWrite(uint32_t recno, std::string_view before, std::string_view after,
                           bool added);
    Status repairIndex(const Status& cause);
    Status retryOnDamage(const std::function<Status()>& step);

    std::string path_;
    TableOptions opts_;
    Env* env_;
    std::unique_ptr<dbf::DbfFile> dbf_;
    std::shared_ptr<IndexFile> index_;    // null when the table has no structural index
    std::unique_ptr<cdx::Cursor> cursor_; // in the active order
    int cursorTag_ = -1;
    uint32_t cursorRecno_ = 0; // the record cursor_ was placed on; 0: not placed
    std::vector<std::string> notices_;

    int order_ = 0;
    std::string orderTag_;  // remembered across close/open
    std::string queryText_; // remembered across close/open
    std::unique_ptr<QueryState> query_;
    // The answers of the last few queries (a flag per record: the condition holds), kept
    // current by every write while the table is open exclusively, so that a query asked again
    // reads nothing.
    struct KeptAnswer {
        std::string text;
        xbase::Expr expr;
        std::vector<uint8_t> bits;
    };
    std::vector<KeptAnswer> kept_;         // the latest last
    const dbf::DbfFile* keptOf_ = nullptr; // the file they are answers of
    const KeptAnswer* keptAnswer(std::string_view text);
    void keepAnswer(std::string_view text, const QueryState& q);
    void keepCurrent(uint32_t recno, std::string_view image);
    std::unique_ptr<FileView> view_;       // recordView()
    const dbf::DbfFile* viewOf_ = nullptr; // the file view_ maps
    std::shared_ptr<const std::vector<uint8_t>> filter_;
    // Every entry of the active order, as its last walk found them; walked again when the
    // order changes or the index may have changed (indexEpoch_ counts the changes).
    std::vector<uint32_t> orderCache_;
    int orderCacheOrder_ = 0;
    uint64_t orderCacheEpoch_ = 0;
    uint64_t indexEpoch_ = 1;

    uint32_t recno_ = 0;
    bool eof_ = true, bof_ = true;
    bool loaded_ = false;
    std::string current_;
    std::string cache_; // the last records read: a read-ahead when reads are consecutive
    uint32_t cacheFirst_ = 0, cacheCount_ = 0;
    // Each record's deleted flag as last read or written (0 not known yet, 1 live, 2 deleted):
    // learnt whenever a record is read, kept current by writes. allDeletedKnown_ once one
    // pass has read them all (what needs every flag: counting the whole table).
    std::vector<uint8_t> deletedState_;
    bool allDeletedKnown_ = false;
    QueryPlan plan_;
    bool turbo_ = false;
    bool flocked_ = false;
    int batchDepth_ = 0;
    bool countPending_ = false; // appends in a batch whose count the header does not have yet
    bool unsynced_ = false;     // written since the last flush to stable storage
};

// A batch of changes for as long as it lives (see Table::beginBatch). finish() ends it and
// says how the end went; a batch left without finish() (an early return) ends all the same.
class Batch {
public:
    explicit Batch(Table& table) : table_(table), begun_(table.beginBatch()) {}
    ~Batch() {
        if (begun_ && !finished_)
            rk::ignore(table_.endBatch(), "an early way out reports its own error");
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;
    // Why the batch could not begin (the table is not open).
    const Status& status() const { return begun_; }
    Status finish() {
        if (!begun_ || finished_) return begun_;
        finished_ = true;
        return table_.endBatch();
    }

private:
    Table& table_;
    Status begun_;
    bool finished_ = false;
};

// A pass over the whole table for as long as it lives: the table's lock is taken and reads go
// ahead of the cursor; both end on every way out. locked() says whether the lock was had (a
// pass without it should not begin).
class WholeTablePass {
public:
    explicit WholeTablePass(Table& table) : table_(table), locked_(table.flock()) {
        if (locked_) table_.setTurboRead(true);
    }
    ~WholeTablePass() {
        if (!locked_) return;
        table_.setTurboRead(false);
        table_.unlock();
    }
    WholeTablePass(const WholeTablePass&) = delete;
    WholeTablePass& operator=(const WholeTablePass&) = delete;
    bool locked() const { return locked_; }

private:
    Table& table_;
    bool locked_;
};

// Shows a table's deleted records for as long as it lives, and puts the deleted filter back
// as it was on every way out.
class ShowDeleted {
public:
    explicit ShowDeleted(Table& table) : table_(table), was_(table.hidesDeleted()) {
        table_.setHideDeleted(false);
    }
    ~ShowDeleted() { table_.setHideDeleted(was_); }
    ShowDeleted(const ShowDeleted&) = delete;
    ShowDeleted& operator=(const ShowDeleted&) = delete;

private:
    Table& table_;
    bool was_;
};

} // namespace rk::store
