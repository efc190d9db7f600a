#include "table.h"

#include "cdx.h"
#include "expr.h"
#include "record.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace rk::store {

namespace {

// The records in a set of flags, eight at a time where none is on (most of a query's set).
uint32_t countSet(const std::vector<uint8_t>& bits) {
    uint32_t c = 0;
    size_t i = 0;
    for (uint64_t w; i + 8 <= bits.size(); i += 8) {
        std::memcpy(&w, bits.data() + i, 8);
        if (w == 0) continue;
        for (size_t k = 0; k < 8; ++k)
            c += bits[i + k] == 1;
    }
    for (; i < bits.size(); ++i)
        c += bits[i] == 1;
    return c;
}

} // namespace

namespace {
constexpr uint32_t kReadAheadRecords = 64;
constexpr size_t kScanBytes = 1 << 20; // one read of a whole-table pass

// Byte ranges of a record (offset, length), sorted, with overlapping ones and those less than
// `gap` bytes apart joined.
void mergeSpans(std::vector<std::pair<uint32_t, uint32_t>>* spans, uint32_t gap = 0) {
    auto& s = *spans;
    std::sort(s.begin(), s.end());
    size_t k = 0;
    for (size_t i = 1; i < s.size(); ++i) {
        if (s[i].first <= s[k].first + s[k].second + gap)
            s[k].second = std::max(s[k].second, s[i].first + s[i].second - s[k].first);
        else
            s[++k] = s[i];
    }
    if (!s.empty()) s.resize(k + 1);
}
} // namespace

// The visible set of a query: one bit per record number (index 0 unused). A query set by
// text also keeps its expression; a set built by setQueryBit alone has none.
struct Table::QueryState {
    xbase::Expr expr;
    std::vector<uint8_t> bits;
};

Table::Table(std::string path, TableOptions opts, Env* env)
    : path_(std::move(path)), opts_(std::move(opts)), env_(env) {}

Table::~Table() {
    close();
}

void Table::setPath(std::string path) {
    if (!isOpen()) path_ = std::move(path);
}

void Table::setOptions(TableOptions opts) {
    if (!isOpen()) opts_ = std::move(opts);
}

bool Table::isOpen() const {
    return dbf_ != nullptr;
}

Status Table::open() {
    if (isOpen()) return Status::ok();
    notices_.clear();
    dbf::OpenOptions o;
    o.readOnly = opts_.readOnly;
    o.exclusive = opts_.exclusive;
    auto d = dbf::DbfFile::open(path_, o, env_);
    if (!d) return d.status();
    dbf_ = std::move(*d);
    notices_ = dbf_->diagnostics();
    cacheFirst_ = cacheCount_ = 0;
    deletedState_.clear();
    allDeletedKnown_ = false;
    query_.reset();
    plan_ = QueryPlan{};
    order_ = 0;
    RK_RETURN_IF_ERROR(openIndex());
    if (!orderTag_.empty()) order_ = tagArea(orderTag_);
    if (!queryText_.empty()) {
        std::string text = queryText_;
        Status s = query(text);
        if (!s) {
            notices_.push_back("the remembered query \"" + text +
                               "\" no longer applies: " + s.message());
            queryText_.clear();
        }
    }
    return goTop();
}

void Table::close() {
    if (batchDepth_ > 0 && dbf_) {
        batchDepth_ = 0;
        rk::ignore(finishWrites(), "closing cannot report; an index left marked is rebuilt at "
                                   "the next open");
    }
    batchDepth_ = 0;
    countPending_ = false;
    cursor_.reset();
    cursorTag_ = -1;
    cursorRecno_ = 0;
    index_.reset();
    view_.reset();
    viewOf_ = nullptr;
    kept_.clear();
    keptOf_ = nullptr;
    dbf_.reset();
    query_.reset();
    filter_.reset();
    ++indexEpoch_;
    orderCache_.clear();
    deletedState_.clear();
    allDeletedKnown_ = false;
    cacheFirst_ = cacheCount_ = 0;
    cache_.clear();
    current_.clear();
    loaded_ = false;
    recno_ = 0;
    eof_ = bof_ = true;
    flocked_ = false;
}

// ---------------------------------------------------------------------------------------------
// Structure

const std::vector<dbf::FieldDef>& Table::fields() const {
    static const std::vector<dbf::FieldDef> none;
    return dbf_ ? dbf_->fields() : none;
}

int Table::fieldIndex(std::string_view name) const {
    return dbf_ ? dbf_->fieldIndex(name) : -1;
}

const dbf::FieldDef* Table::field(std::string_view name) const {
    int i = fieldIndex(name);
    return i < 0 ? nullptr : &dbf_->fields()[i];
}

uint32_t Table::recCount() const {
    return dbf_ ? dbf_->recordCount() : 0;
}
uint16_t Table::recSize() const {
    return dbf_ ? dbf_->recordLength() : 0;
}
std::string Table::baseDate() const {
    return dbf_ ? dbf::americanDate(dbf_->lastUpdate()) : "";
}

// ---------------------------------------------------------------------------------------------
// Reading

