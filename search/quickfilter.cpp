#include "quickfilter.h"

#include "record.h"
#include "table.h"
#include "tokenizer.h"

#include <algorithm>
#include <numeric>

namespace rk::search {

namespace {

// Calls fn(word) for each word of " word word".
template <class Fn> void eachWord(std::string_view words, Fn&& fn) {
    size_t at = 0;
    while (at < words.size()) {
        const size_t start = at + 1; // past the space
        size_t end = words.find(' ', start);
        if (end == std::string_view::npos) end = words.size();
        fn(words.substr(start, end - start));
        at = end;
    }
}

std::string foldedWords(std::string_view title) {
    std::string out;
    forEachWord(title, [&](std::string_view w, size_t, size_t) {
        out += ' ';
        out.append(w);
    });
    return out;
}

bool hasWordStarting(std::string_view words, std::string_view needle) {
    bool found = false;
    eachWord(words, [&](std::string_view w) {
        found = found || w.compare(0, needle.size(), needle) == 0;
    });
    return found;
}

} // namespace

void TitleWords::clear() {
    *this = TitleWords();
}

void TitleWords::readWords(uint32_t recno, std::string_view title) {
    if (indexed_) {
        changed_[recno] = foldedWords(title);
    } else {
        forEachWord(title, [&](std::string_view w, size_t, size_t) {
            text_ += ' ';
            text_.append(w);
        });
        ends_.push_back(uint32_t(text_.size()));
    }
    known_ = recno;
}

Status TitleWords::readMore(store::Table& titles, uint32_t count, bool* done) {
    const uint32_t total = titles.recCount();
    const dbf::FieldDef* title = titles.field("TITLE");
    if (!title) return Status::notFound("the table has no TITLE field");
    constexpr uint32_t kBatch = 512;
    const size_t length = titles.recSize();
    std::string buf;
    while (count > 0 && known_ < total) {
        const uint32_t first = known_ + 1;
        const uint32_t n = std::min({count, kBatch, total - known_});
        buf.resize(size_t(n) * length);
        RK_RETURN_IF_ERROR(titles.dbf()->readRecords(first, n, buf.data()));
        for (uint32_t k = 0; k < n; ++k) {
            changed_.erase(first + k); // the file holds what a post wrote
            readWords(first + k,
                      dbf::rawField(std::string_view(buf).substr(k * length, length), *title));
        }
        count -= n;
    }
    *done = known_ >= total;
    if (*done && !indexed_) makeIndex();
    return Status::ok();
}

Status TitleWords::readAll(store::Table& titles) {
    bool done = false;
    while (!done)
        RK_RETURN_IF_ERROR(readMore(titles, UINT32_MAX, &done));
    return Status::ok();
}

void TitleWords::makeIndex() {
    // Each distinct word gets a number in the order first met; then the words are sorted.
    std::unordered_map<std::string_view, uint32_t> ids;
    std::vector<std::string_view> byId;
    std::vector<uint32_t> occurrences; // word numbers, record after record
    occurrences.reserve(text_.size() / 6);
    for (uint32_t r = 1; r <= known_; ++r)
        eachWord(std::string_view(text_).substr(ends_[r - 1], ends_[r] - ends_[r - 1]),
                 [&](std::string_view w) {
                     const auto [it, added] = ids.emplace(w, uint32_t(byId.size()));
                     if (added) byId.push_back(w);
                     occurrences.push_back(it->second);
                 });
    std::vector<uint32_t> sorted(byId.size());
    std::iota(sorted.begin(), sorted.end(), 0u);
    std::sort(sorted.begin(), sorted.end(),
              [&](uint32_t a, uint32_t b) { return byId[a] < byId[b]; });
    std::vector<uint32_t> rank(byId.size());
    wordEnds_.reserve(sorted.size());
    for (size_t i = 0; i < sorted.size(); ++i) {
        rank[sorted[i]] = uint32_t(i);
        words_.append(byId[sorted[i]]);
        wordEnds_.push_back(uint32_t(words_.size()));
    }
    // The records of each word, in record order; a word twice in a title counts once.
    std::vector<uint32_t> last(byId.size(), 0);
    postingStart_.assign(sorted.size() + 1, 0);
    size_t k = 0;
    for (uint32_t r = 1; r <= known_; ++r)
        eachWord(std::string_view(text_).substr(ends_[r - 1], ends_[r] - ends_[r - 1]),
                 [&](std::string_view) {
                     const uint32_t id = occurrences[k++];
                     if (last[id] != r) {
                         last[id] = r;
                         ++postingStart_[rank[id] + 1];
                     }
                 });
    std::partial_sum(postingStart_.begin(), postingStart_.end(), postingStart_.begin());
    postings_.resize(postingStart_.back());
    std::vector<uint32_t> fill(postingStart_.begin(), postingStart_.end() - 1);
    std::fill(last.begin(), last.end(), 0);
    k = 0;
    for (uint32_t r = 1; r <= known_; ++r)
        eachWord(std::string_view(text_).substr(ends_[r - 1], ends_[r] - ends_[r - 1]),
                 [&](std::string_view) {
                     const uint32_t id = occurrences[k++];
                     if (last[id] != r) {
                         last[id] = r;
                         postings_[fill[rank[id]]++] = r;
                     }
                 });
    std::string().swap(text_);
    std::vector<uint32_t>().swap(ends_);
    indexed_ = true;
}

void TitleWords::put(uint32_t recno, std::string_view title) {
    if (recno == 0 || recno > known_ + 1) return;
    if (recno == known_ + 1 && !indexed_) {
        readWords(recno, title);
        return;
    }
    changed_[recno] = foldedWords(title);
    known_ = std::max(known_, recno);
}

void TitleWords::mark(std::string_view w, std::vector<uint8_t>& flags) const {
    if (!indexed_) {
        for (uint32_t r = 1; r <= known_ && r < flags.size(); ++r)
            if (hasWordStarting(
                    std::string_view(text_).substr(ends_[r - 1], ends_[r] - ends_[r - 1]), w))
                flags[r] = 1;
        return;
    }
    // The words that begin with w lie side by side from the first word not below it.
    size_t lo = 0, hi = wordEnds_.size();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (word(mid) < w)
            lo = mid + 1;
        else
            hi = mid;
    }
    for (size_t i = lo; i < wordEnds_.size() && word(i).compare(0, w.size(), w) == 0; ++i)
        for (uint32_t k = postingStart_[i]; k < postingStart_[i + 1]; ++k)
            flags[postings_[k]] = 1;
}

