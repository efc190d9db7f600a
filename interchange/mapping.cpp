#include "mapping.h"

#include "cp1252.h"
#include "record.h"
#include "table.h"
#include "text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_map>

namespace rk::interchange {

namespace {

const dbf::FieldDef* fieldNamed(const std::vector<dbf::FieldDef>& fields, std::string_view n) {
    for (const auto& f : fields)
        if (n.size() == f.name.size() && cp1252::upper(n) == f.name) return &f;
    return nullptr;
}

std::string join(const std::vector<std::string>& items, size_t from = 0) {
    std::string out;
    for (size_t i = from; i < items.size(); ++i)
        out += (out.empty() ? "" : ", ") + items[i];
    return out;
}

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && cp1252::upper(a) == cp1252::upper(b);
}

std::string yearDigits(std::string_view s) {
    for (size_t i = 0; i + 4 <= s.size(); ++i) {
        bool four = true;
        for (size_t k = 0; k < 4; ++k)
            four = four && s[i + k] >= '0' && s[i + k] <= '9';
        if (four && (i + 4 == s.size() || s[i + 4] < '0' || s[i + 4] > '9'))
            return std::string(s.substr(i, 4));
    }
    return {};
}

// "$ 12,99" -> "12.99".
std::string priceText(std::string_view s) {
    std::string out;
    for (char c : s)
        if ((c >= '0' && c <= '9') || c == '.')
            out += c;
        else if (c == ',')
            out += '.';
    return out;
}

std::string utf8Field(std::string_view image, const std::vector<dbf::FieldDef>& fields,
                      const char* name) {
    const dbf::FieldDef* f = fieldNamed(fields, name);
    return f ? cp1252::toUtf8(dbf::trimmedField(image, *f)) : std::string();
}

std::string blankRecord(const std::vector<dbf::FieldDef>& fields) {
    size_t length = 1;
    for (const auto& f : fields)
        length += f.length;
    return std::string(length, ' ');
}

std::string duplicateKey(std::string_view image, const dbf::FieldDef* title,
                         const dbf::FieldDef* year) {
    std::string key = cp1252::upper(trimmed(dbf::trimmedField(image, *title)));
    key += '\x01';
    if (year) key += trimmed(dbf::trimmedField(image, *year));
    return key;
}

// Copies into `kept` every field of `incoming` that is blank in `kept`; whether any was.
bool fillBlanks(std::string& kept, std::string_view incoming,
                const std::vector<dbf::FieldDef>& fields) {
    bool changed = false;
    for (const auto& f : fields) {
        if (!trimmed(dbf::rawField(kept, f)).empty()) continue;
        const std::string_view value = dbf::rawField(incoming, f);
        if (trimmed(value).empty()) continue;
        kept.replace(f.offset, f.length, value);
        changed = true;
    }
    return changed;
}

} // namespace

std::string runTimeFromMinutes(std::string_view minutes) {
    minutes = trimmed(minutes);
    if (minutes.empty() || minutes.size() > 6) return {};
    long m = 0;
    for (char c : minutes) {
        if (c < '0' || c > '9') return {};
        m = m * 10 + (c - '0');
    }
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02ld:%02ld", m / 60, m % 60);
    return buf;
}

int minutesFromRunTime(std::string_view runTime) {
    runTime = trimmed(runTime);
    if (runTime.empty()) return -1;
    long h = 0, m = 0;
    bool colon = false;
    size_t digitsAfter = 0;
    for (char c : runTime) {
        if (c == ':' && !colon) {
            colon = true;
        } else if (c >= '0' && c <= '9') {
            long& part = colon ? m : h;
            part = part * 10 + (c - '0');
            if (colon) ++digitsAfter;
            if (h > 100000) return -1;
        } else {
            return -1;
        }
    }
    if (!colon) return int(h); // a bare number is minutes already
    if (digitsAfter == 0 || m > 59) return -1;
    return int(h * 60 + m);
}

int ratingIndex(double rating, double max, size_t size) {
    if (!(rating > 0) || !(max > 0) || size == 0) return -1;
    if (size == 1 || max <= 1) return 0;
    double f = (std::min(rating, max) - 1) / (max - 1);
    if (f < 0) f = 0;
    return int(std::floor((1 - f) * double(size - 1) + 0.5));
}

int ratingFromIndex(size_t index, size_t size, int max) {
    if (size <= 1) return max;
    const double f = 1 - double(index) / double(size - 1);
    return int(std::floor(1 + f * (max - 1) + 0.5));
}

