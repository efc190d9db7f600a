// The catalogue engine keeps Titles.ia with the titles through every kind of change: after
// each, a search finds exactly what a scan of the table finds. Batches are all or nothing.
#include "catalogue_engine.h"

#include "check.h"
#include "faultenv.h"
#include "record.h"
#include "testdir.h"
#include "tfts.h"

#include <gtest/gtest.h>

#include <set>

using rk::catalogue::Catalogue;
using rk::search::test::TestDir;
using rk::search::test::writeFile;

namespace {

using Set = std::set<uint32_t>;

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rk::catalogue::createSample(dir_.dir()).isOk());
        ASSERT_TRUE(cat_.open(dir_.dir()).isOk());
        cat_.setTextIndexNotice(
            [this](const rk::Status& why) { missed_.push_back(why.message()); });
        ASSERT_TRUE(cat_.buildTextIndex().isOk());
    }

    std::string image(const std::string& title, const std::string& category = "Drama") {
        std::string img = cat_.titles().dbf()->blankRecord();
        rk::dbf::setString(img, *cat_.titles().field("TITLE"), title);
        rk::dbf::setString(img, *cat_.titles().field("CATEGORY"), category);
        return img;
    }

    // The visible records whose text holds `query`, by a scan of every record.
    Set scan(const std::string& query) {
        rk::search::TFts verify;
        Set out;
        rk::store::Table& t = cat_.titles();
        for (uint32_t r = 1; r <= t.recCount(); ++r) {
            EXPECT_TRUE(t.go(r).isOk());
            if (t.deleted()) continue;
            if (verify.FtsVerify(rk::search::entryText(t.record(), t.fields()), query) == 1)
                out.insert(r);
        }
        return out;
    }

    // The records a search shows.
    Set found(const std::string& query) {
        auto r = cat_.find(query, 0);
        EXPECT_TRUE(r.isOk());
        if (!r) return {};
        EXPECT_TRUE(r->outcome == rk::search::SearchOutcome::Found ||
                    r->outcome == rk::search::SearchOutcome::NothingFound)
            << r->detail.message();
        std::vector<uint32_t> recs;
        if (r->outcome == rk::search::SearchOutcome::Found) {
            EXPECT_TRUE(cat_.titles().visibleRecords(&recs).isOk());
        }
        EXPECT_TRUE(cat_.titles().query("").isOk());
        return Set(recs.begin(), recs.end());
    }

    void expectInStep(const char* after) {
        SCOPED_TRACE(after);
        for (const char* word : {"quokka", "wombat", "casablanca", "alien", "harrison", "drama",
                                 "\"blade runner\"", "numbat"})
            EXPECT_EQ(found(word), scan(word)) << word;
        EXPECT_TRUE(missed_.empty()) << missed_.front();
    }

    TestDir dir_;
    Catalogue cat_;
    std::vector<std::string> missed_;
};

} // namespace

TEST_F(CatalogueTest, EveryKindOfChangeKeepsTheSearchIndexInStep) {
    rk::store::Table& t = cat_.titles();
    auto added = cat_.append(t, image("Night of the Quokka"));
    ASSERT_TRUE(added.isOk());
    expectInStep("a new title");

    ASSERT_TRUE(cat_.updateTitle(*added, image("Night of the Wombat")).isOk());
    ASSERT_TRUE(cat_.updateTitle(33, image("Alien Quokka", "Horror")).isOk());
    expectInStep("changed titles");

    ASSERT_TRUE(cat_.removeTitle(34).isOk()); // Blade Runner
    expectInStep("a delete");
    ASSERT_TRUE(cat_.recallTitle(34).isOk());
    expectInStep("a recall");
    ASSERT_TRUE(cat_.removeTitle(1).isOk()); // Casablanca, gone for good at the pack

    auto first = cat_.appendMany({image("Numbat One"), image("Numbat Two"), image("Quokka Too")});
    ASSERT_TRUE(first.isOk());
    EXPECT_EQ(*first, *added + 1);
    ASSERT_TRUE(cat_.updateMany({{*first, image("Numbat Uno")}, {5, image("Wombat Five")}}).isOk());
    expectInStep("batches");

    writeFile(dir_.file("old.dat"), "Good,VHS,Drama,Numbat Three,ID,1\r\n"
                                    "Fair,VHS,Comedy,Quokka Four,ID,2\r\n");
    auto counts = rk::store::countOldDataFile(dir_.file("old.dat"), t.fields());
    ASSERT_TRUE(counts.isOk());
    rk::store::OldImportReport report;
    ASSERT_TRUE(cat_.importOld(dir_.file("old.dat"), *counts, {}, &report).isOk());
    EXPECT_EQ(report.added, 2u);
    expectInStep("an import");

    ASSERT_TRUE(t.query("MARKED").isOk());
    ASSERT_TRUE(cat_.unmarkAll().isOk());
    ASSERT_TRUE(t.query("").isOk());
    expectInStep("un-marking");

    const uint32_t before = t.recCount();
    auto packed = cat_.pack({});
    ASSERT_TRUE(packed.isOk());
    EXPECT_EQ(packed->titlesKept, before - 1);
    EXPECT_TRUE(packed->textIndexBuilt);
    EXPECT_TRUE(packed->categoriesPacked);
    expectInStep("a pack");
    EXPECT_TRUE(found("casablanca").empty());
}

