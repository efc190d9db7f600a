#include "tfts.h"

#include "testdir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <vector>

using namespace rk::search;
using rk::search::test::readFile;
using rk::search::test::TestDir;
using rk::search::test::writeFile;

namespace {

// FtsSet's result, then every candidate until FtsNextRec gives 0 or less.
struct QueryRun {
    int32_t set = 0;
    std::vector<int32_t> candidates;
};

QueryRun run(TFts& fts, std::string_view query) {
    QueryRun r;
    r.set = fts.FtsSet(query);
    if (r.set == kFtsNotUsable || r.set == 0) return r;
    for (int32_t n; (n = fts.FtsNextRec()) > 0;)
        r.candidates.push_back(n);
    return r;
}

using V = std::vector<int32_t>;

// An index at `path` holding the given texts as entries 1, 2, ...
void makeIndex(const std::string& path, const std::vector<std::string>& texts) {
    TFts fts;
    ASSERT_GT(fts.FtsCreate(path, 20, 2, 1, 1), 0) << fts.lastStatus().message();
    for (const auto& t : texts)
        ASSERT_GT(fts.FtsAdd(t), 0) << fts.lastStatus().message();
    ASSERT_EQ(fts.FtsClose(), 0) << fts.lastStatus().message();
}

void execSql(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

} // namespace

TEST(TFtsNumbering, EntriesCountFromOneInOrderOfAdding) {
    TestDir d;
    const std::string path = d.file("Titles.ia");
    TFts fts;
    ASSERT_GT(fts.FtsCreate(path, 20, 2, 1, 1), 0);
    EXPECT_EQ(fts.FtsAdd("Alien"), 1);
    EXPECT_EQ(fts.FtsAdd(""), 2); // an entry without words still takes its number
    EXPECT_EQ(fts.FtsAdd("Aliens"), 3);
    EXPECT_EQ(fts.FtsClose(), 0);

    ASSERT_GT(fts.FtsOpen(path, 20, 1), 0);
    EXPECT_EQ(fts.FtsAdd("Alien 3"), 4);
    QueryRun r = run(fts, "alien");
    EXPECT_EQ(r.set, 1);
    EXPECT_EQ(r.candidates, (V{1, 3, 4}));
    EXPECT_EQ(fts.FtsNextRec(), 0); // stays at the end
    fts.FtsClose();
}

TEST(TFtsNumbering, RemovedNumbersAreNeverGivenAgain) {
    TestDir d;
    const std::string path = d.file("Titles.ia");
    makeIndex(path, {"one", "two", "three"});
    TFts fts;
    ASSERT_GT(fts.FtsOpen(path, 20, 1), 0);
    EXPECT_EQ(fts.FtsDelete(3), 1); // the last one
    EXPECT_EQ(fts.FtsDelete(3), 0); // no longer there
    EXPECT_EQ(fts.FtsDelete(99), 0);
    EXPECT_EQ(fts.FtsAdd("four"), 4);
    EXPECT_EQ(fts.FtsClose(), 0);

    // Also after reopening, and after removing the last one again.
    ASSERT_GT(fts.FtsOpen(path, 20, 1), 0);
    EXPECT_EQ(fts.FtsDelete(4), 1);
    EXPECT_EQ(fts.FtsClose(), 0);
    ASSERT_GT(fts.FtsOpen(path, 20, 1), 0);
    EXPECT_EQ(fts.FtsAdd("five"), 5);
    EXPECT_EQ(run(fts, "three").set, 0);
    EXPECT_EQ(run(fts, "four").set, 0);
    EXPECT_EQ(run(fts, "five").candidates, (V{5}));
    EXPECT_EQ(run(fts, "two").candidates, (V{2}));
}

TEST(TFtsNumbering, PutKeepsNumbersEqualToTheCallers) {
    TestDir d;
    const std::string path = d.file("Titles.ia");
    makeIndex(path, {"one", "two"});
    TFts fts;
    ASSERT_GT(fts.FtsOpen(path, 20, 1), 0);
    // Entry 3 was never added (a lost add): entry 4 still lands at 4.
    EXPECT_EQ(fts.FtsPut(4, "four"), 4);
    EXPECT_EQ(fts.FtsAdd("five"), 5);
    // Putting an existing entry replaces its text.
    EXPECT_EQ(fts.FtsPut(2, "deux"), 2);
    EXPECT_EQ(run(fts, "two").set, 0);
    EXPECT_EQ(run(fts, "deux").candidates, (V{2}));
    EXPECT_EQ(fts.FtsPut(0, "zero"), kFtsBadArgument);
    EXPECT_EQ(fts.FtsPut(-5, "minus"), kFtsBadArgument);
}

TEST(TFtsQueries, SetAndNextRecFollowTheQueryLanguage) {
    TestDir d;
    const std::string path = d.file("Titles.ia");
    makeIndex(path, {"Star Wars\x1F"
                     "Lucas",
                     "Stardust", "Wars of the Roses", "\xC9T\xC9",
                     "Alien\x1F"
                     "Scott",
                     "Predator"});
    TFts fts;
    ASSERT_GT(fts.FtsOpen(path, 20, 1), 0);
    EXPECT_EQ(run(fts, "star").candidates, (V{1, 2}));
    EXPECT_EQ(run(fts, "\"star wars\"").candidates, (V{1}));
    EXPECT_EQ(run(fts, "wars -lucas").candidates, (V{3}));
    EXPECT_EQ(run(fts, "alien OR predator").candidates, (V{5, 6}));
    EXPECT_EQ(run(fts, "ete").candidates, (V{4}));
    EXPECT_EQ(run(fts, "-star -wars").candidates, (V{4, 5, 6}));
    EXPECT_EQ(run(fts, "zebra").set, 0);
    EXPECT_EQ(run(fts, "").set, 0);
    EXPECT_EQ(run(fts, "\"").set, 0);
    EXPECT_EQ(run(fts, "- OR").candidates, V{}); // the word "or": in none of them
    // A new query replaces the one in progress.
    EXPECT_EQ(fts.FtsSet("star"), 1);
    EXPECT_EQ(fts.FtsNextRec(), 1);
    EXPECT_EQ(run(fts, "predator").candidates, (V{6}));
}

TEST(TFtsQueries, LongAndManyTermQueriesStillRun) {
    TestDir d;
    const std::string path = d.file("Titles.ia");
    makeIndex(path, {"a b c d e f g h i j k l m n o p q r s t u v w x y z"});
    TFts fts;
    ASSERT_GT(fts.FtsOpen(path, 20, 1), 0);
    std::string many, ors, phrase = "\"";
    for (int i = 0; i < 128; ++i)
        many += std::string(1, char('a' + i % 26)) + std::to_string(i) + " ";
    for (int i = 0; i < 60; ++i)
        ors += std::string(i ? " OR " : "") + char('a' + i % 26);
    for (int i = 0; i < 120; ++i)
        phrase += std::string(1, char('a' + i % 26)) + " ";
    EXPECT_EQ(run(fts, many).set, 0);
    EXPECT_EQ(run(fts, ors).candidates, (V{1}));
    EXPECT_EQ(run(fts, phrase).set, 0);
    EXPECT_EQ(run(fts, "\"a b c d e f g h i j k l m n o p q r s t u v w x y z\"").candidates,
              (V{1}));
}

TEST(TFtsVerify, OneForAMatchAndNeedsNoIndex) {
    TFts fts;
    EXPECT_EQ(fts.FtsVerify("Star Wars", "star", 4), 1);
    EXPECT_EQ(fts.FtsVerify("Star Wars", "trek", 4), 0);
    EXPECT_EQ(fts.FtsVerify("Star Wars", "", 4), 0);
    EXPECT_EQ(fts.FtsVerify("Star Wars", "-trek", 4), 1);
    // The same query again (parsed once), then another.
    EXPECT_EQ(fts.FtsVerify("Star Trek", "star", 4), 1);
    EXPECT_EQ(fts.FtsVerify("Star Trek", "wars", 4), 0);
    // A record image with its terminating zero and zero bytes inside.
    EXPECT_EQ(fts.FtsVerify(std::string(" Alien\0\0Scott\0", 14), "scott", 4), 1);
}

TEST(TFtsUnusable, MissingForeignAndOtherLayoutsGiveMinus13) {
    TestDir d;
    TFts fts;
    // Never opened.
    EXPECT_EQ(fts.FtsSet("x"), kFtsNotUsable);
    // Missing: opening does not create it.
    EXPECT_LT(fts.FtsOpen(d.file("Titles.ia"), 20, 1), 0);
    EXPECT_EQ(fts.FtsSet("x"), kFtsNotUsable);
    EXPECT_FALSE(std::filesystem::exists(d.file("Titles.ia")));
    EXPECT_EQ(fts.FtsNextRec(), 0);
    EXPECT_LT(fts.FtsAdd("x"), 0);

    // Another program's file: not a database at all.
    const std::string other = d.file("other.ia");
    writeFile(other, std::string("FTS index v2\x1A") + std::string(5000, '\x07'));
    EXPECT_LT(fts.FtsOpen(other, 20, 1), 0);
    EXPECT_EQ(fts.FtsSet("x"), kFtsNotUsable);
    EXPECT_EQ(readFile(other).substr(0, 12), "FTS index v2"); // left untouched

    // An empty file.
    const std::string empty = d.file("empty.ia");
    writeFile(empty, "");
    fts.FtsOpen(empty, 20, 1);
    EXPECT_EQ(fts.FtsSet("x"), kFtsNotUsable);

    // Another program's SQLite database, even one with tables of our names.
    const std::string foreign = d.file("foreign.ia");
    execSql(foreign, "CREATE TABLE meta(key, value); CREATE VIRTUAL TABLE entries USING "
                     "fts5(words); INSERT INTO entries VALUES('x');");
    fts.FtsOpen(foreign, 20, 1);
    EXPECT_EQ(fts.FtsSet("x"), kFtsNotUsable);

    // Our application id but a later layout.
    const std::string later = d.file("later.ia");
    makeIndex(later, {"x"});
    execSql(later, "PRAGMA user_version=2");
    fts.FtsOpen(later, 20, 1);
    EXPECT_EQ(fts.FtsSet("x"), kFtsNotUsable);

    // Our layout with a table gone, or with a trigger added.
    const std::string noMeta = d.file("nometa.ia");
    makeIndex(noMeta, {"x"});
    execSql(noMeta, "DROP TABLE meta");
    fts.FtsOpen(noMeta, 20, 1);
    EXPECT_EQ(fts.FtsSet("x"), kFtsNotUsable);
    const std::string trigger = d.file("trigger.ia");
    makeIndex(trigger, {"x"});
    execSql(trigger, "CREATE TABLE log(a); CREATE TRIGGER t AFTER INSERT ON meta BEGIN "
                     "INSERT INTO log VALUES(1); END;");
    fts.FtsOpen(trigger, 20, 1);
    EXPECT_EQ(fts.FtsSet("x"), kFtsNotUsable);

    // And a sound one still works after all that.
    const std::string good = d.file("good.ia");
    makeIndex(good, {"x"});
    ASSERT_GT(fts.FtsOpen(good, 20, 1), 0);
    EXPECT_EQ(fts.FtsSet("x"), 1);
}

TEST(TFtsUnusable, DamagedFilesNeverCrash) {
    TestDir d;
    const std::string path = d.file("Titles.ia");
    std::vector<std::string> texts;
    for (int i = 0; i < 400; ++i)
        texts.push_back("title " + std::to_string(i) + " word" + std::to_string(i % 37) +
                        " common");
    makeIndex(path, texts);
    const std::string sound = readFile(path);
    ASSERT_GT(sound.size(), 4096u);

    // Cut short.
    const std::string cut = d.file("cut.ia");
    writeFile(cut, sound.substr(0, sound.size() / 2));
    TFts fts;
    fts.FtsOpen(cut, 20, 1);
    int32_t set = fts.FtsSet("common");
    EXPECT_TRUE(set == kFtsNotUsable || set == 0 || set == 1);
    for (int32_t n; set == 1 && (n = fts.FtsNextRec()) > 0;)
        EXPECT_LE(n, 400);

    // Bytes overwritten at many places: every answer is -13, nothing, or entries in range.
    const std::string bad = d.file("bad.ia");
    int unusable = 0;
    for (size_t at = 0; at < sound.size(); at += 509) {
        std::string bytes = sound;
        for (size_t k = 0; k < 24 && at + k < bytes.size(); ++k)
            bytes[at + k] = static_cast<char>(0xA5 ^ (k * 29));
        writeFile(bad, bytes);
        fts.FtsOpen(bad, 20, 1);
        for (const char* q : {"common", "word1", "\"title 7\"", "-common"}) {
            set = fts.FtsSet(q);
            ASSERT_TRUE(set == kFtsNotUsable || set == 0 || set == 1) << "at " << at;
            if (set == kFtsNotUsable) ++unusable;
            for (int32_t n; set == 1 && (n = fts.FtsNextRec()) > 0;)
                ASSERT_LE(n, 400);
        }
        fts.FtsAdd("more");
        fts.FtsClose();
    }
    EXPECT_GT(unusable, 0);
}

TEST(TFtsCreate, TheNewIndexTakesItsPlaceOnlyWhenComplete) {
    TestDir d;
    const std::string path = d.file("Titles.ia");
    makeIndex(path, {"old"});
    const std::string before = readFile(path);
    {
        TFts fts;
        ASSERT_GT(fts.FtsCreate(path, 20, 2, 1, 1), 0);
        EXPECT_EQ(fts.FtsAdd("new"), 1);
        // Half-way: the old index is still the one at the path.
        EXPECT_EQ(readFile(path), before);
        TFts reader;
        ASSERT_GT(reader.FtsOpen(path, 20, 1), 0);
        EXPECT_EQ(run(reader, "old").candidates, (V{1}));
        // Destroyed without FtsClose: abandoned.
    }
    EXPECT_EQ(readFile(path), before);
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));

    TFts fts;
    ASSERT_GT(fts.FtsCreate(path, 20, 2, 1, 1), 0);
    EXPECT_EQ(fts.FtsAdd("new"), 1);
    EXPECT_EQ(fts.FtsClose(), 0);
    ASSERT_GT(fts.FtsOpen(path, 20, 1), 0);
    EXPECT_EQ(run(fts, "old").set, 0);
    EXPECT_EQ(run(fts, "new").candidates, (V{1}));
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}

