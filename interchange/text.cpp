#include "text.h"

#include "cp1252.h"

#include <cstdint>

namespace rk::interchange {

namespace {

// The base letters of U+0100..U+017F (Latin Extended-A), in code point order.
constexpr std::string_view kLatinA =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLl"
    "LlLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZ"
    "zZzs";
static_assert(kLatinA.size() == 0x80);

// Decodes one character at `i`; -1 for a byte that does not begin a well-formed one.
int32_t decode(std::string_view s, size_t& i) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t len = 1;
    uint32_t cp = c;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
    } else if (c >= 0x80) {
        ++i;
        return -1;
    }
    if (i + len > s.size()) {
        ++i;
        return -1;
    }
    for (size_t k = 1; k < len; ++k) {
        const auto cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return -1;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    static const uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return -1;
    }
    i += len;
    return static_cast<int32_t>(cp);
}

// A replacement for a character the code page does not hold; 0 drops it.
char replacement(uint32_t cp) {
    if (cp >= 0x100 && cp <= 0x17F) return kLatinA[cp - 0x100];
    if (cp >= 0x218 && cp <= 0x21B) return "SsTt"[cp - 0x218];
    if (cp >= 0x300 && cp <= 0x36F) return 0; // combining accents
    if (cp >= 0x2010 && cp <= 0x2015) return '-';
    if (cp == 0x2032 || cp == 0x2035) return '\'';
    if (cp == 0x2033) return '"';
    return '?';
}

} // namespace

bool isUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();)
        if (decode(bytes, i) < 0) return false;
    return true;
}

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

Converted toCp1252(std::string_view utf8) {
    Converted out;
    bool plain = true;
    for (char ch : utf8)
        if (static_cast<unsigned char>(ch) < 0x20 || static_cast<unsigned char>(ch) >= 0x80) {
            plain = false;
            break;
        }
    if (plain) {
        out.text.assign(utf8);
        return out;
    }
    out.text.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const size_t start = i;
        const int32_t cp = decode(utf8, i);
        if (cp < 0) {
            out.text += '?';
            out.transliterated = true;
            continue;
        }
        if (cp == '\t' || cp == '\r' || cp == '\n') {
            out.text += ' ';
            continue;
        }
        if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) continue;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out.text += static_cast<char>(cp);
            continue;
        }
        // The characters of 0x80..0x9F: let the code page's own table say.
        auto mapped = cp1252::fromUtf8(utf8.substr(start, i - start));
        if (mapped && mapped->size() == 1) {
            out.text += *mapped;
            continue;
        }
        out.transliterated = true;
        if (const char r = replacement(static_cast<uint32_t>(cp))) out.text += r;
    }
    return out;
}

} // namespace rk::interchange