Status Table::readCached(uint32_t recno, std::string* out) {
    if (recno < cacheFirst_ || recno >= cacheFirst_ + cacheCount_) {
        // Read ahead only for a walk in record order: a read that continues the last one.
        const bool consecutive = cacheCount_ > 0 && recno == cacheFirst_ + cacheCount_;
        uint32_t n = consecutive ? std::min(kReadAheadRecords, recCount() - recno + 1) : 1;
        cache_.resize(size_t(n) * recSize());
        cacheFirst_ = cacheCount_ = 0;
        RK_RETURN_IF_ERROR(dbf_->readRecords(recno, n, cache_.data()));
        cacheFirst_ = recno;
        cacheCount_ = n;
        for (uint32_t i = 0; i < n; ++i)
            noteDeleted(recno + i, std::string_view(cache_.data() + size_t(i) * recSize(), 1));
    }
    const char* p = cache_.data() + size_t(recno - cacheFirst_) * recSize();
    out->assign(p, recSize());
    return Status::ok();
}

void Table::updateCaches(uint32_t recno, std::string_view image) {
    if (recno >= cacheFirst_ && recno < cacheFirst_ + cacheCount_)
        std::memcpy(cache_.data() + size_t(recno - cacheFirst_) * recSize(), image.data(),
                    image.size());
    noteDeleted(recno, image);
}

Status Table::loadCurrent() {
    if (loaded_) return Status::ok();
    if (!dbf_ || eof_ || recno_ < 1 || recno_ > recCount()) {
        current_ = dbf_ ? dbf_->blankRecord() : std::string();
        loaded_ = true;
        return Status::ok();
    }
    RK_RETURN_IF_ERROR(readCached(recno_, &current_));
    loaded_ = true;
    return Status::ok();
}

const std::string& Table::record() {
    if (!loadCurrent()) current_ = dbf_ ? dbf_->blankRecord() : std::string();
    return current_;
}

bool Table::deleted() {
    return dbf::isDeleted(record());
}

Status Table::scan(const std::function<void(uint32_t, std::string_view)>& fn) {
    uint32_t n = recCount();
    // A read of up to kScanBytes, no larger than the table (a small one allocates little).
    uint32_t per = std::max<uint32_t>(
        1, std::min<uint32_t>(n, uint32_t(kScanBytes / std::max<size_t>(1, recSize()))));
    std::vector<char> buf(size_t(per) * recSize());
    for (uint32_t r = 1; r <= n; r += per) {
        uint32_t k = std::min(per, n - r + 1);
        RK_RETURN_IF_ERROR(dbf_->readRecords(r, k, buf.data()));
        for (uint32_t i = 0; i < k; ++i)
            fn(r + i, std::string_view(buf.data() + size_t(i) * recSize(), recSize()));
    }
    return Status::ok();
}

FileView* Table::recordView() {
    const uint64_t end = dbf_->headerLength() + uint64_t(recCount()) * recSize();
    if (view_ && viewOf_ == dbf_.get() && view_->size() >= end) return view_.get();
    // Another file (a pack replaced it) or records added since: mapped again.
    view_.reset();
    viewOf_ = nullptr;
    auto v = dbf_->view();
    if (!v || (*v)->size() < end) return nullptr;
    view_ = std::move(*v);
    viewOf_ = dbf_.get();
    return view_.get();
}

Status Table::scanParts(const Spans& spans,
                        const std::function<void(uint32_t, std::string_view)>& fn) {
    FileView* view = recordView();
    if (!view) return scan(fn);
    const uint32_t n = recCount();
    const uint16_t len = recSize();
    const uint64_t first = dbf_->headerLength();
    // Each range of a group of records in one call, then the records one by one.
    constexpr uint32_t kGroup = 4096;
    std::vector<std::string> parts(spans.size());
    std::string img = dbf_->blankRecord();
    for (uint32_t r = 1; r <= n; r += kGroup) {
        const uint32_t k = std::min(kGroup, n - r + 1);
        const uint64_t at = first + uint64_t(r - 1) * len;
        for (size_t j = 0; j < spans.size(); ++j) {
            parts[j].resize(size_t(k) * spans[j].second);
            RK_RETURN_IF_ERROR(
                view->gather(at + spans[j].first, len, spans[j].second, k, parts[j].data()));
        }
        // The pages passed are let go: a pass holds a group's pages, not the file's.
        view->release(at, uint64_t(k) * len);
        for (uint32_t i = 0; i < k; ++i) {
            for (size_t j = 0; j < spans.size(); ++j)
                std::memcpy(img.data() + spans[j].first,
                            parts[j].data() + size_t(i) * spans[j].second, spans[j].second);
            fn(r + i, img);
        }
    }
    return Status::ok();
}

bool Table::noneDeleted() const {
    return index_ && index_->usable() && index_->deletedCount() == 0;
}

Status Table::learnAllDeleted() {
    if (allDeletedKnown_) return Status::ok();
    if (deletedState_.size() <= recCount()) deletedState_.resize(size_t(recCount()) + 1, 0);
    if (noneDeleted()) {
        // The index counted them: every flag not learnt otherwise is "live".
        for (size_t r = 1; r < deletedState_.size(); ++r)
            if (!deletedState_[r]) deletedState_[r] = 1;
        allDeletedKnown_ = true;
        return Status::ok();
    }
    RK_RETURN_IF_ERROR(
        scanParts({{0, 1}}, [&](uint32_t r, std::string_view img) { noteDeleted(r, img); }));
    allDeletedKnown_ = true;
    return Status::ok();
}

