// Figures over the titles in view: the value of the titles a query shows, and clearing the
// marks of the titles in view, on a table with deleted and unpriced titles.
#include "catalogue.h"
#include "collection.h"
#include "record.h"
#include "table.h"
#include "test_util.h"

#include <gtest/gtest.h>

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
