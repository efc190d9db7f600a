// Appending many records at once (an import): one write of the table, one index change.
#include "table.h"

#include "cdx.h"
#include "record.h"

namespace rk::store {

Result<uint32_t> Table::appendRecords(std::string_view images, uint32_t count, IndexUpkeep upkeep) {
    if (!dbf_) return Status::invalid("the table is not open");
    const size_t size = recSize();
    if (images.size() != size_t(count) * size)
        return Status::invalid("a record of " + path_ + " has " + std::to_string(size) +
                               " bytes: " + std::to_string(images.size()) + " bytes are not " +
                               std::to_string(count) + " records");
    if (count == 0) return recCount();
    ++indexEpoch_; // the order's entries as last walked no longer hold every record
    const bool defer = index_ && upkeep == IndexUpkeep::Defer;
    if (defer) {
        // Marked once; an index already marked or damaged is rebuilt by reindex() anyway.
        if (!index_->changing() && index_->usable() && !index_->broken()) {
            RK_RETURN_IF_ERROR(index_->beginChange());
            if (opts_.sync) RK_RETURN_IF_ERROR(index_->sync());
        }
    } else if (index_) {
        RK_RETURN_IF_ERROR(indexBegin());
    }
    const uint32_t first = recCount() + 1;
    Status s = dbf_->appendRecords(images.data(), count);
    if (!s) {
        writeFailed();
        return s;
    }
    unsynced_ = true;
    const uint32_t last = first + count - 1;
    auto image = [&](uint32_t i) { return images.substr(size_t(i) * size, size); };
    for (uint32_t i = 0; i < count; ++i) {
        noteDeleted(first + i, image(i));
        keepCurrent(first + i, image(i));
    }
    // New records are visible under any query.
    for (uint32_t r = first; query_ && r <= last; ++r)
        RK_RETURN_IF_ERROR(setQueryBit(r, true));
    setPosition(last);
    current_.assign(image(count - 1));
    loaded_ = true;
    if (!index_) {
        if (!batchDepth_) RK_RETURN_IF_ERROR(finishWrites());
        return last;
    }
    cursorRecno_ = 0;
    if (defer) {
        // Left behind on purpose: any other change (or the end of a batch) rebuilds it first.
        index_->abandonChange();
        if (!batchDepth_ && opts_.sync) RK_RETURN_IF_ERROR(dbf_->sync());
        return last;
    }
    for (uint32_t i = 0; i < count && s; ++i)
        s = index_->recordAdded(image(i), first + i);
    // The records are written; on failure the index is rebuilt from the table, which holds them.
    if (!s) RK_RETURN_IF_ERROR(repairIndex(s));
    if (!batchDepth_) RK_RETURN_IF_ERROR(finishWrites());
    return last;
}

Status Table::dropRecordsAfter(uint32_t count) {
    if (!dbf_) return Status::invalid("the table is not open");
    if (count >= recCount()) return Status::ok();
    ++indexEpoch_;
    cursor_.reset();
    cursorRecno_ = 0;
    cacheFirst_ = cacheCount_ = 0;
    loaded_ = false;
    if (deletedState_.size() > size_t(count) + 1) deletedState_.resize(size_t(count) + 1);
    for (KeptAnswer& k : kept_)
        if (k.bits.size() > size_t(count) + 1) k.bits.resize(size_t(count) + 1);
    // Marked first: an interruption before the rebuild is found at the next open.
    if (index_ && !index_->changing() && index_->usable() && !index_->broken())
        RK_RETURN_IF_ERROR(index_->beginChange());
    RK_RETURN_IF_ERROR(dbf_->truncateRecords(count));
    if (index_)
        if (Status s = index_->rebuild(); !s)
            return s.withMessage("the records after " + std::to_string(count) +
                                 " were dropped, but the index could not be rebuilt (" +
                                 s.message() + "); the next open rebuilds it");
    if (opts_.sync) RK_RETURN_IF_ERROR(dbf_->sync());
    unsynced_ = false;
    return goTop();
}

} // namespace rk::store
