// rkdb search and rkdb index-text, run as a user's script would run them.
#include "testdir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

using rk::search::test::readFile;
using rk::search::test::TestDir;
using rk::search::test::writeFile;

namespace {

struct Output {
    int status = -1;
    std::string out, err;
};

Output rkdb(const TestDir& d, const std::string& args) {
    const std::string errFile = d.file("stderr.txt");
    const std::string cmd = std::string(RKDB_PATH) + " " + args + " 2>" + errFile;
    Output o;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return o;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        o.out.append(buf.data(), n);
    const int rc = pclose(p);
    o.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    o.err = readFile(errFile);
    return o;
}

class RkdbSearch : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(rkdb(d_, "create " + d_.dir() + " --sample").status, 0); }
    std::string table() const { return d_.file("VIDEO.DBF"); }
    TestDir d_;
};

} // namespace

TEST_F(RkdbSearch, BuildsAMissingIndexThenPrintsTheMatches) {
    Output o = rkdb(d_, "search " + table() + " spielberg");
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.err.find("building it first"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("6 Matches Found."), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "8\tRaiders of the Lost Ark\n9\tE.T. the Extra-Terrestrial\n10\tJaws\n"
                     "11\tClose Encounters of the Third Kind\n47\tSchindler's List\n"
                     "53\tJurassic Park\n");
    // The next search uses the index it left.
    o = rkdb(d_, "search " + d_.dir() + " \"francois truffaut\" --field Stars");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "1 Match Found.\n");
    EXPECT_EQ(o.out, "11\tClose Encounters of the Third Kind\n");
}

TEST_F(RkdbSearch, FieldChoicesByNumberOrName) {
    Output o = rkdb(d_, "search " + table() + " casablanca --field 2");
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.err.find("Text not found!"), std::string::npos);
    EXPECT_EQ(o.out, "");
    o = rkdb(d_, "search " + table() + " casablanca --field titles --fields TITLE,YEAR");
    EXPECT_EQ(o.out, "1\tCasablanca\t1942\n");
    o = rkdb(d_, "search " + table() + " casablanca --field 12");
    EXPECT_EQ(o.status, 2);
    o = rkdb(d_, "search " + table() + " casablanca --field Starz");
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find("ALL Fields"), std::string::npos);
}

TEST_F(RkdbSearch, AnUnusableIndexIsExplainedAndRebuiltOnRequest) {
    writeFile(d_.file("Titles.ia"), "an index of another program");
    Output o = rkdb(d_, "search " + table() + " jaws");
    EXPECT_EQ(o.status, 3); // a damaged file
    EXPECT_NE(o.err.find("no usable search index"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("index-text"), std::string::npos);
    EXPECT_EQ(readFile(d_.file("Titles.ia")), "an index of another program");

    o = rkdb(d_, "index-text " + table());
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.err.find("indexed 72 records"), std::string::npos) << o.err;
    o = rkdb(d_, "search " + table() + " jaws");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "10\tJaws\n");
}

TEST_F(RkdbSearch, DeletedTitlesAreNotListedAndResultsFollowTheOrder) {
    ASSERT_EQ(rkdb(d_, "delete " + table() + " 9").status, 0);
    Output o = rkdb(d_, "search " + table() + " spielberg --field Director --order TITIT");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "11\tClose Encounters of the Third Kind\n10\tJaws\n53\tJurassic Park\n"
                     "8\tRaiders of the Lost Ark\n47\tSchindler's List\n");
    EXPECT_NE(o.err.find("5 Matches Found."), std::string::npos);
}

TEST_F(RkdbSearch, CommandsThatChangeTitlesKeepTheIndexCurrent) {
    ASSERT_EQ(rkdb(d_, "index-text " + table()).status, 0);
    // A pack renumbers every title after the first removed one.
    ASSERT_EQ(rkdb(d_, "delete " + table() + " 2").status, 0);
    Output o = rkdb(d_, "pack " + table());
    ASSERT_EQ(o.status, 0) << o.err;
    o = rkdb(d_, "search " + table() + " jaws --fields ID");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "9\tRK-010\n");
    o = rkdb(d_, "search " + table() + " \"jurassic park\"");
    EXPECT_EQ(o.out, "52\tJurassic Park\n");

    ASSERT_EQ(rkdb(d_, "append " + table() + " \"TITLE=Night of the Quokka\"").out, "72\n");
    o = rkdb(d_, "search " + table() + " quokka");
    EXPECT_EQ(o.out, "72\tNight of the Quokka\n") << o.err;
    ASSERT_EQ(rkdb(d_, "update " + table() + " 72 \"TITLE=Day of the Wombat\"").status, 0);
    EXPECT_EQ(rkdb(d_, "search " + table() + " wombat").out, "72\tDay of the Wombat\n");
    EXPECT_EQ(rkdb(d_, "search " + table() + " quokka").out, "");
}

