// An import of an earlier version's data file through the catalogue keeps Titles.ia current:
// each imported title is the entry of its record, found by a search; an import that fails is
// taken back whole, and one that is killed leaves every record it wrote whole and indexed.
#include "catalogue_engine.h"
#include "titleindex.h"

#include "catalogue.h"
#include "check.h"
#include "faultenv.h"
#include "record.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace rk::search;
using rk::catalogue::Catalogue;
using rk::search::test::TestDir;
using rk::search::test::writeFile;
using rk::store::Table;

namespace {

using V = std::vector<uint32_t>;

class TitleImport : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rk::catalogue::createSample(dir_.dir()).isOk());
        ASSERT_TRUE(cat_.openTable(rk::findFileNoCase(dir_.dir(), "VIDEO.DBF")).isOk());
        table_ = &cat_.titles();
        indexPath_ = cat_.textIndexPath();
        ASSERT_TRUE(cat_.buildTextIndex().isOk());
    }

    // Lines "Good,VHS,Drama,<word> <i>,..." for i in [from, to].
    static std::string lines(const std::string& word, int from, int to) {
        std::string text;
        for (int i = from; i <= to; ++i)
            text += "Good,VHS,Drama," + word + " " + std::to_string(i) + ",ID,1\r\n";
        return text;
    }

    rk::Status import(const std::string& text, Catalogue& cat, rk::Env* env = rk::Env::standard(),
                      const std::string& countedText = "",
                      const rk::store::OldImportHooks& hooks = {}) {
        writeFile(dir_.file("old.dat"), countedText.empty() ? text : countedText);
        auto counts = rk::store::countOldDataFile(dir_.file("old.dat"), cat.titles().fields(), env);
        EXPECT_TRUE(counts.isOk());
        writeFile(dir_.file("old.dat"), text);
        return cat.importOld(dir_.file("old.dat"), *counts, hooks, &report_);
    }

    V search(const std::string& query) {
        auto r = searchTitles(*table_, indexPath_, query, 1);
        EXPECT_TRUE(r.isOk());
        V recs;
        if (r && r->outcome == SearchOutcome::Found) {
            EXPECT_TRUE(table_->visibleRecords(&recs).isOk());
        }
        return recs;
    }

    V candidates(const std::string& query) {
        TFts fts;
        EXPECT_GT(fts.FtsOpen(indexPath_, 20, 1), 0);
        V out;
        if (fts.FtsSet(query) <= 0) return out;
        for (int32_t n; (n = fts.FtsNextRec()) > 0;)
            out.push_back(uint32_t(n));
        return out;
    }

    TestDir dir_;
    Catalogue cat_;
    Table* table_ = nullptr;
    std::string indexPath_;
    rk::store::OldImportReport report_;
};

} // namespace

// A large import (the table's index rebuilt once) and a small one (its index kept group by
// group) both reach the index under their record numbers.
TEST_F(TitleImport, ImportedTitlesAreFoundUnderTheirRecordNumbers) {
    const uint32_t before = table_->recCount();
    ASSERT_TRUE(import(lines("Quodlibet", 1, 1200), cat_).isOk());
    ASSERT_TRUE(import("Fair,Hi8,Com\xE9"
                       "die,Am\xE9lie Poulain,,,,,,,,,Jean-Pierre Jeunet\n",
                       cat_)
                    .isOk());
    EXPECT_EQ(search("quodlibet 777"), V{before + 777});
    EXPECT_EQ(search("am\xE9lie poulain"), V{before + 1201});
    EXPECT_EQ(candidates("quodlibet").size(), 1200u);
    EXPECT_EQ(search("casablanca"), V{1});
}

