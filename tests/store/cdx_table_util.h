// A table with an index for the index tests: five fields of every type, eight tags of
// every kind, upkeep through the index's own interface, and the order each tag must give
// worked out here from the rows with plain comparisons.
#pragma once

#include "cdx.h"
#include "dbf.h"
#include "record.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace rk::test {

using store::IndexFile;
using store::IndexOptions;
using store::TagSpec;

inline const std::vector<TagSpec> kTags = {
    {"NAME", "UPPER(NAME)", "", false, false}, {"CITYNAME", "CITY+NAME", "", false, false},
    {"AMOUNT", "AMOUNT", "", false, false},    {"BORN", "BORN", "", false, false},
    {"ACTIVE", "ACTIVE", "", false, false},    {"DESCNAME", "NAME", "", true, false},
    {"UNIQCITY", "CITY", "", false, true},     {"ACTIVENAME", "NAME", "ACTIVE", false, false},
};

struct Row {
    std::string name, city;
    double amount = 0;
    dbf::Date born;
    bool active = false;
    bool deleted = false;
};

class IndexedTable {
public:
    IndexedTable() {
        dbfPath = dir.file("people.dbf");
        cdxPath = dir.file("people.cdx");
        std::vector<dbf::FieldDef> fields = {{"NAME", 'C', 12, 0, 0},
                                             {"CITY", 'C', 10, 0, 0},
                                             {"AMOUNT", 'N', 9, 2, 0},
                                             {"BORN", 'D', 8, 0, 0},
                                             {"ACTIVE", 'L', 1, 0, 0}};
        EXPECT_TRUE(dbf::DbfFile::create(dbfPath, fields).isOk());
        openTable();
    }
    void openTable() {
        auto d = dbf::DbfFile::open(dbfPath, dbf::OpenOptions{});
        ASSERT_TRUE(d.isOk()) << d.status().message();
        table = std::move(*d);
    }
    void createIndex() {
        auto idx = IndexFile::create(cdxPath, table.get(), kTags);
        ASSERT_TRUE(idx.isOk()) << idx.status().message();
        index = std::move(*idx);
    }
    void reopen(IndexOptions opts = {}) {
        index.reset();
        table.reset();
        openTable();
        auto idx = IndexFile::open(cdxPath, table.get(), opts);
        ASSERT_TRUE(idx.isOk()) << idx.status().message();
        index = std::move(*idx);
    }

    std::string image(const Row& r) const {
        const auto& f = table->fields();
        std::string img = table->blankRecord();
        dbf::setString(img, f[0], r.name);
        dbf::setString(img, f[1], r.city);
        EXPECT_TRUE(dbf::setNumber(img, f[2], r.amount).isOk());
        dbf::setDate(img, f[3], r.born);
        dbf::setLogical(img, f[4], r.active);
        dbf::setDeleted(img, r.deleted);
        return img;
    }
    void append(const Row& r, bool maintain = true) {
        std::string img = image(r);
        if (maintain) {
            ASSERT_TRUE(index->beginChange().isOk());
        }
        auto n = table->appendRecord(img);
        ASSERT_TRUE(n.isOk());
        if (maintain) {
            ASSERT_TRUE(index->recordAdded(img, *n).isOk());
            ASSERT_TRUE(index->endChange().isOk());
        }
        rows.push_back(r);
    }
    void update(uint32_t recno, const Row& r) {
        std::string before, after = image(r);
        ASSERT_TRUE(table->readRecord(recno, &before).isOk());
        ASSERT_TRUE(index->beginChange().isOk());
        ASSERT_TRUE(table->writeRecord(recno, after).isOk());
        ASSERT_TRUE(index->recordChanged(before, after, recno).isOk());
        ASSERT_TRUE(index->endChange().isOk());
        rows[recno - 1] = r;
    }

    std::vector<uint32_t> walk(const std::string& tag) {
        int i = index->findTag(tag);
        EXPECT_GE(i, 0) << tag;
        std::vector<uint32_t> out;
        EXPECT_TRUE(index
                        ->walk(i,
                               [&](uint32_t r) {
                                   out.push_back(r);
                                   return true;
                               })
                        .isOk());
        return out;
    }

