#include "pocket.h"

#include "collection.h"
#include "cp1252.h"
#include "env.h"
#include "record.h"
#include "table.h"
#include "tokenizer.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace rk::search {

// The page around the data (pocket_page.cpp).
extern const char* const kPocketPageHead;
extern const char* const kPocketPageBody;
extern const char* const kPocketEngineScript;
extern const char* const kPocketUiScript;

namespace {

constexpr std::array<const char*, kPocketFieldCount> kCaptions = {
    "Title", "Year",   "Category", "Format",  "Director", "Producer", "Stars",
    "Rated", "Rating", "Run Time", "Content", "ID",       "Price",    "Summary"};

// The table field of each page field; Stars is made of four.
constexpr std::array<const char*, kPocketFieldCount> kFieldOf = {
    "TITLE", "YEAR",   "CATEGORY", "FORMAT",  "DIRECTOR", "PRODUCER", nullptr,
    "RATED", "RATING", "RUNTIME",  "CONTENT", "ID",       "PRICE",    "SUMMARY"};

constexpr std::array<const char*, 4> kStars = {"STAR1", "STAR2", "STAR3", "STAR4"};

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// The code point at text[i] and its length in bytes; 0xFFFD with length 1 for a byte that
// does not start a well-formed sequence.
uint32_t decodeUtf8(std::string_view text, size_t i, size_t* length) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = b(i);
    *length = 1;
    if (c < 0x80) return c;
    size_t n = 0;
    uint32_t cp = 0, min = 0;
    if ((c & 0xE0) == 0xC0) {
        n = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4, cp = c & 0x07, min = 0x10000;
    } else {
        return 0xFFFD;
    }
    if (i + n > text.size()) return 0xFFFD;
    for (size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
    *length = n;
    return cp;
}

void appendEscape(std::string& out, uint32_t cp) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%04x", unsigned(cp));
    out += buf;
}

std::string fieldText(std::string_view image, const dbf::FieldDef* f) {
    return f ? cp1252::toUtf8(dbf::trimmedField(image, *f)) : std::string();
}

// The table's fields behind the page's fields.
struct PocketFields {
    std::array<const dbf::FieldDef*, kPocketFieldCount> fields{};
    std::array<const dbf::FieldDef*, 4> stars{};

    explicit PocketFields(const store::Table& titles) {
        for (size_t i = 0; i < fields.size(); ++i)
            if (kFieldOf[i]) fields[i] = titles.field(kFieldOf[i]);
        for (size_t i = 0; i < stars.size(); ++i)
            stars[i] = titles.field(kStars[i]);
    }
    PocketTitle title(std::string_view image) const {
        PocketTitle t;
        for (size_t i = 0; i < fields.size(); ++i)
            t[i] = fieldText(image, fields[i]);
        for (const dbf::FieldDef* s : stars) {
            std::string star = fieldText(image, s);
            if (star.empty()) continue;
            if (!t[kPocketStars].empty()) t[kPocketStars] += ", ";
            t[kPocketStars] += star;
        }
        return t;
    }
    // The title as the title tag compares it: upper case, trailing blanks dropped (they
    // compare as the blanks padding the shorter one, see keyLess).
    std::string key(std::string_view image) const {
        if (!fields[kPocketTitle]) return {};
        std::string k = cp1252::upper(dbf::rawField(image, *fields[kPocketTitle]));
        while (!k.empty() && k.back() == ' ')
            k.pop_back();
        return k;
    }
};

// Keys compared as the fixed-width fields they come from: the shorter one padded with blanks.
bool keyLess(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    if (const int c = a.substr(0, n).compare(b.substr(0, n)); c != 0) return c < 0;
    // The longer one against blanks: the first of its characters that is not one decides.
    const std::string_view rest = a.size() > n ? a.substr(n) : b.substr(n);
    const size_t at = rest.find_first_not_of(' ');
    if (at == std::string_view::npos) return false;
    const auto c = static_cast<unsigned char>(rest[at]);
    return a.size() > n ? c < ' ' : c > ' ';
}

// The visible titles' record numbers in title order, then record number; only the keys are
// held while they are sorted.
Result<std::vector<uint32_t>> titleOrder(store::Table& titles, const PocketFields& f) {
    std::string keys;                 // every key, one after the other
    std::vector<uint32_t> at, recnos; // where each key starts; its record
    RK_RETURN_IF_ERROR(
        store::forEachVisibleRecord(titles, [&](uint32_t recno, std::string_view image) {
            at.push_back(static_cast<uint32_t>(keys.size()));
            keys += f.key(image);
            recnos.push_back(recno);
        }));
    at.push_back(static_cast<uint32_t>(keys.size()));
    std::vector<uint32_t> order(recnos.size());
    std::iota(order.begin(), order.end(), 0u);
    const std::string_view all(keys);
    auto keyOf = [&](uint32_t i) { return all.substr(at[i], at[i + 1] - at[i]); };
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const std::string_view ka = keyOf(a), kb = keyOf(b);
        if (keyLess(ka, kb)) return true;
        if (keyLess(kb, ka)) return false;
        return recnos[a] < recnos[b];
    });
    for (uint32_t& i : order)
        i = recnos[i];
    return order;
}

