// Word breaking and folding of Windows-1252 text, the one tokenizer of the full-text index.
//
// A word is a run of letters and digits of the code page (cp1252::isAlnum); every other byte,
// the zero byte included, separates words. Each byte of a word is folded: upper and lower
// case are one letter, and accented letters become their base letter (é, É, È and e are all
// "e"; š is "s", ÿ is "y"). The ligatures and the sharp s are spelled out, so that the ways
// people type them meet: æ and Æ fold to "ae", œ and Œ to "oe", ß to "ss".
//
// A folded word is cut after kMaxWordBytes bytes. Cutting keeps prefix matching exact for
// queries, whose words are never longer than that.
//
// The same code serves the FTS5 index (fts5_tokenizer.cpp), the query parser and the
// verification of candidates, so that a text that verifies is always among the candidates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rk::search {

inline constexpr size_t kMaxWordBytes = 255;

// The folded spelling of one byte: up to two bytes, or none when the byte is not part of a
// word.
struct FoldedByte {
    uint8_t length = 0;
    char bytes[2] = {0, 0};
};
// The table of all 256 bytes.
const FoldedByte* foldTable();

inline const FoldedByte& foldByte(unsigned char c) {
    return foldTable()[c];
}
inline bool isWordByte(unsigned char c) {
    return foldByte(c).length != 0;
}

namespace detail {
inline bool eightBlanks(const char* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v == 0x2020202020202020ull;
}
} // namespace detail

// Calls fn(word, start, end) for every word of the text in order: `word` is the folded
// spelling, [start, end) the word's bytes in `text`. The string_view is valid only during
// the call.
template <class Fn> void forEachWord(std::string_view text, Fn&& fn) {
    const FoldedByte* fold = foldTable();
    // One spare byte: a two-byte spelling may start at the last place and is then cut.
    char word[kMaxWordBytes + 1];
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    while (p < end) {
        // Separators; the blank padding of fields eight at a time.
        while (p < end && fold[static_cast<unsigned char>(*p)].length == 0) {
            if (*p == ' ')
                while (end - p > 8 && detail::eightBlanks(p + 1))
                    p += 8;
            ++p;
        }
        if (p >= end) break;
        const char* const start = p;
        size_t len = 0;
        for (; p < end; ++p) {
            const FoldedByte& f = fold[static_cast<unsigned char>(*p)];
            if (f.length == 0) break;
            if (len < kMaxWordBytes) {
                word[len] = f.bytes[0];
                word[len + 1] = f.bytes[1];
                len += f.length;
            }
        }
        if (len > kMaxWordBytes) len = kMaxWordBytes;
        fn(std::string_view(word, len), size_t(start - begin), size_t(p - begin));
    }
}

// The words of a text, folded, kept in one buffer.
class WordList {
public:
    void assign(std::string_view text);
    size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    std::string_view operator[](size_t i) const {
        const uint32_t b = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(chars_.get() + b, ends_[i] - b);
    }

private:
    std::unique_ptr<char[]> chars_; // folded words end to end
    size_t capacity_ = 0;
    std::vector<uint32_t> ends_;
};

// The folded words of a text separated by single spaces. Tokenizing the result gives the
// same words again, at the same positions.
std::string joinedWords(std::string_view text);

} // namespace rk::search
