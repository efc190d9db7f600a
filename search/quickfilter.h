// The quick filter: the titles whose title has, for every word typed, a word that begins with
// it, case and accents folded by the full-text tokenizer (tokenizer.h). It answers from
// memory, so that a catalogue of a million titles narrows within a frame at each keystroke.
//
// TitleWords reads the TITLE of every record, a slice at a time so that a window can read
// while idle, and once all are read makes a word index of them: the distinct folded words in
// sorted order, each with the records that hold it. The words that begin with a typed word
// lie side by side there, so a word's titles are found without reading any title again.
// A title changed or added after the index was made is kept beside it and tested as it now
// is.
#pragma once

#include "status.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rk::store {
class Table;
}

namespace rk::search {

class TitleWords {
public:
    // Forgets every title; the next read starts at record 1.
    void clear();
    // Reads the titles of up to `count` more records (deleted ones too). *done tells whether
    // every record of the table has now been read; the index is then made.
    Status readMore(store::Table& titles, uint32_t count, bool* done);
    Status readAll(store::Table& titles);
    // Records read: 1 to size().
    uint32_t size() const { return known_; }
    // Whether the index is made (every record of the table was read).
    bool indexed() const { return indexed_; }
    // A record's title as it now is (Windows-1252), after a post or an append. A record
    // beyond the next one to read is left to the reads.
    void put(uint32_t recno, std::string_view title);

    // Sets flags[r] for every record r of the index whose title has a word that begins
    // with `word` (folded); titles changed or added since are left to changedWords().
    // Before the index is made, reads the titles read so far one by one.
    void mark(std::string_view word, std::vector<uint8_t>& flags) const;
    // The words (" word word") of the titles changed or added since the index was made.
    const std::unordered_map<uint32_t, std::string>& changedWords() const { return changed_; }

private:
    void readWords(uint32_t recno, std::string_view title);
    void makeIndex();
    std::string_view word(size_t i) const {
        const uint32_t b = i ? wordEnds_[i - 1] : 0;
        return std::string_view(words_).substr(b, wordEnds_[i] - b);
    }

    uint32_t known_ = 0;
    bool indexed_ = false;
    // While reading: the words of each record (" word word"), end to end.
    std::string text_;
    std::vector<uint32_t> ends_ = {0}; // ends_[r]: where record r's words end
    // The index: distinct words in byte order, end to end, and each word's records.
    std::string words_;
    std::vector<uint32_t> wordEnds_;
    std::vector<uint32_t> postingStart_; // word i's records: postings_[start[i], start[i + 1])
    std::vector<uint32_t> postings_;
    std::unordered_map<uint32_t, std::string> changed_;
};

class QuickFilter {
public:
    explicit QuickFilter(const TitleWords& titles) : titles_(titles) {}

    // The filter for `text` (Windows-1252). False when the text has no word: nothing is
    // filtered out, and flags() is empty.
    bool set(std::string_view text);
    // One flag per record number (0 unused), size() + 1 of the titles: 1 for a title that
    // passes.
    const std::shared_ptr<std::vector<uint8_t>>& flags() const { return flags_; }
    // How many titles pass.
    uint32_t passed() const { return passed_; }
    void reset();

private:
    const TitleWords& titles_;
    std::shared_ptr<std::vector<uint8_t>> flags_;
    std::vector<uint8_t> scratch_;
    uint32_t passed_ = 0;
};

} // namespace rk::search