bool Table::isDeletedRecord(uint32_t recno) {
    if (recno < deletedState_.size() && deletedState_[recno]) return deletedState_[recno] == 2;
    if (noneDeleted()) return false;
    std::string img;
    // A record that cannot be read is not shown.
    if (!readCached(recno, &img)) return true;
    return dbf::isDeleted(img);
}

bool Table::isVisible(uint32_t recno) {
    if (recno < 1 || recno > recCount()) return false;
    if (query_ && (recno >= query_->bits.size() || !query_->bits[recno])) return false;
    if (filter_ && recno < filter_->size() && !(*filter_)[recno]) return false;
    return !opts_.hideDeleted || !isDeletedRecord(recno);
}

// ---------------------------------------------------------------------------------------------
// Cursor

uint32_t Table::nextVisible(uint32_t from, int direction) {
    uint32_t n = recCount();
    if (direction > 0) {
        for (uint32_t r = std::max<uint32_t>(from, 1); r <= n; ++r)
            if (isVisible(r)) return r;
    } else {
        for (uint32_t r = std::min(from, n); r >= 1; --r)
            if (isVisible(r)) return r;
    }
    return 0;
}

void Table::setPosition(uint32_t recno) {
    recno_ = recno;
    eof_ = bof_ = false;
    loaded_ = false;
}

void Table::setEof() {
    recno_ = recCount() + 1;
    eof_ = true;
    loaded_ = false;
}

Status Table::goTop() {
    return goEdge(false);
}
Status Table::goBottom() {
    return goEdge(true);
}

// The first (or last) visible record; both ends at once when there is none.
Status Table::goEdge(bool last) {
    if (!dbf_) return Status::invalid("the table is not open");
    if (ordered()) return retryOnDamage([this, last] { return orderedEdge(last); });
    uint32_t r = last ? nextVisible(recCount(), -1) : nextVisible(1, +1);
    if (r == 0) {
        setEof();
        bof_ = true;
    } else {
        setPosition(r);
    }
    return Status::ok();
}

Status Table::go(uint32_t recno) {
    if (!dbf_) return Status::invalid("the table is not open");
    if (recno < 1 || recno > recCount()) {
        setEof();
        return Status::ok();
    }
    setPosition(recno);
    return Status::ok();
}

Status Table::skip(int64_t n) {
    if (!dbf_) return Status::invalid("the table is not open");
    if (n == 0) {
        loaded_ = false;
        return Status::ok();
    }
    if (ordered()) return retryOnDamage([this, n] { return orderedSkip(n); });
    if (n > 0) {
        bof_ = false;
        for (int64_t i = 0; i < n; ++i) {
            if (eof_) break;
            uint32_t r = nextVisible(recno_ + 1, +1);
            if (r == 0) {
                setEof();
                break;
            }
            setPosition(r);
        }
        return Status::ok();
    }
    for (int64_t i = 0; i < -n; ++i) {
        uint32_t from = eof_ ? recCount() : recno_ - 1;
        uint32_t r = from == 0 ? 0 : nextVisible(from, -1);
        if (r == 0) {
            // Before the first visible record: stay on it with bof set.
            Status s = goTop();
            bof_ = true;
            return s;
        }
        setPosition(r);
    }
    return Status::ok();
}

// ---------------------------------------------------------------------------------------------
// Writing

Status Table::putRecord(std::string_view image) {
    if (!dbf_) return Status::invalid("the table is not open");
    if (eof_ || recno_ < 1 || recno_ > recCount())
        return Status::invalid("there is no current record to write");
    // The index is marked before the table changes and sound again once every tag has it.
    std::string before;
    if (index_) {
        RK_RETURN_IF_ERROR(readCached(recno_, &before));
        RK_RETURN_IF_ERROR(indexBegin());
    }
    Status s = dbf_->writeRecord(recno_, image);
    if (!s) {
        writeFailed();
        return s;
    }
    unsynced_ = true;
    current_.assign(image);
    loaded_ = true;
    updateCaches(recno_, image);
    keepCurrent(recno_, image);
    if (index_) RK_RETURN_IF_ERROR(indexAfterWrite(recno_, before, image, false));
    return batchDepth_ ? Status::ok() : finishWrites();
}

Result<uint32_t> Table::appendBlank() {
    if (!dbf_) return Status::invalid("the table is not open");
    return appendRecord(dbf_->blankRecord());
}

Result<uint32_t> Table::appendRecord(std::string_view image) {
    if (!dbf_) return Status::invalid("the table is not open");
    if (index_) RK_RETURN_IF_ERROR(indexBegin());
    // In a batch the header's count is written once, at the end.
    auto r = dbf_->appendRecord(image, batchDepth_ == 0);
    if (!r) {
        writeFailed();
        return r;
    }
    countPending_ = batchDepth_ > 0;
    unsynced_ = true;
    uint32_t recno = *r;
    noteDeleted(recno, image);
    keepCurrent(recno, image);
    if (query_) {
        query_->bits.resize(size_t(recno) + 1, 0);
        query_->bits[recno] = 1; // a new record is visible under any query
    }
    setPosition(recno);
    current_.assign(image);
    loaded_ = true;
    if (index_) RK_RETURN_IF_ERROR(indexAfterWrite(recno, {}, image, true));
    if (!batchDepth_) RK_RETURN_IF_ERROR(finishWrites());
    return recno;
}

Status Table::beginBatch() {
    if (!dbf_) return Status::invalid("the table is not open");
    // The index sorts the batch's keys before they reach its pages.
    if (batchDepth_++ == 0 && index_) index_->deferUpkeep(true);
    return Status::ok();
}

