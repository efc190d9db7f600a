#include "query.h"

#include <algorithm>

namespace rk::search {

namespace {

// One item of the query as typed: a word or quoted phrase, possibly excluded, or the OR
// keyword.
struct Item {
    enum Kind { Word, Or } kind = Word;
    bool excluded = false;
    Term term;
};

bool isBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0xA0;
}

Term termOf(std::string_view text) {
    Term t;
    forEachWord(text, [&](std::string_view w, size_t, size_t) { t.words.emplace_back(w); });
    return t;
}

std::vector<Item> scanItems(std::string_view q) {
    std::vector<Item> items;
    size_t i = 0;
    const size_t n = q.size();
    while (i < n) {
        while (i < n && isBlank(static_cast<unsigned char>(q[i])))
            ++i;
        if (i >= n) break;
        Item item;
        while (i < n && q[i] == '-') {
            item.excluded = true;
            ++i;
        }
        std::string_view text;
        bool quoted = false;
        if (i < n && q[i] == '"') {
            quoted = true;
            const size_t start = ++i;
            while (i < n && q[i] != '"')
                ++i;
            text = q.substr(start, i - start);
            if (i < n) ++i; // the closing quote
        } else {
            const size_t start = i;
            while (i < n && !isBlank(static_cast<unsigned char>(q[i])) && q[i] != '"')
                ++i;
            text = q.substr(start, i - start);
        }
        if (!quoted && !item.excluded && text == "OR") {
            item.kind = Item::Or;
        } else {
            item.term = termOf(text);
            if (item.term.words.empty()) continue; // punctuation only
        }
        items.push_back(std::move(item));
    }
    return items;
}

void addUnique(std::vector<Term>& terms, Term t) {
    if (std::find(terms.begin(), terms.end(), t) == terms.end()) terms.push_back(std::move(t));
}

bool startsWith(std::string_view word, std::string_view prefix) {
    return word.size() >= prefix.size() && word.compare(0, prefix.size(), prefix) == 0;
}

bool termMatches(const Term& t, const WordList& words) {
    const size_t k = t.words.size();
    if (k == 0 || words.size() < k) return false;
    for (size_t i = 0; i + k <= words.size(); ++i) {
        size_t j = 0;
        while (j < k && startsWith(words[i + j], t.words[j]))
            ++j;
        if (j == k) return true;
    }
    return false;
}

std::string fts5Term(const Term& t) {
    std::string s;
    for (const auto& w : t.words) {
        if (!s.empty()) s += " + ";
        s += '"';
        s += w; // folded words hold letters and digits only, never a quote
        s += "\"*";
    }
    return s;
}

std::string fts5Any(const std::vector<Term>& terms) {
    std::string s = "(";
    for (size_t i = 0; i < terms.size(); ++i) {
        if (i) s += " OR ";
        s += fts5Term(terms[i]);
    }
    return s + ")";
}

std::string describeTerm(const Term& t) {
    std::string s;
    for (const auto& w : t.words) {
        if (!s.empty()) s += ' ';
        s += w;
    }
    return t.words.size() > 1 ? "\"" + s + "\"" : s;
}

} // namespace

Query parseQuery(std::string_view text) {
    text = text.substr(0, std::min(text.size(), kMaxQueryBytes));
    text = text.substr(0, text.find('\0'));
    const std::vector<Item> items = scanItems(text);

    Query q;
    bool sawOr = false;
    bool orPending = false; // an OR right after a term that can start an alternative
    const Item* previous = nullptr;
    for (const Item& item : items) {
        if (item.kind == Item::Or) {
            sawOr = true;
            // "a OR OR b" reads as "a OR b": a repeated OR keeps what the first one found.
            if (!previous || previous->kind != Item::Or)
                orPending = previous && !previous->excluded;
        } else if (item.excluded) {
            addUnique(q.excluded, item.term);
            orPending = false;
        } else if (orPending) {
            addUnique(q.groups.back(), item.term);
            orPending = false;
        } else {
            q.groups.push_back({item.term});
        }
        previous = &item;
    }
    if (q.empty() && sawOr) q.groups.push_back({Term{{"or"}}});
    // A group equal to an earlier one adds nothing.
    std::vector<std::vector<Term>> groups;
    for (auto& g : q.groups)
        if (std::find(groups.begin(), groups.end(), g) == groups.end())
            groups.push_back(std::move(g));
    q.groups = std::move(groups);
    return q;
}

bool matches(const Query& q, const WordList& words) {
    if (q.empty()) return false;
    for (const auto& group : q.groups) {
        bool any = false;
        for (const auto& t : group)
            if (termMatches(t, words)) {
                any = true;
                break;
            }
        if (!any) return false;
    }
    for (const auto& t : q.excluded)
        if (termMatches(t, words)) return false;
    return true;
}

bool matches(const Query& q, std::string_view text) {
    WordList words;
    words.assign(text);
    return matches(q, words);
}

std::string fts5Expression(const Query& q) {
    if (q.empty()) return {};
    if (q.onlyExcluded()) return fts5Any(q.excluded);
    std::string s;
    for (const auto& g : q.groups) {
        if (!s.empty()) s += " AND ";
        s += fts5Any(g);
    }
    if (!q.excluded.empty()) s = "(" + s + ") NOT " + fts5Any(q.excluded);
    return s;
}

std::string describe(const Query& q) {
    std::string s;
    auto add = [&](const std::string& part) {
        if (!s.empty()) s += ' ';
        s += part;
    };
    for (const auto& g : q.groups) {
        std::string part;
        for (const auto& t : g) {
            if (!part.empty()) part += " OR ";
            part += describeTerm(t);
        }
        add(part);
    }
    for (const auto& t : q.excluded)
        add("-" + describeTerm(t));
    return s;
}

} // namespace rk::search
