#include "dotmatrixfont.h"

#include <QString>

#include <unordered_map>
#include <vector>

namespace rk::dotmatrix {

namespace {

// Rows separated by blanks, '#' a lit dot; rows not given are dark.
struct GlyphSource {
    char ch;
    const char* rows;
};

constexpr GlyphSource kSource[] = {
    {' ', ""},
    {'!', ".#.. .#.. .#.. .#.. .#.. .... .#.."},
    {'"', "#.#. #.#. .... .... .... .... ...."},
    {'#', ".#.# #### .#.# .#.# #### .#.# ...."},
    {'$', "..#. .### #.#. .##. ..## ###. ..#."},
    {'%', "##.. ##.# ..#. .#.. #... #.## ..##"},
    {'&', ".#.. #.#. #.#. .#.. #.## #..# .##."},
    {'\'', ".#.. .#.. .... .... .... .... ...."},
    {'(', "..#. .#.. #... #... #... .#.. ..#."},
    {')', ".#.. ..#. ...# ...# ...# ..#. .#.."},
    {'*', ".... #.#. .#.. ###. .#.. #.#. ...."},
    {'+', ".... .#.. .#.. ###. .#.. .#.. ...."},
    {',', ".... .... .... .... .... .#.. .#.. #..."},
    {'-', ".... .... .... #### .... .... ...."},
    {'.', ".... .... .... .... .... ##.. ##.."},
    {'/', "...# ..#. ..#. .#.. .#.. #... #..."},
    {'0', ".##. #..# #.## ##.# #..# #..# .##."},
    {'1', ".#.. ##.. .#.. .#.. .#.. .#.. ###."},
    {'2', ".##. #..# ...# ..#. .#.. #... ####"},
    {'3', "###. ...# ...# .##. ...# ...# ###."},
    {'4', "..#. .##. #.#. #.#. #### ..#. ..#."},
    {'5', "#### #... ###. ...# ...# #..# .##."},
    {'6', ".##. #... #... ###. #..# #..# .##."},
    {'7', "#### ...# ..#. ..#. .#.. .#.. .#.."},
    {'8', ".##. #..# #..# .##. #..# #..# .##."},
    {'9', ".##. #..# #..# .### ...# ...# .##."},
    {':', ".... ##.. ##.. .... ##.. ##.. ...."},
    {';', ".... .#.. .... .... .#.. .#.. #..."},
    {'<', "...# ..#. .#.. #... .#.. ..#. ...#"},
    {'=', ".... .... #### .... #### .... ...."},
    {'>', "#... .#.. ..#. ...# ..#. .#.. #..."},
    {'?', ".##. #..# ...# ..#. .#.. .... .#.."},
    {'@', ".##. #..# #.## #.## #.## #... .##."},
    {'A', ".##. #..# #..# #### #..# #..# #..#"},
    {'B', "###. #..# #..# ###. #..# #..# ###."},
    {'C', ".##. #..# #... #... #... #..# .##."},
    {'D', "###. #..# #..# #..# #..# #..# ###."},
    {'E', "#### #... #... ###. #... #... ####"},
    {'F', "#### #... #... ###. #... #... #..."},
    {'G', ".##. #..# #... #.## #..# #..# .###"},
    {'H', "#..# #..# #..# #### #..# #..# #..#"},
    {'I', "###. .#.. .#.. .#.. .#.. .#.. ###."},
    {'J', "..## ...# ...# ...# ...# #..# .##."},
    {'K', "#..# #..# #.#. ##.. #.#. #..# #..#"},
    {'L', "#... #... #... #... #... #... ####"},
    {'M', "#..# #### #### #..# #..# #..# #..#"},
    {'N', "#..# ##.# ##.# #.## #.## #..# #..#"},
    {'O', ".##. #..# #..# #..# #..# #..# .##."},
    {'P', "###. #..# #..# ###. #... #... #..."},
    {'Q', ".##. #..# #..# #..# #.## .##. ...#"},
    {'R', "###. #..# #..# ###. #.#. #..# #..#"},
    {'S', ".### #... #... .##. ...# ...# ###."},
    {'T', "###. .#.. .#.. .#.. .#.. .#.. .#.."},
    {'U', "#..# #..# #..# #..# #..# #..# .##."},
    {'V', "#..# #..# #..# #..# #..# .##. .##."},
    {'W', "#..# #..# #..# #..# #### #### #..#"},
    {'X', "#..# #..# .##. .##. .##. #..# #..#"},
    {'Y', "#.#. #.#. #.#. .#.. .#.. .#.. .#.."},
    {'Z', "#### ...# ..#. .#.. #... #... ####"},
    {'[', "###. #... #... #... #... #... ###."},
    {'\\', "#... #... .#.. .#.. ..#. ..#. ...#"},
    {']', "###. ..#. ..#. ..#. ..#. ..#. ###."},
    {'^', ".#.. #.#. .... .... .... .... ...."},
    {'_', ".... .... .... .... .... .... ####"},
    {'`', "#... .#.. .... .... .... .... ...."},
    {'a', ".... .... .##. ...# .### #..# .###"},
    {'b', "#... #... ###. #..# #..# #..# ###."},
    {'c', ".... .... .### #... #... #... .###"},
    {'d', "...# ...# .### #..# #..# #..# .###"},
    {'e', ".... .... .##. #..# #### #... .###"},
    {'f', "..#. .#.# .#.. ###. .#.. .#.. .#.."},
    {'g', ".... .... .### #..# #..# #..# .### ...# .##."},
    {'h', "#... #... ###. #..# #..# #..# #..#"},
    {'i', ".#.. .... ##.. .#.. .#.. .#.. ###."},
    {'j', "..#. .... .##. ..#. ..#. ..#. ..#. #.#. .#.."},
    {'k', "#... #... #..# #.#. ##.. #.#. #..#"},
    {'l', "##.. .#.. .#.. .#.. .#.. .#.. ###."},
    {'m', ".... .... #.#. #### #### #..# #..#"},
    {'n', ".... .... ###. #..# #..# #..# #..#"},
    {'o', ".... .... .##. #..# #..# #..# .##."},
    {'p', ".... .... ###. #..# #..# #..# ###. #... #..."},
    {'q', ".... .... .### #..# #..# #..# .### ...# ...#"},
    {'r', ".... .... #.## ##.. #... #... #..."},
    {'s', ".... .... .### #... .##. ...# ###."},
    {'t', ".#.. .#.. ###. .#.. .#.. .#.. ..##"},
    {'u', ".... .... #..# #..# #..# #..# .###"},
    {'v', ".... .... #..# #..# #..# .##. .##."},
    {'w', ".... .... #..# #..# #### #### #..#"},
    {'x', ".... .... #..# .##. .##. .##. #..#"},
    {'y', ".... .... #..# #..# #..# #..# .### ...# .##."},
    {'z', ".... .... #### ..#. .#.. #... ####"},
    {'{', "..#. .#.. .#.. #... .#.. .#.. ..#."},
    {'|', ".#.. .#.. .#.. .#.. .#.. .#.. .#.."},
    {'}', ".#.. ..#. ..#. ...# ..#. ..#. .#.."},
    {'~', ".... .... .#.# #.#. .... .... ...."},
};

constexpr const char* kMissing = "#### #..# #..# #..# #..# #..# ####";

// Letters and signs of the Windows code page that are not a base letter with a mark.
constexpr struct {
    char16_t ch;
    const char* rows;
} kOwnShapes[] = {
    {0x00DF, ".##. #..# #.#. #..# #..# #..# #.#."},           // sharp s
    {0x00E6, ".... .... ##.# ..#. #### #.#. ##.#"},           // ae
    {0x00C6, ".### #.#. #.#. #### #.#. #.#. #.##"},           // AE
    {0x00F8, ".... ...# .##. #.## ##.# .##. #..."},           // o slash
    {0x00D8, ".##. #.## #.## ##.# ##.# #..# .##."},           // O slash
    {0x00F0, ".#.# ..#. .#.# .### #..# #..# .##."},           // eth
    {0x00D0, "###. #..# #..# ##.# #..# #..# ###."},           // Eth
    {0x00FE, "#... #... ###. #..# #..# #..# ###. #... #..."}, // thorn
    {0x00DE, "#... ###. #..# #..# ###. #... #..."},           // Thorn
    {0x0153, ".... .... .#.# #.## #.## #.#. .#.#"},           // oe
    {0x0152, ".### #.#. #.#. #.## #.#. #.#. .###"},           // OE
    {0x00BF, ".#.. .... .#.. .#.. #... #..# .##."},           // inverted question mark
    {0x00A1, ".#.. .... .#.. .#.. .#.. .#.. .#.."},           // inverted exclamation mark
    {0x20AC, ".### #... ###. #... ###. #... .###"},           // euro
    {0x00A3, "..#. .#.# .#.. ###. .#.. .#.. ####"},           // pound
};

// The marks of accented letters, drawn in the two rows above a small letter (a capital is
// drawn shorter beneath them); the cedilla goes below, in the descender rows.
struct Mark {
    char16_t combining;
    const char* rows; // rows 0 and 1 (7 and 8 for the cedilla)
};
constexpr Mark kMarks[] = {
    {0x0300, ".#.. ..#."}, // grave
    {0x0301, "..#. .#.."}, // acute
    {0x0302, ".##. #..#"}, // circumflex
    {0x0303, ".#.# #.#."}, // tilde
    {0x0308, "#..# ...."}, // diaeresis
    {0x030A, ".#.. #.#."}, // ring
    {0x030C, "#..# .##."}, // caron
    {0x0327, "..#. .#.."}, // cedilla
};

// A capital letter fitted into rows 2 to 6, so that a mark fits above it.
Glyph shortCapital(const Glyph& capital) {
    Glyph out{};
    const int from[] = {0, 1, 3, 5, 6};
    for (int i = 0; i < 5; ++i)
        out[size_t(2 + i)] = capital[size_t(from[i])];
    return out;
}

Glyph parse(const char* rows) {
    Glyph glyph{};
    int row = 0;
    int column = 0;
    for (const char* p = rows; *p && row < kRows; ++p) {
        if (*p == ' ') {
            ++row;
            column = 0;
            continue;
        }
        if (*p == '#' && column < kColumns) glyph[row] |= std::uint8_t(1u << column);
        ++column;
    }
    return glyph;
}

const std::unordered_map<char16_t, Glyph>& table() {
    static const std::unordered_map<char16_t, Glyph> glyphs = [] {
        std::unordered_map<char16_t, Glyph> map;
        for (const GlyphSource& source : kSource)
            map.emplace(char16_t(source.ch), parse(source.rows));
        for (const auto& own : kOwnShapes)
            map.emplace(own.ch, parse(own.rows));
        // Every accented letter of the Windows code page: its base letter with its mark.
        std::vector<char16_t> accented = {0x0160, 0x0161, 0x017D, 0x017E, 0x0178};
        for (char16_t c = 0x00C0; c <= 0x00FF; ++c)
            accented.push_back(c);
        for (char16_t c : accented) {
            const QString parts = QChar(c).decomposition();
            if (parts.size() != 2 || map.count(c)) continue;
            const QChar base = parts.at(0);
            auto baseGlyph = map.find(base.unicode());
            if (baseGlyph == map.end()) continue;
            const Mark* mark = nullptr;
            for (const Mark& m : kMarks)
                if (m.combining == parts.at(1).unicode()) mark = &m;
            if (!mark) continue;
            Glyph g = baseGlyph->second;
            const Glyph rows = parse(mark->rows);
            if (mark->combining == 0x0327) { // below
                g[7] |= rows[0];
                g[8] |= rows[1];
            } else {
                if (base.isUpper()) g = shortCapital(g);
                if (base == QLatin1Char('i')) g[0] = 0; // the dot gives way to the mark
                g[0] |= rows[0];
                g[1] |= rows[1];
            }
            map.emplace(c, g);
        }
        return map;
    }();
    return glyphs;
}

// The character itself when the font has it, else its base letter (é -> e), else nothing.
const Glyph* find(QChar ch) {
    const auto& glyphs = table();
    auto it = glyphs.find(ch.unicode());
    if (it != glyphs.end()) return &it->second;
    const QString decomposed = ch.decomposition();
    if (!decomposed.isEmpty()) {
        it = glyphs.find(decomposed.at(0).unicode());
        if (it != glyphs.end()) return &it->second;
    }
    // Typographic marks of the Windows code page show as their plain forms.
    static const std::pair<char16_t, char16_t> plain[] = {
        {0x00A0, u' '}, {0x2018, u'\''}, {0x2019, u'\''}, {0x201A, u','}, {0x201C, u'"'},
        {0x201D, u'"'}, {0x201E, u'"'},  {0x2013, u'-'},  {0x2014, u'-'}, {0x2022, u'*'},
        {0x2039, u'<'}, {0x203A, u'>'},  {0x00B7, u'.'},  {0x00AD, u'-'}, {0x2026, u'.'},
    };
    for (const auto& [from, to] : plain)
        if (ch.unicode() == from) return &glyphs.at(to);
    return nullptr;
}

} // namespace

Glyph glyph(QChar ch) {
    if (const Glyph* found = find(ch)) return *found;
    static const Glyph missing = parse(kMissing);
    return missing;
}

bool hasGlyph(QChar ch) {
    return find(ch) != nullptr;
}

} // namespace rk::dotmatrix
