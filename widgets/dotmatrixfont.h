// The bitmap font of the dot-matrix banner: every character sits in a cell of 5 columns by
// 9 rows of dots. Letters use the first 4 columns (the fifth keeps characters apart); rows 0 to
// 6 hold capitals and digits, rows 7 and 8 the descenders of g, j, p, q, y and the comma.
#pragma once

#include <QChar>

#include <array>
#include <cstdint>

namespace rk::dotmatrix {

constexpr int kColumns = 5;
constexpr int kRows = 9;

// One row per entry; bit c set means the dot in column c (0 = leftmost) is lit.
using Glyph = std::array<std::uint8_t, kRows>;

// The glyph of a character. Every letter of the Windows code page has one: accented letters
// show their mark above the letter (a capital drawn shorter beneath it) or, for the
// cedilla, below; other accented characters show their base letter; characters the font
// lacks show a hollow box; a space shows no dots.
Glyph glyph(QChar ch);

// Whether the font has a glyph of its own for the character (not the box).
bool hasGlyph(QChar ch);

} // namespace rk::dotmatrix
