// A power cut at every point of a change: every state the disk may hold after any prefix of
// the writes and flushes of an update, an append, a batch append, a delete, a pack and a
// re-index (see powercut.h) opens as the table before the change or after it, with an index
// that matches it: trusted because it is sound, or rebuilt with a notice. None is trusted
// wrong.
#include "catalogue.h"
#include "cdx.h"
#include "powercut.h"
#include "record.h"
#include "table.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <functional>

using namespace rk;
using store::Table;

namespace {

const std::string kDbf = "pc/VIDEO.DBF";
const std::string kCdx = "pc/VIDEO.CDX";

std::vector<std::string> recordsOf(Table& t) {
    std::vector<std::string> out;
    for (uint32_t r = 1; r <= t.recCount(); ++r) {
        std::string img;
        EXPECT_TRUE(t.dbf()->readRecord(r, &img).isOk());
        out.push_back(img);
    }
    return out;
}

class PowerCut : public ::testing::Test {
protected:
    // A small catalogue whose titles sort differently from their record order, with a
    // deleted record for the pack.
    void SetUp() override {
        test::TempDir dir;
        ASSERT_TRUE(catalogue::createEmpty(dir.path()).isOk());
        const std::string dbf = findFileNoCase(dir.path(), "VIDEO.DBF");
        {
            Table t(dbf);
            ASSERT_TRUE(t.open().isOk());
            store::Batch batch(t);
            for (int i = 0; i < 24; ++i) {
                std::string img = t.dbf()->blankRecord();
                dbf::setString(img, *t.field("TITLE"),
                               std::string(1, char('Z' - i)) + " title " + std::to_string(i));
                dbf::setString(img, *t.field("CATEGORY"), i % 3 ? "Drama" : "Action");
                ASSERT_TRUE(t.appendRecord(img).isOk());
            }
            ASSERT_TRUE(batch.finish().isOk());
            ASSERT_TRUE(t.go(5).isOk());
            ASSERT_TRUE(t.deleteRecord().isOk());
        }
        base.setFile(kDbf, test::readAll(dbf));
        base.setFile(kCdx, test::readAll(findFileNoCase(dir.path(), "VIDEO.CDX")));
    }

    // Runs the change on a copy of the catalogue, then opens every state a power cut during
    // it may leave. Returns the number of states tried.
    // `batch`: a cut in the midst of a batch may also leave some of its records written and
    // not others (the batch flushes the table once, at its end); the records before it must
    // be there as they were or as the batch rewrote them.
    size_t everyCut(const std::function<void(Table&)>& change, bool batch = false) {
        test::PowerCutEnv env;
        for (const auto& name : base.names())
            env.setFile(name, base.file(name));
        std::vector<std::string> before, after;
        {
            Table t(kDbf, {}, &env);
            EXPECT_TRUE(t.open().isOk());
            before = recordsOf(t);
            env.startLog();
            change(t);
            after = recordsOf(t);
        }
        EXPECT_NE(before, after);
        size_t states = 0, opened = 0;
        for (size_t ops = 0; ops <= env.logSize(); ++ops) {
            states += env.crashStates(ops, [&](test::PowerCutEnv& disk) {
                Table t(kDbf, {}, &disk);
                const Status s = t.open();
                ASSERT_TRUE(s.isOk()) << "cut after " << ops << " changes: " << s.message();
                ++opened;
                const auto records = recordsOf(t);
                bool known = records == before || records == after;
                if (batch && !known && records.size() >= before.size()) {
                    known = true;
                    for (size_t i = 0; i < before.size(); ++i)
                        known = known && (records[i] == before[i] || records[i] == after[i]);
                }
                EXPECT_TRUE(known)
                    << "cut after " << ops << " changes: the table is neither old nor new";
                ASSERT_NE(t.index(), nullptr);
                std::vector<std::string> problems, notes;
                t.index()->verify(true, &problems, &notes);
                EXPECT_TRUE(problems.empty())
                    << "cut after " << ops << " changes: the index was trusted but "
                    << problems.front();
            });
        }
        EXPECT_EQ(opened, states);
        totalStates += states;
        return states;
    }

    std::string retitled(Table& t, const std::string& title) {
        std::string img = t.record();
        dbf::setString(img, *t.field("TITLE"), title);
        return img;
    }

    test::PowerCutEnv base;
    static size_t totalStates;
};

size_t PowerCut::totalStates = 0;

TEST_F(PowerCut, UpdateAppendAndDelete) {
    EXPECT_GT(everyCut([&](Table& t) {
                  ASSERT_TRUE(t.go(3).isOk());
                  ASSERT_TRUE(t.putRecord(retitled(t, "Aaaa new")).isOk());
              }),
              10u);
    everyCut([&](Table& t) {
        std::string img = t.dbf()->blankRecord();
        dbf::setString(img, *t.field("TITLE"), "Mmm appended");
        ASSERT_TRUE(t.appendRecord(img).isOk());
    });
    everyCut([&](Table& t) {
        ASSERT_TRUE(t.go(9).isOk());
        ASSERT_TRUE(t.deleteRecord().isOk());
    });
    // A batch: the index is marked once, and its pages and mark follow the records.
    everyCut(
        [&](Table& t) {
            store::Batch batch(t);
            for (int i = 0; i < 5; ++i) {
                std::string img = t.dbf()->blankRecord();
                dbf::setString(img, *t.field("TITLE"), "Batch " + std::to_string(i));
                ASSERT_TRUE(t.appendRecord(img).isOk());
            }
            ASSERT_TRUE(t.go(2).isOk());
            ASSERT_TRUE(t.putRecord(retitled(t, "B rewritten")).isOk());
            ASSERT_TRUE(batch.finish().isOk());
        },
        true);
}

TEST_F(PowerCut, PackAndReindex) {
    everyCut([&](Table& t) { ASSERT_TRUE(t.pack().isOk()); });
    // A re-index changes no record: cut anywhere, the table is the same and the index sound.
    test::PowerCutEnv env;
    for (const auto& name : base.names())
        env.setFile(name, base.file(name));
    Table t(kDbf, {}, &env);
    ASSERT_TRUE(t.open().isOk());
    const auto records = recordsOf(t);
    env.startLog();
    ASSERT_TRUE(t.reindex().isOk());
    size_t states = 0;
    for (size_t ops = 0; ops <= env.logSize(); ++ops)
        states += env.crashStates(ops, [&](test::PowerCutEnv& disk) {
            Table cut(kDbf, {}, &disk);
            ASSERT_TRUE(cut.open().isOk());
            EXPECT_EQ(recordsOf(cut), records);
            std::vector<std::string> problems, notes;
            cut.index()->verify(true, &problems, &notes);
            EXPECT_TRUE(problems.empty()) << "cut after " << ops << ": " << problems.front();
        });
    totalStates += states;
    std::cout << "power-cut states tried so far: " << totalStates << "\n";
}

} // namespace
