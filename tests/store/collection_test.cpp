// Figures over the titles in view: the value of the titles a query shows, clearing the marks
// of the titles in view, and the statistics against rkdb count.
#include "catalogue.h"
#include "collection.h"
#include "record.h"
#include "table.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

using namespace rk;

namespace {

class Collection : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(catalogue::createEmpty(dir.path()).isOk());
        table = std::make_unique<store::Table>(findFileNoCase(dir.path(), "VIDEO.DBF"));
        ASSERT_TRUE(table->open().isOk());
    }
    void add(const std::string& title, const std::string& price, bool marked,
             bool deleted = false) {
        std::string img = table->dbf()->blankRecord();
        dbf::setString(img, *table->field("TITLE"), title);
        dbf::setString(img, *table->field("PRICE"), price);
        dbf::setLogical(img, *table->field("MARKED"), marked);
        ASSERT_TRUE(table->appendRecord(img).isOk());
        if (deleted) {
            ASSERT_TRUE(table->deleteRecord().isOk());
        }
    }
    bool markedOnDisk(uint32_t recno) {
        std::string img;
        EXPECT_TRUE(table->dbf()->readRecord(recno, &img).isOk());
        return dbf::getLogical(img, *table->field("MARKED"));
    }
    test::TempDir dir;
    std::unique_ptr<store::Table> table;
};

} // namespace

TEST_F(Collection, ValueCountsVisiblePricedTitlesOnly) {
    add("Alien", "12.50", true);
    add("Brazil", "$5", false); // not a number: counts nothing
    add("Casablanca", "7.5", true);
    add("Dune", "100", true, true); // deleted: hidden
    auto all = store::collectionValue(*table, '.');
    ASSERT_TRUE(all.isOk());
    EXPECT_DOUBLE_EQ(*all, 20.0);
    ASSERT_TRUE(table->query("MARKED").isOk());
    uint32_t steps = 0;
    auto marked = store::collectionValue(*table, '.', [&](uint32_t) { ++steps; });
    ASSERT_TRUE(marked.isOk());
    EXPECT_DOUBLE_EQ(*marked, 20.0);
    EXPECT_EQ(steps, 2u);
}

// Plain addition of 1,000 prices of 0.10 gives 99.9999999999986, which the total's 15 digits
// would show.
TEST_F(Collection, ManyPricesAddUpWithoutRoundingErrorShowing) {
    {
        store::Batch batch(*table);
        for (int i = 0; i < 1000; ++i)
            add("Title " + std::to_string(i), "0.10", false);
        ASSERT_TRUE(batch.finish().isOk());
    }
    auto value = store::collectionValue(*table, '.');
    ASSERT_TRUE(value.isOk());
    EXPECT_EQ(store::formatTotal(*value, '.'), "100");
    auto figures = store::collectionFigures(*table, '.');
    ASSERT_TRUE(figures.isOk());
    EXPECT_EQ(store::formatTotal(figures->value, '.'), "100");
    ASSERT_EQ(figures->byCategory.size(), 1u);
    EXPECT_EQ(store::formatTotal(figures->byCategory[0].value, '.'), "100");
}

TEST_F(Collection, ClearMarksWritesOnlyVisibleTitlesAndKeepsTheQuery) {
    add("Alien", "", true);
    add("Brazil", "", true, true); // deleted: left as it is
    add("Casablanca", "", false);
    add("Dune", "", true);
    ASSERT_TRUE(table->query("TITLE = \"Alien\" .OR. TITLE = \"Dune\"").isOk());
    auto cleared = store::clearMarks(*table);
    ASSERT_TRUE(cleared.isOk());
    EXPECT_EQ(*cleared, 2u);
    EXPECT_FALSE(markedOnDisk(1));
    EXPECT_TRUE(markedOnDisk(2));
    EXPECT_FALSE(markedOnDisk(4));
    EXPECT_EQ(table->count(), 2u); // still the same titles in view
}

TEST_F(Collection, ClearMarksStopsAtAFailedWrite) {
    test::FaultEnv env;
    table.reset();
    table = std::make_unique<store::Table>(findFileNoCase(dir.path(), "VIDEO.DBF"),
                                           store::TableOptions{}, &env);
    ASSERT_TRUE(table->open().isOk());
    add("Alien", "", true);
    add("Brazil", "", true);
    env.failWrites = true;
    auto cleared = store::clearMarks(*table);
    EXPECT_FALSE(cleared.isOk());
    env.failWrites = false;
    EXPECT_TRUE(markedOnDisk(2));
}

