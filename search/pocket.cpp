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
    std::array<const dbf::FieldDef*, kPocketFieldCount> fields{};
    for (size_t i = 0; i < fields.size(); ++i)
        if (kFieldOf[i]) fields[i] = titles.field(kFieldOf[i]);
    std::array<const dbf::FieldDef*, 4> stars{};
    for (size_t i = 0; i < stars.size(); ++i)
        stars[i] = titles.field(kStars[i]);

    std::vector<PocketTitle> out;
    std::vector<std::string> keys;
    std::vector<uint32_t> recnos;
    RK_RETURN_IF_ERROR(
        store::forEachVisibleRecord(titles, [&](uint32_t recno, std::string_view image) {
            PocketTitle t;
            for (size_t i = 0; i < fields.size(); ++i)
                t[i] = fieldText(image, fields[i]);
            for (const dbf::FieldDef* s : stars) {
                std::string star = fieldText(image, s);
                if (star.empty()) continue;
                if (!t[kPocketStars].empty()) t[kPocketStars] += ", ";
                t[kPocketStars] += star;
            }
            keys.push_back(fields[kPocketTitle]
                               ? cp1252::upper(dbf::rawField(image, *fields[kPocketTitle]))
                               : std::string());
            recnos.push_back(recno);
            out.push_back(std::move(t));
        }));

    std::vector<size_t> order(out.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (keys[a] != keys[b]) return keys[a] < keys[b];
        return recnos[a] < recnos[b];
    });
    std::vector<PocketTitle> sorted;
    sorted.reserve(out.size());
    for (size_t i : order)
        sorted.push_back(std::move(out[i]));
    return sorted;
}

std::string pocketHtml(const std::vector<PocketTitle>& titles, const PocketPage& page) {
    std::string out;
    size_t guess = 16384;
    for (const auto& t : titles)
        for (const auto& f : t)
            guess += f.size() + 3;
    out.reserve(guess);

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
    for (size_t r = 0; r < titles.size(); ++r) {
        out += r ? ",\n[" : "\n[";
        for (size_t i = 0; i < titles[r].size(); ++i) {
            if (i) out += ',';
            appendJsonString(out, titles[r][i]);
        }
        out += ']';
    }
    out += "]}</script>\n<script id=\"rk-engine\">";
    out += kPocketEngineScript;
    out += "</script>\n<script id=\"rk-ui\">";
    out += kPocketUiScript;
    out += "</script>\n</body>\n</html>\n";
    return out;
}

Result<size_t> writePocketCatalogue(store::Table& titles, const std::string& path,
                                    const PocketPage& page) {
    auto list = pocketTitles(titles);
    if (!list) return list.status();
    const std::string html = pocketHtml(*list, page);
    Env* env = Env::standard();
    RK_RETURN_IF_ERROR(env->replaceable(path));
    const std::string tmp = path + ".tmp";
    {
        auto file = env->open(tmp, OpenMode::Create, LockMode::Exclusive);
        if (!file) return file.status();
        Status s = (*file)->write(0, html.data(), html.size());
        if (s) s = (*file)->sync();
        if (!s) {
            file->reset();
            rk::ignore(env->remove(tmp), "the write failed already; that is what is told");
            return s;
        }
    }
    RK_RETURN_IF_ERROR(env->replace(tmp, path));
    return list->size();
}

} // namespace rk::search
