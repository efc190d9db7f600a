#include "tfts.h"

namespace rk::search {

namespace {
int32_t nextHandle() {
    static int32_t counter = 0;
    counter = counter == 0x7FFFFFFF ? 1 : counter + 1;
    return counter;
}
} // namespace

TFts::TFts() = default;
TFts::~TFts() = default;

int32_t TFts::failed(Status s, int32_t code) {
    status_ = std::move(s);
    return code;
}

int32_t TFts::FtsCreate(const std::string& path, int32_t, int32_t, int32_t, int32_t) {
    FtsAbandon();
    auto ix = FtsIndex::create(path);
    if (!ix) {
        handle_ = kFtsWriteError;
        return failed(ix.status(), handle_);
    }
    index_ = std::move(*ix);
    unusable_ = false;
    status_ = Status::ok();
    return handle_ = nextHandle();
}

int32_t TFts::FtsOpen(const std::string& path, int32_t, int32_t) {
    FtsAbandon();
    auto ix = FtsIndex::open(path);
    if (!ix) {
        unusable_ = true;
        handle_ = kFtsNotUsable;
        return failed(ix.status(), handle_);
    }
    index_ = std::move(*ix);
    unusable_ = false;
    status_ = Status::ok();
    return handle_ = nextHandle();
}

int32_t TFts::FtsClose() {
    unusable_ = false;
    handle_ = kFtsNotOpen;
    if (!index_) return 0;
    std::unique_ptr<FtsIndex> ix = std::move(index_);
    if (ix->isNew()) {
        Status s = ix->finish();
        if (!s) return failed(s, kFtsWriteError);
    }
    status_ = Status::ok();
    return 0;
}

void TFts::FtsAbandon() {
    index_.reset(); // a new index not yet finished removes its temporary file
    handle_ = kFtsNotOpen;
}

int32_t TFts::FtsAdd(std::string_view text) {
    if (!index_) return failed(Status::invalid("no index is open"), kFtsNotOpen);
    auto n = index_->add(text);
    if (!n) return failed(n.status(), kFtsWriteError);
    return static_cast<int32_t>(*n);
}

int32_t TFts::FtsPut(int32_t entry, std::string_view text) {
    if (!index_) return failed(Status::invalid("no index is open"), kFtsNotOpen);
    if (entry <= 0) return failed(Status::invalid("entry numbers start at 1"), kFtsBadArgument);
    Status s = index_->put(static_cast<uint32_t>(entry), text);
    if (!s) return failed(s, kFtsWriteError);
    return entry;
}

int32_t TFts::FtsBegin() {
    if (!index_) return failed(Status::invalid("no index is open"), kFtsNotOpen);
    Status s = index_->begin();
    return s ? 0 : failed(s, kFtsWriteError);
}

int32_t TFts::FtsCommit() {
    if (!index_) return failed(Status::invalid("no index is open"), kFtsNotOpen);
    Status s = index_->commit();
    return s ? 0 : failed(s, kFtsWriteError);
}

void TFts::FtsRollback() {
    if (index_) index_->rollback();
}

int32_t TFts::FtsDelete(int32_t entry) {
    if (!index_) return failed(Status::invalid("no index is open"), kFtsNotOpen);
    if (entry <= 0) return 0;
    bool removed = false;
    Status s = index_->remove(static_cast<uint32_t>(entry), &removed);
    if (!s) return failed(s, kFtsWriteError);
    return removed ? 1 : 0;
}

int32_t TFts::FtsSet(std::string_view query) {
    if (!index_) {
        if (!unusable_) status_ = Status::notFound("no search index is open");
        return kFtsNotUsable;
    }
    bool any = false;
    Status s = index_->start(parseQuery(query), &any);
    if (!s) return failed(s, kFtsNotUsable);
    return any ? 1 : 0;
}

int32_t TFts::FtsNextRec() {
    if (!index_) return 0;
    auto n = index_->next();
    if (!n) return failed(n.status(), kFtsNotUsable);
    return static_cast<int32_t>(*n);
}

const Query& TFts::parsed(std::string_view query) {
    if (!verifyValid_ || query != verifyText_) {
        verifyText_.assign(query);
        verifyQuery_ = parseQuery(query);
        verifyValid_ = true;
    }
    return verifyQuery_;
}

int32_t TFts::FtsVerify(std::string_view text, std::string_view query, int32_t) {
    const Query& q = parsed(query);
    if (q.empty()) return 0;
    words_.assign(text);
    return matches(q, words_) ? 1 : 0;
}

} // namespace rk::search
