// The compact compound index (CDX) layout: constants and byte helpers shared by the
// page codecs, the B-tree, the header codec and the checker.
//
// The file is a sequence of 512-byte pages. Every pointer is a byte offset, a multiple of
// 512; "none" is 0xFFFFFFFF.
//
// Compound header (offset 0, 1024 bytes) and tag header (1024 bytes each), same layout:
//   0..3     root page (compound header: root of the tag directory)
//   4..7     head of the free page list (compound header only; 0 = empty; a free page's
//            first 4 bytes point to the next free page)
//   8..11    change counter (big-endian)
//   12..13   key length (compound header: 10, the tag name)
//   14       options: 0x01 unique, 0x08 FOR expression, 0x20 compact, 0x40 compound,
//            0x80 structural (compound header 0xE0, tags 0x60 + flags)
//   15       signature 0x01
//   456..493 this engine's private state mark (compound header only, see cdx_header.h)
//   494..501 collation name; zero for machine collation
//   502..503 descending
//   504..505 FOR expression position in the pool   506..507 its length with the NUL
//   508..509 key expression position in the pool   510..511 its length with the NUL
//   512..1023 expression pool
//
// Node header (all pages of a tag), 12 bytes:
//   0..1 attributes (0 interior, 1 root interior, 2 leaf, 3 root leaf)
//   2..3 key count   4..7 left sibling   8..11 right sibling
// Interior node: from 12, entries of key length + 8 bytes: key, record number (BE), child
//   page (BE); each entry holds the last (greatest) key and record number of its child.
// Leaf node: 12..13 free bytes, 14..17 record number mask, 18 duplicate count mask,
//   19 trailing count mask, 20 record number bits, 21 duplicate bits, 22 trailing bits,
//   23 bytes per entry; from 24 one entry per key (little-endian bit fields: record number,
//   duplicate count, trailing count); key bytes packed backwards from the end of the page.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rk::cdx {

constexpr uint32_t kPageSize = 512;
constexpr uint32_t kHeaderSize = 1024; // compound and tag headers take two pages
constexpr uint32_t kNone = 0xFFFFFFFFu;
constexpr uint16_t kMaxKeyLength = 240;
constexpr uint16_t kTagNameLength = 10;

// Header fields.
constexpr size_t kHdrRoot = 0;
constexpr size_t kHdrFreeList = 4;
constexpr size_t kHdrCounter = 8;
constexpr size_t kHdrKeyLength = 12;
constexpr size_t kHdrOptions = 14;
constexpr size_t kHdrSignature = 15;
constexpr size_t kHdrMark = 456;
constexpr size_t kHdrMarkSize = 38;
constexpr size_t kHdrCollation = 494;
constexpr size_t kHdrCollationSize = 8;
constexpr size_t kHdrDescending = 502;
constexpr size_t kHdrForPos = 504;
constexpr size_t kHdrForLen = 506;
constexpr size_t kHdrKeyPos = 508;
constexpr size_t kHdrKeyLen = 510;
constexpr size_t kHdrPool = 512;
constexpr size_t kPoolSize = 512;

constexpr uint8_t kOptUnique = 0x01;
constexpr uint8_t kOptFor = 0x08;
constexpr uint8_t kOptCompact = 0x20;
constexpr uint8_t kOptCompound = 0x40;
constexpr uint8_t kOptStructural = 0x80;
constexpr uint8_t kCompoundOptions = kOptCompact | kOptCompound | kOptStructural;
constexpr uint8_t kTagBaseOptions = kOptCompact | kOptCompound;
constexpr uint8_t kSignature = 0x01;

// Node header.
constexpr size_t kNodeAttr = 0;
constexpr size_t kNodeCount = 2;
constexpr size_t kNodeLeft = 4;
constexpr size_t kNodeRight = 8;
constexpr size_t kNodeHeaderSize = 12;
constexpr uint16_t kAttrRoot = 0x01;
constexpr uint16_t kAttrLeaf = 0x02;

// Interior node.
constexpr size_t kInteriorSpace = kPageSize - kNodeHeaderSize; // 500

// Leaf node.
constexpr size_t kLeafFree = 12;
constexpr size_t kLeafRecMask = 14;
constexpr size_t kLeafDupMask = 18;
constexpr size_t kLeafTrailMask = 19;
constexpr size_t kLeafRecBits = 20;
constexpr size_t kLeafDupBits = 21;
constexpr size_t kLeafTrailBits = 22;
constexpr size_t kLeafEntryBytes = 23;
constexpr size_t kLeafHeaderSize = 24;
constexpr size_t kLeafSpace = kPageSize - kLeafHeaderSize; // 488

inline bool validPageOffset(uint64_t off) {
    return off % kPageSize == 0 && off < kNone;
}

// Interior entries per page for a key length.
inline size_t interiorCapacity(uint16_t keyLength) {
    return kInteriorSpace / (static_cast<size_t>(keyLength) + 8);
}

inline uint16_t get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint32_t get32be(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
inline void put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void put32be(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * (3 - i)));
}

} // namespace rk::cdx
