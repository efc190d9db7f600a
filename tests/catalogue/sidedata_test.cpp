// Covers and loans stay with their titles: through the engine's deletes, recalls, posts and
// packs; through a pack or a reordering made behind its back; and through a power cut at any
// point of storing a cover, lending, and packing. No title ever shows another's.
#include "catalogue_engine.h"
#include "imagecheck.h"
#include "powercut.h"
#include "record.h"
#include "sidedata.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <filesystem>

using rk::catalogue::Catalogue;
using rk::catalogue::Face;
using rk::catalogue::SideData;
using rk::dbf::Date;
using rk::search::test::TestDir;
using rk::search::test::writeFile;

namespace {

// A PNG's signature and header for a w x h picture, then `tail` (which no check reads).
std::string png(uint32_t w, uint32_t h, const std::string& tail = "") {
    std::string b = "\x89PNG\r\n\x1a\n";
    b += std::string("\0\0\0\x0dIHDR", 8);
    for (uint32_t v : {w, h})
        for (int s = 24; s >= 0; s -= 8)
            b += char((v >> s) & 0xFF);
    return b + std::string(5, '\0') + tail;
}

std::string titleOf(Catalogue& c, uint32_t recno) {
    std::string img;
    EXPECT_TRUE(c.titles().dbf()->readRecord(recno, &img).isOk());
    return std::string(rk::dbf::trimmedField(img, *c.titles().field("TITLE")));
}

// The record holding a title.
uint32_t recordOf(Catalogue& c, const std::string& title) {
    for (uint32_t r = 1; r <= c.titles().recCount(); ++r)
        if (titleOf(c, r) == title) return r;
    return 0;
}

std::string coverOf(SideData& side, uint32_t recno) {
    auto path = side.cover(recno);
    EXPECT_TRUE(path.isOk()) << path.status().message();
    return path ? *path : std::string();
}

class SideDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rk::catalogue::createSample(dir_.dir()).isOk());
        open();
    }
    void open() {
        ASSERT_TRUE(cat_.open(dir_.dir()).isOk());
        cat_.setSideDataNotice([this](const std::string& what) { notices_.push_back(what); });
    }
    // Gives the title at `recno` a cover holding its own name.
    void coverTitle(uint32_t recno) {
        const std::string file = dir_.file("pic.png");
        writeFile(file, png(10, 10, titleOf(cat_, recno)));
        ASSERT_TRUE(side().setCover(recno, file).isOk());
    }
    // The name of the title whose picture `recno` shows ("" for none).
    std::string coverTitleAt(uint32_t recno) {
        const std::string path = coverOf(side(), recno);
        if (path.empty()) return "";
        return rk::search::test::readFile(path).substr(png(1, 1).size());
    }
    SideData& side() { return cat_.sideData(); }

    TestDir dir_;
    Catalogue cat_;
    std::vector<std::string> notices_;
};