Status Table::endBatch() {
    if (batchDepth_ == 0) return Status::invalid("no batch to end");
    if (--batchDepth_ > 0 || !dbf_) return Status::ok();
    return finishWrites();
}

// The end of a write outside a batch, or of a batch: the header's count, the records on
// stable storage, then the index's pages and last its mark "sound" (see IndexFile::endChange).
// With the index marked "being changed" on stable storage before the first record was written
// (indexBegin), a power cut at any moment leaves an index that is either marked or matches
// the records the table holds: never one marked sound beside records it does not describe.
Status Table::finishWrites() {
    if (index_ && batchDepth_ == 0) index_->deferUpkeep(false);
    Status s;
    if (countPending_) {
        s = dbf_->writeCount();
        if (s) countPending_ = false;
    }
    const bool durable = opts_.sync && unsynced_;
    if (s && durable) s = dbf_->sync();
    bool indexSynced = false;
    if (index_ && index_->changing()) {
        if (!s) {
            // The records may not be on disk as written: the index stays marked, and the next
            // change (or the next open) rebuilds it from what the table holds.
            index_->abandonChange();
        } else {
            // The records are written: an index that could not follow (or was left behind on
            // purpose, see appendRecords) is rebuilt from them.
            s = index_->broken() ? repairIndex(Status::ok()) : index_->endChange(durable);
            if (!s) s = repairIndex(s);
            indexSynced = true; // endChange(durable) and a rebuild flush what they wrote
        }
    }
    if (s && durable && index_ && !indexSynced) s = index_->sync();
    if (s && durable) unsynced_ = false;
    return s;
}

// A table write failed after the index was marked. Outside a batch the change ends at once:
// nothing of it reached the index, which is marked sound again (the next change rebuilds it
// if even that fails). In a batch the index holds the records before this one; the end of the
// batch finishes it.
void Table::writeFailed() {
    if (!index_ || batchDepth_ > 0 || !index_->changing()) return;
    if (!index_->endChange()) index_->abandonChange();
}

Status Table::setDeletedFlag(bool deleted) {
    if (!dbf_) return Status::invalid("the table is not open");
    if (eof_ || recno_ < 1 || recno_ > recCount())
        return Status::invalid("there is no current record");
    RK_RETURN_IF_ERROR(loadCurrent());
    std::string img = current_;
    dbf::setDeleted(img, deleted);
    return putRecord(img);
}

Status Table::deleteRecord() {
    return setDeletedFlag(true);
}
Status Table::recall() {
    return setDeletedFlag(false);
}

// ---------------------------------------------------------------------------------------------
// Orders

// tagNames, tagArea, setOrder, orderName, seek: table_index.cpp

// ---------------------------------------------------------------------------------------------
// Query

Status Table::query(std::string_view expression) {
    if (!dbf_) return Status::invalid("the table is not open");
    bool blank = expression.find_first_not_of(" \t") == std::string_view::npos;
    if (blank) {
        query_.reset();
        queryText_.clear();
        plan_ = QueryPlan{};
        return goTop();
    }
    auto e = xbase::Expr::parse(expression, dbf_->fields());
    if (!e) return e.status();
    if (e->type() != xbase::Type::Logical)
        return Status::invalid("a query must be a condition (a logical expression)");
    auto q = std::make_unique<QueryState>();
    q->expr = *e;
    const uint32_t n = recCount();
    if (const KeptAnswer* k = keptAnswer(expression)) {
        q->bits = k->bits;
        q->bits.resize(size_t(n) + 1, 0);
        query_ = std::move(q);
        queryText_ = std::string(expression);
        plan_ = QueryPlan{};
        plan_.kept = true;
        return goTop();
    }
    // Candidates from the tags, unless they are so many that one pass in record order reads
    // them faster than one by one.
    const uint32_t most = std::max<uint32_t>(4096, n / 8);
    QueryPlan plan;
    bool fromTags = false;
    if (index_) {
        auto c = tagCandidates(*index_, dbf_->fields(), q->expr, n, most, &q->bits, &plan);
        fromTags = c && *c;
        if (!c) plan.why = "the index could not be read (" + c.status().message() + ")";
        if (fromTags) {
            plan.candidates = countSet(q->bits);
            // Exact, over a table with no deleted record: the candidates are the answer, and
            // none of them is read however many they are.
            if (plan.exact && noneDeleted()) plan.candidates = 0;
            if (plan.candidates > most) {
                fromTags = false;
                plan.fromTags = false;
                plan.why = "the tags leave too many records to read one by one";
            }
        }
    } else {
        plan.why = "the table has no index";
    }
    Status fault;
    if (fromTags) {
        RK_RETURN_IF_ERROR(testCandidates(*q, plan.exact, &fault));
    } else {
        plan.fromTags = plan.exact = false;
        plan.tags.clear();
        plan.candidates = n;
        q->bits.assign(size_t(n) + 1, 0);
        if (deletedState_.size() <= n) deletedState_.resize(size_t(n) + 1, 0);
        // Of each record only its flag and the fields the query reads.
        Spans spans = {{0, 1}};
        for (const auto& f : q->expr.fieldsRead())
            spans.push_back({f.offset, f.length});
        mergeSpans(&spans);
        RK_RETURN_IF_ERROR(scanParts(spans, [&](uint32_t r, std::string_view img) {
            q->bits[r] = q->expr.test(img, r, &fault) ? 1 : 0;
            noteDeleted(r, img);
        }));
        allDeletedKnown_ = true;
    }
    if (!fault) return fault;
    keepAnswer(expression, *q);
    query_ = std::move(q);
    queryText_ = std::string(expression);
    plan_ = std::move(plan);
    return goTop();
}

