// The pages of one CDX file: a cache of decoded nodes, page allocation from the free list
// or the end of the file, and write-back of the pages an operation changed.
//
// Changed nodes stay in memory (dirty) until flush(), which writes each of them once, in
// file order. Nodes are shared: a node that a caller still holds is never evicted, so a
// page has at most one decoded copy.
#pragma once

#include "cdx_node.h"
#include "env.h"
#include "status.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace rk::cdx {

using NodePtr = std::shared_ptr<Node>;

class Pager {
public:
    Pager(std::unique_ptr<File> file, bool readOnly);

    // Reads the file size. Call once before use.
    Status open();
    File* file() { return file_.get(); }
    std::unique_ptr<File> releaseFile() {
        view_.reset();
        return std::move(file_);
    }
    // Lets go of the view, so that the pages it brought in leave the process (before a long
    // rebuild that needs no page of this file); reads go through the file from then on.
    void dropView() { view_.reset(); }
    bool readOnly() const { return readOnly_; }
    // Size of the file including pages allocated but not yet written.
    uint64_t size() const { return size_; }

    // Bounds-checked raw access.
    Status readPage(uint32_t offset, uint8_t* page);
    Status readBytes(uint64_t offset, uint8_t* buf, size_t n);
    Status writeBytes(uint64_t offset, const uint8_t* buf, size_t n);

    // A node, decoded and validated, from the cache or the file.
    Result<NodePtr> load(uint32_t offset, uint16_t keyLength, uint8_t fill);
    // Like load(), but a node not in the cache is decoded into a fresh object that the cache
    // does not keep; pages are read ahead in large blocks (for walks along the leaves).
    Result<NodePtr> loadSequential(uint32_t offset, uint16_t keyLength, uint8_t fill,
                                   bool backward);
    // The same into a node the caller keeps (a walk of every page reuses one).
    Status loadSequential(uint32_t offset, uint16_t keyLength, uint8_t fill, bool backward,
                          Node* into);
    // A new empty node on a fresh page; it is dirty.
    Result<NodePtr> allocate(uint16_t keyLength, uint8_t fill, uint16_t attr);
    // Reserves `n` consecutive pages at the end of the file (bulk builds write them directly).
    uint32_t reserveAtEnd(uint32_t pages);
    void markDirty(const NodePtr& node);
    // The node's page joins the free list.
    void release(const NodePtr& node);

    uint32_t freeHead() const { return freeHead_; }
    void setFreeHead(uint32_t head) { freeHead_ = head; }

    bool hasChanges() const { return !dirty_.empty() || !freed_.empty(); }
    size_t dirtyPages() const { return dirty_.size(); }
    // Writes every changed page.
    Status flush();
    // Forgets unwritten changes and every cached node (after a failed operation).
    [[nodiscard]] Status discard();
    void setCacheCapacity(size_t nodes) { capacity_ = nodes; }
    // Changes whenever a page changes: cursors compare it to know their position still holds.
    uint64_t generation() const { return generation_; }

private:
    void remember(uint32_t offset, const NodePtr& node);
    void forget(uint32_t offset);
    NodePtr* cached(uint32_t offset); // marks it used
    bool isCached(uint32_t offset) const { return offset % kPageSize == 0 && find(offset) >= 0; }
    void evictIfNeeded();
    // The slot of a page, or -1.
    int64_t find(uint32_t offset) const;
    void index(uint32_t page, uint32_t slot);
    void unindex(uint32_t page);

    std::unique_ptr<File> file_;
    std::unique_ptr<FileView> view_; // page reads, when the file layer has views
    bool readOnly_;
    uint64_t size_ = 0;
    uint32_t freeHead_ = 0;
    // The cache: the cached pages in a dense array that a clock hand sweeps (sparing pages
    // used since its last pass, held by a caller or waiting to be written), found through an
    // open-addressing table from page number to slot. Both are sized by what is cached, never
    // by the size of the file.
    struct Slot {
        uint32_t page = 0;
        NodePtr node;
        bool used = false;
        bool dirty = false;
    };
    std::vector<Slot> slots_;
    std::vector<uint32_t> table_; // slot + 1 per bucket, 0 for none; a power of two in size
    size_t hand_ = 0;
    // Changed nodes, in the order of their first change since the last flush. A node released
    // or replaced meanwhile stays listed; flush writes only what its slot still holds.
    std::vector<NodePtr> dirty_;
    std::map<uint32_t, uint32_t> freed_; // freed page -> next free page, written at flush
    uint64_t generation_ = 1;
    // Read-ahead blocks for sequential loads: the newest and the one before (a walk that
    // returns to pages just behind the newest block finds them there).
    struct Ahead {
        std::vector<uint8_t> bytes;
        uint64_t start = 0;
        bool holds(uint64_t offset) const {
            return !bytes.empty() && offset >= start && offset + kPageSize <= start + bytes.size();
        }
    };
    Ahead ahead_[2];
    void forgetAhead() {
        for (Ahead& a : ahead_)
            a.bytes.clear();
    }
    uint64_t lastSequential_ = 0; // the page the last sequential load read
    size_t capacity_ = 8192;
};

} // namespace rk::cdx