namespace {

std::string output(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    pclose(p);
    return out;
}

// How many visible titles rkdb count finds for a query.
uint32_t rkdbCount(const std::string& table, const std::string& query) {
    return uint32_t(std::stoul(
        output(std::string(RKDB_PATH) + " count " + table + " --query '" + query + "'")));
}

} // namespace

// The statistics against counts that rkdb count makes by queries of its own, and values
// summed from rkdb list, on the sample with odd titles added.
TEST(CollectionFigures, AgreeWithRkdbCountAndList) {
    test::TempDir dir;
    ASSERT_TRUE(catalogue::createSample(dir.path()).isOk());
    const std::string path = findFileNoCase(dir.path(), "VIDEO.DBF");
    {
        store::Table t(path);
        ASSERT_TRUE(t.open().isOk());
        auto add = [&](const char* category, const char* year, const char* price, bool del) {
            std::string img = t.dbf()->blankRecord();
            dbf::setString(img, *t.field("TITLE"), "Odd");
            dbf::setString(img, *t.field("CATEGORY"), category);
            dbf::setString(img, *t.field("YEAR"), year);
            dbf::setString(img, *t.field("PRICE"), price);
            ASSERT_TRUE(t.appendRecord(img).isOk());
            if (del) {
                ASSERT_TRUE(t.deleteRecord().isOk());
            }
        };
        add("", "85", "$5", false);         // no category, no usable year, no price
        add("drama", "2003", "1.5", false); // not the same as "Drama"
        add("Drama", "2003", "99", true);   // deleted: not counted
    }
    store::TableOptions shared;
    shared.readOnly = true;
    shared.exclusive = false; // rkdb reads it alongside
    store::Table t(path, shared);
    ASSERT_TRUE(t.open().isOk());
    auto f = store::collectionFigures(t, '.');
    ASSERT_TRUE(f.isOk());
    EXPECT_EQ(f->titles, rkdbCount(path, ".T."));

    auto check = [&](const std::vector<store::FigureRow>& rows, const char* field) {
        uint32_t sum = 0;
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].titles, rkdbCount(path, std::string("ALLTRIM(") + field + ") == \"" +
                                                          rows[i].key + "\""))
                << field << " " << rows[i].key;
            if (i > 0) {
                EXPECT_GE(rows[i - 1].titles, rows[i].titles) << "most titles first";
            }
            sum += rows[i].titles;
        }
        EXPECT_EQ(sum, f->titles) << field;
    };
    check(f->byCategory, "CATEGORY");
    check(f->byFormat, "FORMAT");
    check(f->byRating, "RATING");
    ASSERT_GE(f->byCategory.size(), 10u);

    uint32_t dated = 0;
    for (size_t i = 0; i < f->byDecade.size(); ++i) {
        const std::string& key = f->byDecade[i].key;
        if (key.empty()) {
            EXPECT_EQ(i + 1, f->byDecade.size()) << "no usable year comes last";
            EXPECT_EQ(f->byDecade[i].titles, 1u);
            continue;
        }
        if (i > 0) {
            EXPECT_LT(f->byDecade[i - 1].key, key);
        }
        EXPECT_EQ(f->byDecade[i].titles,
                  rkdbCount(path, "LEFT(YEAR,3) == \"" + key.substr(0, 3) + "\""));
        dated += f->byDecade[i].titles;
    }
    EXPECT_EQ(dated + 1, f->titles);

    // Values by category from the listed prices.
    std::map<std::string, double> value;
    double total = 0;
    std::istringstream listed(
        output(std::string(RKDB_PATH) + " list " + path + " --fields CATEGORY,PRICE"));
    for (std::string line; std::getline(listed, line);) {
        const size_t a = line.find('\t'), b = line.find('\t', a + 1);
        const std::string price = line.substr(b + 1);
        if (price.empty() || price[0] == '$') continue;
        value[line.substr(a + 1, b - a - 1)] += std::stod(price);
        total += std::stod(price);
    }
    for (const auto& row : f->byCategory)
        EXPECT_NEAR(row.value, value[row.key], 1e-9) << row.key;
    EXPECT_NEAR(f->value, total, 1e-9);
    EXPECT_GT(total, 100.0);
}
