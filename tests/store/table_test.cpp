// The cursor: natural order, the deleted filter, queries and their bits, counts, pack and
// text copies, and what a table remembers across close and open.
#include "catalogue.h"
#include "record.h"
#include "table.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace rk;
using namespace rk::store;

namespace {

class TableTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.file("VIDEO.DBF");
        ASSERT_TRUE(dbf::DbfFile::create(path, catalogue::titleFields()).isOk());
        table = std::make_unique<Table>(path);
        ASSERT_TRUE(table->open().isOk());
    }

    uint32_t add(const std::string& title, const std::string& category, bool marked = false) {
        std::string img = table->dbf()->blankRecord();
        dbf::setString(img, *table->field("TITLE"), title);
        dbf::setString(img, *table->field("CATEGORY"), category);
        dbf::setLogical(img, *table->field("MARKED"), marked);
        auto r = table->appendRecord(img);
        EXPECT_TRUE(r.isOk());
        return r.isOk() ? *r : 0;
    }
    std::string title() {
        return std::string(dbf::trimmedField(table->record(), *table->field("TITLE")));
    }
    std::vector<uint32_t> walk() {
        std::vector<uint32_t> seen;
        EXPECT_TRUE(table->goTop().isOk());
        while (!table->eof()) {
            seen.push_back(table->recNo());
            EXPECT_TRUE(table->skip(1).isOk());
        }
        return seen;
    }
    std::vector<uint32_t> walkBack() {
        std::vector<uint32_t> seen;
        EXPECT_TRUE(table->goBottom().isOk());
        while (!table->eof() && !table->bof()) {
            seen.push_back(table->recNo());
            EXPECT_TRUE(table->skip(-1).isOk());
        }
        return seen;
    }
    void remove(uint32_t recno) {
        ASSERT_TRUE(table->go(recno).isOk());
        ASSERT_TRUE(table->deleteRecord().isOk());
    }

    test::TempDir dir;
    std::string path;
    std::unique_ptr<Table> table;
};

using V = std::vector<uint32_t>;

} // namespace

TEST_F(TableTest, EmptyTableIsAtBothEnds) {
    EXPECT_TRUE(table->goTop().isOk());
    EXPECT_TRUE(table->eof());
    EXPECT_TRUE(table->bof());
    EXPECT_EQ(table->count(), 0u);
    EXPECT_EQ(table->record().size(), table->recSize()); // a blank image at the end
    EXPECT_FALSE(table->putRecord(table->record()).isOk());
    EXPECT_FALSE(table->deleteRecord().isOk());
}

