// Cover and loan changes undone and redone, and refused when another path changed them since.
#include "catalogue_engine.h"
#include "sideundo.h"
#include "testdir.h"

#include <gtest/gtest.h>

using namespace rk::catalogue;
using rk::dbf::Date;
using rk::search::test::TestDir;

namespace {

std::string png(uint32_t w, const std::string& tail) {
    std::string b = "\x89PNG\r\n\x1a\n";
    b += std::string("\0\0\0\x0dIHDR", 8);
    for (uint32_t v : {w, w})
        for (int s = 24; s >= 0; s -= 8)
            b += char((v >> s) & 0xFF);
    return b + std::string(5, '\0') + tail;
}

class SideUndoTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(createSample(dir_.dir()).isOk());
        ASSERT_TRUE(cat_.open(dir_.dir()).isOk());
    }
    SideData& side() { return cat_.sideData(); }
    std::string bytes(uint32_t recno, Face face = Face::Front) {
        auto b = side().coverBytes(recno, face);
        EXPECT_TRUE(b.isOk()) << b.status().message();
        return b ? *b : "?";
    }
    // Sets (or with "" removes) a picture as the window does, recording the step.
    void change(uint32_t recno, const std::string& picture, Face face = Face::Front) {
        CoverRecording rec(cat_, recno, face);
        ASSERT_TRUE((picture.empty() ? side().removeCover(recno, face)
                                     : side().setCoverBytes(recno, picture, "p", face))
                        .isOk());
        auto step = rec.finish("Cover");
        ASSERT_TRUE(step);
        stack_.push(std::move(step));
    }
    std::vector<std::string> people(uint32_t recno) {
        std::vector<std::string> out;
        auto history = side().loanHistory(recno);
        EXPECT_TRUE(history.isOk());
        if (history)
            for (const Loan& l : *history)
                out.push_back(l.person + (l.out() ? " out" : " back"));
        return out;
    }

    TestDir dir_;
    Catalogue cat_;
    UndoStack stack_{cat_};
};

TEST_F(SideUndoTest, CoverAddReplaceRemoveOnBothFacesAreUndoneAndRedone) {
    const std::string a = png(10, "A"), b = png(20, "B"), back = png(30, "K");
    change(1, a);
    change(1, back, Face::Back);
    change(1, b);
    change(1, "");
    EXPECT_EQ(bytes(1), "");
    EXPECT_EQ(bytes(1, Face::Back), back);

    const std::vector<std::pair<std::string, std::string>> undone = {
        {b, back}, {a, back}, {a, ""}, {"", ""}};
    for (const auto& [front, backFace] : undone) {
        ASSERT_EQ(stack_.undo().outcome, UndoResult::Outcome::Done);
        EXPECT_EQ(bytes(1), front);
        EXPECT_EQ(bytes(1, Face::Back), backFace);
    }
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(stack_.redo().outcome, UndoResult::Outcome::Done);
    EXPECT_EQ(bytes(1), "");
    EXPECT_EQ(bytes(1, Face::Back), back);
    EXPECT_EQ(bytes(2), "");
}

TEST_F(SideUndoTest, LendAndReturnAreUndoneAndRedone) {
    LoanRecording first(cat_, 3);
    ASSERT_TRUE(side().lend(3, "Ann", Date{2026, 1, 2}, Date{2026, 1, 20}).isOk());
    stack_.push(first.finish(LoanChange::Lend));
    LoanRecording second(cat_, 3);
    ASSERT_TRUE(side().giveBack(3, Date{2026, 1, 9}).isOk());
    stack_.push(second.finish(LoanChange::Return));
    LoanRecording third(cat_, 3);
    ASSERT_TRUE(side().lend(3, "Bob", Date{2026, 2, 1}).isOk());
    stack_.push(third.finish(LoanChange::Lend));
    ASSERT_EQ(stack_.undoCount(), 3u);

    ASSERT_EQ(stack_.undo().outcome, UndoResult::Outcome::Done);
    EXPECT_EQ(people(3), (std::vector<std::string>{"Ann back"}));
    ASSERT_EQ(stack_.undo().outcome, UndoResult::Outcome::Done);
    EXPECT_EQ(people(3), (std::vector<std::string>{"Ann out"}));
    ASSERT_EQ(stack_.undo().outcome, UndoResult::Outcome::Done);
    EXPECT_TRUE(people(3).empty());

    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(stack_.redo().outcome, UndoResult::Outcome::Done);
    auto history = side().loanHistory(3);
    ASSERT_EQ(history->size(), 2u);
    EXPECT_EQ((*history)[0].returned.day, 9);
    EXPECT_EQ((*history)[0].due.day, 20);
    EXPECT_EQ((*history)[1].person, "Bob");
    EXPECT_TRUE((*history)[1].out());
}

TEST_F(SideUndoTest, AChangeByAnotherPathIsRefusedNamingTheTitleAndKept) {
    change(2, png(10, "A"));
    LoanRecording rec(cat_, 2);
    ASSERT_TRUE(side().lend(2, "Ann", Date{2026, 1, 2}).isOk());
    stack_.push(rec.finish(LoanChange::Lend));

    // Another window returns the title and replaces its cover.
    ASSERT_TRUE(side().giveBack(2, Date{2026, 1, 3}).isOk());
    const std::string other = png(40, "other");
    ASSERT_TRUE(side().setCoverBytes(2, other, "o").isOk());

    std::string title;
    ASSERT_TRUE(cat_.titles().dbf()->readRecord(2, &title).isOk());
    title = std::string(rk::dbf::trimmedField(title, *cat_.titles().field("TITLE")));
    for (int i = 0; i < 2; ++i) {
        const UndoResult r = stack_.undo();
        ASSERT_EQ(r.outcome, UndoResult::Outcome::Conflict);
        EXPECT_NE(r.detail.find(title), std::string::npos) << r.detail;
    }
    EXPECT_FALSE(stack_.canUndo());
    EXPECT_EQ(bytes(2), other);
    EXPECT_EQ(people(2), (std::vector<std::string>{"Ann back"}));
}

} // namespace

// The pictures steps hold count against a byte limit: the oldest steps go first, the newest
// stays even when it alone is over the limit.
TEST_F(SideUndoTest, PicturesBeyondTheByteLimitDropTheOldestSteps) {
    UndoStack small(cat_, 100, 1000);
    auto add = [&](uint32_t recno, size_t before, size_t after) {
        small.push(std::make_unique<CoverStep>("Add Cover", recno, Face::Front,
                                               std::string(before, 'x'), std::string(after, 'y')));
    };
    add(1, 0, 400);
    add(2, 0, 400);
    EXPECT_EQ(small.undoCount(), 2u);
    add(3, 100, 400);
    EXPECT_EQ(small.undoCount(), 2u);
    add(4, 2000, 0);
    EXPECT_EQ(small.undoCount(), 1u);
}