TEST_F(SideDataTest, KeptThroughDeleteRecallEditAndPack) {
    const std::string a = titleOf(cat_, 10), b = titleOf(cat_, 20), c = titleOf(cat_, 30);
    coverTitle(10);
    coverTitle(20);
    coverTitle(30);
    const std::string goneFile = coverOf(side(), 10);
    ASSERT_TRUE(side().lend(20, "Ann", {2026, 1, 2}, {2026, 2, 1}).isOk());
    ASSERT_TRUE(side().lend(30, "Bob", {2026, 1, 1}).isOk());
    ASSERT_TRUE(side().giveBack(30, {2026, 1, 5}).isOk());
    ASSERT_TRUE(side().lend(30, "Cy", {2026, 3, 1}).isOk());

    // A deleted title keeps its cover until the pack; a recalled one has it still.
    ASSERT_TRUE(cat_.removeTitle(10).isOk());
    ASSERT_TRUE(cat_.removeTitle(15).isOk());
    ASSERT_TRUE(cat_.recallTitle(15).isOk());
    EXPECT_EQ(coverTitleAt(10), a);

    // A post that renames a title keeps its cover and loan on it.
    std::string img;
    ASSERT_TRUE(cat_.titles().dbf()->readRecord(20, &img).isOk());
    rk::dbf::setString(img, *cat_.titles().field("TITLE"), "Renamed");
    ASSERT_TRUE(cat_.updateTitle(20, img).isOk());
    EXPECT_EQ(coverTitleAt(20), b);

    auto packed = cat_.pack({});
    ASSERT_TRUE(packed.isOk());
    EXPECT_TRUE(packed->sideFailure.isOk());
    EXPECT_FALSE(std::filesystem::exists(goneFile));
    EXPECT_EQ(recordOf(cat_, a), 0u);
    const uint32_t nb = recordOf(cat_, "Renamed"), nc = recordOf(cat_, c);
    ASSERT_EQ(nb, 19u);
    EXPECT_EQ(coverTitleAt(nb), b);
    EXPECT_EQ(coverTitleAt(nc), c);
    EXPECT_EQ(coverTitleAt(10), ""); // the title that followed the packed one has none
    auto loan = side().currentLoan(nb);
    ASSERT_TRUE(loan.isOk() && loan->has_value());
    EXPECT_EQ((*loan)->person, "Ann");
    auto history = side().loanHistory(nc);
    ASSERT_TRUE(history.isOk());
    ASSERT_EQ(history->size(), 2u);
    EXPECT_EQ((*history)[0].person, "Bob");
    EXPECT_FALSE((*history)[0].out());
    EXPECT_TRUE((*history)[1].out());
    // Overdue first.
    auto out = side().loansOut({2026, 3, 2});
    ASSERT_TRUE(out.isOk());
    ASSERT_EQ(out->size(), 2u);
    EXPECT_EQ((*out)[0].recno, nb);
    EXPECT_TRUE(notices_.empty()) << notices_.front();

    // Titles appended after them change nothing.
    ASSERT_TRUE(cat_.appendMany({cat_.titles().dbf()->blankRecord()}).isOk());
    EXPECT_EQ(coverTitleAt(nb), b);
    EXPECT_EQ(coverTitleAt(cat_.titles().recCount()), "");

    // A switch to another folder and back finds them as they were.
    cat_.close();
    open();
    EXPECT_EQ(coverTitleAt(nb), b);
}

// Another program packs or reorders VIDEO.DBF: the rows follow their titles by fingerprint, and
// a row whose title cannot be told apart from another is dropped, never shown on a wrong one.
TEST_F(SideDataTest, ChangesBehindItsBackAreFound) {
    for (uint32_t r : {10u, 20u, 21u})
        coverTitle(r);
    const std::string t20 = titleOf(cat_, 20), t21 = titleOf(cat_, 21);
    ASSERT_TRUE(side().lend(30, "Ann", {2026, 1, 2}).isOk());
    const std::string t30 = titleOf(cat_, 30);
    cat_.close();
    {
        rk::store::Table t(rk::findFileNoCase(dir_.dir(), "VIDEO.DBF"));
        ASSERT_TRUE(t.open().isOk());
        ASSERT_TRUE(t.go(3).isOk());
        ASSERT_TRUE(t.deleteRecord().isOk());
        ASSERT_TRUE(t.pack().isOk());
        // Titles 20 and 21 (now 19 and 20) swap places, and 40 becomes a copy of 9 (was 10).
        std::string a, b, c;
        ASSERT_TRUE(t.dbf()->readRecord(19, &a).isOk());
        ASSERT_TRUE(t.dbf()->readRecord(20, &b).isOk());
        ASSERT_TRUE(t.dbf()->readRecord(9, &c).isOk());
        ASSERT_TRUE(t.go(19).isOk() && t.putRecord(b).isOk());
        ASSERT_TRUE(t.go(20).isOk() && t.putRecord(a).isOk());
        ASSERT_TRUE(t.go(40).isOk() && t.putRecord(c).isOk());
    }
    open();
    for (uint32_t r = 1; r <= cat_.titles().recCount(); ++r) {
        const std::string shown = coverTitleAt(r);
        EXPECT_TRUE(shown.empty() || shown == titleOf(cat_, r)) << "record " << r;
    }
    EXPECT_EQ(coverTitleAt(20), t20);
    EXPECT_EQ(coverTitleAt(19), t21);
    EXPECT_EQ(coverTitleAt(9), ""); // two titles alike: neither gets it
    EXPECT_EQ(coverTitleAt(40), "");
    auto out = side().loansOut({2026, 1, 3});
    ASSERT_TRUE(out.isOk());
    ASSERT_EQ(out->size(), 1u);
    EXPECT_EQ(titleOf(cat_, (*out)[0].recno), t30);
    EXPECT_EQ(notices_.size(), 3u); // two moved, one dropped
}