TEST(TFtsCreate, BuildsAtTheSameTimeEachUseTheirOwnTemporaryFile) {
    TestDir d;
    const std::string path = d.file("Titles.ia");
    writeFile(path + ".new", "left by a build that was killed");
    TFts first, second;
    ASSERT_GT(first.FtsCreate(path, 20, 2, 1, 1), 0) << first.lastStatus().message();
    ASSERT_GT(second.FtsCreate(path, 20, 2, 1, 1), 0) << second.lastStatus().message();
    EXPECT_EQ(first.FtsAdd("first"), 1);
    EXPECT_EQ(second.FtsAdd("second"), 1);
    EXPECT_EQ(second.FtsClose(), 0) << second.lastStatus().message();
    EXPECT_EQ(first.FtsClose(), 0) << first.lastStatus().message();
    // The build that finished last is the index; no temporary file is left.
    TFts reader;
    ASSERT_GT(reader.FtsOpen(path, 20, 1), 0);
    EXPECT_EQ(run(reader, "first").candidates, (V{1}));
    EXPECT_EQ(run(reader, "second").set, 0);
    for (const auto& e : std::filesystem::directory_iterator(d.dir()))
        EXPECT_EQ(e.path().filename().string().find(".new"), std::string::npos) << e.path();
}

TEST(TFtsCreate, FailuresAreNegativeResults) {
    TestDir d;
    TFts fts;
    // A folder that does not exist.
    EXPECT_LT(fts.FtsCreate(d.file("no/such/folder/Titles.ia"), 20, 2, 1, 1), 0);
    EXPECT_FALSE(fts.lastStatus().isOk());
    EXPECT_EQ(fts.FtsAdd("x"), kFtsNotOpen);
    EXPECT_EQ(fts.FtsDelete(1), kFtsNotOpen);
    EXPECT_EQ(fts.FtsClose(), 0);
}
