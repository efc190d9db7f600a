// Text of another program (UTF-8) into the code page of our tables (Windows-1252).
#pragma once

#include <string>
#include <string_view>

namespace rk::interchange {

struct Converted {
    std::string text; // Windows-1252
    bool transliterated = false;
};

// Every character the code page holds is kept; a letter it does not hold becomes its base
// letter (ł -> l, ő -> o, ș -> s), a dash or quote its plain form, combining accents are
// dropped, and anything else becomes '?'; each of these sets `transliterated`. Line ends
// and tabs become spaces and the other control characters are dropped (a field is one
// line). Bytes that are not UTF-8 become '?'.
Converted toCp1252(std::string_view utf8);

// Whether the bytes are well-formed UTF-8.
bool isUtf8(std::string_view bytes);

// Leading and trailing blanks (spaces, tabs, line ends) removed.
std::string_view trimmed(std::string_view s);

} // namespace rk::interchange
