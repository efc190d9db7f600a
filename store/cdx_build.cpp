#include "cdx_build.h"

#include <algorithm>
#include <cstring>

namespace rk::cdx {

TreeBuilder::TreeBuilder(Pager* pager, uint16_t keyLength, uint8_t fill, unsigned leafFillPercent,
                         std::mutex* io)
    : pager_(pager), io_(io), keyLength_(keyLength), fill_(fill),
      leafLimit_(kLeafSpace * std::min(100u, std::max(50u, leafFillPercent)) / 100) {}

void TreeBuilder::reset(Level& l, size_t index) {
    l.open = Node();
    l.open.keyLength = keyLength_;
    l.open.fill = fill_;
    l.open.attr = index == 0 ? kAttrLeaf : 0;
    l.stored = 0;
    l.prevTrail = 0;
    l.maxRecno = 0;
}

TreeBuilder::Level& TreeBuilder::level(size_t i) {
    while (levels_.size() <= i) {
        levels_.emplace_back();
        reset(levels_.back(), levels_.size() - 1);
    }
    return levels_[i];
}

Status TreeBuilder::add(const uint8_t* key, uint32_t recno) {
    ++count_;
    return push(0, key, recno, kNone);
}

Status TreeBuilder::push(size_t index, const uint8_t* key, uint32_t recno, uint32_t child) {
    Level& l = level(index);
    if (index == 0) {
        size_t trail = trailingCount(key, keyLength_, fill_);
        size_t n = l.open.count();
        if (n > 0) {
            size_t dup = duplicateCount(l.open.lastKey(), l.prevTrail, key, trail, keyLength_);
            size_t stored = keyLength_ - dup - trail;
            uint32_t maxRecno = std::max(l.maxRecno, recno);
            size_t need = leafLayout(keyLength_, maxRecno).bytes * (n + 1) + l.stored + stored;
            if (need <= leafLimit_) {
                l.open.insert(n, key, recno);
                l.stored += stored;
                l.prevTrail = trail;
                l.maxRecno = maxRecno;
                return Status::ok();
            }
            RK_RETURN_IF_ERROR(close(0));
        }
        Level& fresh = level(0);
        fresh.open.insert(0, key, recno);
        fresh.stored = keyLength_ - trail;
        fresh.prevTrail = trail;
        fresh.maxRecno = recno;
        return Status::ok();
    }
    if (l.open.count() >= interiorCapacity(keyLength_)) RK_RETURN_IF_ERROR(close(index));
    Level& cur = level(index);
    cur.open.insert(cur.open.count(), key, recno, child);
    return Status::ok();
}

Status TreeBuilder::close(size_t index) {
    Node n = std::move(level(index).open);
    reset(level(index), index);
    n.offset = pager_->reserveAtEnd(1);
    {
        Level& l = level(index);
        if (l.hasPending) {
            l.pending.right = n.offset;
            n.left = l.pending.offset;
            RK_RETURN_IF_ERROR(emit(l.pending));
        } else {
            n.left = kNone;
        }
        n.right = kNone;
        l.pending = std::move(n);
        l.hasPending = true;
        l.closed += 1;
    }
    Level& l = level(index);
    if (l.closed == 1) {
        l.heldKey.assign(reinterpret_cast<const char*>(l.pending.lastKey()), keyLength_);
        l.heldRecno = l.pending.lastRecno();
        l.heldChild = l.pending.offset;
        return Status::ok();
    }
    std::string lastKey(reinterpret_cast<const char*>(l.pending.lastKey()), keyLength_);
    uint32_t lastRecno = l.pending.lastRecno(), child = l.pending.offset;
    if (l.closed == 2) {
        std::string held = l.heldKey;
        uint32_t heldRecno = l.heldRecno, heldChild = l.heldChild;
        RK_RETURN_IF_ERROR(
            push(index + 1, reinterpret_cast<const uint8_t*>(held.data()), heldRecno, heldChild));
    }
    return push(index + 1, reinterpret_cast<const uint8_t*>(lastKey.data()), lastRecno, child);
}

Status TreeBuilder::emit(const Node& n) {
    std::vector<uint8_t> page(kPageSize);
    encodeNode(n, page.data());
    out_[n.offset] = std::move(page);
    if (out_.size() >= 256) return writeOut();
    return Status::ok();
}

Status TreeBuilder::writeOut() {
    std::unique_lock<std::mutex> lock;
    if (io_) lock = std::unique_lock<std::mutex>(*io_);
    std::vector<uint8_t> run;
    uint32_t start = 0;
    for (auto& [off, page] : out_) {
        if (!run.empty() && off != start + run.size()) {
            RK_RETURN_IF_ERROR(pager_->writeBytes(start, run.data(), run.size()));
            run.clear();
        }
        if (run.empty()) start = off;
        run.insert(run.end(), page.begin(), page.end());
    }
    if (!run.empty()) RK_RETURN_IF_ERROR(pager_->writeBytes(start, run.data(), run.size()));
    out_.clear();
    return Status::ok();
}

Result<uint32_t> TreeBuilder::finish() {
    if (count_ == 0) {
        Node root;
        root.keyLength = keyLength_;
        root.fill = fill_;
        root.attr = kAttrLeaf | kAttrRoot;
        root.offset = pager_->reserveAtEnd(1);
        RK_RETURN_IF_ERROR(emit(root));
        RK_RETURN_IF_ERROR(writeOut());
        return root.offset;
    }
    uint32_t root = kNone;
    for (size_t i = 0; i < levels_.size(); ++i) {
        if (level(i).open.count() > 0) RK_RETURN_IF_ERROR(close(i));
        Level& l = level(i);
        if (i + 1 == levels_.size() && l.closed == 1) {
            l.pending.attr |= kAttrRoot;
            root = l.pending.offset;
        }
        RK_RETURN_IF_ERROR(emit(l.pending));
    }
    RK_RETURN_IF_ERROR(writeOut());
    return root;
}

} // namespace rk::cdx