// The batch commands keep the index too: append --from, update --from, recall.
TEST_F(RkdbSearch, BatchesAndRecallKeepTheIndexCurrent) {
    ASSERT_EQ(rkdb(d_, "index-text " + table()).status, 0);
    writeFile(d_.file("new.txt"), "TITLE=Night of the Quokka\tYEAR=1999\nTITLE=Numbat Rising\n");
    Output o = rkdb(d_, "append " + table() + " --from " + d_.file("new.txt"));
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(rkdb(d_, "search " + table() + " quokka --fields TITLE,YEAR").out,
              "73\tNight of the Quokka\t1999\n");
    writeFile(d_.file("changes.txt"), "74\tTITLE=Wombat Rising\n1\tYEAR=1943\n");
    o = rkdb(d_, "update " + table() + " --from " + d_.file("changes.txt"));
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(rkdb(d_, "search " + table() + " numbat").out, "");
    EXPECT_EQ(rkdb(d_, "search " + table() + " wombat").out, "74\tWombat Rising\n");
    EXPECT_EQ(rkdb(d_, "search " + table() + " casablanca --fields YEAR").out, "1\t1943\n");
    ASSERT_EQ(rkdb(d_, "delete " + table() + " 74").status, 0);
    EXPECT_EQ(rkdb(d_, "search " + table() + " wombat").out, "");
    ASSERT_EQ(rkdb(d_, "recall " + table() + " 74").status, 0);
    EXPECT_EQ(rkdb(d_, "search " + table() + " wombat").out, "74\tWombat Rising\n");

    // A line that names no record refuses the whole file, with its number.
    writeFile(d_.file("bad.txt"), "1\tYEAR=1950\n999\tYEAR=1950\n");
    o = rkdb(d_, "update " + table() + " --from " + d_.file("bad.txt"));
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("line 2"), std::string::npos) << o.err;
    EXPECT_EQ(rkdb(d_, "search " + table() + " casablanca --fields YEAR").out, "1\t1943\n");
    // What is not a regular file is not read.
    o = rkdb(d_, "append " + table() + " --from /dev/zero");
    EXPECT_EQ(o.status, 3);
    EXPECT_EQ(rkdb(d_, "count " + table()).out, "74\n");
    EXPECT_EQ(rkdb(d_, "check " + table()).status, 0);
}

TEST_F(RkdbSearch, AnIndexThatMissedAChangeIsReportedNotSearched) {
    ASSERT_EQ(rkdb(d_, "index-text " + table()).status, 0);
    const std::string index = readFile(d_.file("Titles.ia"));
    ASSERT_EQ(rkdb(d_, "delete " + table() + " 2").status, 0);
    ASSERT_EQ(rkdb(d_, "pack " + table()).status, 0);
    writeFile(d_.file("Titles.ia"), index); // the index of before the pack
    Output o = rkdb(d_, "search " + table() + " jaws");
    EXPECT_EQ(o.status, 3);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find("rebuilt"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("index-text"), std::string::npos) << o.err;
}

TEST_F(RkdbSearch, ImportPrintsTheCountsAndKeepsTheIndexCurrent) {
    ASSERT_EQ(rkdb(d_, "index-text " + table()).status, 0);
    writeFile(d_.file("old.dat"), "Good,VHS,,Zanzibar Nights\r\nnodat,nodat\r\n\r\n");
    Output o = rkdb(d_, "import " + table() + " " + d_.file("old.dat"));
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out.substr(0, o.out.find('\n', o.out.find('\n') + 1) + 1),
              "3 Records\n2 Fields in this File.\n");
    o = rkdb(d_, "search " + table() + " zanzibar");
    EXPECT_EQ(o.out, "73\tZanzibar Nights\n");
    EXPECT_EQ(rkdb(d_, "check " + table()).status, 0);

    o = rkdb(d_, "import " + table() + " " + d_.file("missing.dat"));
    EXPECT_EQ(o.status, 3);
    EXPECT_NE(o.err.find("does not exist"), std::string::npos) << o.err;
    EXPECT_EQ(rkdb(d_, "count " + table()).out, "75\n");
}

// Our own comma export is refused with nothing written (imported only with --force); a line
// that cannot be stored is left out and listed, and the command ends with 1.
TEST_F(RkdbSearch, ImportRefusesAnotherLayoutAndListsTheLinesItLeavesOut) {
    ASSERT_EQ(rkdb(d_, "export " + table() + " " + d_.file("all.csv") + " --comma").status, 0);
    Output o = rkdb(d_, "import " + table() + " " + d_.file("all.csv"));
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("more than 18 columns"), std::string::npos) << o.err;
    EXPECT_EQ(rkdb(d_, "count " + table()).out, "72\n");
    EXPECT_EQ(rkdb(d_, "import " + table() + " " + d_.file("all.csv") + " --force").status, 0);
    EXPECT_EQ(rkdb(d_, "count " + table()).out, "144\n");

    writeFile(d_.file("old.dat"), "Good,VHS,Drama,Alien,ID,5\r\nFair,VHS,Drama,Big,ID,123456\r\n"
                                  "nodat,VHS,Drama,Cars\r\n");
    o = rkdb(d_, "import " + table() + " " + d_.file("old.dat"));
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.out.find("2 records imported"), std::string::npos) << o.out;
    EXPECT_NE(o.err.find("line 2: the counter 123456"), std::string::npos) << o.err;
    EXPECT_EQ(rkdb(d_, "count " + table()).out, "146\n");
    EXPECT_EQ(rkdb(d_, "check " + table()).status, 0);
}
