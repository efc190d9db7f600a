// Windows-1252, the code page of every text in the table files, and its case mapping.
// Conversion to and from UTF-8 happens only at the program's edges (rkdb, the windows).
#pragma once

#include "status.h"

#include <string>
#include <string_view>

namespace rk::cp1252 {

// UTF-8 to Windows-1252. A character that the code page cannot hold is refused with
// InvalidArgument naming it; malformed UTF-8 is refused the same way.
Result<std::string> fromUtf8(std::string_view utf8);

// Windows-1252 to UTF-8. The five undefined bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the
// C1 control characters of the same value, so that every byte survives a round trip.
std::string toUtf8(std::string_view bytes);

// The code page's case mapping: A-Z, the accented letters, and the pairs
// š/Š, œ/Œ, ž/Ž, ÿ/Ÿ. Everything else maps to itself.
unsigned char upper(unsigned char c);
unsigned char lower(unsigned char c);
std::string upper(std::string_view s);
std::string lower(std::string_view s);

// Letters and digits of the code page (for word breaking).
bool isAlnum(unsigned char c);

// The base letter of an accented letter in lower case (é, É -> e; ß stays ß); other
// characters are returned lower-cased.
unsigned char fold(unsigned char c);

} // namespace rk::cp1252