bool QuickFilter::set(std::string_view text) {
    std::vector<std::string> words;
    forEachWord(text, [&](std::string_view w, size_t, size_t) { words.emplace_back(w); });
    if (words.empty()) {
        reset();
        return false;
    }
    const size_t n = size_t(titles_.size()) + 1;
    auto flags = std::make_shared<std::vector<uint8_t>>(n, 0);
    titles_.mark(words[0], *flags);
    for (size_t i = 1; i < words.size(); ++i) {
        scratch_.assign(n, 0);
        titles_.mark(words[i], scratch_);
        uint8_t* f = flags->data();
        const uint8_t* s = scratch_.data();
        for (size_t r = 0; r < n; ++r)
            f[r] &= s[r];
    }
    // Changed and added titles answer with their words as they now are.
    for (const auto& [r, folded] : titles_.changedWords()) {
        if (r >= n) continue;
        bool all = true;
        for (const std::string& w : words)
            all = all && hasWordStarting(folded, w);
        (*flags)[r] = all ? 1 : 0;
    }
    passed_ = uint32_t(std::count(flags->begin(), flags->end(), uint8_t(1)));
    flags_ = std::move(flags);
    return true;
}

void QuickFilter::reset() {
    flags_.reset();
    passed_ = 0;
}

} // namespace rk::search