const Table::KeptAnswer* Table::keptAnswer(std::string_view text) {
    if (keptOf_ != dbf_.get()) {
        kept_.clear(); // another file (a pack replaced it)
        keptOf_ = nullptr;
    }
    for (const KeptAnswer& k : kept_)
        if (k.text == text) return &k;
    return nullptr;
}

void Table::keepAnswer(std::string_view text, const QueryState& q) {
    // Another program may change a table that is not open exclusively; a condition that may
    // fault is tried afresh.
    if (!opts_.exclusive || q.expr.mayFault()) return;
    constexpr size_t kKept = 4;
    if (keptOf_ != dbf_.get()) kept_.clear();
    keptOf_ = dbf_.get();
    kept_.erase(std::remove_if(kept_.begin(), kept_.end(),
                               [&](const KeptAnswer& k) { return k.text == text; }),
                kept_.end());
    if (kept_.size() >= kKept) kept_.erase(kept_.begin());
    kept_.push_back({std::string(text), q.expr, q.bits});
}

void Table::keepCurrent(uint32_t recno, std::string_view image) {
    if (kept_.empty() || keptOf_ != dbf_.get()) return;
    for (KeptAnswer& k : kept_) {
        if (k.bits.size() <= recno) k.bits.resize(size_t(recno) + 1, 0);
        Status fault;
        k.bits[recno] = k.expr.test(image, recno, &fault) ? 1 : 0;
    }
}

// Tests the query on the records marked in q.bits (the tags' candidates) and leaves the bit
// on where it holds; when the tags answered exactly, only each record's deleted flag is read.
// A run of neighbouring candidates is read at once; of a lone one only the flag and the
// fields the query reads (reads of the file rather than its view: a candidate here and there
// would map the whole file page by page).
Status Table::testCandidates(QueryState& q, bool exact, Status* fault) {
    const uint32_t n = recCount();
    const uint16_t len = recSize();
    std::vector<std::pair<uint32_t, uint32_t>> spans = {{0, 1}};
    if (!exact)
        for (const auto& f : q.expr.fieldsRead())
            spans.push_back({f.offset, f.length});
    // Fields near each other in one read: a read costs more than a few cache lines.
    mergeSpans(&spans, 128);
    // Answered exactly from a table the index knows has no deleted record: nothing to read.
    if (exact && noneDeleted()) return Status::ok();
    std::string img = dbf_->blankRecord();
    constexpr uint32_t kRun = 64;
    std::vector<char> buf(size_t(kRun) * len);
    for (uint32_t r = 1; r <= n; ++r) {
        if (!q.bits[r]) continue;
        // Answered exactly, a record whose flag is known is not read again.
        if (exact && r < deletedState_.size() && deletedState_[r]) continue;
        uint32_t k = 1;
        while (k < kRun && r + k <= n && q.bits[r + k])
            ++k;
        if (k == 1) {
            for (const auto& [offset, length] : spans)
                RK_RETURN_IF_ERROR(dbf_->readRecordPart(r, offset, length, img.data() + offset));
            if (!exact) q.bits[r] = q.expr.test(img, r, fault) ? 1 : 0;
            noteDeleted(r, img);
            continue;
        }
        RK_RETURN_IF_ERROR(dbf_->readRecords(r, k, buf.data()));
        for (uint32_t i = 0; i < k; ++i) {
            std::string_view image(buf.data() + size_t(i) * len, len);
            if (!exact) q.bits[r + i] = q.expr.test(image, r + i, fault) ? 1 : 0;
            noteDeleted(r + i, image);
        }
        r += k - 1;
    }
    return Status::ok();
}

const std::vector<uint8_t>* Table::queryBits() const {
    return query_ ? &query_->bits : nullptr;
}

void Table::setFilter(std::shared_ptr<const std::vector<uint8_t>> flags) {
    filter_ = std::move(flags);
}

Status Table::setQueryBit(uint32_t recno, bool visible) {
    if (!dbf_) return Status::invalid("the table is not open");
    if (recno < 1 || recno > recCount())
        return Status::invalid("no record " + std::to_string(recno));
    if (!query_) {
        // Without a query every record is visible; the first bit set starts an empty set.
        query_ = std::make_unique<QueryState>();
        query_->bits.assign(size_t(recCount()) + 1, 0);
    }
    if (query_->bits.size() <= recno) query_->bits.resize(size_t(recno) + 1, 0);
    query_->bits[recno] = visible ? 1 : 0;
    return Status::ok();
}

