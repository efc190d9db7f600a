// Bottom-up construction of a tag's tree from entries in ascending order: leaves filled in
// turn, each level's nodes linked as they close, interior entries taken from each child's
// last entry. The pages go to the end of the file in large writes.
#pragma once

#include "cdx_pager.h"

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace rk::cdx {

class TreeBuilder {
public:
    // Leaves are filled to `leafFillPercent` of their space, so that later inserts find
    // room without splitting at once. With `io`, every write to the pager's file is made
    // holding it (builds on several threads share one file layer).
    TreeBuilder(Pager* pager, uint16_t keyLength, uint8_t fill, unsigned leafFillPercent = 100,
                std::mutex* io = nullptr);

    // Entries must come in strictly ascending (key, record number) order.
    Status add(const uint8_t* key, uint32_t recno);
    // Writes the remaining pages and returns the root page.
    Result<uint32_t> finish();
    uint64_t count() const { return count_; }

private:
    struct Level {
        Node open;
        Node pending; // closed, written once its right neighbour is known
        bool hasPending = false;
        uint32_t closed = 0;
        std::string heldKey; // the first node's entry, passed up when a second node closes
        uint32_t heldRecno = 0, heldChild = 0;
        // Running size of the open leaf.
        size_t stored = 0, prevTrail = 0;
        uint32_t maxRecno = 0;
    };
    Level& level(size_t i);
    Status push(size_t level, const uint8_t* key, uint32_t recno, uint32_t child);
    Status close(size_t level);
    Status emit(const Node& n);
    Status writeOut();
    void reset(Level& l, size_t index);

    Pager* pager_;
    std::mutex* io_;
    uint16_t keyLength_;
    uint8_t fill_;
    size_t leafLimit_;
    uint64_t count_ = 0;
    std::deque<Level> levels_;
    std::map<uint32_t, std::vector<uint8_t>> out_; // encoded pages waiting to be written
};

} // namespace rk::cdx
