#include "cdx_pager.h"

#include <algorithm>
#include <cstring>

namespace rk::cdx {

Pager::Pager(std::unique_ptr<File> file, bool readOnly)
    : file_(std::move(file)), readOnly_(readOnly) {}

Status Pager::open() {
    RK_RETURN_IF_ERROR(file_->size(&size_));
    // Pages are read through a view of the file where the file layer has one: a page read is
    // then a copy instead of a system call. Pages beyond it (added since) are read.
    auto view = file_->view();
    if (view) view_ = std::move(*view);
    return Status::ok();
}

Status Pager::readBytes(uint64_t offset, uint8_t* buf, size_t n) {
    if (offset + n > size_)
        return Status::corruption(file_->path() + ": index page " +
                                  hexOffset(static_cast<uint32_t>(offset)) +
                                  " lies beyond the end of the file");
    if (view_ && offset + n <= view_->size()) return view_->copy(offset, buf, n);
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
    for (Ahead& a : ahead_)
        if (!a.bytes.empty() && offset < a.start + a.bytes.size() && offset + n > a.start)
            a.bytes.clear();
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
    auto node = std::make_shared<Node>();
    RK_RETURN_IF_ERROR(loadSequential(offset, keyLength, fill, backward, node.get()));
    return node;
}

Status Pager::loadSequential(uint32_t offset, uint16_t keyLength, uint8_t fill, bool backward,
                             Node* into) {
    if (isCached(offset) || freed_.count(offset)) {
        auto r = load(offset, keyLength, fill);
        if (!r.isOk()) return r.status();
        *into = *r.value();
        return Status::ok();
    }
    if (!validPageOffset(offset) || offset < kHeaderSize || offset + uint64_t{kPageSize} > size_)
        return Status::corruption(file_->path() + ": bad index page pointer " + hexOffset(offset));
    const uint64_t last = lastSequential_;
    lastSequential_ = offset;
    auto decoded = [&](const uint8_t* page) {
        Status s = decodeNode(page, offset, keyLength, fill, into);
        return s.isOk() ? s : Status::corruption(file_->path() + ": " + s.message());
    };
    for (const Ahead& a : ahead_)
        if (a.holds(offset)) return decoded(a.bytes.data() + (offset - a.start));
    // A block of pages only where the walk goes on a few pages from the one before (leaves,
    // and the interior pages a build writes among them), aligned going forward so that a
    // parent and the children written before it share one. A page far from the last (the
    // upper levels, spread over the file) is read alone, and the block stays for the walk's
    // return to it.
    constexpr uint64_t kBlock = 128 * kPageSize, kNear = 8 * kPageSize;
    const bool onward = backward ? offset < last && last - offset <= kNear
                                 : offset > last && offset - last <= kNear;
    if (!onward) {
        // Through the file, not the view: a walk of every page must not map the whole file.
        uint8_t page[kPageSize];
        size_t got = 0;
        RK_RETURN_IF_ERROR(file_->read(offset, page, kPageSize, &got));
        std::fill(page + got, page + kPageSize, uint8_t(0)); // allocated, not yet written
        return decoded(page);
    }
    const uint64_t start = backward
                               ? (offset + kPageSize > kBlock ? offset + kPageSize - kBlock : 0)
                               : offset / kBlock * kBlock;
    const uint64_t end = std::min<uint64_t>(start + kBlock, size_);
    std::swap(ahead_[0], ahead_[1]); // the newer becomes the one before; the older is reused
    Ahead& a = ahead_[0];
    a.bytes.resize(end - start);
    size_t got = 0;
    Status s = file_->read(start, a.bytes.data(), a.bytes.size(), &got);
    if (!s.isOk()) {
        a.bytes.clear();
        return s;
    }
    // Pages allocated in this session but not yet written read as zeros.
    std::fill(a.bytes.begin() + std::ptrdiff_t(got), a.bytes.end(), uint8_t(0));
    a.start = start;
    return decoded(a.bytes.data() + (offset - start));
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
    markDirty(node);
    return node;
}

uint32_t Pager::reserveAtEnd(uint32_t pages) {
    uint64_t offset = roundUp(size_);
    size_ = offset + uint64_t{pages} * kPageSize;
    return static_cast<uint32_t>(offset);
}

void Pager::markDirty(const NodePtr& node) {
    ++generation_;
    if (!freed_.empty() && freed_.count(node->offset)) return;
    int64_t at = find(node->offset);
    if (at < 0) {
        remember(node->offset, node);
        at = find(node->offset);
    }
    Slot& s = slots_[size_t(at)];
    if (s.node != node) {
        s.node = node;
        s.dirty = false;
    }
    if (!s.dirty) {
        s.dirty = true;
        dirty_.push_back(node);
    }
}

void Pager::release(const NodePtr& node) {
    uint32_t offset = node->offset;
    ++generation_;
    forget(offset);
    freed_[offset] = freeHead_;
    freeHead_ = offset;
}

Status Pager::flush() {
    if (!hasChanges()) return Status::ok();
    if (readOnly_) return Status::invalid(file_->path() + " is open read-only");
    // Every changed page in file order; neighbouring pages go out in one write.
    std::vector<const Node*> nodes;
    nodes.reserve(dirty_.size());
    for (const NodePtr& n : dirty_) {
        int64_t at = find(n->offset);
        if (at >= 0 && slots_[size_t(at)].node == n && slots_[size_t(at)].dirty)
            nodes.push_back(n.get());
    }
    std::sort(nodes.begin(), nodes.end(),
              [](const Node* a, const Node* b) { return a->offset < b->offset; });
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
        bool takeNode = freedIt == freed_.end() ||
                        (dirtyIt != nodes.end() && (*dirtyIt)->offset < freedIt->first);
        uint32_t off = takeNode ? (*dirtyIt)->offset : freedIt->first;
        if (run.empty() || off != runStart + run.size() || run.size() >= 64 * kPageSize) {
            RK_RETURN_IF_ERROR(writeRun());
            runStart = off;
        }
        size_t at = run.size();
        run.resize(at + kPageSize, 0);
        if (takeNode) {
            encodeNode(**dirtyIt, run.data() + at);
            ++dirtyIt;
        } else {
            put32(run.data() + at, freedIt->second);
            ++freedIt;
        }
    }
    RK_RETURN_IF_ERROR(writeRun());
    for (const Node* n : nodes)
        slots_[size_t(find(n->offset))].dirty = false;
    dirty_.clear();
    freed_.clear();
    evictIfNeeded();
    return Status::ok();
}