uint32_t Table::count() {
    if (!dbf_) return 0;
    uint32_t n = recCount();
    bool hideDeleted = opts_.hideDeleted;
    if (!query_ && !filter_ && !hideDeleted) return n;
    // Every record's flag is needed only when no query narrows them; a query's records had
    // theirs read with them.
    if (hideDeleted && !query_ && !filter_ && !allDeletedKnown_ && index_ && index_->usable()) {
        // The index counts the deleted records: no flag need be read.
        const int64_t gone = index_->deletedCount();
        if (gone >= 0 && gone <= int64_t(n)) return n - uint32_t(gone);
    }
    if (hideDeleted && !query_ && !learnAllDeleted()) return 0;
    uint32_t c = 0;
    if (query_ && !filter_) {
        // A query's set is mostly empty: eight flags at a time, looked at only where one is on.
        const std::vector<uint8_t>& bits = query_->bits;
        const uint32_t end = uint32_t(std::min<size_t>(bits.size(), size_t(n) + 1));
        for (uint32_t r = 1; r < end;) {
            uint64_t word = 0;
            if (r + 8 <= end) std::memcpy(&word, bits.data() + r, 8);
            if (r + 8 <= end && word == 0) {
                r += 8;
                continue;
            }
            if (bits[r] && !(hideDeleted && isDeletedRecord(r))) ++c;
            ++r;
        }
        return c;
    }
    for (uint32_t r = 1; r <= n; ++r) {
        if (query_ && (r >= query_->bits.size() || !query_->bits[r])) continue;
        if (filter_ && r < filter_->size() && !(*filter_)[r]) continue;
        if (hideDeleted && isDeletedRecord(r)) continue;
        ++c;
    }
    return c;
}

uint32_t Table::queryRecCount() {
    return count();
}

Status Table::visibleRecords(std::vector<uint32_t>* out) {
    if (!dbf_) return Status::invalid("the table is not open");
    out->clear();
    if (ordered()) return retryOnDamage([this, out] { return orderedRecords(out); });
    if (opts_.hideDeleted && !query_) RK_RETURN_IF_ERROR(learnAllDeleted());
    uint32_t n = recCount();
    for (uint32_t r = 1; r <= n; ++r)
        if (isVisible(r)) out->push_back(r);
    return Status::ok();
}

Status Table::visibleRecords(std::vector<uint32_t>* out, uint32_t most, bool backwards) {
    if (!dbf_) return Status::invalid("the table is not open");
    out->clear();
    if (ordered())
        return retryOnDamage(
            [this, out, most, backwards] { return orderedRecords(out, most, backwards); });
    const uint32_t n = recCount();
    for (uint32_t i = 1; i <= n && out->size() < most; ++i) {
        const uint32_t r = backwards ? n + 1 - i : i;
        if (isVisible(r)) out->push_back(r);
    }
    return Status::ok();
}

bool Table::orderListsAll() const {
    if (!dbf_) return false;
    if (order_ == 0) return true;
    if (!ordered() || index_->broken()) return false;
    const TagInfo& tag = index_->tag(order_ - 1);
    return !tag.unique && tag.forExpr.find_first_not_of(" \t") == std::string::npos;
}

Status Table::walk(const RecordVisitor& fn, const std::vector<int>& only) {
    if (!dbf_) return Status::invalid("the table is not open");
    if (ordered()) {
        bool started = false;
        Status s = orderedWalk(fn, only, &started);
        if (s.code() != Status::Code::Corruption) return s;
        // Damage met before any record was handed over: rebuild and walk again; after, the
        // index is rebuilt for the next walk and the error says this one stopped.
        RK_RETURN_IF_ERROR(repairIndex(s));
        return started ? s : orderedWalk(fn, only, &started);
    }
    const uint32_t n = recCount();
    const uint16_t len = recSize();
    if (query_ &&
        size_t(std::count(query_->bits.begin(), query_->bits.end(), uint8_t(1))) < n / 8) {
        // A query's few records, each read where it lies (neighbours together).
        std::string img;
        for (uint32_t r = 1; r <= n && r < query_->bits.size(); ++r) {
            if (!query_->bits[r]) continue;
            if (opts_.hideDeleted && r < deletedState_.size() && deletedState_[r] == 2) continue;
            RK_RETURN_IF_ERROR(readCached(r, &img));
            if (opts_.hideDeleted && dbf::isDeleted(img)) continue;
            if (!fn(r, img)) return Status::ok();
        }
        return Status::ok();
    }
    const uint32_t per = std::max<uint32_t>(
        1, std::min<uint32_t>(n, uint32_t(kScanBytes / std::max<size_t>(1, len))));
    std::vector<char> buf(size_t(per) * len);
    for (uint32_t r = 1; r <= n; r += per) {
        uint32_t k = std::min(per, n - r + 1);
        RK_RETURN_IF_ERROR(dbf_->readRecords(r, k, buf.data()));
        for (uint32_t i = 0; i < k; ++i) {
            std::string_view img(buf.data() + size_t(i) * len, len);
            if (query_ && (r + i >= query_->bits.size() || !query_->bits[r + i])) continue;
            if (opts_.hideDeleted && dbf::isDeleted(img)) continue;
            if (!fn(r + i, img)) return Status::ok();
        }
    }
    return Status::ok();
}

