#include "bench_data.h"

#include "catalogue.h"
#include "dbf.h"
#include "env.h"
#include "record.h"
#include "table.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace rk::bench {

namespace {

const char* kWords[] = {"Night",   "Day",    "Return",  "Secret", "Last",   "First",  "Lost",
                        "City",    "Star",   "River",   "Shadow", "King",   "Queen",  "War",
                        "Love",    "Summer", "Winter",  "Road",   "House",  "Island", "Dream",
                        "Journey", "Storm",  "Heart",   "Ghost",  "Empire", "Garden", "Moon",
                        "Fire",    "Ice",    "Silence", "Thunder"};
const char* kCats[kCategories] = {"Action",  "Adventure", "Animation",       "Comedy",
                                  "Drama",   "Family",    "Horror",          "Musical",
                                  "Mystery", "Romance",   "Science Fiction", "Thriller",
                                  "War",     "Western",   "Television",      "Home Movies"};
const char* kFormats[] = {"VHS", "SVHS", "Laser Disc (CAV)", "Laser Disc (CLV)", "BETA", "Hi8"};
const char* kPeople[] = {"Anna Berg", "Carl Dunn",   "Eva Frost",  "Gus Hale",   "Ida Jonas",
                         "Kai Lund",  "Mia Nolan",   "Otto Pratt", "Rosa Quinn", "Sam Toll",
                         "Uma Vance", "Walt Xavier", "Yara Zell",  "Bo Ames",    "Cy Bell"};

uint32_t mix(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352d;
    x ^= x >> 15;
    x *= 0x846ca68b;
    x ^= x >> 16;
    return x;
}

template <size_t N> const char* pick(const char* (&a)[N], uint32_t h) {
    return a[h % N];
}

const std::vector<dbf::FieldDef>& F() {
    return catalogue::titleFields();
}
const dbf::FieldDef& field(const char* name) {
    for (const auto& f : F())
        if (f.name == name) return f;
    std::abort();
}

} // namespace

const char* categoryName(uint32_t k) {
    return kCats[k % kCategories];
}

std::string titleImage(uint32_t i) {
    size_t len = 1;
    for (const auto& f : F())
        len += f.length;
    std::string img(len, ' ');
    uint32_t h = mix(i), g = mix(i ^ 0x9e3779b9);
    std::string title = std::string(pick(kWords, h)) + " " + pick(kWords, h >> 5) + " of the " +
                        pick(kWords, h >> 10) + " " + std::to_string(i);
    dbf::setString(img, field("TITLE"), title);
    dbf::setString(img, field("CATEGORY"), categoryName(g));
    dbf::setString(img, field("FORMAT"), pick(kFormats, g >> 4));
    dbf::setString(img, field("ID"), "ID-" + std::to_string(h % 100000));
    dbf::setString(img, field("DIRECTOR"), pick(kPeople, g >> 8));
    dbf::setString(img, field("PRODUCER"), pick(kPeople, g >> 12));
    for (int s = 0; s < 4; ++s)
        dbf::setString(img, field(("STAR" + std::to_string(s + 1)).c_str()),
                       pick(kPeople, mix(g + s)));
    dbf::setString(img, field("YEAR"), std::to_string(1930 + h % 90));
    dbf::setString(img, field("RATING"), (h >> 20) % 2 ? "Good" : "Excellent");
    dbf::setString(img, field("RATED"), (h >> 21) % 2 ? "PG" : "R");
    dbf::setString(img, field("CONTENT"), "Movie");
    dbf::setString(img, field("SUMMARY"),
                   std::string("A story of ") + pick(kWords, g >> 3) + " and " +
                       pick(kWords, g >> 7) + ", told over one long " + pick(kWords, g >> 11) +
                       ".");
    char price[16];
    std::snprintf(price, sizeof price, "%u.%02u", 5 + h % 40, g % 100);
    dbf::setString(img, field("PRICE"), price);
    dbf::setLogical(img, field("MARKED"), g % 10 == 0);
    dbf::setLogical(img, field("MULTI_SET"), h % 17 == 0);
    // Only a multi-set has a number of tapes; a single tape leaves the field blank.
    if (h % 17 == 0) (void)dbf::setNumber(img, field("TAPES"), 2 + h % 3);
    dbf::setLogical(img, field("CLOSE_CAPT"), h % 3 == 0);
    dbf::setLogical(img, field("AV_CLIP"), false);
    dbf::setLogical(img, field("SURROUND"), false);
    dbf::setString(img, field("PICTURE"), "Color");
    return img;
}

std::string catalogueOf(uint32_t n) {
    const char* base = std::getenv("RK_BENCH_DATA");
    std::string dir =
        std::string(base ? base : "/tmp/rk-bench-data") + "/titles-" + std::to_string(n);
    std::string titles = dir + "/VIDEO.DBF";
    {
        store::Table probe(titles);
        if (probe.open() && probe.recCount() == n) return dir;
    }
    std::filesystem::remove_all(dir);
    std::fprintf(stderr, "making a catalogue of %u titles in %s ...\n", n, dir.c_str());
    Status s = catalogue::createEmpty(dir);
    if (!s) {
        std::fprintf(stderr, "cannot make %s: %s\n", dir.c_str(), s.message().c_str());
        std::exit(1);
    }
    {
        auto t = dbf::DbfFile::open(findFileNoCase(dir, "VIDEO.DBF"), dbf::OpenOptions{});
        if (!t) std::exit(1);
        std::string batch;
        for (uint32_t i = 1; i <= n; ++i) {
            batch += titleImage(i);
            if (i % 4096 == 0 || i == n) {
                uint32_t k = uint32_t(batch.size() / (*t)->recordLength());
                if (!(*t)->appendRecords(batch.data(), k)) std::exit(1);
                batch.clear();
            }
        }
    }
    // Index files made by the table engine when it has them: a reindex builds every tag.
    store::Table t(findFileNoCase(dir, "VIDEO.DBF"));
    if (!t.open() || !t.reindex()) std::exit(1);
    return dir;
}

std::string indexedTitles(uint32_t n) {
    std::string path = findFileNoCase(catalogueOf(n), "VIDEO.DBF");
    store::Table t(path);
    if (!t.open()) std::abort();
    if (t.tagNames().empty()) {
        std::vector<store::TagSpec> tags;
        for (const auto& d : catalogue::titleTags())
            tags.push_back({d.name, d.key, d.forExpr});
        if (!t.createIndex(tags)) std::abort();
    }
    return path;
}

} // namespace rk::bench