Status Pager::discard() {
    ++generation_;
    forgetAhead();
    dirty_.clear();
    freed_.clear();
    slots_.clear();
    table_.clear();
    hand_ = 0;
    return file_->size(&size_);
}

namespace {
// Fibonacci hashing of a page number into a table of 2^bits buckets.
size_t bucketOf(uint32_t page, size_t mask) {
    return size_t((uint64_t(page) * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}
} // namespace

int64_t Pager::find(uint32_t offset) const {
    if (table_.empty()) return -1;
    const uint32_t page = offset / kPageSize;
    const size_t mask = table_.size() - 1;
    for (size_t b = bucketOf(page, mask);; b = (b + 1) & mask) {
        uint32_t v = table_[b];
        if (v == 0) return -1;
        if (slots_[v - 1].page == page) return int64_t(v - 1);
    }
}

void Pager::index(uint32_t page, uint32_t slot) {
    if ((slots_.size() + 1) * 2 > table_.size()) {
        // Half full at most: rebuild twice as large.
        std::vector<uint32_t> old = std::move(table_);
        table_.assign(std::max<size_t>(64, old.size() * 2), 0);
        const size_t mask = table_.size() - 1;
        for (uint32_t v : old) {
            if (v == 0) continue;
            size_t b = bucketOf(slots_[v - 1].page, mask);
            while (table_[b])
                b = (b + 1) & mask;
            table_[b] = v;
        }
    }
    const size_t mask = table_.size() - 1;
    size_t b = bucketOf(page, mask);
    while (table_[b])
        b = (b + 1) & mask;
    table_[b] = slot + 1;
}

void Pager::unindex(uint32_t page) {
    const size_t mask = table_.size() - 1;
    size_t b = bucketOf(page, mask);
    while (slots_[table_[b] - 1].page != page)
        b = (b + 1) & mask;
    // Backward shift: later entries of the run move up into the hole where they may.
    for (size_t next = (b + 1) & mask; table_[next]; next = (next + 1) & mask) {
        size_t home = bucketOf(slots_[table_[next] - 1].page, mask);
        bool between = b <= next ? (b < home && home <= next) : (b < home || home <= next);
        if (between) continue;
        table_[b] = table_[next];
        b = next;
    }
    table_[b] = 0;
}

NodePtr* Pager::cached(uint32_t offset) {
    if (offset % kPageSize) return nullptr;
    int64_t at = find(offset);
    if (at < 0) return nullptr;
    slots_[size_t(at)].used = true;
    return &slots_[size_t(at)].node;
}

void Pager::remember(uint32_t offset, const NodePtr& node) {
    int64_t at = find(offset);
    if (at < 0) {
        at = int64_t(slots_.size());
        index(offset / kPageSize, uint32_t(at));
        slots_.push_back(Slot{offset / kPageSize, node, true, false});
        return;
    }
    slots_[size_t(at)].node = node;
    slots_[size_t(at)].used = true;
}

void Pager::forget(uint32_t offset) {
    int64_t found = find(offset);
    if (found < 0) return;
    const size_t at = size_t(found);
    unindex(offset / kPageSize);
    const size_t last = slots_.size() - 1;
    if (at != last) {
        // The last slot moves into the hole; its table entry follows.
        unindex(slots_[last].page);
        slots_[at] = std::move(slots_[last]);
        index(slots_[at].page, uint32_t(at));
    }
    slots_.pop_back();
}

void Pager::evictIfNeeded() {
    // Nodes in use by a caller or waiting to be written stay; so may more than `capacity_`.
    for (size_t looked = 0; slots_.size() > capacity_ && looked < 128; ++looked) {
        if (hand_ >= slots_.size()) hand_ = 0;
        Slot& s = slots_[hand_];
        if (s.used || s.dirty || s.node.use_count() > 1) {
            s.used = false;
            ++hand_;
            continue;
        }
        forget(s.page * kPageSize); // the last slot moves to the hand
    }
}

} // namespace rk::cdx
