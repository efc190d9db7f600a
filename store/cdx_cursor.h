// A position in a tag's order. Pages are ascending; a descending tag is the same pages read
// backwards. Moves between leaves follow the sibling links and verify them (the next leaf
// must point back, its first key must follow the last one), so a damaged chain gives an
// error, never a wrong order. A position survives changes to the file: after any change
// the cursor finds its entry again from the root.
#pragma once

#include "cdx_tree.h"

#include <functional>
#include <string>

namespace rk::cdx {

class Cursor {
public:
    Cursor(Tree* tree, bool descending) : tree_(tree), descending_(descending) {}

    // Positioning in the tag's order (descending tags reversed). A move past either end
    // leaves the cursor invalid.
    Status first();
    Status last();
    Status next();
    Status prev();
    // The first entry, in the tag's order, whose key starts with `prefix` or comes after it.
    Status seekPrefix(const uint8_t* prefix, size_t length);
    // The entry itself, or else the place where it would be (the next one in ascending
    // order). *exact tells which.
    Status seekEntry(const uint8_t* key, uint32_t recno, bool* exact);

    // The entry that follows (key, recno) in the tag's order, or precedes it, whether or not
    // (key, recno) itself is there.
    Status seekNeighbour(const uint8_t* key, uint32_t recno, bool forward);

    bool valid() const { return valid_; }
    uint32_t recno() const { return recno_; }
    const std::string& key() const { return key_; } // full key length

private:
    // Ascending positioning.
    Status seekGE(const uint8_t* key, uint32_t recno);
    Status stepForward();
    Status stepBackward();
    Status edge(bool last);
    void capture();

    Tree* tree_;
    bool descending_;
    bool valid_ = false;
    NodePtr leaf_;
    size_t index_ = 0;
    uint64_t generation_ = 0;
    std::string key_;
    uint32_t recno_ = 0;
};

// Calls fn(recno, key) for every entry in the tag's order until fn returns false. Reads the
// leaves in order without filling the page cache, checking the chain as the cursor does.
Status walkTag(Tree* tree, bool descending,
               const std::function<bool(uint32_t recno, const uint8_t* key)>& fn);

} // namespace rk::cdx
