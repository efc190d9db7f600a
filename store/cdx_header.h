// Codec of the 1024-byte headers (the compound header and each tag's header) and of this
// engine's state mark in the compound header (layout in cdx_format.h).
//
// State mark, 38 bytes at offset 456 of the compound header (an area other programs leave
// zero): "RKIX", state ('C' sound, 'D' being changed), version 2, then as u32 the change
// counter, the table's record count and the file's length in pages when the file was last
// known sound, as u64 the table file's size and as i64 the time of its last write (ns), and
// a u32 checksum of header bytes 0..15 and of the mark itself. An index whose mark is
// missing (or of version 1, which knew nothing of the table file) or says 'D' is not
// trusted at open; one that disagrees with the header, the file or the table is checked.
#pragma once

#include "cdx_format.h"
#include "env.h"
#include "status.h"

#include <array>
#include <cstdint>
#include <string>

namespace rk::cdx {

struct Header {
    uint32_t root = kNone;
    uint32_t freeList = 0;
    uint32_t counter = 0;
    uint16_t keyLength = 0;
    uint8_t options = kTagBaseOptions;
    uint8_t signature = kSignature;
    bool descending = false;
    std::string keyExpr, forExpr;
    std::array<uint8_t, kHdrCollationSize> collation{}; // all zero: machine collation

    bool unique() const { return (options & kOptUnique) != 0; }
    bool machineCollation() const;
    // The collation name as stored, for messages.
    std::string collationName() const;
};

// Validates the key length, the options and the expression pool (not the root pointer:
// a tag whose root is lost can still be rebuilt from its expressions).
Status decodeHeader(const uint8_t* buf, Header* out);
// Writes a whole 1024-byte header (zeros where nothing is stored).
void encodeHeader(const Header& h, uint8_t* buf);
// The compound header of a file: a tag of 10-byte names with empty expressions.
Header compoundHeader(uint32_t directoryRoot, uint32_t freeList, uint32_t counter);

struct StateMark {
    bool present = false;
    bool sound = false;
    uint32_t counter = 0;
    uint32_t records = 0;
    uint32_t pages = 0;
    FileStamp table; // the table file the index was made for
    // Deleted records of that table, when the writer kept count (-1: not known). Trusted as
    // far as the rest of the mark is.
    int64_t deleted = -1;
};
// Reads the mark; `present` is false when it is absent or its checksum fails.
StateMark readMark(const uint8_t* header);
// Writes the mark (after bytes 0..15 are final: the checksum covers them).
void writeMark(uint8_t* header, const StateMark& mark);

} // namespace rk::cdx
