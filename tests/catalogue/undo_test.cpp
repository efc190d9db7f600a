// Undo and redo of the window's changes: each kind taken back and made again with Titles.ia in
// step, the bound on the steps kept, and a change by another path never overwritten.
#include "undo.h"

#include "record.h"
#include "testdir.h"

#include <gtest/gtest.h>

using rk::catalogue::Catalogue;
using rk::catalogue::UndoRecorder;
using rk::catalogue::UndoResult;
using rk::catalogue::UndoStack;
using Outcome = rk::catalogue::UndoResult::Outcome;

namespace {

class UndoTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rk::catalogue::createSample(dir_.dir()).isOk());
        ASSERT_TRUE(cat_.open(dir_.dir()).isOk());
        ASSERT_TRUE(cat_.buildTextIndex().isOk());
    }

    std::string stored(uint32_t recno, rk::store::Table* t = nullptr) {
        std::string img;
        EXPECT_TRUE((t ? t : &cat_.titles())->dbf()->readRecord(recno, &img).isOk());
        return img;
    }
    std::string titled(uint32_t recno, const std::string& title) {
        std::string img = stored(recno);
        rk::dbf::setString(img, *cat_.titles().field("TITLE"), title);
        return img;
    }
    bool marked(uint32_t recno) {
        return rk::dbf::getLogical(stored(recno), *cat_.titles().field("MARKED"));
    }
    // How many titles a search finds; the visible set is put back.
    size_t found(const std::string& word) {
        auto r = cat_.find(word, 0);
        EXPECT_TRUE(r.isOk());
        std::vector<uint32_t> recs;
        if (r && r->outcome == rk::search::SearchOutcome::Found) {
            EXPECT_TRUE(cat_.titles().visibleRecords(&recs).isOk());
        }
        EXPECT_TRUE(cat_.titles().query("").isOk());
        return recs.size();
    }
    rk::Status edit(uint32_t recno, const std::string& title) {
        const std::string img = titled(recno, title);
        EXPECT_TRUE(cat_.titles().go(recno).isOk());
        return rec_.update(cat_.titles(), img);
    }
    void expectUndone(UndoResult r, const char* step) {
        EXPECT_EQ(r.outcome, Outcome::Done) << r.detail;
        EXPECT_EQ(r.step, step);
    }

    rk::search::test::TestDir dir_;
    Catalogue cat_;
    UndoStack stack_{cat_};
    UndoRecorder rec_{cat_, stack_};
};

} // namespace

TEST_F(UndoTest, EachKindOfTitleChangeIsUndoneAndRedoneWithItsSearchEntry) {
    rk::store::Table& t = cat_.titles();
    const std::string original = stored(5);
    ASSERT_TRUE(edit(5, "Quokka Nights").isOk());
    expectUndone(stack_.undo(), "Edit");
    EXPECT_EQ(stored(5), original);
    EXPECT_EQ(found("quokka"), 0u);
    expectUndone(stack_.redo(), "Edit");
    EXPECT_EQ(found("quokka"), 1u);

    auto added = rec_.append(t, titled(5, "Wombat Returns"));
    ASSERT_TRUE(added.isOk());
    expectUndone(stack_.undo(), "New Title");
    ASSERT_TRUE(t.go(*added).isOk());
    EXPECT_TRUE(t.deleted());
    EXPECT_EQ(found("wombat"), 0u);
    expectUndone(stack_.redo(), "New Title");
    ASSERT_TRUE(t.go(*added).isOk());
    EXPECT_FALSE(t.deleted());
    EXPECT_EQ(found("wombat"), 1u);

    ASSERT_TRUE(t.go(*added).isOk());
    ASSERT_TRUE(rec_.remove(t).isOk());
    expectUndone(stack_.undo(), "Delete");
    EXPECT_EQ(found("wombat"), 1u);
    expectUndone(stack_.redo(), "Delete");
    EXPECT_EQ(found("wombat"), 0u);
    ASSERT_TRUE(t.go(*added).isOk());
    ASSERT_TRUE(rec_.recall(t).isOk());
    expectUndone(stack_.undo(), "Recall");
    EXPECT_EQ(found("wombat"), 0u);

    // A change of the mark alone is a Mark step; un-mark all is one step however many it clears.
    const bool wasMarked = marked(7);
    std::string img = stored(7);
    rk::dbf::setLogical(img, *t.field("MARKED"), !wasMarked);
    ASSERT_TRUE(t.go(7).isOk());
    ASSERT_TRUE(rec_.update(t, img).isOk());
    EXPECT_EQ(stack_.undoName(), wasMarked ? "Un-Mark" : "Mark");
    expectUndone(stack_.undo(), wasMarked ? "Un-Mark" : "Mark");
    EXPECT_EQ(marked(7), wasMarked);

    ASSERT_TRUE(t.query("MARKED").isOk());
    std::vector<uint32_t> before;
    ASSERT_TRUE(t.visibleRecords(&before).isOk());
    ASSERT_GT(before.size(), 1u);
    ASSERT_TRUE(t.query("").isOk());
    ASSERT_TRUE(t.query("MARKED").isOk());
    ASSERT_TRUE(rec_.unmarkAll().isOk());
    for (uint32_t r : before)
        EXPECT_FALSE(marked(r));
    expectUndone(stack_.undo(), "Un-Mark All");
    for (uint32_t r : before)
        EXPECT_TRUE(marked(r)) << r;
    expectUndone(stack_.redo(), "Un-Mark All");
    EXPECT_FALSE(marked(before.back()));
}