// A line that cannot be stored is left out: the titles after it are indexed under their own
// record numbers. A failed import is one batch taken back: the table, its index and Titles.ia
// are as before.
TEST_F(TitleImport, ABadLineIsLeftOutAndAFailedImportIsTakenBackWhole) {
    uint32_t before = table_->recCount();
    rk::Status s = import(lines("Quodlibet", 1, 2) + "Good,VHS,Drama,Bad,ID,123456\r\n" +
                              lines("Quodlibet", 4, 5),
                          cat_);
    ASSERT_TRUE(s.isOk()) << s.message();
    EXPECT_EQ(report_.skipped, 1u);
    EXPECT_EQ(report_.added, 4u);
    EXPECT_EQ(search("quodlibet 4"), V{before + 3});
    ASSERT_TRUE(table_->go(before + 3).isOk());
    EXPECT_NE(table_->record().find("Quodlibet 4 "), std::string::npos);
    before = table_->recCount();

    // A disk that fills up part-way: the records written before are dropped again.
    table_->close();
    rk::test::FaultEnv env;
    Catalogue faulty(&env);
    ASSERT_TRUE(faulty.openTable(rk::findFileNoCase(dir_.dir(), "VIDEO.DBF")).isOk());
    rk::store::OldImportHooks hooks;
    hooks.progress = [&env](uint32_t line) { env.diskFull = line >= 5000; };
    s = import(lines("Zyzzyva", 1, 10000), faulty, &env, "", hooks);
    ASSERT_FALSE(s.isOk());
    EXPECT_EQ(report_.added, 0u);
    EXPECT_EQ(faulty.titles().recCount(), before) << s.message();
    faulty.close();
    ASSERT_TRUE(table_->open().isOk());
    EXPECT_EQ(table_->recCount(), before);
    EXPECT_EQ(candidates("zyzzyva"), V{});
    table_->close();
    auto check = rk::store::checkTable(table_->path());
    ASSERT_TRUE(check.isOk()) << check.status().message();
    EXPECT_TRUE(check->sound()) << check->problems.front();
}

TEST_F(TitleImport, AnUnusableIndexStopsTheImportBeforeAnything) {
    writeFile(indexPath_, "not an index");
    const uint32_t before = table_->recCount();
    rk::Status s = import(lines("Quodlibet", 1, 3), cat_);
    ASSERT_FALSE(s.isOk());
    EXPECT_NE(s.message().find("nothing was imported"), std::string::npos) << s.message();
    EXPECT_EQ(table_->recCount(), before);
}

TEST_F(TitleImport, AnIndexThatNoLongerMatchesIsLeftWantingARebuild) {
    // A title added behind the index's back: entries added now would hide the gap.
    ASSERT_TRUE(table_->appendBlank().isOk());
    const uint32_t before = table_->recCount();
    ASSERT_TRUE(import(lines("Quodlibet", 1, 3), cat_).isOk());
    EXPECT_EQ(table_->recCount(), before + 3);
    auto r = cat_.find("quodlibet", 1);
    ASSERT_TRUE(r.isOk());
    EXPECT_EQ(r->outcome, SearchOutcome::NeedsRebuild);
}

// An import killed at some moment: every record it wrote is whole, the table and its index
// check sound at the next open, and every written record has its entry in Titles.ia.
TEST_F(TitleImport, AKilledImportLeavesWholeRecordsThatAreIndexed) {
    const uint32_t before = table_->recCount();
    writeFile(dir_.file("old.dat"), lines("Quodlibet", 1, 20000));
    table_->close();
    uint32_t imported = 0;
    // Killed when the import has read a given line, or a little after.
    const std::pair<uint32_t, int> moments[] = {{4000, 0}, {11000, 3}, {20000, 30}};
    for (const auto& [atLine, delayMs] : moments) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            Catalogue c;
            if (!c.openTable(rk::findFileNoCase(dir_.dir(), "VIDEO.DBF"))) _exit(2);
            auto counts = rk::store::countOldDataFile(dir_.file("old.dat"), c.titles().fields());
            rk::store::OldImportHooks hooks;
            hooks.progress = [&](uint32_t line) {
                if (line % 1000 == 0 && ::write(fds[1], &line, sizeof line) < 0) _exit(4);
            };
            rk::store::OldImportReport report;
            if (!counts || !c.importOld(dir_.file("old.dat"), *counts, hooks, &report)) _exit(3);
            _exit(0);
        }
        close(fds[1]);
        for (uint32_t line = 0; line < atLine;)
            if (read(fds[0], &line, sizeof line) != sizeof line) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        close(fds[0]);

        ASSERT_TRUE(table_->open().isOk());
        const uint32_t total = table_->recCount();
        for (uint32_t r = before + imported + 1; r <= total; ++r) {
            ASSERT_TRUE(table_->go(r).isOk());
            ASSERT_EQ(rk::dbf::trimmedField(table_->record(), *table_->field("TITLE")),
                      "Quodlibet " + std::to_string(r - before - imported));
        }
        const V found = candidates("quodlibet");
        for (uint32_t r = before + 1; r <= total; ++r)
            ASSERT_TRUE(std::binary_search(found.begin(), found.end(), r)) << r;
        table_->close();
        auto check = rk::store::checkTable(rk::findFileNoCase(dir_.dir(), "VIDEO.DBF"));
        ASSERT_TRUE(check.isOk());
        EXPECT_TRUE(check->sound()) << check->problems.front();
        imported = total - before;
    }
}
