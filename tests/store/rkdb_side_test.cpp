// rkdb's cover, lend, return and loans: what each prints and its exit code, refusals included.
#include "catalogue.h"
#include "rkdb_run.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sys/wait.h>

using namespace rk;

namespace {

using Output = test::RkdbOutput;

class RkdbSide : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(catalogue::createSample(dir.path()).isOk()); }

    Output run(const std::string& args) { return test::runRkdb(dir, args); }

    test::TempDir dir;
};

TEST_F(RkdbSide, CoversAndLoans) {
    {
        std::ofstream png(dir.file("p.png"), std::ios::binary);
        png << std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x20\0\0\0\x30", 24);
    }
    EXPECT_EQ(run("cover VIDEO.DBF 3 p.png").status, 0);
    Output shown = run("cover VIDEO.DBF 3 --show");
    EXPECT_EQ(shown.status, 0);
    ASSERT_FALSE(shown.out.empty());
    const std::string path = shown.out.substr(0, shown.out.size() - 1); // from rkdb's folder
    EXPECT_EQ(test::readAll(path[0] == '/' ? path : dir.file(path)),
              test::readAll(dir.file("p.png")));
    EXPECT_EQ(run("cover VIDEO.DBF 4 --show").status, 1);
    EXPECT_EQ(run("cover VIDEO.DBF 4 stderr.txt").status, 1); // not a picture
    EXPECT_EQ(run("cover VIDEO.DBF 999 p.png").status, 2);
    EXPECT_EQ(run("cover VIDEO.DBF 3 --remove").status, 0);
    EXPECT_EQ(run("cover VIDEO.DBF 3 --show").status, 1);

    EXPECT_EQ(run("lend VIDEO.DBF 5 Ann --on 2026-01-01 --due 2026-01-10").status, 0);
    EXPECT_EQ(run("lend VIDEO.DBF 6 Bob --on 2026-01-05").status, 0);
    Output deleted = run("delete VIDEO.DBF 6");
    EXPECT_EQ(deleted.status, 0);
    EXPECT_NE(deleted.err.find("out on loan to Bob"), std::string::npos) << deleted.err;
    EXPECT_EQ(run("recall VIDEO.DBF 6").status, 0);
    EXPECT_EQ(run("lend VIDEO.DBF 5 Cy").status, 1);                  // out already
    EXPECT_EQ(run("lend VIDEO.DBF 7 Cy --due 2026-02-30").status, 1); // no such day
    Output loans = run("loans VIDEO.DBF --today 2026-02-01");
    EXPECT_EQ(loans.status, 0);
    const size_t ann = loans.out.find("5\t"), bob = loans.out.find("6\t");
    ASSERT_NE(ann, std::string::npos) << loans.out;
    ASSERT_NE(bob, std::string::npos) << loans.out;
    EXPECT_LT(ann, bob); // overdue first
    EXPECT_NE(loans.out.find("\tAnn\t2026-01-01\t2026-01-10\toverdue\n"), std::string::npos)
        << loans.out;
    EXPECT_EQ(run("return VIDEO.DBF 5").status, 0);
    EXPECT_EQ(run("return VIDEO.DBF 5").status, 1);
    EXPECT_EQ(run("loans VIDEO.DBF").out.find("Ann"), std::string::npos);
}

} // namespace