Status Table::orderedWalk(const RecordVisitor& fn, const std::vector<int>& only, bool* started) {
    const uint32_t n = recCount();
    const uint16_t len = recSize();
    const uint64_t first = dbf_->headerLength();
    auto view = dbf_->view();
    std::string img = dbf_->blankRecord();
    // The byte ranges copied from each record: the flag byte and the fields asked for,
    // neighbours joined (everything without `only`, or without a view of the file).
    std::vector<std::pair<uint32_t, uint32_t>> spans; // offset, length
    if (only.empty() || !view) {
        spans.push_back({0, len});
    } else {
        spans.push_back({0, 1});
        for (int i : only)
            if (i >= 0 && size_t(i) < dbf_->fields().size())
                spans.push_back(
                    {dbf_->fields()[size_t(i)].offset, dbf_->fields()[size_t(i)].length});
        mergeSpans(&spans);
    }
    // The records of a group of entries are asked of the memory system together, then read:
    // in tag order they lie anywhere in the file, and one at a time each waits for its own.
    constexpr size_t kGroup = 16;
    uint32_t group[kGroup];
    size_t grouped = 0;
    Status read;
    auto visit = [&](uint32_t r) {
        const uint64_t at = first + uint64_t(r - 1) * len;
        if (!view) {
            read = dbf_->readRecords(r, 1, img.data());
        } else {
            for (const auto& [offset, length] : spans)
                if (!(read = (*view)->copy(at + offset, img.data() + offset, length))) break;
        }
        if (!read) return false;
        noteDeleted(r, img);
        if (opts_.hideDeleted && dbf::isDeleted(img)) return true;
        *started = true;
        return fn(r, img);
    };
    auto flush = [&] {
        if (view)
            for (size_t i = 0; i < grouped; ++i)
                for (const auto& [offset, length] : spans)
                    (*view)->prefetch(first + uint64_t(group[i] - 1) * len + offset, length);
        bool more = true;
        for (size_t i = 0; i < grouped && more; ++i)
            more = visit(group[i]);
        grouped = 0;
        return more;
    };
    bool more = true;
    Status s = index_->walk(order_ - 1, [&](uint32_t r) {
        if (r < 1 || r > n) return true;
        if (query_ && (r >= query_->bits.size() || !query_->bits[r])) return true;
        // A record known to be deleted is not read at all.
        if (opts_.hideDeleted && r < deletedState_.size() && deletedState_[r] == 2) return true;
        group[grouped++] = r;
        return grouped < kGroup || (more = flush());
    });
    RK_RETURN_IF_ERROR(s);
    if (more && read) flush();
    return read;
}

// ---------------------------------------------------------------------------------------------
// Whole-table passes

bool Table::flock() {
    // An exclusive open already holds the operating-system lock for the whole file.
    flocked_ = isOpen() && opts_.exclusive && !opts_.readOnly;
    return flocked_;
}

void Table::unlock() {
    flocked_ = false;
}

void Table::setTurboRead(bool on) {
    turbo_ = on;
}

Status Table::pack(const Progress& progress) {
    if (!dbf_) return Status::invalid("the table is not open");
    if (opts_.readOnly || !opts_.exclusive)
        return Status::invalid("packing " + path_ + " needs it open exclusively");
    // Live records go to a new file that replaces the table only once it is complete, so that
    // a pack interrupted at any moment leaves either the old table or the new one.
    ++indexEpoch_; // the records are renumbered
    const std::string tmp = path_ + ".pack";
    dbf::CreateOptions co;
    co.structuralIndex = dbf_->hasStructuralIndex();
    co.codePage = dbf_->codePage() ? dbf_->codePage() : dbf::kCodePage1252;
    // A temporary name: a leftover there (or a link someone planted: the link goes, never
    // what it points to) is removed first.
    if (env_->exists(tmp) || !env_->replaceable(tmp))
        ignore(env_->remove(tmp), "the create below reports what still holds the name");
    RK_RETURN_IF_ERROR(dbf::DbfFile::create(tmp, dbf_->fields(), co, env_));
    auto out = dbf::DbfFile::open(tmp, dbf::OpenOptions{}, env_);
    if (!out) return out.status();
    (*out)->setWriteBehind(true); // its sync below then finds little left to write
    const uint32_t n = recCount();
    int lastPercent = -1;
    auto report = [&](int percent) {
        if (progress && percent != lastPercent) progress(lastPercent = percent);
    };
    // With an index, the keys of the records kept are gathered as they are copied, and the
    // new index is written from them once the copy is in place: the table is read once.
    std::unique_ptr<IndexBuilder> builder;
    if (index_ && !index_->inMemory()) {
        auto b = index_->startRebuild(n, report);
        if (!b) {
            out->reset();
            ignore(env_->remove(tmp), "clean-up of the unfinished copy; the error is reported");
            return b.status();
        }
        builder = std::move(*b);
    }
    std::string batch;
    uint32_t batchCount = 0, done = 0, kept = 0;
    Status written;
    // The records gathered in `batch` go to the index builder (as their new numbers) and the copy.
    auto copyKept = [&]() -> Status {
        if (builder)
            RK_RETURN_IF_ERROR(
                builder->addRecords(kept - batchCount + 1, batchCount, batch.data(), recSize()));
        return (*out)->appendRecords(batch.data(), batchCount);
    };
    Status s = scan([&](uint32_t, std::string_view img) {
        ++done;
        if (!written) return;
        if (img[0] != dbf::kDeletedFlag) {
            batch.append(img);
            ++batchCount;
            ++kept;
        }
        if (batch.size() >= kScanBytes && written) {
            written = copyKept();
            batch.clear();
            batchCount = 0;
        }
        // Without an index the copy is the whole work (the builder reports its own progress).
        if (!builder) report(index_ ? int(uint64_t(done) * 50 / n) : int(uint64_t(done) * 100 / n));
    });
    if (s) s = written;
    if (s && batchCount) s = copyKept();
    // Verify the copy before it replaces the table.
    if (s && (*out)->recordCount() != kept)
        s = Status::ioError("the packed copy of " + path_ + " is incomplete");
    if (s) s = (*out)->sync();
    // The index no longer matches once the new file is in place: it is marked first, so that
    // an interruption before its rebuild is found at the next open.
    if (s && index_) s = index_->beginChange();
    if (s && index_ && opts_.sync) s = index_->sync();
    if (s) s = (*out)->renameTo(path_);
    if (!s) {
        out->reset();
        builder.reset(); // removes its files
        ignore(env_->remove(tmp), "clean-up of the unfinished copy; the pack error is reported");
        return s;
    }
    dbf_ = std::move(*out);
    cacheFirst_ = cacheCount_ = 0;
    deletedState_.assign(size_t(kept) + 1, 1);
    allDeletedKnown_ = true;
    if (index_) {
        cursor_.reset();
        cursorRecno_ = 0;
        index_->setTable(dbf_.get());
        Status r = builder ? index_->finishRebuild(std::move(builder))
                           : index_->rebuild([&](int p) { report(50 + p / 2); });
        if (!r)
            return Status::ioError("the table was packed but its index could not be rebuilt: " +
                                   r.message());
    }
    filter_.reset(); // its flags name the records as they were numbered
    if (query_ && query_->expr.valid()) {
        std::string text = queryText_;
        RK_RETURN_IF_ERROR(query(text));
    } else {
        query_.reset();
    }
    report(100);
    return goTop();
}

