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

// Calls fn(word, start, end) for every word of the text in order: `word` is the folded
// spelling, [start, end) the word's bytes in `text`. The string_view is valid only during
// the call.
template <class Fn> void forEachWord(std::string_view text, Fn&& fn) {
    const FoldedByte* fold = foldTable();
    char word[kMaxWordBytes + 1];
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        while (i < n && fold[static_cast<unsigned char>(text[i])].length == 0)
            ++i;
        if (i >= n) break;
        const size_t start = i;
        size_t len = 0;
        for (; i < n; ++i) {
            const FoldedByte& f = fold[static_cast<unsigned char>(text[i])];
            if (f.length == 0) break;
            for (uint8_t k = 0; k < f.length && len < kMaxWordBytes; ++k)
                word[len++] = f.bytes[k];
        }
        fn(std::string_view(word, len), start, i);
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
        return std::string_view(chars_.data() + b, ends_[i] - b);
    }

private:
    std::string chars_;
    std::vector<uint32_t> ends_;
};

// The folded words of a text separated by single spaces. Tokenizing the result gives the
// same words again, at the same positions.
std::string joinedWords(std::string_view text);

} // namespace rk::search
