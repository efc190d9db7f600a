// rkdb's exit codes and messages, one rule for every command: 0 done, 1 something found or
// refused, 2 a wrong command line, 3 a file that cannot be used. And what rkdb prints of a
// foreign file's text.
#include "catalogue.h"
#include "dbf.h"
#include "env.h"
#include "record.h"
#include "rkdb_run.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace rk;

namespace {

using Output = test::RkdbOutput;

class Rkdb : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(catalogue::createSample(dir.path()).isOk()); }

    Output run(const std::string& args) { return test::runRkdb(dir, args); }

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
                       "Casa\x1B[2J\nblanca\t\x9D caf\xE9");
        ASSERT_TRUE((*t)->writeRecord(1, img).isOk());
    }
    Output o = run("list VIDEO.DBF --fields TITLE,YEAR --query 'RECNO() = 1'");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "1\tCasa\\x1B[2J\\x0Ablanca\\x09\\x9D caf\xC3\xA9\t1942\n");
}

// A link planted at any temporary name or at the output name of a writing command leads
// nowhere: the file it points to stays as it was. A link at a temporary name is removed and
// the command goes on; a link, a named pipe or a device as the output is refused.
TEST_F(Rkdb, PlantedLinksAreNeverWrittenThrough) {
    test::TempDir elsewhere;
    const std::string victim = elsewhere.file("victim");
    test::writeAll(victim, "precious");
    auto plant = [&](const std::string& name) {
        std::remove(dir.file(name).c_str());
        ASSERT_EQ(::symlink(victim.c_str(), dir.file(name).c_str()), 0) << name;
    };
    ASSERT_EQ(run("index-text .").status, 0);
    ASSERT_EQ(run("delete VIDEO.DBF 3").status, 0);
    const char* temporaries[] = {"out.txt.tmp",        "page.html.tmp",     "VIDEO.DBF.pack",
                                 "VIDEO.DBF.pack.tmp", "VIDEO.CDX.tmp",     "VIDEO.CDX.sort",
                                 "Titles.ia.new",      "Titles.ia.new2",    "made/VIDEO.DBF.tmp",
                                 "made/VIDEO.CDX.tmp", "made/Cats.dbf.tmp", "made/Cats.CDX.tmp"};
    ASSERT_EQ(::mkdir(dir.file("made").c_str(), 0755), 0);
    for (const char* name : temporaries)
        plant(name);
    for (const char* cmd : {"export VIDEO.DBF out.txt --comma", "pocket VIDEO.DBF page.html",
                            "pack VIDEO.DBF", "index VIDEO.DBF", "index-text .", "create made"}) {
        const Output o = run(cmd);
        EXPECT_EQ(o.status, 0) << cmd << "\n" << o.err;
    }
    struct stat st;
    for (const char* name : {"out.txt", "page.html", "VIDEO.DBF", "VIDEO.CDX", "Titles.ia",
                             "made/VIDEO.DBF", "made/VIDEO.CDX"})
        EXPECT_TRUE(::lstat(dir.file(name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) << name;
    EXPECT_EQ(test::readAll(victim), "precious");

    for (const char* out : {"out.txt", "page.html", "report.txt"})
        plant(out);
    expect("export VIDEO.DBF out.txt --space", 3, "symbolic link");
    expect("pocket VIDEO.DBF page.html", 3, "symbolic link");
    expect("report VIDEO.DBF --fields TITLE --text report.txt", 3, "symbolic link");
    EXPECT_EQ(test::readAll(victim), "precious");
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
    expect("export VIDEO.DBF pipe --comma", 3, "named pipe");
    expect("export VIDEO.DBF /dev/null --comma", 3, "device");
}

// append --from takes a regular file only, and a line of at most 1 MiB: a named pipe or a
// device is refused at once, not read for ever.
TEST_F(Rkdb, AppendFromReadsOnlyARegularFileOfBoundedLines) {
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
    expect("append VIDEO.DBF --from pipe", 3, "named pipe");
    expect("append VIDEO.DBF --from /dev/zero", 3, "device");
    test::writeAll(dir.file("long.txt"), "TITLE=" + std::string(size_t(1) << 20, 'a') + "\n");
    expect("append VIDEO.DBF --from long.txt", 1, "line 1");
    EXPECT_EQ(run("count VIDEO.DBF").out, "72\n");
}

// Control characters of a foreign table reach no text file raw: export and the text report
// write them as \xNN, an exported line is one record, and reading it back adds one record a
// line.
TEST_F(Rkdb, ControlCharactersAreEscapedInExportsAndReports) {
    {
        auto t = dbf::DbfFile::open(dir.file("VIDEO.DBF"), dbf::OpenOptions{});
        ASSERT_TRUE(t.isOk());
        std::string img;
        ASSERT_TRUE((*t)->readRecord(1, &img).isOk());
        dbf::setString(img, (*t)->fields()[size_t((*t)->fieldIndex("TITLE"))],
                       "Casa\x1B]0;owned\x07\r\nblanca");
        ASSERT_TRUE((*t)->writeRecord(1, img).isOk());
    }
    const std::string escaped = "Casa\\x1B]0;owned\\x07\\x0D\\x0Ablanca";
    for (const char* layout : {"--comma", "--space"}) {
        ASSERT_EQ(run(std::string("export VIDEO.DBF out.txt ") + layout).status, 0);
        const std::string text = test::readAll(dir.file("out.txt"));
        EXPECT_EQ(text.find_first_of("\x1B\x07"), std::string::npos) << layout;
        EXPECT_NE(text.find(escaped), std::string::npos) << layout;
        size_t lines = 0;
        for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at)
            ++lines;
        EXPECT_EQ(lines, 72u) << layout;
    }
    // The space layout read back: every field in its place.
    expect("append VIDEO.DBF --from out.txt --space", 0, "appended 72 records");
    EXPECT_EQ(run("list VIDEO.DBF --fields TITLE,YEAR --query 'RECNO() = 73'").out,
              "73\t" + escaped + "\t1942\n");
    ASSERT_EQ(run("report VIDEO.DBF --fields TITLE --query 'RECNO() = 1' --text r.txt").status, 0);
    const std::string report = test::readAll(dir.file("r.txt"));
    EXPECT_EQ(report.find_first_of("\x1B\x07\r"), std::string::npos);
    EXPECT_NE(report.find(escaped), std::string::npos) << report;
}

// A re-index that runs out of room fails with exit 3 and leaves the stale index marked: the
// next look at the table still finds it stale.
TEST_F(Rkdb, AReindexThatCannotWriteFailsAndTheIndexStaysStale) {
    {
        auto t = dbf::DbfFile::open(dir.file("VIDEO.DBF"), dbf::OpenOptions{});
        ASSERT_TRUE(t.isOk());
        std::string img;
        ASSERT_TRUE((*t)->readRecord(4, &img).isOk());
        dbf::setString(img, (*t)->fields()[size_t((*t)->fieldIndex("TITLE"))], "Aaaa");
        ASSERT_TRUE((*t)->writeRecord(4, img).isOk());
    }
    // Files of at most 16 KiB: the index cannot be written (the process ignores SIGXFSZ and
    // gets an error instead, and so does rkdb, which inherits both).
    struct rlimit old;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 16 << 10;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Output o = run("index VIDEO.DBF");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(o.status, 3) << o.err << o.out;
    EXPECT_EQ(o.out.find("re-indexed"), std::string::npos) << o.out;
    EXPECT_NE(o.err.find("could not be rebuilt"), std::string::npos) << o.err;
    expect("check VIDEO.DBF", 1, "record 4");
}

// rkdb loads its report module only from its own folder or the installed library folder:
// a module planted in the current folder is never loaded, even when rkdb cannot find its
// own path (no /proc) and was started through PATH; help loads no module.
TEST_F(Rkdb, TheReportModuleIsNeverTakenFromTheCurrentFolder) {
    test::TempDir bin;
    namespace fs = std::filesystem;
    fs::copy_file(RKDB_PATH, bin.file("rkdb"));
    fs::permissions(bin.file("rkdb"), fs::perms::owner_all);
    test::writeAll(dir.file("rkdb-report.so"), "planted: not a module");
    const std::string report = "rkdb report VIDEO.DBF --fields TITLE --text r.txt";
    const std::string path = "PATH=" + bin.path() + ":/usr/bin:/bin ";
    for (const std::string& cmd :
         {path + report,
          // Without /proc, where mounting is allowed (as root): rkdb cannot read its own path.
          "unshare -m sh -c 'mount -t tmpfs none /proc && " + path + report + "' || " + path +
              report}) {
        const std::string errFile = dir.file("err.txt");
        const int rc =
            std::system(("cd " + dir.path() + " && " + cmd + " > /dev/null 2>" + errFile).c_str());
        const std::string err = test::readAll(errFile);
        EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) != 0) << err;
        EXPECT_EQ(err.find("planted"), std::string::npos) << err;
        EXPECT_EQ(err.find("./rkdb-report.so"), std::string::npos) << err;
        EXPECT_EQ(err.find("ELF"), std::string::npos) << err;
    }
    const int rc = std::system(
        ("cd " + dir.path() + " && " + path + "rkdb help > /dev/null 2>" + dir.file("help.txt"))
            .c_str());
    EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0);
    const std::string help = test::readAll(dir.file("help.txt"));
    EXPECT_NE(help.find("rkdb report"), std::string::npos);
    EXPECT_EQ(help.find("cannot load"), std::string::npos) << help;
}