TEST_F(TableTest, NaturalOrderSkipsDeletedRecordsBothWays) {
    for (int i = 1; i <= 6; ++i)
        add("T" + std::to_string(i), "Drama");
    remove(1);
    remove(4);
    remove(6);
    EXPECT_EQ(walk(), (V{2, 3, 5}));
    EXPECT_EQ(walkBack(), (V{5, 3, 2}));
    EXPECT_EQ(table->count(), 3u);
    EXPECT_EQ(table->recCount(), 6u);
    // Stepping back before the first visible record stays on it with bof set.
    ASSERT_TRUE(table->goTop().isOk());
    ASSERT_TRUE(table->skip(-1).isOk());
    EXPECT_TRUE(table->bof());
    EXPECT_EQ(table->recNo(), 2u);
    // Stepping back from the end finds the last visible record.
    ASSERT_TRUE(table->goBottom().isOk());
    ASSERT_TRUE(table->skip(1).isOk());
    EXPECT_TRUE(table->eof());
    EXPECT_EQ(table->recNo(), 7u);
    ASSERT_TRUE(table->skip(-1).isOk());
    EXPECT_EQ(table->recNo(), 5u);
    // Multi-step skips.
    ASSERT_TRUE(table->goTop().isOk());
    ASSERT_TRUE(table->skip(2).isOk());
    EXPECT_EQ(table->recNo(), 5u);
    // The filter off shows them all.
    table->setHideDeleted(false);
    EXPECT_EQ(walk(), (V{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(table->count(), 6u);
    table->setHideDeleted(true);
    ASSERT_TRUE(table->go(4).isOk());
    EXPECT_TRUE(table->deleted());
    ASSERT_TRUE(table->recall().isOk());
    EXPECT_EQ(walk(), (V{2, 3, 4, 5}));
}

TEST_F(TableTest, GoPositionsOnAnyPhysicalRecord) {
    add("A", "x");
    add("B", "x");
    remove(1);
    ASSERT_TRUE(table->go(1).isOk());
    EXPECT_EQ(table->recNo(), 1u);
    EXPECT_EQ(title(), "A");
    EXPECT_TRUE(table->deleted());
    ASSERT_TRUE(table->go(3).isOk());
    EXPECT_TRUE(table->eof());
}

TEST_F(TableTest, QueriesLimitTheVisibleRecordsAndCount) {
    add("Alien", "Horror", true);
    add("Airplane!", "Comedy");
    add("Aliens", "Action", true);
    add("Annie Hall", "Comedy");
    add("Die Hard", "Action");
    remove(5);
    ASSERT_TRUE(table->query("CATEGORY = \"Action\"").isOk());
    EXPECT_EQ(walk(), (V{3}));
    EXPECT_EQ(table->queryRecCount(), 1u);
    EXPECT_EQ(table->queryText(), "CATEGORY = \"Action\"");
    ASSERT_TRUE(table->query("CATEGORY = \"Act\"").isOk()); // non-exact
    EXPECT_EQ(table->count(), 1u);
    ASSERT_TRUE(table->query("MARKED").isOk());
    EXPECT_EQ(walk(), (V{1, 3}));
    ASSERT_TRUE(table->query("TITLE = \"Alien\"").isOk());
    EXPECT_EQ(walk(), (V{1, 3})); // "Aliens" begins with "Alien"
    ASSERT_TRUE(table->query("").isOk());
    EXPECT_EQ(walk(), (V{1, 2, 3, 4}));
    EXPECT_EQ(table->queryText(), "");
    // A bad query leaves the previous state and says why.
    ASSERT_TRUE(table->query("MARKED").isOk());
    Status s = table->query("CATEGORY = ");
    EXPECT_FALSE(s.isOk());
    EXPECT_NE(s.message().find("position"), std::string::npos);
    EXPECT_EQ(table->queryText(), "MARKED");
    EXPECT_EQ(table->count(), 2u);
    EXPECT_FALSE(table->query("TITLE").isOk()); // not a condition
}

TEST_F(TableTest, CategoryNameWithQuotesSelectsWithAnotherDelimiter) {
    add("A", "Say \"Cheese\"");
    add("B", "Other");
    ASSERT_TRUE(table->query("CATEGORY = 'Say \"Cheese\"'").isOk());
    EXPECT_EQ(walk(), (V{1}));
}

TEST_F(TableTest, QueryBitsBuildASetFromNothing) {
    for (int i = 1; i <= 5; ++i)
        add("T" + std::to_string(i), "x");
    ASSERT_TRUE(table->query("").isOk());
    ASSERT_TRUE(table->setQueryBit(2, true).isOk());
    ASSERT_TRUE(table->setQueryBit(5, true).isOk());
    EXPECT_EQ(walk(), (V{2, 5}));
    EXPECT_EQ(table->count(), 2u);
    ASSERT_TRUE(table->setQueryBit(5, false).isOk());
    EXPECT_EQ(walk(), (V{2}));
    EXPECT_FALSE(table->setQueryBit(9, true).isOk());
    // A deleted record with its bit set is still hidden by the filter.
    remove(2);
    EXPECT_EQ(table->count(), 0u);
    ASSERT_TRUE(table->query("").isOk());
    EXPECT_EQ(table->count(), 4u);
}

TEST_F(TableTest, NewRecordIsVisibleUnderTheQuery) {
    add("A", "Drama");
    ASSERT_TRUE(table->query("CATEGORY = \"Comedy\"").isOk());
    EXPECT_EQ(table->count(), 0u);
    auto r = table->appendBlank();
    ASSERT_TRUE(r.isOk());
    EXPECT_EQ(*r, 2u);
    EXPECT_EQ(table->recNo(), 2u);
    EXPECT_FALSE(table->eof());
    EXPECT_EQ(table->count(), 1u);
}

TEST_F(TableTest, PutRecordWritesTheCurrentRecord) {
    add("Old", "x");
    add("Other", "x");
    ASSERT_TRUE(table->go(1).isOk());
    std::string img = table->record();
    dbf::setString(img, *table->field("TITLE"), "New");
    ASSERT_TRUE(table->putRecord(img).isOk());
    table->close();
    ASSERT_TRUE(table->open().isOk());
    ASSERT_TRUE(table->go(1).isOk());
    EXPECT_EQ(title(), "New");
    ASSERT_TRUE(table->go(2).isOk());
    EXPECT_EQ(title(), "Other");
    EXPECT_FALSE(table->putRecord("short").isOk());
}

TEST_F(TableTest, ReopenAppliesTheRememberedQuery) {
    add("A", "Drama", true);
    add("B", "Drama");
    ASSERT_TRUE(table->query("MARKED").isOk());
    table->close();
    EXPECT_FALSE(table->isOpen());
    ASSERT_TRUE(table->open().isOk());
    EXPECT_EQ(table->queryText(), "MARKED");
    EXPECT_EQ(walk(), (V{1}));
}

TEST_F(TableTest, OrdersWithoutAnIndexFallBackToNaturalOrder) {
    EXPECT_EQ(table->tagArea("TITIT"), 0);
    EXPECT_EQ(table->setOrder(0), 0);
    EXPECT_EQ(table->setOrder(3), 0); // no such order: natural
    EXPECT_EQ(table->indexOrd(), 0);
}

TEST_F(TableTest, PackRemovesDeletedRecordsAndRenumbers) {
    for (int i = 1; i <= 10; ++i)
        add("T" + std::to_string(i), i % 2 ? "Odd" : "Even", i == 7);
    remove(2);
    remove(3);
    remove(10);
    ASSERT_TRUE(table->query("CATEGORY = \"Odd\"").isOk());
    std::vector<int> progress;
    ASSERT_TRUE(table->pack([&](int p) { progress.push_back(p); }).isOk());
    EXPECT_EQ(table->recCount(), 7u);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    // The query still applies, on the new numbers.
    EXPECT_EQ(table->queryText(), "CATEGORY = \"Odd\"");
    EXPECT_EQ(walk(), (V{1, 3, 5, 7}));
    ASSERT_TRUE(table->query("").isOk());
    std::vector<std::string> titles;
    for (uint32_t r : walk()) {
        ASSERT_TRUE(table->go(r).isOk());
        titles.push_back(title());
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"T1", "T4", "T5", "T6", "T7", "T8", "T9"}));
    // The file on disk agrees, and still belongs to us exclusively.
    auto other = dbf::DbfFile::open(path, dbf::OpenOptions{});
    EXPECT_EQ(other.status().code(), Status::Code::Locked);
    table->close();
    auto again = dbf::DbfFile::open(path, dbf::OpenOptions{});
    ASSERT_TRUE(again.isOk());
    EXPECT_EQ((*again)->recordCount(), 7u);
    EXPECT_TRUE((*again)->diagnostics().empty());
    EXPECT_FALSE(Env::standard()->exists(path + ".pack"));
}

TEST_F(TableTest, FailedPackLeavesTheTableAsItWas) {
    test::FaultEnv env;
    table.reset();
    table = std::make_unique<Table>(path, TableOptions{}, &env);
    ASSERT_TRUE(table->open().isOk());
    for (int i = 1; i <= 4; ++i)
        add("T" + std::to_string(i), "x");
    remove(2);
    std::string before = test::readAll(path);
    env.writesLeft = 2; // the new file's header, then a failure
    EXPECT_FALSE(table->pack().isOk());
    EXPECT_EQ(test::readAll(path), before);
    EXPECT_EQ(table->recCount(), 4u);
    EXPECT_FALSE(env.exists(path + ".pack"));
}

TEST_F(TableTest, CopyToTextInBothLayouts) {
    add("Say \"Hi\"", "Comedy", true);
    add("Gone", "Drama");
    add("Plain", "Drama");
    remove(2);
    std::string comma = dir.file("out.txt"), space = dir.file("out2.txt");
    ASSERT_TRUE(table->copyFileText(comma, TextFormat::CommaDelimited).isOk());
    ASSERT_TRUE(table->copyFileText(space, TextFormat::SpaceDelimited).isOk());
    std::string c = test::readAll(comma);
    EXPECT_EQ(c.substr(0, 31), "\"Say \"\"Hi\"\"\",\"Comedy\",\"\",\"\",,\"\"");
    EXPECT_EQ(std::count(c.begin(), c.end(), '\n'), 2); // the deleted record is left out
    EXPECT_EQ(c.find("Gone"), std::string::npos);
    std::string s = test::readAll(space);
    size_t line = s.find("\r\n");
    size_t width = 0;
    for (const auto& f : table->fields())
        width += f.length;
    EXPECT_EQ(line, width + table->fields().size() - 1);
    EXPECT_EQ(s.substr(0, 8), "Say \"Hi\"");
    EXPECT_EQ(s[100], ' ');
    EXPECT_EQ(s.substr(101, 6), "Comedy");
    EXPECT_FALSE(
        table->copyFileText(dir.file("no/such/dir/x.txt"), TextFormat::CommaDelimited).isOk());
}

// What copyFileText writes reads back line by line as the same records, in both layouts;
// FIELD=VALUE lines fill what they name; a line that does not fit says why.
TEST_F(TableTest, TextLinesReadBackAsTheRecordsTheyCameFrom) {
    add("Say \"Hi\", \"\"", "Comedy", true);
    add("", "");
    add("   Leading blanks", "Drama, Crime");
    ASSERT_TRUE(table->go(2).isOk());
    std::string img = table->record();
    ASSERT_TRUE(dbf::setNumber(img, *table->field("TAPES"), 3).isOk());
    ASSERT_TRUE(table->putRecord(img).isOk());
    for (TextFormat format : {TextFormat::CommaDelimited, TextFormat::SpaceDelimited}) {
        const std::string text = dir.file("out.txt"), again = dir.file("again.txt");
        ASSERT_TRUE(table->copyFileText(text, format).isOk());
        const std::string out = test::readAll(text);
        const std::string copyPath = dir.file("COPY.DBF");
        ASSERT_TRUE(dbf::DbfFile::create(copyPath, catalogue::titleFields()).isOk());
        Table copy(copyPath);
        ASSERT_TRUE(copy.open().isOk());
        for (size_t at = 0; at < out.size(); at = out.find('\n', at) + 1) {
            std::string line = out.substr(at, out.find('\n', at) - at);
            std::string back = copy.dbf()->blankRecord();
            ASSERT_TRUE(recordFromTextLine(copy.fields(), line, format, &back).isOk()) << line;
            ASSERT_TRUE(copy.appendRecord(back).isOk());
        }
        EXPECT_EQ(copy.recCount(), 3u);
        ASSERT_TRUE(copy.copyFileText(again, format).isOk());
        EXPECT_EQ(test::readAll(again), out);
    }
    std::string back = table->dbf()->blankRecord();
    ASSERT_TRUE(recordFromAssignments(table->fields(), "title=Alien\tTAPES=2\r", &back).isOk());
    EXPECT_EQ(dbf::trimmedField(back, *table->field("TITLE")), "Alien");
    EXPECT_EQ(dbf::getNumber(back, *table->field("TAPES")), 2);
    for (const char* bad : {"TITLE", "NOPE=1", "TAPES=many"})
        EXPECT_FALSE(recordFromAssignments(table->fields(), bad, &back).isOk()) << bad;
    for (const char* bad : {"Alien,\"x\"", "\"open", "\"a\",\"b\""})
        EXPECT_FALSE(
            recordFromTextLine(table->fields(), bad, TextFormat::CommaDelimited, &back).isOk())
            << bad;
}

TEST(TableOpen, MissingFileIsNotFound) {
    test::TempDir dir;
    Table t(dir.file("NONE.DBF"));
    Status s = t.open();
    EXPECT_EQ(s.code(), Status::Code::NotFound);
    EXPECT_FALSE(t.isOpen());
}

TEST_F(TableTest, EqualsQuerySelectsNamesWithAnyDelimiter) {
    const char* names[] = {
        "Plain", "Say \"Cheese\"", "It's \"odd\"", "[It's] \"all\" three", "\"", "\"\"x\"", ""};
    for (const char* n : names)
        add(std::string("T ") + n, n);
    add("Other", "Unrelated");
    for (size_t i = 0; i < std::size(names); ++i) {
        if (!*names[i]) continue; // an empty name selects every record by the non-exact rule
        std::string q = catalogue::equalsQuery("CATEGORY", names[i]);
        ASSERT_TRUE(table->query(q).isOk()) << q;
        auto seen = walk();
        EXPECT_NE(std::find(seen.begin(), seen.end(), uint32_t(i + 1)), seen.end()) << q;
        for (uint32_t r : seen) {
            ASSERT_TRUE(table->go(r).isOk());
            std::string cat(dbf::trimmedField(table->record(), *table->field("CATEGORY")));
            EXPECT_EQ(cat.compare(0, std::strlen(names[i]), names[i]), 0) << q << " gave " << cat;
        }
    }
    EXPECT_EQ(catalogue::equalsQuery("CATEGORY", "Drama"), "CATEGORY = \"Drama\"");
    // An exact query selects that name alone: not the names it begins, not every record for an
    // empty one.
    add("T Plainer", "Plainer");
    for (size_t i = 0; i < std::size(names); ++i) {
        std::string q = catalogue::exactQuery("CATEGORY", names[i]);
        ASSERT_TRUE(table->query(q).isOk()) << q;
        EXPECT_EQ(walk(), std::vector<uint32_t>{uint32_t(i + 1)}) << q;
    }
}

TEST(TableQuery, AnExpressionErrorWhileEvaluatingRefusesTheQuery) {
    test::TempDir dir;
    const std::string path = dir.file("T.DBF");
    ASSERT_TRUE(dbf::DbfFile::create(path, {{"BORN", 'D', 8, 0, 0}}).isOk());
    Table t(path);
    ASSERT_TRUE(t.open().isOk());
    std::string img = t.dbf()->blankRecord();
    ASSERT_TRUE(dbf::setFromText(img, *t.field("BORN"), "19991231").isOk());
    ASSERT_TRUE(t.appendRecord(img).isOk());
    ASSERT_TRUE(t.query("DTOS(BORN) = \"1999\"").isOk());
    const Status s = t.query("DTOS(BORN + 9000000000000000000) = \"x\"");
    EXPECT_EQ(s.code(), Status::Code::InvalidArgument);
    EXPECT_NE(s.message().find("expression error"), std::string::npos) << s.message();
    EXPECT_EQ(t.queryText(), "DTOS(BORN) = \"1999\""); // the query in force stays
    EXPECT_EQ(t.count(), 1u);
}