std::string mapTitle(const ForeignTitle& t, const std::vector<dbf::FieldDef>& fields,
                     const MapOptions& options, MapNotes* notes) {
    std::string image = blankRecord(fields);
    auto put = [&](const char* name, std::string_view utf8) {
        const dbf::FieldDef* f = fieldNamed(fields, name);
        if (!f) {
            notes->leftOut.emplace_back(name);
            return;
        }
        Converted c = toCp1252(trimmed(utf8));
        if (c.transliterated) notes->transliterated.emplace_back(f->name);
        if (f->type == 'C') {
            if (c.text.size() > f->length) notes->cut.emplace_back(f->name);
            dbf::setString(image, *f, c.text);
        } else if (!dbf::setFromText(image, *f, c.text)) {
            notes->leftOut.emplace_back(f->name);
        }
    };
    auto putIf = [&](const char* name, std::string_view utf8) {
        if (!trimmed(utf8).empty()) put(name, utf8);
    };

    putIf("TITLE", t.title);
    if (!trimmed(t.year).empty()) {
        const std::string year = yearDigits(t.year);
        if (year.empty()) notes->leftOut.emplace_back("year");
        putIf("YEAR", year);
    }
    if (!t.genres.empty()) putIf("CATEGORY", t.genres.front());
    putIf("USER4", join(t.genres, 1));
    putIf("DIRECTOR", join(t.directors));
    putIf("PRODUCER", join(t.producers));
    static const char* const kStars[] = {"STAR1", "STAR2", "STAR3", "STAR4"};
    for (size_t i = 0; i < t.cast.size() && i < 4; ++i)
        putIf(kStars[i], t.cast[i]);
    if (t.cast.size() > 4) notes->leftOut.emplace_back("cast beyond the fourth");
    if (!trimmed(t.medium).empty()) {
        std::string medium(trimmed(t.medium));
        const Converted c = toCp1252(medium);
        for (const auto& f : options.formats)
            if (sameText(f, c.text)) medium = cp1252::toUtf8(f);
        put("FORMAT", medium);
    }
    putIf("RATED", t.certification);
    if (!trimmed(t.minutes).empty()) {
        const std::string runTime = runTimeFromMinutes(t.minutes);
        if (runTime.empty()) notes->leftOut.emplace_back("running time");
        putIf("RUNTIME", runTime);
    }
    putIf("SUMMARY", t.plot);
    if (!trimmed(t.ratingText).empty()) {
        std::string rating(trimmed(t.ratingText));
        const Converted c = toCp1252(rating);
        for (const auto& r : options.ratings)
            if (sameText(r, c.text)) rating = cp1252::toUtf8(r);
        put("RATING", rating);
    } else if (const int i = ratingIndex(t.rating, t.ratingMax, options.ratings.size()); i >= 0) {
        put("RATING", cp1252::toUtf8(options.ratings[size_t(i)]));
    }
    const std::string price =
        priceText(!trimmed(t.purchasePrice).empty() ? t.purchasePrice : t.price);
    putIf("PRICE", price);

    std::vector<std::string> directNames;
    for (const auto& [name, value] : t.direct) {
        if (trimmed(value).empty()) continue;
        put(name.c_str(), value);
        directNames.push_back(cp1252::upper(name));
    }
    static const char* const kUser[] = {"USER1", "USER2", "USER3"};
    size_t user = 0;
    for (const auto& [name, value] : t.other) {
        while (user < 3 &&
               std::find(directNames.begin(), directNames.end(), kUser[user]) != directNames.end())
            ++user;
        if (options.othersToUserFields && user < 3)
            put(kUser[user++], name + ": " + value);
        else
            notes->leftOut.push_back(name);
    }
    const dbf::FieldDef* title = fieldNamed(fields, "TITLE");
    if (!title || trimmed(dbf::rawField(image, *title)).empty()) notes->refused = "no title";
    return image;
}

struct ImportPlanner::Keys {
    const dbf::FieldDef* title = nullptr;
    const dbf::FieldDef* year = nullptr;
    std::unordered_map<std::string, uint32_t> existing; // key -> record number
    std::unordered_map<uint32_t, size_t> mergeAt;       // record number -> merges index
    std::unordered_map<uint32_t, std::string> existingImages;
    std::unordered_map<std::string, size_t> pending; // key -> appends index
};

ImportPlanner::ImportPlanner(store::Table& titles, const MapOptions& options, size_t previewCount)
    : titles_(titles), options_(options), previewCount_(previewCount),
      keys_(std::make_unique<Keys>()) {}

ImportPlanner::~ImportPlanner() = default;

Status ImportPlanner::start() {
    Keys& k = *keys_;
    k.title = fieldNamed(titles_.fields(), "TITLE");
    k.year = fieldNamed(titles_.fields(), "YEAR");
    if (!k.title) return Status::invalid(titles_.path() + " has no TITLE field");
    return titles_.walk([&](uint32_t recno, std::string_view image) {
        if (dbf::isDeleted(image)) return true;
        k.existing.emplace(duplicateKey(image, k.title, k.year), recno);
        if (options_.merge) k.existingImages.emplace(recno, std::string(image));
        return true;
    });
}

