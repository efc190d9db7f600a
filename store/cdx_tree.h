// The B-tree of one tag: insertion and removal of (key, record number) entries with page
// splits, merges, freed pages and sibling links kept right, and interior entries that
// always hold the last entry of their child.
#pragma once

#include "cdx_pager.h"

#include <vector>

namespace rk::cdx {

constexpr int kMaxDepth = 48; // deeper than any real tree: a deeper walk is a loop

class Tree {
public:
    Tree(Pager* pager, uint32_t root, uint16_t keyLength, uint8_t fill)
        : pager_(pager), root_(root), keyLength_(keyLength), fill_(fill) {}

    // A new empty tree: one root leaf.
    static Result<uint32_t> createEmpty(Pager* pager, uint16_t keyLength, uint8_t fill);

    uint32_t root() const { return root_; }
    void setRoot(uint32_t root) { root_ = root; }
    uint16_t keyLength() const { return keyLength_; }
    uint8_t fill() const { return fill_; }
    Pager* pager() const { return pager_; }

    // Adds an entry; an entry already present is left alone.
    Status insert(const uint8_t* key, uint32_t recno);
    // Removes an entry; *found tells whether it was there.
    Status remove(const uint8_t* key, uint32_t recno, bool* found);
    // Whether the entry is present.
    Status contains(const uint8_t* key, uint32_t recno, bool* found);

    struct Frame {
        NodePtr node;
        size_t index;
    };
    // The leaf where (key, recno) belongs, and the interior nodes on the way. Each page on
    // the way is checked against its parent (entry, siblings, level): a change never builds
    // on a damaged path, and a read finds the damage instead of a wrong place.
    Status descend(const uint8_t* key, uint32_t recno, std::vector<Frame>* path, NodePtr* leaf);
    // The first (or last) leaf.
    Status edgeLeaf(bool last, NodePtr* leaf);
    Result<NodePtr> load(uint32_t offset) { return pager_->load(offset, keyLength_, fill_); }

private:
    Status checkChild(const Node& parent, size_t i, const Node& child) const;
    Status settleAfterInsert(std::vector<Frame>& path, NodePtr node, bool atEnd);
    Status settleAfterRemove(std::vector<Frame>& path, NodePtr node);
    Status propagateLast(std::vector<Frame>& path, NodePtr child);
    Status split(const NodePtr& node, bool atEnd, std::vector<NodePtr>* pieces);
    Status unlink(const NodePtr& node);
    bool underfull(const Node& n) const;
    bool canMerge(const Node& a, const Node& b) const;

    Pager* pager_;
    uint32_t root_;
    uint16_t keyLength_;
    uint8_t fill_;
    int leafDepth_ = -1; // how deep the leaves lie under leafRoot_
    uint32_t leafRoot_ = kNone;
};

// Where a run of entries is cut into pages: cut points strictly between 0 and count.
// A leaf is cut in two when that is possible (balanced, or with the left page as full as
// possible when `atEnd`), else greedily; an interior node into pages of equal counts.
std::vector<size_t> splitPoints(const Node& n, bool atEnd);

} // namespace rk::cdx
