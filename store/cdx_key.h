// Index keys: how a tag's key expression turns a record into key bytes.
//
//   character  the text, space padded or cut to the key length
//   numeric    8 bytes: the IEEE double big-endian; for a value >= 0 (and -0) the top bit is
//              flipped, for a value < 0 every bit is inverted, so that bytes sort as numbers
//   date       the Julian day number encoded as a numeric key (an empty date is 0)
//   logical    one byte, T or F
// Character keys pad with spaces, the others with 0x00 (the leaf pages' trailing fill).
#pragma once

#include "dbf.h"
#include "expr.h"
#include "status.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rk::cdx {

// UPPER on Windows-1252 bytes in place, as the key expressions mean it.
void upperBytes(unsigned char* p, size_t n);

enum class KeyType : char { Char = 'C', Num = 'N', Date = 'D', Logical = 'L' };

std::string numberKey(double v);
double numberFromKey(std::string_view key); // inverse of numberKey
inline uint8_t fillByte(KeyType t) {
    return t == KeyType::Char ? ' ' : 0;
}

// A tag's key and FOR expressions compiled against a table's fields.
class TagKey {
public:
    // The key length comes from the key evaluated on a blank record and on a filled one;
    // a key whose length varies (TRIM(TITLE)) is refused, as is one longer than 240 bytes.
    static Result<TagKey> compile(std::string_view keyExpr, std::string_view forExpr,
                                  const std::vector<dbf::FieldDef>& fields,
                                  const std::string& blankRecord);

    KeyType type() const { return type_; }
    uint16_t length() const { return length_; }
    uint8_t fill() const { return fillByte(type_); }
    // True when keys are copied straight from the record rather than evaluated.
    bool copiesFields() const { return !plan_.empty(); }
    // Character keys of a file made elsewhere keep that file's key length.
    void setLength(uint16_t length) { length_ = length; }

    // The record's key; false when the FOR condition leaves the record out.
    bool make(std::string_view image, uint32_t recno, std::string* key) const;
    // The record's key whatever the FOR condition says.
    void makeAlways(std::string_view image, uint32_t recno, std::string* key) const;
    // The key as pieces laid end to end, each the bytes of a field (upper-cased or not), a
    // text chosen by a logical field, or a fixed text (spaces that pad the key to its length
    // among them), so that a key can be hashed piece by piece without being made. Empty when
    // the key is evaluated.
    struct Piece {
        enum Kind { Field, Choice, Text } kind = Text;
        uint32_t offset = 0; // field: its place in the record; choice: the logical field's
        uint16_t length = 0; // field bytes used (a key shorter than its fields cuts the last)
        bool upper = false;
        std::string ifTrue, ifFalse; // text: ifTrue
        bool chooses(std::string_view image) const {
            char c = image[offset];
            return c == 'T' || c == 't' || c == 'Y' || c == 'y';
        }
    };
    std::vector<Piece> pieces() const;
    // False when the FOR condition leaves the record out.
    bool includes(std::string_view image, uint32_t recno) const;
    // Key bytes for a seek text: character text as it is (a prefix), a number, a date as
    // YYYYMMDD or YYYY-MM-DD, a logical as T/F/Y/N/.T./.F.
    Result<std::string> seekKey(std::string_view text) const;

private:
    // Most keys are fields joined with + (some in UPPER, some chosen by IIF on a logical
    // field): those are copied straight from the record instead of evaluated.
    struct Segment {
        enum Kind { Field, Literal, Choice } kind = Field;
        uint32_t offset = 0; // field: its place in the record; choice: the logical field's
        uint16_t length = 0;
        bool upper = false;
        std::string ifTrue, ifFalse; // literal text is in ifTrue
    };
    bool compilePlan(std::string_view text, const std::vector<dbf::FieldDef>& fields,
                     const std::string& blankRecord);
    void runPlan(std::string_view image, std::string* key) const;

    xbase::Expr keyExpr_, forExpr_;
    std::vector<Segment> plan_;
    KeyType type_ = KeyType::Char;
    uint16_t length_ = 0;
};

} // namespace rk::cdx