namespace {

// Text copies hold no control character (nor a byte Windows-1252 leaves undefined): each is
// written as \xNN, as rkdb list shows it, so that no field ends a line or reaches a terminal
// raw. Read back, the four characters stay as they are: the record shows what the copy
// showed, and nothing else.
void appendEscaped(std::string* out, std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (!dbf::isControlByte(c)) {
            *out += ch;
            continue;
        }
        *out += "\\x";
        *out += hex[c >> 4];
        *out += hex[c & 15];
    }
}

// A field of the space layout at its full width: escaped, then cut (before an escape that
// would not fit whole) or padded to the width, so that every later field stays in its place.
void appendAtWidth(std::string* out, std::string_view raw) {
    if (std::none_of(raw.begin(), raw.end(),
                     [](char c) { return dbf::isControlByte(static_cast<unsigned char>(c)); })) {
        out->append(raw);
        return;
    }
    std::string text;
    const size_t end = raw.find_last_not_of(' ');
    appendEscaped(&text, raw.substr(0, end == std::string_view::npos ? 0 : end + 1));
    if (text.size() > raw.size()) {
        size_t cut = raw.size();
        const size_t slash = text.rfind('\\', cut - 1);
        if (slash != std::string::npos && slash + 4 > cut && text.compare(slash, 2, "\\x") == 0)
            cut = slash;
        text.resize(cut);
    }
    text.resize(raw.size(), ' ');
    out->append(text);
}

} // namespace

Status Table::copyFileText(const std::string& path, TextFormat format) {
    if (!dbf_) return Status::invalid("the table is not open");
    std::vector<uint32_t> recs;
    RK_RETURN_IF_ERROR(visibleRecords(&recs));
    // Written under a temporary name and renamed into place when complete, so that a failure
    // leaves no partial file under the chosen name (and an older file there as it was).
    const std::string tmp = path + ".tmp";
    auto failed = [&](const Status& why) {
        const std::string m = "the table could not be written to " + path + ": " + why.message();
        return why.code() == Status::Code::Locked ? Status::locked(m) : Status::ioError(m);
    };
    if (Status r = env_->replaceable(path); !r) return failed(r);
    auto file = env_->open(tmp, OpenMode::Create, LockMode::Exclusive);
    if (!file) return failed(file.status());
    std::string out, img;
    uint64_t offset = 0;
    Status s;
    for (uint32_t r : recs) {
        if (!(s = readCached(r, &img))) break;
        bool first = true;
        for (const auto& f : dbf_->fields()) {
            if (!first) out += format == TextFormat::CommaDelimited ? ',' : ' ';
            first = false;
            if (format == TextFormat::SpaceDelimited) {
                if (f.type == 'L')
                    out += dbf::getLogical(img, f) ? 'T' : 'F';
                else
                    appendAtWidth(&out, dbf::rawField(img, f));
                continue;
            }
            switch (f.type) {
            case 'C': {
                out += '"';
                for (char c : dbf::trimmedField(img, f)) {
                    if (c == '"') out += '"'; // a quote inside the text is doubled
                    appendEscaped(&out, std::string_view(&c, 1));
                }
                out += '"';
                break;
            }
            case 'L':
                out += dbf::getLogical(img, f) ? 'T' : 'F';
                break;
            default:
                appendEscaped(&out, dbf::displayText(img, f));
                break;
            }
        }
        out += "\r\n";
        if (out.size() >= kScanBytes) {
            if (!(s = (*file)->write(offset, out.data(), out.size()))) break;
            offset += out.size();
            out.clear();
        }
    }
    if (s && !out.empty()) s = (*file)->write(offset, out.data(), out.size());
    if (s) s = (*file)->sync();
    file->reset();
    if (s) s = env_->replace(tmp, path);
    if (!s) {
        ignore(env_->remove(tmp), "clean-up of the unfinished copy; the error is reported");
        return failed(s);
    }
    return s;
}

} // namespace rk::store
