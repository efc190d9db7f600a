// The table's structural index: opening it with the table, orders, navigation in a tag's
// order combined with the deleted filter and the query, upkeep around every write, and
// repair when damage shows up in use.
#include "table.h"

#include "cdx.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace rk::store {

namespace {

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string structuralIndexPath(const std::string& table, Env* env) {
    std::string found = siblingFile(table, ".cdx");
    if (env->exists(found)) return found;
    std::string upper = siblingFile(table, ".CDX");
    if (env->exists(upper)) return upper;
    size_t dot = table.find_last_of('.');
    size_t slash = table.find_last_of("/\\");
    std::string stem = dot == std::string::npos || (slash != std::string::npos && dot < slash)
                           ? table
                           : table.substr(0, dot);
    return stem + ".CDX";
}

void checkStructuralIndex(dbf::DbfFile* table, const std::string& tablePath, Env* env,
                          std::vector<std::string>* problems, std::vector<std::string>* notes) {
    if (!table->hasStructuralIndex()) {
        notes->push_back("no structural index");
        return;
    }
    const std::string path = structuralIndexPath(tablePath, env);
    if (!env->exists(path)) {
        problems->push_back("the structural index " + baseName(path) + " is missing");
        return;
    }
    IndexOptions io;
    io.readOnly = true;
    io.exclusive = false;
    io.repair = false;
    auto index = IndexFile::open(path, table, io, env);
    if (!index) {
        problems->push_back(index.status().message());
        return;
    }
    for (const auto& n : (*index)->notices())
        problems->push_back(n);
    (*index)->verify(true, problems, notes);
}

Status Table::openIndex() {
    ++indexEpoch_;
    cursor_.reset();
    cursorTag_ = -1;
    cursorRecno_ = 0;
    index_.reset();
    if (!dbf_->hasStructuralIndex()) return Status::ok();
    const std::string path = structuralIndexPath(path_, env_);
    if (!env_->exists(path)) {
        notices_.push_back("the structural index " + baseName(path) +
                           " is missing; the table opens in record order only");
        return Status::ok();
    }
    IndexOptions io;
    io.readOnly = opts_.readOnly;
    io.exclusive = opts_.exclusive;
    io.rebuildProgress = opts_.rebuildProgress;
    auto r = IndexFile::open(path, dbf_.get(), io, env_);
    if (!r) {
        // Locked is the table's own concern (it holds the table's lock too): pass it on.
        if (r.status().code() == Status::Code::Locked || r.status().code() == Status::Code::IOError)
            return r.status();
        notices_.push_back("the structural index cannot be used: " + r.status().message());
        return Status::ok();
    }
    index_ = std::move(*r);
    for (const auto& n : index_->notices())
        notices_.push_back(n);
    return Status::ok();
}

Status Table::createIndex(const std::vector<TagSpec>& tags, const Progress& progress) {
    if (!dbf_) return Status::invalid("the table is not open");
    if (opts_.readOnly || !opts_.exclusive)
        return Status::invalid("making the index of " + path_ + " needs it open exclusively");
    ++indexEpoch_;
    cursor_.reset();
    cursorTag_ = -1;
    cursorRecno_ = 0;
    std::string path = index_ ? index_->path() : structuralIndexPath(path_, env_);
    index_.reset();
    IndexOptions io;
    io.rebuildProgress = opts_.rebuildProgress;
    auto r = IndexFile::create(path, dbf_.get(), tags, io, env_, progress);
    if (!r) return r.status();
    index_ = std::move(*r);
    if (batchDepth_ > 0) index_->deferUpkeep(true);
    order_ = orderTag_.empty() ? 0 : tagArea(orderTag_);
    return Status::ok();
}

// ---------------------------------------------------------------------------------------------
// Orders

std::vector<std::string> Table::tagNames() const {
    std::vector<std::string> names;
    if (!index_ || !index_->usable()) return names;
    for (int i = 0; i < index_->tagCount(); ++i)
        names.push_back(index_->tag(i).name);
    return names;
}

int Table::tagArea(std::string_view tagName) const {
    if (!index_ || !index_->usable()) return 0;
    return index_->findTag(tagName) + 1;
}

int Table::setOrder(int order) {
    int previous = order_;
    auto names = tagNames();
    if (order < 0 || order > static_cast<int>(names.size())) order = 0;
    order_ = order;
    orderTag_ = order ? names[order - 1] : std::string();
    return previous;
}

std::string Table::orderName() const {
    return order_ ? orderTag_ : std::string();
}

bool Table::ordered() const {
    return order_ > 0 && index_ && index_->usable() && order_ <= index_->tagCount();
}

cdx::Cursor& Table::cursor() {
    if (!cursor_ || cursorTag_ != order_ - 1) {
        cursor_ = index_->cursor(order_ - 1);
        cursorTag_ = order_ - 1;
        cursorRecno_ = 0;
    }
    return *cursor_;
}

Status Table::currentKey(std::string* key) {
    RK_RETURN_IF_ERROR(loadCurrent());
    index_->keyOf(order_ - 1, current_, recno_, key);
    return Status::ok();
}

// ---------------------------------------------------------------------------------------------
// Navigation in a tag's order. The cursor stays on the current record's entry between moves,
// so that stepping reads no record; a record whose entry the cursor does not hold is found
// again by its key.

Status Table::orderedEdge(bool last) {
    RK_RETURN_IF_ERROR(index_->applyPending());
    if (orderCacheOrder_ == order_ && orderCacheEpoch_ == indexEpoch_) {
        // The order as last walked: no cursor walk past every hidden entry. The cursor is
        // left unplaced; a skip finds its place again by the record's key.
        const auto visible = [this](uint32_t r) { return isVisible(r); };
        const auto it = last
                            ? std::find_if(orderCache_.rbegin(), orderCache_.rend(), visible).base()
                            : std::find_if(orderCache_.begin(), orderCache_.end(), visible);
        const bool none = last ? it == orderCache_.begin() : it == orderCache_.end();
        cursorRecno_ = 0;
        if (none) {
            setEof();
            bof_ = true;
        } else {
            setPosition(last ? *(it - 1) : *it);
        }
        return Status::ok();
    }
    cdx::Cursor& c = cursor();
    RK_RETURN_IF_ERROR(last ? c.last() : c.first());
    while (c.valid() && !isVisible(c.recno()))
        RK_RETURN_IF_ERROR(last ? c.prev() : c.next());
    if (!c.valid()) {
        setEof();
        bof_ = true;
        cursorRecno_ = 0;
        return Status::ok();
    }
    setPosition(c.recno());
    cursorRecno_ = c.recno();
    return Status::ok();
}

Status Table::orderedSkip(int64_t n) {
    RK_RETURN_IF_ERROR(index_->applyPending());
    const bool forward = n > 0;
    uint64_t steps = forward ? uint64_t(n) : uint64_t(-n);
    if (forward) {
        if (eof_) return Status::ok();
        bof_ = false;
    }
    cdx::Cursor& c = cursor();
    if (eof_) {
        RK_RETURN_IF_ERROR(c.last()); // backwards from the end: the last entry comes first
    } else if (cursorRecno_ == recno_ && c.valid() && c.recno() == recno_) {
        RK_RETURN_IF_ERROR(forward ? c.next() : c.prev());
    } else {
        std::string key;
        RK_RETURN_IF_ERROR(currentKey(&key));
        RK_RETURN_IF_ERROR(
            c.seekNeighbour(reinterpret_cast<const uint8_t*>(key.data()), recno_, forward));
    }
    for (;;) {
        if (!c.valid()) break;
        if (isVisible(c.recno()) && --steps == 0) {
            setPosition(c.recno());
            cursorRecno_ = c.recno();
            return Status::ok();
        }
        RK_RETURN_IF_ERROR(forward ? c.next() : c.prev());
    }
    if (forward) {
        setEof();
        cursorRecno_ = 0;
        return Status::ok();
    }
    // Before the first visible record: stay on it with bof set.
    RK_RETURN_IF_ERROR(orderedEdge(false));
    bof_ = true;
    return Status::ok();
}

Status Table::orderedRecords(std::vector<uint32_t>* out) {
    RK_RETURN_IF_ERROR(index_->applyPending());
    out->clear();
    // Every visible record: without a query that needs every record's flag, best learnt in
    // one pass in record order.
    if (opts_.hideDeleted && !query_) RK_RETURN_IF_ERROR(learnAllDeleted());
    if (orderCacheOrder_ != order_ || orderCacheEpoch_ != indexEpoch_) {
        orderCache_.clear();
        orderCacheOrder_ = 0;
        RK_RETURN_IF_ERROR(index_->walk(order_ - 1, [&](uint32_t r) {
            orderCache_.push_back(r);
            return true;
        }));
        orderCacheOrder_ = order_;
        orderCacheEpoch_ = indexEpoch_;
    }
    // isVisible, without its calls: this loop runs over every title at each keystroke of
    // the quick filter.
    const uint32_t n = recCount();
    const std::vector<uint8_t>* bits = queryBits();
    const uint8_t* q = bits ? bits->data() : nullptr;
    const size_t qn = bits ? bits->size() : 0;
    const uint8_t* f = filter_ ? filter_->data() : nullptr;
    const size_t fn = filter_ ? filter_->size() : 0;
    const bool hide = opts_.hideDeleted;
    for (uint32_t r : orderCache_) {
        if (r < 1 || r > n || (q && (r >= qn || !q[r])) || (f && r < fn && !f[r])) continue;
        if (hide && isDeletedRecord(r)) continue;
        out->push_back(r);
    }
    return Status::ok();
}

Status Table::orderedRecords(std::vector<uint32_t>* out, uint32_t most, bool backwards) {
    RK_RETURN_IF_ERROR(index_->applyPending());
    out->clear();
    if (most == 0) return Status::ok();
    auto take = [&](uint32_t r) {
        if (isVisible(r)) out->push_back(r);
        return out->size() < most;
    };
    if (orderCacheOrder_ == order_ && orderCacheEpoch_ == indexEpoch_) {
        if (backwards)
            std::find_if_not(orderCache_.rbegin(), orderCache_.rend(), take);
        else
            std::find_if_not(orderCache_.begin(), orderCache_.end(), take);
        return Status::ok();
    }
    // The entries up to the records asked, and no further.
    return index_->walk(order_ - 1, take, backwards);
}

Status Table::seek(std::string_view key, bool soft, bool* found) {
    if (found) *found = false;
    if (!dbf_) return Status::invalid("the table is not open");
    if (!ordered()) return Status::notSupported("seeking needs an index order");
    auto bytes = index_->seekKey(order_ - 1, key);
    if (!bytes) return bytes.status();
    const std::string want = *bytes;
    const bool prefix = index_->tag(order_ - 1).keyType == cdx::KeyType::Char;
    bool hit = false;
    Status s = retryOnDamage([&] {
        RK_RETURN_IF_ERROR(index_->applyPending());
        cdx::Cursor& c = cursor();
        RK_RETURN_IF_ERROR(
            c.seekPrefix(reinterpret_cast<const uint8_t*>(want.data()), want.size()));
        while (c.valid() && !isVisible(c.recno()))
            RK_RETURN_IF_ERROR(c.next());
        hit = c.valid() && (prefix ? c.key().compare(0, want.size(), want) == 0 : c.key() == want);
        if (c.valid() && (hit || soft)) {
            setPosition(c.recno());
            bof_ = false;
            cursorRecno_ = c.recno();
        } else {
            setEof();
            cursorRecno_ = 0;
        }
        return Status::ok();
    });
    if (found) *found = hit;
    return s;
}

Status Table::reindex(const Progress& progress) {
    if (!dbf_) return Status::invalid("the table is not open");
    if (!index_) {
        if (progress) progress(100);
        return Status::ok();
    }
    ++indexEpoch_;
    cursor_.reset();
    cursorRecno_ = 0;
    // The rebuild reports its own 100 %.
    if (opts_.readOnly || !opts_.exclusive) return index_->repair(progress);
    Status s = index_->rebuild(progress);
    if (s) return s;
    // The file on disk is as it was (a new one replaces it only when complete): marked when
    // it was, so that the next open rebuilds it again.
    const std::string why =
        baseName(index_->path()) + " could not be rebuilt: " + s.message() +
        (index_->inMemory() ? "; it stays marked as needing a rebuild" : "; it is left as it was");
    return s.code() == Status::Code::IOError ? Status::ioError(why) : s;
}

// ---------------------------------------------------------------------------------------------
// Upkeep and repair

Status Table::indexBegin() {
    ++indexEpoch_; // the change may move records in every order
    if (index_->broken() || !index_->usable()) RK_RETURN_IF_ERROR(repairIndex(Status::ok()));
    const bool wasChanging = index_->changing();
    Status s = index_->beginChange();
    if (s.code() == Status::Code::Corruption) {
        RK_RETURN_IF_ERROR(repairIndex(s));
        s = index_->beginChange();
    }
    // The mark "being changed" reaches stable storage before the table is written.
    if (s && !wasChanging && opts_.sync) s = index_->sync();
    return s;
}

Status Table::indexAfterWrite(uint32_t recno, std::string_view before, std::string_view after,
                              bool added) {
    cursorRecno_ = 0; // the record's place in the order may have changed
    Status s =
        added ? index_->recordAdded(after, recno) : index_->recordChanged(before, after, recno);
    if (s) return s;
    // The record is written; the index is rebuilt from the table, which holds it.
    return repairIndex(s);
}

Status Table::repairIndex(const Status& cause) {
    ++indexEpoch_;
    cursor_.reset();
    cursorTag_ = -1;
    cursorRecno_ = 0;
    Status s = index_->repair(opts_.rebuildProgress);
    std::string name = baseName(index_->path());
    if (!s) {
        notices_.push_back(name + " is damaged and could not be rebuilt: " + s.message());
        return s;
    }
    notices_.push_back(name + (cause ? std::string(" was rebuilt from the table")
                                     : " was damaged (" + cause.message() +
                                           ") and has been rebuilt from the table"));
    return Status::ok();
}

Status Table::retryOnDamage(const std::function<Status()>& step) {
    Status s = step();
    if (s.code() != Status::Code::Corruption || !index_) return s;
    RK_RETURN_IF_ERROR(repairIndex(s));
    return step();
}

} // namespace rk::store
