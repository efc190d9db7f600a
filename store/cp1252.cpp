#include "cp1252.h"

#include <array>
#include <cstdint>

namespace rk::cp1252 {

namespace {

// Unicode code points of 0x80..0x9F; the undefined bytes keep their C1 value.
constexpr std::array<uint16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t codePoint(unsigned char c) {
    if (c >= 0x80 && c <= 0x9F) return kHigh[c - 0x80];
    return c;
}

int byteFor(uint32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == cp) return static_cast<int>(0x80 + i);
    return -1;
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

struct Tables {
    std::array<unsigned char, 256> up{}, low{}, folded{};
    std::array<bool, 256> alnum{};
    Tables() {
        for (int c = 0; c < 256; ++c)
            up[c] = low[c] = static_cast<unsigned char>(c);
        auto pair = [&](int u, int l) {
            up[l] = static_cast<unsigned char>(u);
            low[u] = static_cast<unsigned char>(l);
        };
        for (int c = 'A'; c <= 'Z'; ++c)
            pair(c, c + 32);
        for (int c = 0xC0; c <= 0xDE; ++c)
            if (c != 0xD7) pair(c, c + 32); // × and ÷ are not letters
        pair(0x8A, 0x9A);                   // Š š
        pair(0x8C, 0x9C);                   // Œ œ
        pair(0x8E, 0x9E);                   // Ž ž
        pair(0x9F, 0xFF);                   // Ÿ ÿ
        for (int c = 0; c < 256; ++c) {
            alnum[c] = (c >= '0' && c <= '9') || up[c] != low[c] || c == 0xDF || c == 0xAA ||
                       c == 0xBA || c == 0x83;
        }
        // Base letters of the accented ones, in lower case.
        const char* base = "aaaaaaaceeeeiiiidnooooo\0ouuuuyts"  // 0xC0..0xDF
                           "aaaaaaaceeeeiiiidnooooo\0ouuuuyty"; // 0xE0..0xFF
        for (int c = 0; c < 256; ++c)
            folded[c] = low[c];
        for (int c = 0xC0; c <= 0xFF; ++c)
            if (base[c - 0xC0]) folded[c] = static_cast<unsigned char>(base[c - 0xC0]);
        folded[0xC6] = folded[0xE6] = 0xE6; // æ stays a letter of its own
        folded[0xDF] = 0xDF;                // ß
        folded[0xDE] = folded[0xFE] = 0xFE; // þ
        folded[0xD0] = folded[0xF0] = 0xF0; // ð
        folded[0x8A] = folded[0x9A] = 's';
        folded[0x8E] = folded[0x9E] = 'z';
        folded[0x9F] = folded[0xFF] = 'y';
        folded[0x8C] = folded[0x9C] = 0x9C; // œ
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

} // namespace

Result<std::string> fromUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp;
        size_t len;
        if (c < 0x80) {
            cp = c;
            len = 1;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            len = 4;
        } else {
            return Status::invalid("the text is not valid UTF-8 (byte " + std::to_string(i + 1) +
                                   ")");
        }
        if (i + len > s.size())
            return Status::invalid("the text is not valid UTF-8 (cut short at its end)");
        for (size_t k = 1; k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                return Status::invalid("the text is not valid UTF-8 (byte " +
                                       std::to_string(i + k + 1) + ")");
            cp = (cp << 6) | (cc & 0x3F);
        }
        int b = byteFor(cp);
        if (b < 0)
            return Status::invalid("the character '" + std::string(s.substr(i, len)) +
                                   "' cannot be stored: the tables hold Windows-1252 text");
        out += static_cast<char>(b);
        i += len;
    }
    return out;
}

std::string toUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes)
        appendUtf8(out, codePoint(static_cast<unsigned char>(ch)));
    return out;
}

unsigned char upper(unsigned char c) {
    return tables().up[c];
}
unsigned char lower(unsigned char c) {
    return tables().low[c];
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (auto& ch : out)
        ch = static_cast<char>(upper(static_cast<unsigned char>(ch)));
    return out;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (auto& ch : out)
        ch = static_cast<char>(lower(static_cast<unsigned char>(ch)));
    return out;
}

bool isAlnum(unsigned char c) {
    return tables().alnum[c];
}
unsigned char fold(unsigned char c) {
    return tables().folded[c];
}

} // namespace rk::cp1252
