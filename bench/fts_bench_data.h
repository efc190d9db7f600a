// Titles tables for the full-text benchmarks: a vocabulary the size of a real collection's
// (tens of thousands of words with a Zipf spread, some accented; thousands of people),
// so that the index has realistic terms and the queries realistic selectivity. Made once in
// $RK_BENCH_DATA (default /tmp/rk-bench-data)/fts-titles-N/VIDEO.DBF and kept.
#pragma once

#include "catalogue.h"
#include "dbf.h"
#include "record.h"
#include "table.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unordered_set>
#include <vector>

namespace rk::bench::fts {

class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed) {}
    uint64_t next() {
        uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t below(uint32_t n) { return uint32_t(next() % n); }
    double unit() { return double(next() >> 11) / double(1ull << 53); }

private:
    uint64_t s_;
};

// Distinct words made of syllables, drawn with a Zipf distribution (rank 1 most frequent).
class Vocabulary {
public:
    Vocabulary(uint32_t size, uint64_t seed, double exponent = 1.0) {
        static const char* const kOnsets[] = {"b",  "c",  "d",  "f",  "g",  "h",  "j",  "k",
                                              "l",  "m",  "n",  "p",  "r",  "s",  "t",  "v",
                                              "w",  "z",  "br", "ch", "cl", "dr", "fl", "gr",
                                              "pl", "pr", "sh", "st", "th", "tr", ""};
        static const char* const kVowels[] = {"a",  "e",  "i",    "o",    "u",   "ou",
                                              "ea", "ai", "\xE9", "\xE8", "\xF6"};
        static const char* const kCodas[] = {"", "", "", "n", "r", "s", "t", "l", "nd", "rk"};
        Rng rng(seed);
        std::unordered_set<std::string> seen;
        words_.reserve(size);
        while (words_.size() < size) {
            std::string w;
            const uint32_t syllables = 1 + rng.below(3);
            for (uint32_t s = 0; s < syllables; ++s) {
                w += kOnsets[rng.below(31)];
                w += kVowels[rng.below(rng.below(10) == 0 ? 11 : 8)];
                w += kCodas[rng.below(10)];
            }
            if (!w.empty() && seen.insert(w).second) words_.push_back(w);
        }
        cumulative_.resize(size);
        double sum = 0;
        for (uint32_t i = 0; i < size; ++i)
            cumulative_[i] = sum += 1.0 / std::pow(i + 1, exponent);
        for (auto& c : cumulative_)
            c /= sum;
    }
    const std::string& byRank(uint32_t rank) const { return words_[rank - 1]; }
    const std::string& draw(Rng& rng) const {
        const double u = rng.unit();
        const auto it = std::lower_bound(cumulative_.begin(), cumulative_.end(), u);
        return words_[std::min<size_t>(size_t(it - cumulative_.begin()), words_.size() - 1)];
    }
    static std::string capital(std::string w) {
        if (!w.empty() && w[0] >= 'a' && w[0] <= 'z') w[0] = char(w[0] - 32);
        return w;
    }

private:
    std::vector<std::string> words_;
    std::vector<double> cumulative_;
};

struct Corpus {
    Vocabulary words{40000, 1};
    Vocabulary first{2000, 2, 0.8};
    Vocabulary last{8000, 3, 0.9};
};

inline const Corpus& corpus() {
    static const Corpus c;
    return c;
}

inline std::string person(Rng& rng) {
    const Corpus& c = corpus();
    return Vocabulary::capital(c.first.draw(rng)) + " " + Vocabulary::capital(c.last.draw(rng));
}

inline std::string sentence(Rng& rng, uint32_t words) {
    std::string s;
    for (uint32_t i = 0; i < words; ++i) {
        if (i) s += ' ';
        s += i == 0 ? Vocabulary::capital(corpus().words.draw(rng)) : corpus().words.draw(rng);
    }
    return s;
}

inline std::string titleImage(uint32_t i, const std::vector<dbf::FieldDef>& fields,
                              size_t recordLength) {
    Rng rng(0xC0FFEEull * i + 17);
    std::string img(recordLength, ' ');
    auto set = [&](const char* name, const std::string& v) {
        for (const auto& f : fields)
            if (f.name == name) dbf::setString(img, f, v);
    };
    static const char* const kCats[] = {"Action",  "Comedy",  "Drama",   "Family",    "Horror",
                                        "Musical", "Romance", "Western", "Television"};
    static const char* const kFormats[] = {"VHS", "SVHS", "Laser Disc (CLV)", "BETA", "Hi8"};
    set("TITLE", sentence(rng, 1 + rng.below(5)));
    set("CATEGORY", kCats[rng.below(9)]);
    set("FORMAT", kFormats[rng.below(5)]);
    set("ID", "T" + std::to_string(100000 + i));
    set("RUNTIME", std::to_string(60 + rng.below(120)) + " min");
    set("USER1",
        "Shelf " + std::string(1, char('A' + rng.below(20))) + std::to_string(rng.below(9)));
    if (rng.below(4) == 0) set("USER2", sentence(rng, 2));
    set("RATED", rng.below(2) ? "PG" : "R");
    set("RATING", rng.below(2) ? "Good" : "Excellent");
    set("SUMMARY", sentence(rng, 15 + rng.below(25)) + ".");
    set("PRODUCER", person(rng));
    set("DIRECTOR", person(rng));
    set("STAR1", person(rng));
    set("STAR2", person(rng));
    set("STAR3", person(rng));
    if (rng.below(2)) set("STAR4", person(rng));
    set("YEAR", std::to_string(1930 + rng.below(70)));
    set("SOUND", "Stereo");
    set("CONTENT", "Movie");
    set("PRICE", std::to_string(5 + rng.below(40)) + ".99");
    set("PICTURE", "Color");
    for (const auto& f : fields)
        if (f.type == 'L') dbf::setLogical(img, f, rng.below(5) == 0);
    for (const auto& f : fields)
        if (f.type == 'N') (void)dbf::setNumber(img, f, 1);
    return img;
}

// The titles table of n records, made when missing.
inline std::string titlesTable(uint32_t n) {
    const char* base = std::getenv("RK_BENCH_DATA");
    const std::string dir =
        std::string(base ? base : "/tmp/rk-bench-data") + "/fts-titles-" + std::to_string(n);
    const std::string path = dir + "/VIDEO.DBF";
    {
        auto probe = dbf::DbfFile::open(path, dbf::OpenOptions{true, false});
        if (probe && (*probe)->recordCount() == n) return path;
    }
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::fprintf(stderr, "making a titles table of %u records in %s ...\n", n, dir.c_str());
    const auto& fields = catalogue::titleFields();
    if (!dbf::DbfFile::create(path, fields)) std::exit(1);
    auto t = dbf::DbfFile::open(path, dbf::OpenOptions{});
    if (!t) std::exit(1);
    const size_t len = (*t)->recordLength();
    std::string batch;
    for (uint32_t i = 1; i <= n; ++i) {
        batch += titleImage(i, fields, len);
        if (i % 4096 == 0 || i == n) {
            if (!(*t)->appendRecords(batch.data(), uint32_t(batch.size() / len))) std::exit(1);
            batch.clear();
        }
    }
    return path;
}

} // namespace rk::bench::fts
