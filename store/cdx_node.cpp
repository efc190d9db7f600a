#include "cdx_node.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace rk::cdx {

void Node::insert(size_t i, const uint8_t* k, uint32_t recno, uint32_t child) {
    if (sized_ && leaf()) {
        // The new key's bytes after its predecessor, and its successor's after it instead.
        const uint8_t* prev = i > 0 ? key(i - 1) : nullptr;
        stored_ += storedAfter(prev, k);
        if (i < count()) stored_ = stored_ + storedAfter(k, key(i)) - storedAfter(prev, key(i));
        maxRecno_ = std::max(maxRecno_, recno);
    }
    keys.insert(keys.begin() + static_cast<ptrdiff_t>(i * keyLength), k, k + keyLength);
    recnos.insert(recnos.begin() + static_cast<ptrdiff_t>(i), recno);
    if (!leaf()) children.insert(children.begin() + static_cast<ptrdiff_t>(i), child);
}

void Node::erase(size_t i) {
    if (sized_ && leaf()) {
        const uint8_t* prev = i > 0 ? key(i - 1) : nullptr;
        stored_ -= storedAfter(prev, key(i));
        if (i + 1 < count())
            stored_ = stored_ - storedAfter(key(i), key(i + 1)) + storedAfter(prev, key(i + 1));
        if (recnos[i] == maxRecno_) sized_ = false;
    }
    auto at = keys.begin() + static_cast<ptrdiff_t>(i * keyLength);
    keys.erase(at, at + keyLength);
    recnos.erase(recnos.begin() + static_cast<ptrdiff_t>(i));
    if (!leaf()) children.erase(children.begin() + static_cast<ptrdiff_t>(i));
}

void Node::set(size_t i, const uint8_t* k, uint32_t recno) {
    std::memmove(keys.data() + i * keyLength, k, keyLength);
    recnos[i] = recno;
    sized_ = false;
}

size_t Node::storedAfter(const uint8_t* prev, const uint8_t* k) const {
    size_t trail = trailingCount(k, keyLength, fill);
    if (!prev) return keyLength - trail;
    size_t prevTrail = trailingCount(prev, keyLength, fill);
    return keyLength - duplicateCount(prev, prevTrail, k, trail, keyLength) - trail;
}

size_t Node::leafBytes() const {
    if (!sized_) {
        stored_ = 0;
        for (size_t i = 0; i < count(); ++i)
            stored_ += storedAfter(i > 0 ? key(i - 1) : nullptr, key(i));
        maxRecno_ = count() ? *std::max_element(recnos.begin(), recnos.end()) : 0;
        sized_ = true;
    }
    return count() * leafLayout(keyLength, maxRecno_).bytes + stored_;
}

void Node::moveTail(size_t from, Node& to) {
    sized_ = false;
    to.sized_ = false;
    to.keys.insert(to.keys.end(), keys.begin() + static_cast<ptrdiff_t>(from * keyLength),
                   keys.end());
    to.recnos.insert(to.recnos.end(), recnos.begin() + static_cast<ptrdiff_t>(from), recnos.end());
    if (!leaf())
        to.children.insert(to.children.end(), children.begin() + static_cast<ptrdiff_t>(from),
                           children.end());
    keys.resize(from * keyLength);
    recnos.resize(from);
    if (!leaf()) children.resize(from);
}

void Node::append(const Node& other) {
    sized_ = false;
    keys.insert(keys.end(), other.keys.begin(), other.keys.end());
    recnos.insert(recnos.end(), other.recnos.begin(), other.recnos.end());
    children.insert(children.end(), other.children.begin(), other.children.end());
}

void Node::clear() {
    sized_ = false;
    keys.clear();
    recnos.clear();
    children.clear();
}

int compareEntry(const uint8_t* ka, uint32_t ra, const uint8_t* kb, uint32_t rb, uint16_t len) {
    int c = std::memcmp(ka, kb, len);
    if (c != 0) return c;
    return ra < rb ? -1 : (ra > rb ? 1 : 0);
}