void ImportPlanner::add(const ForeignTitle& t) {
    Keys& k = *keys_;
    ImportPlan& plan = plan_;
    const auto& fields = titles_.fields();
    const uint32_t number = ++plan.read;
    MapNotes notes;
    std::string image = mapTitle(t, fields, options_, &notes);
    if (!notes.refused.empty()) {
        plan.refused.push_back("title " + std::to_string(number) + ": " + notes.refused);
        return;
    }
    auto count = [](std::map<std::string, uint32_t>& by, uint32_t& titlesWith,
                    const std::vector<std::string>& names) {
        if (names.empty()) return;
        ++titlesWith;
        for (const auto& n : names)
            ++by[n];
    };
    count(plan.cut, plan.titlesCut, notes.cut);
    count(plan.transliterated, plan.titlesTransliterated, notes.transliterated);
    count(plan.leftOut, plan.titlesWithLeftOut, notes.leftOut);

    const bool hasSide = !t.coverBytes.empty() || !t.borrower.empty();
    auto side = [&]() {
        if (!t.coverBytes.empty()) ++plan.covers;
        if (!t.borrower.empty()) ++plan.loans;
        // The loans table keeps names in the code page, like the titles.
        return SideItems{t.title,
                         t.coverName,
                         t.coverBytes,
                         toCp1252(trimmed(t.borrower)).text,
                         std::string(trimmed(t.loanDate)),
                         std::string(trimmed(t.dueDate))};
    };
    const std::string key = duplicateKey(image, k.title, k.year);
    if (const auto old = k.existing.find(key); old != k.existing.end()) {
        if (!options_.merge) {
            ++plan.duplicatesSkipped;
            return;
        }
        ++plan.duplicatesMerged;
        if (hasSide) plan.mergeSides.emplace_back(old->second, side());
        const auto at = k.mergeAt.find(old->second);
        std::string& kept =
            at != k.mergeAt.end() ? plan.merges[at->second].second : k.existingImages[old->second];
        std::string merged = kept;
        if (!fillBlanks(merged, image, fields)) return;
        if (at != k.mergeAt.end()) {
            kept = std::move(merged);
        } else {
            k.mergeAt[old->second] = plan.merges.size();
            plan.merges.emplace_back(old->second, std::move(merged));
        }
        return;
    }
    if (const auto same = k.pending.find(key); same != k.pending.end()) {
        if (options_.merge) {
            ++plan.duplicatesMerged;
            fillBlanks(plan.appends[same->second], image, fields);
            if (hasSide) plan.appendSides.emplace_back(same->second, side());
        } else {
            ++plan.duplicatesSkipped;
        }
        return;
    }
    k.pending.emplace(key, plan.appends.size());
    if (hasSide) plan.appendSides.emplace_back(plan.appends.size(), side());
    if (plan.preview.size() < previewCount_) {
        std::string line = utf8Field(image, fields, "TITLE");
        const std::string year = utf8Field(image, fields, "YEAR");
        const std::string category = utf8Field(image, fields, "CATEGORY");
        if (!year.empty()) line += " (" + year + ")";
        if (!category.empty()) line += ", " + category;
        plan.preview.push_back(line);
    }
    plan.appends.push_back(std::move(image));
}

ImportPlan ImportPlanner::finish() {
    return std::move(plan_);
}

Result<ImportPlan> planImport(const ReadResult& read, store::Table& titles,
                              const MapOptions& options, size_t previewCount) {
    ImportPlanner planner(titles, options, previewCount);
    RK_RETURN_IF_ERROR(planner.start());
    for (const ForeignTitle& t : read.titles)
        planner.add(t);
    ImportPlan plan = planner.finish();
    plan.notes = read.notes;
    return plan;
}

ForeignTitle fromRecord(std::string_view image, const store::Table& titles,
                        const std::vector<std::string>& ratings) {
    const auto& fields = titles.fields();
    auto get = [&](const char* name) { return utf8Field(image, fields, name); };
    ForeignTitle t;
    t.title = get("TITLE");
    t.year = get("YEAR");
    if (std::string c = get("CATEGORY"); !c.empty()) t.genres.push_back(c);
    if (std::string d = get("DIRECTOR"); !d.empty()) t.directors.push_back(d);
    if (std::string p = get("PRODUCER"); !p.empty()) t.producers.push_back(p);
    for (const char* star : {"STAR1", "STAR2", "STAR3", "STAR4"})
        if (std::string s = get(star); !s.empty()) t.cast.push_back(s);
    t.medium = get("FORMAT");
    t.certification = get("RATED");
    if (const int m = minutesFromRunTime(get("RUNTIME")); m >= 0) t.minutes = std::to_string(m);
    t.plot = get("SUMMARY");
    const dbf::FieldDef* rating = fieldNamed(fields, "RATING");
    const std::string_view ours = rating ? dbf::trimmedField(image, *rating) : "";
    for (size_t i = 0; i < ratings.size(); ++i)
        if (!ours.empty() && sameText(ratings[i], ours)) {
            t.rating = ratingFromIndex(i, ratings.size(), 5);
            t.ratingMax = 5;
        }
    t.purchasePrice = get("PRICE");
    return t;
}

} // namespace rk::interchange