TEST_F(SideDataTest, RefusesWhatIsNotAPictureAndBadLoans) {
    const std::string file = dir_.file("x");
    for (const std::string& bytes : {std::string("hello"), png(20000, 10), png(0, 10),
                                     std::string("\xFF\xD8\xFF\xE0\0\x10", 6),
                                     std::string(rk::catalogue::kMaxImageBytes + 1, 'x')}) {
        writeFile(file, bytes);
        const rk::Status s = side().setCover(5, file);
        EXPECT_FALSE(s.isOk());
        EXPECT_NE(s.message().find(file), std::string::npos) << s.message();
    }
    EXPECT_EQ(coverOf(side(), 5), "");
    EXPECT_FALSE(std::filesystem::exists(dir_.file("COVERS.DBF")));

    // A COVERS.DBF of another layout is refused by name, and nothing is written to it.
    cat_.close();
    ASSERT_TRUE(rk::dbf::DbfFile::create(dir_.file("COVERS.DBF"), {{"NAME", 'C', 10}}).isOk());
    const std::string foreign = rk::search::test::readFile(dir_.file("COVERS.DBF"));
    open();
    writeFile(file, png(10, 10));
    for (const rk::Status& s : {side().cover(5).status(), side().setCover(5, file)}) {
        EXPECT_FALSE(s.isOk());
        EXPECT_NE(s.message().find("COVERS.DBF"), std::string::npos) << s.message();
    }
    EXPECT_EQ(rk::search::test::readFile(dir_.file("COVERS.DBF")), foreign);

    EXPECT_FALSE(side().lend(5, " ", {2026, 1, 1}).isOk());
    EXPECT_FALSE(side().lend(5, "Ann", {2026, 2, 1}, {2026, 1, 1}).isOk());
    EXPECT_FALSE(side().giveBack(5, {2026, 1, 1}).isOk());
    ASSERT_TRUE(side().lend(5, "Ann", {2026, 2, 1}).isOk());
    EXPECT_FALSE(side().lend(5, "Bob", {2026, 2, 1}).isOk());
    EXPECT_FALSE(side().giveBack(5, {2026, 1, 1}).isOk());
    EXPECT_TRUE(side().giveBack(5, {2026, 2, 2}).isOk());
}

TEST(ImageCheck, ReadsTheSizeOfEachKind) {
    struct Case {
        std::string bytes;
        uint32_t w, h;
    };
    const Case cases[] = {
        {png(640, 480), 640, 480},
        {std::string("GIF89a\x20\x03\x58\x02", 10), 800, 600},
        {std::string("BM") + std::string(12, '\0') +
             std::string("\x28\0\0\0\x10\0\0\0\xF0\xFF\xFF\xFF", 12),
         16, 16},
        // A JPEG with an APP0 segment before its start of frame.
        {std::string("\xFF\xD8\xFF\xE0\0\x04\0\0\xFF\xC0\0\x11\x08\x01\xE0\x02\x80", 17), 640, 480},
        {std::string("RIFF\0\0\0\0WEBPVP8X", 16) + std::string(8, '\0') +
             std::string("\x7F\x02\0\xDF\x01\0", 6),
         640, 480},
        {std::string("RIFF\0\0\0\0WEBPVP8L\0\0\0\0\x2F", 21) + std::string("\x3F\x40\x00\x00", 4),
         64, 2},
    };
    for (const Case& c : cases) {
        auto info = rk::catalogue::checkImage(c.bytes, "f");
        ASSERT_TRUE(info.isOk()) << info.status().message();
        EXPECT_EQ(info->width, c.w) << info->kind;
        EXPECT_EQ(info->height, c.h) << info->kind;
    }
    // Cut before the size: refused.
    EXPECT_FALSE(rk::catalogue::checkImage(std::string("GIF89a\x20", 7), "f").isOk());
    EXPECT_FALSE(
        rk::catalogue::checkImage(std::string("\xFF\xD8\xFF\xE0\0\x04\0\0\xFF\xDA", 10), "f")
            .isOk());
}

// ---------------------------------------------------------------------------------------------
// Power cuts

