// rkdb's exit codes and messages, one rule for every command: 0 done, 1 something found or
// refused, 2 a wrong command line, 3 a file that cannot be used. And what rkdb prints of a
// foreign file's text.
#include "catalogue.h"
#include "dbf.h"
#include "env.h"
#include "record.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace rk;

namespace {

struct Output {
    int status = -1;
    std::string out, err;
};

class Rkdb : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(catalogue::createSample(dir.path()).isOk()); }

    // Runs rkdb with a time limit, so that a command that would wait for ever fails instead.
    Output run(const std::string& args) {
        const std::string errFile = dir.file("stderr.txt");
        const std::string cmd =
            "cd " + dir.path() + " && timeout 20 " + RKDB_PATH + " " + args + " 2>" + errFile;
        Output o;
        FILE* p = popen(cmd.c_str(), "r");
        if (!p) return o;
        std::array<char, 4096> buf;
        size_t n;
        while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
            o.out.append(buf.data(), n);
        const int rc = pclose(p);
        o.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        o.err = test::readAll(errFile);
        return o;
    }

    void expect(const std::string& args, int status, const std::string& says) {
        Output o = run(args);
        EXPECT_EQ(o.status, status) << args << "\n" << o.err << o.out;
        EXPECT_NE((o.err + o.out).find(says), std::string::npos) << args << "\n" << o.err << o.out;
    }

    test::TempDir dir;
};

} // namespace

TEST_F(Rkdb, RefusedValuesExitOne) {
    expect("append VIDEO.DBF TITLE=\xE2\x98\x83", 1, "Windows-1252"); // a snowman
    expect("append VIDEO.DBF \"TITLE=$(printf 'a\\033[31mred')\"", 1, "ESC");
    expect("update VIDEO.DBF 1 \"TITLE=$(printf 'two\\nlines')\"", 1, "LF");
    expect("update VIDEO.DBF 1 \"STAR1=$(printf 'tab\\there')\"", 1, "TAB");
    expect("list VIDEO.DBF --query 'TITLE = \"\xE2\x98\x83\"'", 1, "Windows-1252"); // in a query
    expect("update VIDEO.DBF 1 TAPES=many", 1, "not a number");
    // In a --from file too, with the line's number; nothing of the file is appended.
    test::writeAll(dir.file("new.txt"), "TITLE=Fine\nTITLE=\xE2\x98\x83\n");
    expect("append VIDEO.DBF --from new.txt", 1, "line 2");
    test::writeAll(dir.file("new.txt"), "TITLE=Fine\nTITLE=\xFF\xFE\n");
    expect("append VIDEO.DBF --from new.txt", 1, "line 2");
    EXPECT_EQ(run("count VIDEO.DBF").out, "72\n");
    EXPECT_EQ(run("list VIDEO.DBF --fields TITLE --query 'RECNO() = 1'").out, "1\tCasablanca\n");
}

TEST_F(Rkdb, WrongCommandLinesExitTwo) {
    expect("frobnicate", 2, "unknown command");
    expect("list", 2, "usage");
    expect("list VIDEO.DBF --fields NOSUCH", 2, "no field");
    expect("list VIDEO.DBF --order NOSUCH", 2, "no tag");
    expect("update VIDEO.DBF 999 TITLE=x", 2, "no record");
    expect("list VIDEO.DBF --query 'TITLE = '", 2, "expression");
    // Every command refuses options it does not take and arguments beyond its own, and
    // changes nothing when it does.
    const std::pair<const char*, const char*> refused[] = {
        {"list VIDEO.DBF --bogus", "--bogus"},
        {"count VIDEO.DBF --deleted", "--deleted"},
        {"search . jaws --bogus", "--bogus"},
        {"export VIDEO.DBF out.txt --comma --bogus", "--bogus"},
        {"index-text . --bogus", "--bogus"},
        {"delete VIDEO.DBF 1 2", "usage"},
        {"recall VIDEO.DBF 1 2", "usage"},
        {"append VIDEO.DBF", "usage"},
        {"update VIDEO.DBF 1", "usage"},
        {"info VIDEO.DBF extra", "usage"},
    };
    for (const auto& [args, says] : refused)
        expect(args, 2, says);
    EXPECT_EQ(run("count VIDEO.DBF").out, "72\n");
    EXPECT_EQ(run("list VIDEO.DBF --deleted --fields TITLE --query 'RECNO() = 1'").out,
              "1\tCasablanca\n");
}

