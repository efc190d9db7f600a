#include "tokenizer.h"

#include "cp1252.h"

#include <algorithm>
#include <array>

namespace rk::search {

namespace {

std::array<FoldedByte, 256> makeFoldTable() {
    std::array<FoldedByte, 256> t{};
    for (int c = 1; c < 256; ++c) {
        const auto b = static_cast<unsigned char>(c);
        if (!cp1252::isAlnum(b)) continue;
        t[c].length = 1;
        t[c].bytes[0] = static_cast<char>(cp1252::fold(b));
    }
    auto spell = [&](int c, const char* two) {
        t[c].length = 2;
        t[c].bytes[0] = two[0];
        t[c].bytes[1] = two[1];
    };
    spell(0xC6, "ae"); // Æ
    spell(0xE6, "ae"); // æ
    spell(0x8C, "oe"); // Œ
    spell(0x9C, "oe"); // œ
    spell(0xDF, "ss"); // ß
    return t;
}

} // namespace

const FoldedByte* foldTable() {
    static const std::array<FoldedByte, 256> table = makeFoldTable();
    return table.data();
}

void WordList::assign(std::string_view text) {
    ends_.clear();
    // Folding at most doubles the bytes of a word.
    const size_t need = 2 * text.size();
    if (need > capacity_) {
        capacity_ = std::max(need, 2 * capacity_);
        chars_.reset(new char[capacity_]);
    }
    size_t used = 0;
    forEachWord(text, [&](std::string_view w, size_t, size_t) {
        std::memcpy(chars_.get() + used, w.data(), w.size());
        used += w.size();
        ends_.push_back(static_cast<uint32_t>(used));
    });
}

std::string joinedWords(std::string_view text) {
    std::string out;
    forEachWord(text, [&](std::string_view w, size_t, size_t) {
        if (!out.empty()) out += ' ';
        out.append(w);
    });
    return out;
}

} // namespace rk::search