TEST_F(UndoTest, CategoryRenameAndDeleteAreUndone) {
    rk::store::Table& cats = cat_.categories();
    ASSERT_TRUE(cats.go(2).isOk());
    const std::string original = stored(2, &cats);
    std::string renamed = original;
    rk::dbf::setString(renamed, *cats.field("CATEGORY"), "Westerns");
    ASSERT_TRUE(rec_.update(cats, renamed).isOk());
    ASSERT_TRUE(cats.go(2).isOk());
    ASSERT_TRUE(rec_.remove(cats).isOk());
    expectUndone(stack_.undo(), "Category Delete");
    EXPECT_EQ(stored(2, &cats), renamed);
    expectUndone(stack_.undo(), "Category Rename");
    EXPECT_EQ(stored(2, &cats), original);
    expectUndone(stack_.redo(), "Category Rename");
    expectUndone(stack_.redo(), "Category Delete");
    ASSERT_TRUE(cats.go(2).isOk());
    EXPECT_TRUE(cats.deleted());
}

TEST_F(UndoTest, KeepsTheLastHundredStepsAndANewChangeDropsTheRedoSteps) {
    const std::string original = stored(3);
    for (int i = 0; i < 105; ++i)
        ASSERT_TRUE(edit(3, "Numbat " + std::to_string(i)).isOk());
    EXPECT_EQ(stack_.undoCount(), UndoStack::kDefaultLimit);
    while (stack_.canUndo())
        expectUndone(stack_.undo(), "Edit");
    EXPECT_EQ(stack_.undo().outcome, Outcome::Nothing);
    EXPECT_EQ(stored(3), titled(3, "Numbat 4"));
    EXPECT_NE(stored(3), original);

    expectUndone(stack_.redo(), "Edit");
    ASSERT_TRUE(edit(3, "Numbat again").isOk());
    EXPECT_FALSE(stack_.canRedo());
    EXPECT_EQ(stack_.redo().outcome, Outcome::Nothing);
}

TEST_F(UndoTest, AChangeByAnotherPathIsNeverOverwritten) {
    rk::store::Table& t = cat_.titles();
    ASSERT_TRUE(edit(9, "Quokka").isOk());
    ASSERT_TRUE(edit(10, "Wombat").isOk());
    // The master editor, an import or rkdb changes record 10 through the catalogue itself.
    ASSERT_TRUE(cat_.updateTitle(10, titled(10, "Numbat")).isOk());
    const UndoResult r = stack_.undo();
    EXPECT_EQ(r.outcome, Outcome::Conflict);
    EXPECT_NE(r.detail.find("Numbat"), std::string::npos) << r.detail;
    EXPECT_EQ(stored(10), titled(10, "Numbat"));
    // The step is dropped; the one under it is still in reach.
    expectUndone(stack_.undo(), "Edit");
    EXPECT_EQ(found("quokka"), 0u);

    // Redo meets a record deleted since.
    ASSERT_TRUE(cat_.removeTitle(9).isOk());
    EXPECT_EQ(stack_.redo().outcome, Outcome::Conflict);
    ASSERT_TRUE(t.go(9).isOk());
    EXPECT_TRUE(t.deleted());
    EXPECT_FALSE(stack_.canRedo());

    // Writes made while paused are not steps.
    {
        UndoRecorder::Pause pause(rec_);
        ASSERT_TRUE(edit(11, "Paused").isOk());
    }
    EXPECT_FALSE(stack_.canUndo());
}

TEST_F(UndoTest, AnUnmarkAllUndoneAfterAnotherPathMarkedOrDeletedIsRefused) {
    rk::store::Table& t = cat_.titles();
    ASSERT_TRUE(t.query("MARKED").isOk());
    std::vector<uint32_t> before;
    ASSERT_TRUE(t.visibleRecords(&before).isOk());
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(rec_.unmarkAll().isOk());
    ASSERT_TRUE(t.query("").isOk());
    ASSERT_TRUE(cat_.removeTitle(before.back()).isOk());
    EXPECT_EQ(stack_.undo().outcome, Outcome::Conflict);
    EXPECT_FALSE(marked(before.front()));
}
