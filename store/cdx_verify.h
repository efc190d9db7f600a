// The structural check of a tag's tree and of the free list: every fault found is
// described in a line of its own; nothing stops at the first.
#pragma once

#include "cdx_pager.h"

#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

namespace rk::cdx {

// A set of page offsets: a bit for each 512-byte page (an index of 4 GB takes 1 MB), and the
// offsets that are no page's (a damaged pointer) beside it.
class PageSet {
public:
    PageSet() = default;
    PageSet(std::initializer_list<uint32_t> offsets) {
        for (uint32_t o : offsets)
            insert(o);
    }
    // False when the offset was there already.
    bool insert(uint32_t offset) {
        if (offset % kPageSize != 0) return odd_.insert(offset).second;
        const uint32_t page = offset / kPageSize;
        if (page / 64 >= bits_.size()) bits_.resize(page / 64 + 1 + bits_.size() / 2, 0);
        const uint64_t bit = uint64_t(1) << (page % 64);
        if (bits_[page / 64] & bit) return false;
        bits_[page / 64] |= bit;
        ++size_;
        return true;
    }
    bool contains(uint32_t offset) const {
        if (offset % kPageSize != 0) return odd_.count(offset) != 0;
        const uint32_t page = offset / kPageSize;
        return page / 64 < bits_.size() && (bits_[page / 64] >> (page % 64) & 1) != 0;
    }
    size_t size() const { return size_ + odd_.size(); }

private:
    std::vector<uint64_t> bits_;
    size_t size_ = 0;
    std::set<uint32_t> odd_;
};

struct TreeReport {
    uint64_t keys = 0;
    uint64_t pages = 0;
    int depth = 0;
};

// Checks: page pointers inside the file and used once (`used` collects the pages of every
// tree of the file), page decoding, root and leaf attributes, all leaves on one level,
// interior entries equal to the last entry of their child, sibling links on every level,
// keys in strictly ascending order across the whole tag, record numbers not zero, and for
// unique tags one entry per key. onLeaf sees every leaf in order.
void verifyTree(Pager* pager, const std::string& label, uint32_t root, uint16_t keyLength,
                uint8_t fill, bool unique, PageSet* used, std::vector<std::string>* problems,
                const std::function<void(const Node& leaf)>& onLeaf, TreeReport* report);

// Checks that the free list leads through pages of the file that no tree uses, without loops.
void verifyFreeList(Pager* pager, uint32_t head, const PageSet& used,
                    std::vector<std::string>* problems);

} // namespace rk::cdx