size_t lowerBound(const Node& n, const uint8_t* key, uint32_t recno) {
    size_t lo = 0, hi = n.count();
    while (lo < hi) {
        size_t mid = (lo + hi) / 2;
        if (compareEntry(n.key(mid), n.recnos[mid], key, recno, n.keyLength) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

namespace {

int bitLength(uint32_t v) {
    int n = 0;
    while (v) {
        ++n;
        v >>= 1;
    }
    return n;
}

uint64_t maskOf(int bits) {
    return bits >= 64 ? ~0ull : ((1ull << bits) - 1);
}

size_t commonPrefix(const uint8_t* a, const uint8_t* b, size_t n) {
    size_t i = 0;
    // Eight bytes at a time: the first differing byte is the lowest set byte of the XOR on a
    // little-endian machine, found byte by byte below (portable, and only once).
    for (; i + 8 <= n; i += 8) {
        uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y) break;
    }
    while (i < n && a[i] == b[i])
        ++i;
    return i;
}

char hexDigit(int v) {
    return "0123456789abcdef"[v & 15];
}

} // namespace

size_t duplicateCount(const uint8_t* prev, size_t prevTrail, const uint8_t* key, size_t trail,
                      uint16_t keyLength) {
    size_t cap = keyLength - std::max(prevTrail, trail);
    return std::min(commonPrefix(prev, key, keyLength), cap);
}

std::string hexOffset(uint32_t offset) {
    std::string s = "0x";
    bool started = false;
    for (int shift = 28; shift >= 0; shift -= 4) {
        int d = static_cast<int>((offset >> shift) & 15);
        if (d || started || shift == 0) {
            s += hexDigit(d);
            started = true;
        }
    }
    return s;
}

LeafLayout leafLayout(uint16_t keyLength, uint32_t maxRecno) {
    int dc = std::max(1, bitLength(keyLength));
    int bytes = dc <= 8 ? 3 : 4;
    int rn = 8 * bytes - 2 * dc;
    while (rn < 32 && maxRecno > maskOf(rn)) {
        ++bytes;
        rn += 8;
    }
    LeafLayout l;
    if (rn > 32) {
        // Record numbers need at most 32 bits; the spare bits widen the two counts.
        int rest = 8 * bytes - 32;
        int trail = std::min(8, rest - dc);
        l.recBits = 32;
        l.trailBits = static_cast<uint8_t>(trail);
        l.dupBits = static_cast<uint8_t>(rest - trail);
    } else {
        l.recBits = static_cast<uint8_t>(rn);
        l.dupBits = static_cast<uint8_t>(dc);
        l.trailBits = static_cast<uint8_t>(dc);
    }
    l.bytes = static_cast<uint8_t>(bytes);
    return l;
}

size_t trailingCount(const uint8_t* key, uint16_t keyLength, uint8_t fill) {
    const uint64_t pattern = 0x0101010101010101ull * fill;
    size_t n = 0;
    for (; n + 8 <= keyLength; n += 8) {
        uint64_t w;
        std::memcpy(&w, key + keyLength - n - 8, 8);
        if (w != pattern) break;
    }
    while (n < keyLength && key[keyLength - 1 - n] == fill)
        ++n;
    return n;
}

LeafSizer::LeafSizer(const Node& n)
    : keyLength_(n.keyLength), trail_(n.count()), storedPrefix_(n.count() + 1, 0),
      recnos_(n.recnos) {
    const uint16_t k = n.keyLength;
    for (size_t i = 0; i < n.count(); ++i)
        trail_[i] = static_cast<uint16_t>(trailingCount(n.key(i), k, n.fill));
    for (size_t i = 0; i < n.count(); ++i) {
        uint32_t stored = 0;
        if (i > 0) {
            size_t dup = duplicateCount(n.key(i - 1), trail_[i - 1], n.key(i), trail_[i], k);
            stored = static_cast<uint32_t>(k - dup - trail_[i]);
        }
        storedPrefix_[i + 1] = storedPrefix_[i] + stored;
    }
    const size_t count = recnos_.size();
    maxBefore_.assign(count + 1, 0);
    maxFrom_.assign(count + 1, 0);
    for (size_t i = 0; i < count; ++i)
        maxBefore_[i + 1] = std::max(maxBefore_[i], recnos_[i]);
    for (size_t i = count; i-- > 0;)
        maxFrom_[i] = std::max(maxFrom_[i + 1], recnos_[i]);
}

size_t LeafSizer::bytes(size_t begin, size_t end) const {
    if (end <= begin) return 0;
    uint32_t maxRec = begin == 0 ? maxBefore_[end]
                      : end == recnos_.size()
                          ? maxFrom_[begin]
                          : *std::max_element(recnos_.begin() + ptrdiff_t(begin),
                                              recnos_.begin() + ptrdiff_t(end));
    size_t entry = leafLayout(keyLength_, maxRec).bytes;
    size_t first = keyLength_ - trail_[begin];
    size_t rest = storedPrefix_[end] - storedPrefix_[begin + 1];
    return entry * (end - begin) + first + rest;
}

size_t encodedBytes(const Node& n) {
    if (!n.leaf()) return n.count() * (static_cast<size_t>(n.keyLength) + 8);
    return LeafSizer(n).bytes(0, n.count());
}

bool fitsPage(const Node& n) {
    if (!n.leaf()) return n.count() <= interiorCapacity(n.keyLength);
    return n.leafBytes() <= kLeafSpace;
}

namespace {

Status bad(uint32_t offset, const std::string& what) {
    return Status::corruption("index page " + hexOffset(offset) + ": " + what);
}

Status checkOrder(const Node& n, size_t i) {
    if (i == 0) return Status::ok();
    if (compareEntry(n.key(i - 1), n.recnos[i - 1], n.key(i), n.recnos[i], n.keyLength) >= 0)
        return bad(n.offset, "keys out of order at entry " + std::to_string(i));
    return Status::ok();
}

// A copy of a few dozen bytes, in words: an inlined memcpy of a length known only at run time
// becomes a string move, whose start-up costs more than such a copy.
inline void copyShort(uint8_t* to, const uint8_t* from, size_t n) {
    // Whole words, the last of them ending at n (overlapping the one before).
    if (n >= 16) {
        for (size_t i = 0; i + 16 < n; i += 16)
            std::memcpy(to + i, from + i, 16);
        std::memcpy(to + n - 16, from + n - 16, 16);
    } else if (n >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else {
        for (size_t i = 0; i < n; ++i)
            to[i] = from[i];
    }
}

inline void fillShort(uint8_t* to, uint8_t byte, size_t n) {
    uint8_t block[16];
    std::memset(block, byte, 16);
    copyShort(to, block, std::min<size_t>(n, 16));
    for (size_t i = 16; i < n; i += 16)
        std::memcpy(to + std::min(i, n - 16), block, 16);
}

Status decodeLeaf(const uint8_t* page, Node* out, uint16_t count, uint8_t fill) {
    const uint16_t k = out->keyLength;
    const uint16_t freeField = get16(page + kLeafFree);
    const uint32_t recMask = get32(page + kLeafRecMask);
    const uint8_t dupMask = page[kLeafDupMask], trailMask = page[kLeafTrailMask];
    const int rn = page[kLeafRecBits], dc = page[kLeafDupBits], tc = page[kLeafTrailBits];
    const int bytes = page[kLeafEntryBytes];
    if (bytes < 1 || bytes > 8 || rn + dc + tc != 8 * bytes || rn > 32 || dc > 8 || tc > 8)
        return bad(out->offset, "bad leaf bit widths");
    if (recMask != maskOf(rn) || dupMask != maskOf(dc) || trailMask != maskOf(tc))
        return bad(out->offset, "leaf masks disagree with the bit widths");
    const size_t entriesEnd = kLeafHeaderSize + static_cast<size_t>(count) * bytes;
    if (entriesEnd > kPageSize) return bad(out->offset, "too many keys for a leaf");
    out->keys.resize(static_cast<size_t>(count) * k);
    out->recnos.resize(count);
    size_t end = kPageSize;
    for (size_t i = 0; i < count; ++i) {
        uint64_t v = 0;
        const uint8_t* e = page + kLeafHeaderSize + i * bytes;
        for (int b = bytes - 1; b >= 0; --b)
            v = (v << 8) | e[b];
        uint32_t rec = static_cast<uint32_t>(v & recMask);
        size_t dup = (v >> rn) & dupMask;
        size_t trail = (v >> (rn + dc)) & trailMask;
        if (i == 0) dup = 0;
        if (dup + trail > k) return bad(out->offset, "duplicate and trailing counts too long");
        size_t stored = k - dup - trail;
        if (end < entriesEnd + stored) return bad(out->offset, "key bytes overlap the entries");
        end -= stored;
        uint8_t* key = out->keys.data() + i * k;
        copyShort(key, key - k, dup);
        copyShort(key + dup, page + end, stored);
        fillShort(key + dup + stored, fill, trail);
        out->recnos[i] = rec;
        // The first dup bytes are the previous key's own: the order shows after them, most
        // often in the very next byte.
        if (i > 0) {
            const uint8_t* prev = key - k;
            const bool ordered = dup < k && prev[dup] != key[dup]
                                     ? prev[dup] < key[dup]
                                     : compareEntry(prev + dup, out->recnos[i - 1], key + dup, rec,
                                                    uint16_t(k - dup)) < 0;
            if (!ordered)
                return bad(out->offset, "keys out of order at entry " + std::to_string(i));
        }
    }
    if (freeField != end - entriesEnd)
        return bad(out->offset, "free space field " + std::to_string(freeField) +
                                    " but the page has " + std::to_string(end - entriesEnd));
    return Status::ok();
}

Status decodeInterior(const uint8_t* page, Node* out, uint16_t count) {
    const uint16_t k = out->keyLength;
    if (count > interiorCapacity(k)) return bad(out->offset, "too many keys for an interior node");
    out->keys.resize(static_cast<size_t>(count) * k);
    out->recnos.resize(count);
    out->children.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = page + kNodeHeaderSize + i * (k + 8u);
        copyShort(out->keys.data() + i * k, e, k);
        out->recnos[i] = get32be(e + k);
        out->children[i] = get32be(e + k + 4);
        if (!validPageOffset(out->children[i]) || out->children[i] < kHeaderSize)
            return bad(out->offset, "bad child pointer " + hexOffset(out->children[i]));
        RK_RETURN_IF_ERROR(checkOrder(*out, i));
    }
    return Status::ok();
}

} // namespace

Status decodeNode(const uint8_t* page, uint32_t offset, uint16_t keyLength, uint8_t fill,
                  Node* out) {
    out->offset = offset;
    out->keyLength = keyLength;
    out->fill = fill;
    // The key bytes are all written below: a node decoded again keeps its room rather than
    // having it cleared and filled with zeros first.
    out->forgetSize();
    out->children.clear();
    out->attr = get16(page + kNodeAttr);
    out->left = get32(page + kNodeLeft);
    out->right = get32(page + kNodeRight);
    if (out->attr > 3) return bad(offset, "bad node attributes " + std::to_string(out->attr));
    if (keyLength == 0 || keyLength > kMaxKeyLength) return bad(offset, "bad key length");
    uint16_t count = get16(page + kNodeCount);
    return out->leaf() ? decodeLeaf(page, out, count, fill) : decodeInterior(page, out, count);
}

void encodeNode(const Node& n, uint8_t* page) {
    std::memset(page, 0, kPageSize);
    const uint16_t k = n.keyLength;
    put16(page + kNodeAttr, n.attr);
    put16(page + kNodeCount, static_cast<uint16_t>(n.count()));
    put32(page + kNodeLeft, n.left);
    put32(page + kNodeRight, n.right);
    if (!n.leaf()) {
        for (size_t i = 0; i < n.count(); ++i) {
            uint8_t* e = page + kNodeHeaderSize + i * (k + 8u);
            std::memcpy(e, n.key(i), k);
            put32be(e + k, n.recnos[i]);
            put32be(e + k + 4, n.children[i]);
        }
        return;
    }
    uint32_t maxRec = n.count() ? *std::max_element(n.recnos.begin(), n.recnos.end()) : 0;
    LeafLayout l = leafLayout(k, maxRec);
    put32(page + kLeafRecMask, static_cast<uint32_t>(maskOf(l.recBits)));
    page[kLeafDupMask] = static_cast<uint8_t>(maskOf(l.dupBits));
    page[kLeafTrailMask] = static_cast<uint8_t>(maskOf(l.trailBits));
    page[kLeafRecBits] = l.recBits;
    page[kLeafDupBits] = l.dupBits;
    page[kLeafTrailBits] = l.trailBits;
    page[kLeafEntryBytes] = l.bytes;
    size_t end = kPageSize, prevTrail = 0;
    for (size_t i = 0; i < n.count(); ++i) {
        const uint8_t* key = n.key(i);
        size_t trail = trailingCount(key, k, n.fill);
        size_t dup = i == 0 ? 0 : duplicateCount(n.key(i - 1), prevTrail, key, trail, k);
        size_t stored = k - dup - trail;
        end -= stored;
        std::memcpy(page + end, key + dup, stored);
        uint64_t v = n.recnos[i] | (static_cast<uint64_t>(dup) << l.recBits) |
                     (static_cast<uint64_t>(trail) << (l.recBits + l.dupBits));
        uint8_t* e = page + kLeafHeaderSize + i * l.bytes;
        for (int b = 0; b < l.bytes; ++b)
            e[b] = static_cast<uint8_t>(v >> (8 * b));
        prevTrail = trail;
    }
    put16(page + kLeafFree, static_cast<uint16_t>(end - (kLeafHeaderSize + n.count() * l.bytes)));
}

} // namespace rk::cdx