TEST_F(Rkdb, FilesThatCannotBeUsedExitThree) {
    expect("count NOSUCH.DBF", 3, "NOSUCH.DBF");
    expect("check NOSUCH.DBF", 3, "NOSUCH.DBF");
    // A header that does not hold together: check cannot open the table at all.
    std::string bytes = test::readAll(dir.file("VIDEO.DBF"));
    const std::string good = bytes;
    bytes[9] = 0x0C;
    test::writeAll(dir.file("VIDEO.DBF"), bytes);
    expect("check VIDEO.DBF", 3, "header");
    expect("update VIDEO.DBF 1 YEAR=1999", 3, "header");
    EXPECT_EQ(test::readAll(dir.file("VIDEO.DBF")), bytes);
    test::writeAll(dir.file("VIDEO.DBF"), good);

    // An index held by another program is named as the file in use.
    {
        auto held =
            Env::standard()->open(dir.file("VIDEO.CDX"), OpenMode::ReadOnly, LockMode::Exclusive);
        ASSERT_TRUE(held.isOk());
        for (const char* cmd : {"check VIDEO.DBF", "count VIDEO.DBF", "update VIDEO.DBF 1 YEAR=1"})
            expect(cmd, 3, "VIDEO.CDX is in use");
    }

    // An index that cannot be read: the orders are gone, and the message says why.
    test::writeAll(dir.file("VIDEO.CDX"), "not an index");
    expect("list VIDEO.DBF --order TITIT", 3, "rkdb index VIDEO.DBF");
}

TEST_F(Rkdb, SomethingElseThanAFileIsRefusedNotWaitedFor) {
    ASSERT_EQ(std::remove(dir.file("VIDEO.DBF").c_str()), 0);
    ASSERT_EQ(::mkfifo(dir.file("VIDEO.DBF").c_str(), 0644), 0);
    for (const char* cmd : {"info VIDEO.DBF", "check VIDEO.DBF", "list VIDEO.DBF",
                            "count VIDEO.DBF", "search . jaws", "append VIDEO.DBF TITLE=x"})
        expect(cmd, 3, "not a regular file");
    ASSERT_EQ(std::remove(dir.file("VIDEO.DBF").c_str()), 0);
    ASSERT_EQ(::mkdir(dir.file("VIDEO.DBF").c_str(), 0755), 0);
    expect("count VIDEO.DBF", 3, "VIDEO.DBF");
}

TEST_F(Rkdb, ControlCharactersOfAForeignFileArePrintedEscaped) {
    {
        auto t = dbf::DbfFile::open(dir.file("VIDEO.DBF"), dbf::OpenOptions{});
        ASSERT_TRUE(t.isOk());
        std::string img;
        ASSERT_TRUE((*t)->readRecord(1, &img).isOk());
        // Written past the rule, as another program might.
        dbf::setString(img, (*t)->fields()[size_t((*t)->fieldIndex("TITLE"))],
                       "Casa\x1B[2J\nblanca\t\x9D");
        ASSERT_TRUE((*t)->writeRecord(1, img).isOk());
    }
    Output o = run("list VIDEO.DBF --fields TITLE,YEAR --query 'RECNO() = 1'");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "1\tCasa\\x1B[2J\\x0Ablanca\\x09\\x9D\t1942\n");
}
