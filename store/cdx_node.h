// One CDX page decoded: the keys of a leaf or interior node at full key length, their
// record numbers and, for interior nodes, the child pages. Codecs between a Node and the
// 512 bytes of its page (layout in cdx_format.h).
#pragma once

#include "cdx_format.h"
#include "status.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rk::cdx {

struct Node {
    uint32_t offset = kNone;
    uint16_t attr = kAttrLeaf | kAttrRoot;
    uint32_t left = kNone, right = kNone;
    uint16_t keyLength = 0;
    uint8_t fill = ' ';             // byte that pads keys: space for character keys, 0 otherwise
    std::vector<uint8_t> keys;      // count() * keyLength bytes
    std::vector<uint32_t> recnos;   // one per key
    std::vector<uint32_t> children; // one per key, interior nodes only

    bool leaf() const { return (attr & kAttrLeaf) != 0; }
    bool root() const { return (attr & kAttrRoot) != 0; }
    size_t count() const { return recnos.size(); }
    const uint8_t* key(size_t i) const { return keys.data() + i * keyLength; }
    const uint8_t* lastKey() const { return key(count() - 1); }
    uint32_t lastRecno() const { return recnos.back(); }

    void insert(size_t i, const uint8_t* key, uint32_t recno, uint32_t child = kNone);
    void erase(size_t i);
    void set(size_t i, const uint8_t* key, uint32_t recno);
    // Moves the entries [from, count()) to the end of `to`.
    void moveTail(size_t from, Node& to);
    // Appends all entries of `other`.
    void append(const Node& other);
    void clear();

    // Bytes a leaf's entries take on its page (entries and stored key bytes), worked out once
    // and then kept current by insert() and erase(); the other changes, and any change made
    // to the vectors directly (forgetSize() then), make it be worked out again.
    size_t leafBytes() const;
    void forgetSize() { sized_ = false; }

private:
    // Stored key bytes of `key` after `prev` (null for the first key of the page).
    size_t storedAfter(const uint8_t* prev, const uint8_t* key) const;
    mutable bool sized_ = false;
    mutable size_t stored_ = 0;     // stored key bytes of all entries
    mutable uint32_t maxRecno_ = 0; // the greatest record number (the entry width)
};

// Orders entries by key bytes (unsigned), then by record number.
int compareEntry(const uint8_t* ka, uint32_t ra, const uint8_t* kb, uint32_t rb, uint16_t len);
// First entry not less than (key, recno); count() when every entry is less.
size_t lowerBound(const Node& n, const uint8_t* key, uint32_t recno);

// Bit layout of a leaf page's entries, chosen from the key length and the greatest record
// number on the page.
struct LeafLayout {
    uint8_t recBits = 0, dupBits = 0, trailBits = 0, bytes = 0;
};
LeafLayout leafLayout(uint16_t keyLength, uint32_t maxRecno);

// Space accounting of leaf entries: what a run of entries takes when encoded on one page
// (entry bytes + stored key bytes), for any sub-range, in constant time after setup.
class LeafSizer {
public:
    LeafSizer(const Node& n);
    size_t bytes(size_t begin, size_t end) const;
    bool fits(size_t begin, size_t end) const { return bytes(begin, end) <= kLeafSpace; }

private:
    uint16_t keyLength_;
    std::vector<uint16_t> trail_;
    std::vector<uint32_t> storedPrefix_; // storedPrefix_[i] = sum of stored bytes of 1..i-1
    std::vector<uint32_t> recnos_;
    // Greatest record number of entries [0, i) and of [i, count), for the cuts of a split.
    std::vector<uint32_t> maxBefore_, maxFrom_;
};

// Duplicate count of a key after `prev`, as FoxPro writes it: the common prefix, capped so
// that duplicate and trailing bytes never overlap the fill of either key.
size_t duplicateCount(const uint8_t* prev, size_t prevTrail, const uint8_t* key, size_t trail,
                      uint16_t keyLength);
// Trailing fill bytes of a key.
size_t trailingCount(const uint8_t* key, uint16_t keyLength, uint8_t fill);
// Bytes the whole node takes on its page: leaf entries + key bytes, or interior entries.
size_t encodedBytes(const Node& n);
bool fitsPage(const Node& n);

// Decodes and validates a page: attributes, counts, bit widths and masks, key lengths,
// the free-space field, child pointers, and strictly ascending (key, record) order.
Status decodeNode(const uint8_t* page, uint32_t offset, uint16_t keyLength, uint8_t fill,
                  Node* out);
// Encodes a node that fits its page. Unused bytes are zero.
void encodeNode(const Node& n, uint8_t* page);

std::string hexOffset(uint32_t offset);

} // namespace rk::cdx