// Two sizes of batch: one kept key by key, one large against the table (written in large
// pieces, its tags built again at the end).
class CatalogueBatchTest : public CatalogueTest, public ::testing::WithParamInterface<int> {};
INSTANTIATE_TEST_SUITE_P(Sizes, CatalogueBatchTest, ::testing::Values(400, 600));

TEST_P(CatalogueBatchTest, ABatchIsWrittenWholeOrLeavesNothingBehind) {
    std::vector<std::string> images;
    for (int i = 0; i < GetParam(); ++i)
        images.push_back(image("Numbat " + std::to_string(i)));
    cat_.close();
    rk::test::FaultEnv env;
    Catalogue faulty(&env);
    ASSERT_TRUE(faulty.open(dir_.dir()).isOk());
    rk::store::Table& t = faulty.titles();
    const uint32_t before = t.recCount();

    // The disk fills once some records of the batch are in the file: they are dropped again.
    // (The large batch's records go in one write here: that write fails. A disk that fills
    // while its tags are built leaves the records, with the tags worked out in memory.)
    env.growthsLeft = GetParam() < 512 ? 40 : 0;
    auto added = faulty.appendMany(images);
    ASSERT_FALSE(added.isOk());
    EXPECT_NE(added.status().message().find("nothing was added"), std::string::npos)
        << added.status().message();
    EXPECT_EQ(t.recCount(), before);

    // A disk that refuses every write: what could not be taken back is named.
    env.growthsLeft = -1;
    env.writesLeft = GetParam() < 512 ? 30 : 1;
    added = faulty.appendMany(images);
    ASSERT_FALSE(added.isOk());
    const uint32_t kept = t.recCount() - before;
    if (kept > 0) {
        EXPECT_NE(added.status().message().find(std::to_string(kept) + " record"),
                  std::string::npos)
            << added.status().message();
    }

    env.writesLeft = -1;
    faulty.close();
    ASSERT_TRUE(cat_.open(dir_.dir()).isOk());
    ASSERT_TRUE(cat_.titles().dropRecordsAfter(before).isOk());
    cat_.close();
    auto check = rk::store::checkTable(rk::findFileNoCase(dir_.dir(), "VIDEO.DBF"));
    ASSERT_TRUE(check.isOk());
    EXPECT_TRUE(check->sound()) << check->problems.front();
    ASSERT_TRUE(cat_.open(dir_.dir()).isOk());
    expectInStep("a failed batch");

    // Written whole, either way the tags and the search index hold every title.
    auto whole = cat_.appendMany(images);
    ASSERT_TRUE(whole.isOk()) << whole.status().message();
    EXPECT_EQ(cat_.titles().recCount(), before + uint32_t(GetParam()));
    cat_.close();
    check = rk::store::checkTable(rk::findFileNoCase(dir_.dir(), "VIDEO.DBF"));
    ASSERT_TRUE(check.isOk());
    EXPECT_TRUE(check->sound()) << check->problems.front();
    ASSERT_TRUE(cat_.open(dir_.dir()).isOk());
    expectInStep("a batch");
}