    // The order each tag must give, worked out from the rows with plain comparisons.
    std::vector<uint32_t> expected(const std::string& tag) const {
        std::vector<uint32_t> recs;
        for (uint32_t r = 1; r <= rows.size(); ++r)
            if (tag != "ACTIVENAME" || rows[r - 1].active) recs.push_back(r);
        auto padded = [](std::string s, size_t n) {
            s.resize(n, ' ');
            return s;
        };
        auto upper = [](std::string s) {
            for (char& c : s)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            return s;
        };
        auto dateNum = [](const dbf::Date& d) { return d.year * 10000 + d.month * 100 + d.day; };
        auto by = [&](auto keyOf) {
            std::stable_sort(recs.begin(), recs.end(), [&](uint32_t a, uint32_t b) {
                return keyOf(rows[a - 1]) < keyOf(rows[b - 1]);
            });
        };
        if (tag == "NAME") by([&](const Row& r) { return upper(padded(r.name, 12)); });
        if (tag == "CITYNAME")
            by([&](const Row& r) { return padded(r.city, 10) + padded(r.name, 12); });
        if (tag == "AMOUNT") by([&](const Row& r) { return r.amount; });
        if (tag == "BORN") by([&](const Row& r) { return dateNum(r.born); });
        if (tag == "ACTIVE") by([&](const Row& r) { return r.active; });
        if (tag == "DESCNAME" || tag == "ACTIVENAME")
            by([&](const Row& r) { return padded(r.name, 12); });
        if (tag == "DESCNAME") std::reverse(recs.begin(), recs.end());
        if (tag == "UNIQCITY") {
            by([&](const Row& r) { return padded(r.city, 10); });
            std::vector<uint32_t> firsts;
            for (uint32_t r : recs)
                if (firsts.empty() ||
                    padded(rows[firsts.back() - 1].city, 10) != padded(rows[r - 1].city, 10))
                    firsts.push_back(r);
            recs = firsts;
        }
        return recs;
    }

    void expectAllOrders() {
        for (const TagSpec& t : kTags)
            EXPECT_EQ(walk(t.name), expected(t.name)) << t.name;
        std::vector<std::string> problems, notes;
        index->verify(true, &problems, &notes);
        EXPECT_TRUE(problems.empty()) << problems.front();
    }

    Row randomRow(std::mt19937& rng) {
        static const char* names[] = {"adams", "Baker", "baker", "Clark", "",   "Zed",
                                      "Ann",   "ann b", "ANN",   "Mo",    "Yu", "Quinn"};
        static const char* cities[] = {"Oslo", "Rome", "", "Lima", "Bern", "oslo"};
        Row r;
        r.name = std::string(names[rng() % 12]) + (rng() % 3 ? "" : std::to_string(rng() % 100));
        r.city = cities[rng() % 6];
        r.amount = (rng() % 5 == 0) ? 0 : (static_cast<double>(rng() % 200000) - 100000) / 100;
        if (rng() % 6) r.born = {1900 + int(rng() % 130), 1 + int(rng() % 12), 1 + int(rng() % 28)};
        r.active = rng() % 2;
        return r;
    }

    TempDir dir;
    std::string dbfPath, cdxPath;
    std::unique_ptr<dbf::DbfFile> table;
    std::unique_ptr<IndexFile> index;
    std::vector<Row> rows;
};

inline int runChecker(const std::string& cdx) {
    if (!std::ifstream("/usr/bin/python3")) return -1;
    std::string tool = std::string(RK_SHARED_DIR) + "/tools/cdxcheck.py";
    if (!std::ifstream(tool)) return -1;
    std::string cmd = "/usr/bin/python3 " + tool + " " + cdx + " > /dev/null 2>&1";
    return std::system(cmd.c_str()) == 0 ? 0 : 1;
}

} // namespace rk::test