class SideDataPowerCut : public ::testing::Test {
protected:
    static constexpr const char* kDir = "pc";
    void SetUp() override {
        TestDir real;
        ASSERT_TRUE(rk::catalogue::createEmpty(real.dir()).isOk());
        {
            Catalogue c;
            ASSERT_TRUE(c.open(real.dir()).isOk());
            std::vector<std::string> images;
            for (int i = 0; i < 12; ++i) {
                std::string img = c.titles().dbf()->blankRecord();
                rk::dbf::setString(img, *c.titles().field("TITLE"), "Title " + std::to_string(i));
                images.push_back(img);
            }
            ASSERT_TRUE(c.appendMany(images).isOk());
        }
        for (const auto& e : std::filesystem::directory_iterator(real.dir()))
            base_.setFile(std::string(kDir) + "/" + e.path().filename().string(),
                          rk::search::test::readFile(e.path().string()));
    }

    // Runs `change` on the catalogue after `prepare`, then opens every state a cut during the
    // change may leave and checks that no title shows another's cover or loan.
    // `shown`: how many covers and loans the titles show once the change is complete.
    void everyCut(const std::function<void(Catalogue&)>& prepare,
                  const std::function<void(Catalogue&)>& change, size_t shown) {
        rk::test::PowerCutEnv env;
        for (const auto& name : base_.names())
            env.setFile(name, base_.file(name));
        {
            Catalogue c(&env);
            ASSERT_TRUE(c.open(kDir).isOk());
            prepare(c);
            env.startLog();
            change(c);
        }
        size_t states = 0;
        for (size_t ops = 0; ops <= env.logSize(); ++ops) {
            states += env.crashStates(ops, [&](rk::test::PowerCutEnv& disk) {
                Catalogue c(&disk);
                const std::string when = "cut after " + std::to_string(ops) + " changes";
                ASSERT_TRUE(c.open(kDir).isOk()) << when;
                SideData& side = c.sideData();
                size_t seen = 0;
                for (uint32_t r = 1; r <= c.titles().recCount(); ++r) {
                    const std::string title = titleOf(c, r);
                    auto path = side.cover(r);
                    ASSERT_TRUE(path.isOk()) << when << ": " << path.status().message();
                    if (!path->empty()) {
                        ++seen;
                        EXPECT_EQ(disk.file(*path), png(10, 10, title)) << when << ", record " << r;
                    }
                    auto loan = side.currentLoan(r);
                    ASSERT_TRUE(loan.isOk()) << when << ": " << loan.status().message();
                    if (*loan) {
                        ++seen;
                        EXPECT_EQ((*loan)->person, "to " + title) << when << ", record " << r;
                    }
                }
                if (ops == env.logSize()) {
                    EXPECT_EQ(seen, shown) << when;
                }
            });
        }
        EXPECT_GT(states, 10u);
    }

    static void cover(Catalogue& c, uint32_t recno) {
        ASSERT_TRUE(
            c.sideData().setCoverBytes(recno, png(10, 10, titleOf(c, recno)), "pic").isOk());
    }
    static void lend(Catalogue& c, uint32_t recno) {
        ASSERT_TRUE(c.sideData().lend(recno, "to " + titleOf(c, recno), {2026, 1, 1}).isOk());
    }

    rk::test::PowerCutEnv base_;
};

TEST_F(SideDataPowerCut, CoverAdded) {
    everyCut([](Catalogue&) {}, [](Catalogue& c) { cover(c, 3); }, 1);
    // A cover replaced: the old picture stays named until the new one is whole.
    everyCut([](Catalogue& c) { cover(c, 3); },
             [](Catalogue& c) {
                 ASSERT_TRUE(c.sideData().removeCover(3).isOk());
                 cover(c, 3);
             },
             1);
}

TEST_F(SideDataPowerCut, LoanMade) {
    everyCut([](Catalogue&) {}, [](Catalogue& c) { lend(c, 4); }, 1);
    everyCut([](Catalogue& c) { lend(c, 4); },
             [](Catalogue& c) {
                 ASSERT_TRUE(c.sideData().giveBack(4, {2026, 1, 2}).isOk());
                 lend(c, 5);
             },
             1);
}

TEST_F(SideDataPowerCut, PackWithCoversAndLoans) {
    everyCut(
        [](Catalogue& c) {
            for (uint32_t r : {2u, 6u, 9u, 12u})
                cover(c, r);
            for (uint32_t r : {3u, 6u, 11u})
                lend(c, r);
            for (uint32_t r : {1u, 5u, 6u})
                ASSERT_TRUE(c.removeTitle(r).isOk());
        },
        [](Catalogue& c) {
            auto packed = c.pack({});
            ASSERT_TRUE(packed.isOk());
            EXPECT_TRUE(packed->sideFailure.isOk());
        },
        5); // covers of 2, 9 and 12, loans of 3 and 11
}

} // namespace
