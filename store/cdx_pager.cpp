#include "cdx_pager.h"

#include <algorithm>
#include <cstring>

namespace rk::cdx {

Pager::Pager(std::unique_ptr<File> file, bool readOnly)
    : file_(std::move(file)), readOnly_(readOnly) {}

Status Pager::open() {
    return file_->size(&size_);
}

void Pager::replaceFile(std::unique_ptr<File> file) {
    file_ = std::move(file);
    ++generation_;
    ahead_.clear();
    slots_.clear();
    ring_.clear();
    dirty_.clear();
    freed_.clear();
}

Status Pager::readBytes(uint64_t offset, uint8_t* buf, size_t n) {
    if (offset + n > size_)
        return Status::corruption(file_->path() + ": index page " +
                                  hexOffset(static_cast<uint32_t>(offset)) +
                                  " lies beyond the end of the file");
    size_t got = 0;
    RK_RETURN_IF_ERROR(file_->read(offset, buf, n, &got));
    if (got < n) {
        // Pages allocated in this session but not yet written read as zeros.
        std::memset(buf + got, 0, n - got);
    }
    return Status::ok();
}

Status Pager::readPage(uint32_t offset, uint8_t* page) {
    if (!validPageOffset(offset) || offset < kHeaderSize)
        return Status::corruption(file_->path() + ": bad index page pointer " + hexOffset(offset));
    return readBytes(offset, page, kPageSize);
}

Status Pager::writeBytes(uint64_t offset, const uint8_t* buf, size_t n) {
    if (readOnly_) return Status::invalid(file_->path() + " is open read-only");
    if (!ahead_.empty() && offset < aheadStart_ + ahead_.size() && offset + n > aheadStart_)
        ahead_.clear();
    RK_RETURN_IF_ERROR(file_->write(offset, buf, n));
    size_ = std::max<uint64_t>(size_, offset + n);
    return Status::ok();
}

Result<NodePtr> Pager::load(uint32_t offset, uint16_t keyLength, uint8_t fill) {
    if (NodePtr* hit = cached(offset)) {
        const Node& n = **hit;
        if (n.keyLength != keyLength || n.fill != fill)
            return Status::corruption(file_->path() + ": index page " + hexOffset(offset) +
                                      " is shared by two tags");
        return *hit;
    }
    if (freed_.count(offset))
        return Status::corruption(file_->path() + ": index page " + hexOffset(offset) +
                                  " is on the free list");
    uint8_t page[kPageSize];
    RK_RETURN_IF_ERROR(readPage(offset, page));
    auto node = std::make_shared<Node>();
    Status s = decodeNode(page, offset, keyLength, fill, node.get());
    if (!s.isOk()) return Status::corruption(file_->path() + ": " + s.message());
    evictIfNeeded();
    remember(offset, node);
    return node;
}

namespace {
uint64_t roundUp(uint64_t v) {
    return (v + kPageSize - 1) / kPageSize * kPageSize;
}
} // namespace

Result<NodePtr> Pager::loadSequential(uint32_t offset, uint16_t keyLength, uint8_t fill,
                                      bool backward) {
    if (isCached(offset) || freed_.count(offset)) return load(offset, keyLength, fill);
    if (!validPageOffset(offset) || offset < kHeaderSize || offset + uint64_t{kPageSize} > size_)
        return Status::corruption(file_->path() + ": bad index page pointer " + hexOffset(offset));
    if (ahead_.empty() || offset < aheadStart_ ||
        offset + kPageSize > aheadStart_ + ahead_.size()) {
        constexpr uint64_t kBlock = 128 * kPageSize;
        uint64_t start = offset;
        if (backward) start = offset + kPageSize > kBlock ? offset + kPageSize - kBlock : 0;
        uint64_t end = std::min<uint64_t>(start + kBlock, size_);
        ahead_.assign(end - start, 0);
        size_t got = 0;
        Status s = file_->read(start, ahead_.data(), ahead_.size(), &got);
        if (!s.isOk()) {
            ahead_.clear();
            return s;
        }
        aheadStart_ = start;
    }
    auto node = std::make_shared<Node>();
    Status s =
        decodeNode(ahead_.data() + (offset - aheadStart_), offset, keyLength, fill, node.get());
    if (!s.isOk()) return Status::corruption(file_->path() + ": " + s.message());
    return node;
}

Result<NodePtr> Pager::allocate(uint16_t keyLength, uint8_t fill, uint16_t attr) {
    if (readOnly_) return Status::invalid(file_->path() + " is open read-only");
    ++generation_;
    uint32_t offset = 0;
    if (freeHead_ != 0) {
        uint32_t candidate = freeHead_, next = 0;
        auto f = freed_.find(candidate);
        if (f != freed_.end()) {
            next = f->second;
            freed_.erase(f);
            offset = candidate;
        } else if (validPageOffset(candidate) && candidate >= kHeaderSize &&
                   candidate + uint64_t{kPageSize} <= size_ && !isCached(candidate)) {
            // A page this engine freed is zero after its link; anything else means the list
            // is damaged and would hand out a page in use.
            uint8_t page[kPageSize];
            if (readBytes(candidate, page, kPageSize).isOk() &&
                std::all_of(page + 4, page + kPageSize, [](uint8_t b) { return b == 0; })) {
                next = get32(page);
                offset = candidate;
            }
        }
        // A list that leads anywhere odd is dropped: its pages are lost, never reused twice.
        if (next != 0 && (!validPageOffset(next) || next < kHeaderSize ||
                          next + uint64_t{kPageSize} > size_ || isCached(next)))
            next = 0;
        freeHead_ = next;
    }
    if (offset == 0) offset = reserveAtEnd(1);
    auto node = std::make_shared<Node>();
    node->offset = offset;
    node->keyLength = keyLength;
    node->fill = fill;
    node->attr = attr;
    evictIfNeeded();
    remember(offset, node);
    dirty_[offset] = node;
    return node;
}

uint32_t Pager::reserveAtEnd(uint32_t pages) {
    uint64_t offset = roundUp(size_);
    size_ = offset + uint64_t{pages} * kPageSize;
    return static_cast<uint32_t>(offset);
}

void Pager::markDirty(const NodePtr& node) {
    ++generation_;
    if (freed_.count(node->offset)) return;
    dirty_[node->offset] = node;
    if (!isCached(node->offset)) remember(node->offset, node);
}

void Pager::release(const NodePtr& node) {
    uint32_t offset = node->offset;
    ++generation_;
    forget(offset);
    dirty_.erase(offset);
    freed_[offset] = freeHead_;
    freeHead_ = offset;
}

Status Pager::flush() {
    if (!hasChanges()) return Status::ok();
    if (readOnly_) return Status::invalid(file_->path() + " is open read-only");
    // Every changed page in file order; neighbouring pages go out in one write.
    std::map<uint32_t, const Node*> nodes;
    for (const auto& [off, n] : dirty_)
        nodes[off] = n.get();
    std::vector<uint8_t> run;
    uint32_t runStart = 0;
    auto writeRun = [&]() -> Status {
        if (run.empty()) return Status::ok();
        Status s = writeBytes(runStart, run.data(), run.size());
        run.clear();
        return s;
    };
    auto dirtyIt = nodes.begin();
    auto freedIt = freed_.begin();
    while (dirtyIt != nodes.end() || freedIt != freed_.end()) {
        bool takeNode =
            freedIt == freed_.end() || (dirtyIt != nodes.end() && dirtyIt->first < freedIt->first);
        uint32_t off = takeNode ? dirtyIt->first : freedIt->first;
        if (run.empty() || off != runStart + run.size() || run.size() >= 64 * kPageSize) {
            RK_RETURN_IF_ERROR(writeRun());
            runStart = off;
        }
        size_t at = run.size();
        run.resize(at + kPageSize, 0);
        if (takeNode) {
            encodeNode(*dirtyIt->second, run.data() + at);
            ++dirtyIt;
        } else {
            put32(run.data() + at, freedIt->second);
            ++freedIt;
        }
    }
    RK_RETURN_IF_ERROR(writeRun());
    dirty_.clear();
    freed_.clear();
    evictIfNeeded();
    return Status::ok();
}

Status Pager::discard() {
    ++generation_;
    ahead_.clear();
    dirty_.clear();
    freed_.clear();
    slots_.clear();
    ring_.clear();
    hand_ = 0;
    return file_->size(&size_);
}

void Pager::clearCache() {
    for (size_t i = ring_.size(); i-- > 0;) {
        uint32_t offset = ring_[i] * kPageSize;
        if (!dirty_.count(offset)) forget(offset);
    }
}

NodePtr* Pager::cached(uint32_t offset) {
    if (offset % kPageSize) return nullptr;
    auto it = slots_.find(offset / kPageSize);
    if (it == slots_.end()) return nullptr;
    it->second.used = true;
    return &it->second.node;
}

void Pager::remember(uint32_t offset, const NodePtr& node) {
    const uint32_t page = offset / kPageSize;
    auto [it, added] = slots_.try_emplace(page);
    Slot& s = it->second;
    if (added) {
        s.ring = static_cast<uint32_t>(ring_.size());
        ring_.push_back(page);
    }
    s.node = node;
    s.used = true;
}

void Pager::forget(uint32_t offset) {
    auto it = slots_.find(offset / kPageSize);
    if (it == slots_.end()) return;
    uint32_t at = it->second.ring;
    slots_.erase(it);
    ring_[at] = ring_.back();
    if (at < ring_.size() - 1) slots_[ring_[at]].ring = at;
    ring_.pop_back();
}

void Pager::evictIfNeeded() {
    // Nodes in use by a caller or waiting to be written stay; so may more than `capacity_`.
    for (size_t looked = 0; ring_.size() > capacity_ && looked < 128; ++looked) {
        if (hand_ >= ring_.size()) hand_ = 0;
        uint32_t page = ring_[hand_];
        Slot& s = slots_.at(page);
        uint32_t offset = page * kPageSize;
        if (s.used || s.node.use_count() > 1 || dirty_.count(offset)) {
            s.used = false;
            ++hand_;
            continue;
        }
        forget(offset); // the last ring entry moves to the hand
    }
}

} // namespace rk::cdx
