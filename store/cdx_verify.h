// The structural check of a tag's tree and of the free list: every fault found is
// described in a line of its own; nothing stops at the first.
#pragma once

#include "cdx_pager.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace rk::cdx {

struct TreeReport {
    uint64_t keys = 0;
    uint64_t pages = 0;
    int depth = 0;
};

// Checks: page pointers inside the file and used once (`used` collects the pages of every
// tree of the file), page decoding, root and leaf attributes, all leaves on one level,
// interior entries equal to the last entry of their child, sibling links on every level,
// keys in strictly ascending order across the whole tag, record numbers not zero, and for
// unique tags one entry per key. onEntry sees every entry in order.
void verifyTree(Pager* pager, const std::string& label, uint32_t root, uint16_t keyLength,
                uint8_t fill, bool unique, std::set<uint32_t>* used,
                std::vector<std::string>* problems,
                const std::function<void(const uint8_t* key, uint32_t recno)>& onEntry,
                TreeReport* report);

// Checks that the free list leads through pages of the file that no tree uses, without loops.
void verifyFreeList(Pager* pager, uint32_t head, const std::set<uint32_t>& used,
                    std::vector<std::string>* problems);

} // namespace rk::cdx