// The page up to the first title.
void appendPageStart(std::string& out, const PocketPage& page) {
    const std::string heading = htmlEscape(page.heading);
    out += kPocketPageHead;
    out += "<title>" + heading + "</title>\n</head>\n<body>\n";
    out += "<header><h1 dir=\"auto\">" + heading + "</h1>\n";
    out += kPocketPageBody;
    out += "<p id=\"foot\" dir=\"auto\">" + htmlEscape(page.footnote) + "</p>\n";

    out += "<script type=\"application/json\" id=\"rk-fold\">";
    out += pocketFoldJson();
    out += "</script>\n<script type=\"application/json\" id=\"rk-data\">{\"captions\":[";
    for (int i = 0; i < kPocketFieldCount; ++i) {
        if (i) out += ',';
        appendJsonString(out, kCaptions[size_t(i)]);
    }
    out += "],\"titles\":[";
}

void appendTitle(std::string& out, const PocketTitle& t, bool first) {
    out += first ? "\n[" : ",\n[";
    for (size_t i = 0; i < t.size(); ++i) {
        if (i) out += ',';
        appendJsonString(out, t[i]);
    }
    out += ']';
}

// The page after the last title, with the addresses of their pictures when it has them.
void appendPageEnd(std::string& out, const std::vector<std::string>* covers = nullptr) {
    out += ']';
    if (covers) {
        out += ",\"covers\":[";
        for (size_t i = 0; i < covers->size(); ++i) {
            if (i) out += i % 8 ? "," : ",\n";
            appendJsonString(out, (*covers)[i]);
        }
        out += ']';
    }
    out += "}</script>\n<script id=\"rk-engine\">";
    out += kPocketEngineScript;
    out += "</script>\n<script id=\"rk-ui\">";
    out += kPocketUiScript;
    out += "</script>\n</body>\n</html>\n";
}

} // namespace

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (size_t i = 0; i < text.size();) {
        size_t len = 1;
        const uint32_t cp = decodeUtf8(text, i, &len);
        switch (cp) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            // Controls (C0, DEL, C1), the characters that could end or open markup, and the
            // two separators that old script parsers took for line ends.
            if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == '<' || cp == '>' || cp == '&' ||
                cp == 0x2028 || cp == 0x2029)
                appendEscape(out, cp);
            else if (cp == 0xFFFD && len == 1 && static_cast<unsigned char>(text[i]) >= 0x80)
                appendUtf8(out, 0xFFFD);
            else
                out.append(text.substr(i, len));
        }
        i += len;
    }
    out += '"';
}

std::string htmlEscape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string pocketFoldJson() {
    const FoldedByte* fold = foldTable();
    std::string out = "{";
    bool first = true;
    for (int c = 1; c < 256; ++c) {
        const FoldedByte& f = fold[c];
        if (f.length == 0) continue;
        if (!first) out += ',';
        first = false;
        appendJsonString(out, cp1252::toUtf8(std::string(1, char(c))));
        out += ':';
        appendJsonString(out, cp1252::toUtf8(std::string_view(f.bytes, f.length)));
    }
    out += '}';
    return out;
}

Result<std::vector<PocketTitle>> pocketTitles(store::Table& titles) {
    const PocketFields f(titles);
    auto order = titleOrder(titles, f);
    if (!order) return order.status();
    const uint32_t saved = titles.recNo();
    std::vector<PocketTitle> out;
    out.reserve(order->size());
    Status s;
    for (uint32_t recno : *order) {
        if (!(s = titles.go(recno))) break;
        out.push_back(f.title(titles.record()));
    }
    if (Status back = titles.go(saved); s) s = back;
    if (!s) return s;
    return out;
}

std::string pocketHtml(const std::vector<PocketTitle>& titles, const PocketPage& page) {
    std::string out;
    size_t guess = 16384;
    for (const auto& t : titles)
        for (const auto& f : t)
            guess += f.size() + 3;
    out.reserve(guess);
    appendPageStart(out, page);
    for (size_t r = 0; r < titles.size(); ++r)
        appendTitle(out, titles[r], r == 0);
    appendPageEnd(out);
    return out;
}

Result<size_t> writePocketCatalogue(store::Table& titles, const std::string& path,
                                    const PocketPage& page, const PocketCovers& covers) {
    // The titles are read and written one at a time in title order; only their keys are
    // held, and the page goes to the file in pieces of kPiece bytes.
    constexpr size_t kPiece = 256 * 1024;
    const PocketFields f(titles);
    auto order = titleOrder(titles, f);
    if (!order) return order.status();
    Env* env = Env::standard();
    RK_RETURN_IF_ERROR(env->replaceable(path));
    const std::string tmp = path + ".tmp";
    const uint32_t saved = titles.recNo();
    Status s;
    {
        auto file = env->open(tmp, OpenMode::Create, LockMode::Exclusive);
        if (!file) return file.status();
        uint64_t offset = 0;
        std::string piece;
        piece.reserve(kPiece + 65536);
        auto flush = [&] {
            if (s && !piece.empty()) s = (*file)->write(offset, piece.data(), piece.size());
            offset += piece.size();
            piece.clear();
        };
        appendPageStart(piece, page);
        std::vector<std::string> pictures;
        for (size_t r = 0; s && r < order->size(); ++r) {
            if (!(s = titles.go((*order)[r]))) break;
            appendTitle(piece, f.title(titles.record()), r == 0);
            if (covers) pictures.push_back(covers((*order)[r]));
            if (piece.size() >= kPiece) flush();
        }
        appendPageEnd(piece, covers ? &pictures : nullptr);
        flush();
        if (s) s = (*file)->sync();
        if (Status back = titles.go(saved); s) s = back;
        if (!s) {
            file->reset();
            rk::ignore(env->remove(tmp), "the write failed already; that is what is told");
            return s;
        }
    }
    RK_RETURN_IF_ERROR(env->replace(tmp, path));
    return order->size();
}

} // namespace rk::search
