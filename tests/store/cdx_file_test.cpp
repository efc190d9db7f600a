// Index files as a whole: create, open, tags of every key type, upkeep of every tag on
// appends and updates checked against orders computed here from the records, FoxPro's own
// file, and the independent checker.
#include "cdx.h"
#include "cdx_table_util.h"
#include "dbf.h"
#include "expr.h"
#include "faultenv.h"
#include "record.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <set>

using namespace rk;
using namespace rk::store;
using rk::test::IndexedTable;
using rk::test::kTags;
using rk::test::Row;
using rk::test::runChecker;

TEST(CdxFile, CreatesTagsOfEveryKindInTheirOrder) {
    IndexedTable t;
    std::mt19937 rng(1);
    for (int i = 0; i < 500; ++i)
        t.append(t.randomRow(rng), false);
    t.createIndex();
    ASSERT_EQ(t.index->tagCount(), static_cast<int>(kTags.size()));
    for (size_t i = 0; i < kTags.size(); ++i)
        EXPECT_EQ(t.index->tag(int(i)).name, kTags[i].name);
    EXPECT_EQ(t.index->findTag("cityName"), 1);
    EXPECT_EQ(t.index->findTag("NOPE"), -1);
    EXPECT_EQ(t.index->tag(2).keyType, cdx::KeyType::Num);
    EXPECT_EQ(t.index->tag(2).keyLength, 8);
    EXPECT_EQ(t.index->tag(3).keyType, cdx::KeyType::Date);
    EXPECT_EQ(t.index->tag(4).keyLength, 1);
    EXPECT_EQ(t.index->tag(1).keyLength, 22);
    EXPECT_TRUE(t.index->tag(5).descending);
    EXPECT_TRUE(t.index->tag(6).unique);
    EXPECT_EQ(t.index->tag(7).forExpr, "ACTIVE");
    EXPECT_TRUE(t.table->hasStructuralIndex());
    t.expectAllOrders();
    t.reopen();
    EXPECT_TRUE(t.index->notices().empty()) << t.index->notices().front();
    t.expectAllOrders();
    int rc = runChecker(t.cdxPath);
    if (rc >= 0) {
        EXPECT_EQ(rc, 0) << "cdxcheck.py finds faults in " << t.cdxPath;
    }
}

TEST(CdxFile, KeepsEveryTagCurrentThroughRandomChanges) {
    IndexedTable t;
    t.createIndex();
    std::mt19937 rng(2);
    for (int step = 0; step < 3000; ++step) {
        int op = static_cast<int>(rng() % 10);
        if (op < 5 || t.rows.empty()) {
            t.append(t.randomRow(rng));
        } else {
            uint32_t recno = 1 + static_cast<uint32_t>(rng() % t.rows.size());
            Row r = t.rows[recno - 1];
            switch (op) {
            case 5:
                r.name = t.randomRow(rng).name;
                break;
            case 6:
                r.city = t.randomRow(rng).city;
                break;
            case 7:
                r.amount = t.randomRow(rng).amount;
                break;
            case 8:
                r.active = !r.active;
                break;
            default:
                r.deleted = !r.deleted;
                break; // keys stay
            }
            t.update(recno, r);
        }
        if (step % 250 == 0) {
            SCOPED_TRACE("step " + std::to_string(step));
            t.expectAllOrders();
            if (::testing::Test::HasFailure()) return;
        }
    }
    t.expectAllOrders();
    t.reopen();
    EXPECT_TRUE(t.index->notices().empty());
    t.expectAllOrders();
    int rc = runChecker(t.cdxPath);
    if (rc >= 0) {
        EXPECT_EQ(rc, 0) << "cdxcheck.py finds faults in " << t.cdxPath;
    }
}

TEST(CdxFile, SeeksCharacterNumericDateAndLogicalKeys) {
    IndexedTable t;
    t.createIndex();
    t.append({"Baker", "Rome", 12.5, {1999, 12, 31}, true, false});
    t.append({"adams", "Oslo", -3, {}, false, false});
    t.append({"Bakerloo", "Lima", 1987, {2001, 1, 2}, true, false});
    auto seekFirst = [&](const char* tag, const char* text) -> uint32_t {
        int i = t.index->findTag(tag);
        auto key = t.index->seekKey(i, text);
        EXPECT_TRUE(key.isOk()) << text;
        auto c = t.index->cursor(i);
        EXPECT_TRUE(
            c->seekPrefix(reinterpret_cast<const uint8_t*>(key->data()), key->size()).isOk());
        return c->valid() ? c->recno() : 0;
    };
    EXPECT_EQ(seekFirst("NAME", "BAKER"), 1u);
    EXPECT_EQ(seekFirst("NAME", "BAKERL"), 3u);
    EXPECT_EQ(seekFirst("NAME", "A"), 2u);
    EXPECT_EQ(seekFirst("NAME", "C"), 0u);
    EXPECT_EQ(seekFirst("AMOUNT", "0"), 1u);
    EXPECT_EQ(seekFirst("AMOUNT", "-100"), 2u);
    EXPECT_EQ(seekFirst("AMOUNT", "1987"), 3u);
    EXPECT_EQ(seekFirst("BORN", "20000101"), 3u);
    EXPECT_EQ(seekFirst("BORN", "1999-12-31"), 1u);
    EXPECT_EQ(seekFirst("ACTIVE", ".T."), 1u);
    // Descending: the first in the tag's order at or after the key, going down.
    EXPECT_EQ(seekFirst("DESCNAME", "Bakerz"), 3u);
    EXPECT_EQ(seekFirst("DESCNAME", "B"), 3u);
    EXPECT_EQ(seekFirst("DESCNAME", "b"), 2u);
    EXPECT_EQ(seekFirst("DESCNAME", "adams"), 2u);
    EXPECT_EQ(seekFirst("DESCNAME", "A"), 0u);
    EXPECT_FALSE(t.index->seekKey(2, "twelve").isOk());
    EXPECT_FALSE(t.index->seekKey(3, "2001-13-01").isOk());
    // The numeric key form of 1987 as documented.
    EXPECT_EQ(cdx::numberKey(1987), std::string("\xC0\x9F\x0C\x00\x00\x00\x00\x00", 8));
    EXPECT_EQ(cdx::numberKey(-0.0), cdx::numberKey(0));
    EXPECT_LT(cdx::numberKey(-2), cdx::numberKey(-1));
    EXPECT_EQ(cdx::numberFromKey(cdx::numberKey(-12.25)), -12.25);
}

TEST(CdxFile, RefusesTagsItCannotKeep) {
    IndexedTable t;
    auto bad = [&](TagSpec spec) {
        auto r = IndexFile::create(t.cdxPath, t.table.get(), {spec});
        EXPECT_FALSE(r.isOk()) << spec.name << " " << spec.key;
    };
    bad({"VAR", "TRIM(NAME)", "", false, false});
    bad({"BADNAME!", "NAME", "", false, false});
    bad({"TOOLONGNAME", "NAME", "", false, false});
    bad({"NOFIELD", "NOSUCH", "", false, false});
    bad({"FORNUM", "NAME", "AMOUNT", false, false});
    auto twice =
        IndexFile::create(t.cdxPath, t.table.get(),
                          {{"A", "NAME", "", false, false}, {"a", "CITY", "", false, false}});
    EXPECT_FALSE(twice.isOk());
}

TEST(CdxFile, ReadsFoxProsOwnFile) {
    const std::string shared = std::string(RK_SHARED_DIR) + "/fixtures/foxpro/";
    if (!std::ifstream(shared + "rooms.cdx")) GTEST_SKIP() << "no FoxPro fixture in " << shared;
    test::TempDir dir;
    test::writeAll(dir.file("rooms.dbf"), test::readAll(shared + "rooms.dbf"));
    test::writeAll(dir.file("rooms.cdx"), test::readAll(shared + "rooms.cdx"));
    dbf::OpenOptions ro;
    ro.readOnly = true;
    auto table = dbf::DbfFile::open(dir.file("rooms.dbf"), ro);
    ASSERT_TRUE(table.isOk()) << table.status().message();
    IndexOptions opts;
    opts.readOnly = true;
    auto idx = IndexFile::open(dir.file("rooms.cdx"), table->get(), opts);
    ASSERT_TRUE(idx.isOk()) << idx.status().message();
    IndexFile& index = **idx;
    // Sound as FoxPro wrote it: the check against the table passes, so it is usable as is.
    EXPECT_TRUE(index.usable());
    EXPECT_TRUE(index.notices().empty()) << index.notices().front();
    std::vector<std::string> names;
    for (int i = 0; i < index.tagCount(); ++i)
        names.push_back(index.tag(i).name);
    EXPECT_EQ(names, (std::vector<std::string>{"ROOMNAME", "FACILITY", "AUDIO", "MAIN", "FILM"}));
    EXPECT_EQ(index.tag(2).keyExpr, "roomname");
    EXPECT_EQ(index.tag(2).forExpr, "TRIM(UPPER(facility))==\"AUDIO\"");
    // Each tag's order, worked out from the records: key bytes, then record number.
    const auto& fields = (*table)->fields();
    std::vector<std::pair<std::string, std::string>> recs; // roomname, facility
    for (uint32_t r = 1; r <= (*table)->recordCount(); ++r) {
        std::string img;
        ASSERT_TRUE((*table)->readRecord(r, &img).isOk());
        recs.emplace_back(std::string(dbf::rawField(img, fields[0])),
                          std::string(dbf::rawField(img, fields[1])));
    }
    auto expect = [&](int tag, bool byName, const char* facility) {
        std::vector<std::pair<std::string, uint32_t>> want;
        for (uint32_t r = 1; r <= recs.size(); ++r) {
            std::string fac = recs[r - 1].second;
            while (!fac.empty() && fac.back() == ' ')
                fac.pop_back();
            for (char& c : fac)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (facility && fac != facility) continue;
            want.emplace_back(byName ? recs[r - 1].first : recs[r - 1].second, r);
        }
        std::sort(want.begin(), want.end());
        std::vector<uint32_t> order, got;
        for (const auto& w : want)
            order.push_back(w.second);
        ASSERT_TRUE(index
                        .walk(tag,
                              [&](uint32_t r) {
                                  got.push_back(r);
                                  return true;
                              })
                        .isOk());
        EXPECT_EQ(got, order) << index.tag(tag).name;
    };
    expect(0, true, nullptr);
    expect(1, false, nullptr);
    expect(2, true, "AUDIO");
    expect(3, true, "MAIN");
    expect(4, true, "FILM");
    std::vector<std::string> problems, notes;
    index.verify(true, &problems, &notes);
    EXPECT_TRUE(problems.empty()) << problems.front();
}

TEST(CdxFile, ChangesToFoxProsFileKeepItReadableByTheChecker) {
    const std::string shared = std::string(RK_SHARED_DIR) + "/fixtures/foxpro/";
    if (!std::ifstream(shared + "rooms.cdx")) GTEST_SKIP() << "no FoxPro fixture in " << shared;
    test::TempDir dir;
    test::writeAll(dir.file("rooms.dbf"), test::readAll(shared + "rooms.dbf"));
    test::writeAll(dir.file("rooms.cdx"), test::readAll(shared + "rooms.cdx"));
    auto table = dbf::DbfFile::open(dir.file("rooms.dbf"), dbf::OpenOptions{});
    ASSERT_TRUE(table.isOk());
    auto idx = IndexFile::open(dir.file("rooms.cdx"), table->get());
    ASSERT_TRUE(idx.isOk()) << idx.status().message();
    const auto& f = (*table)->fields();
    std::mt19937 rng(3);
    const char* facilities[] = {"Audio", "Main", "Film", "None", "audio "};
    for (int i = 0; i < 400; ++i) {
        std::string img = (*table)->blankRecord();
        dbf::setString(img, f[0], "Room " + std::to_string(rng() % 1000));
        dbf::setString(img, f[1], facilities[rng() % 5]);
        ASSERT_TRUE((*idx)->beginChange().isOk());
        auto n = (*table)->appendRecord(img);
        ASSERT_TRUE(n.isOk());
        ASSERT_TRUE((*idx)->recordAdded(img, *n).isOk());
        ASSERT_TRUE((*idx)->endChange().isOk());
    }
    std::vector<std::string> problems, notes;
    (*idx)->verify(true, &problems, &notes);
    EXPECT_TRUE(problems.empty()) << problems.front();
    idx->reset();
    int rc = runChecker(dir.file("rooms.cdx"));
    if (rc >= 0) {
        EXPECT_EQ(rc, 0);
    }
}

// Changes gathered under one mark, with the upkeep deferred (a batch) or not: every tag is
// right after each group, and a unique tag gives each key to the first record that has it,
// found through a tag of the same key when there is one, else from the table.
TEST(CdxFile, GroupsOfChangesKeepEveryTagAndTheFirstRecordOfAUniqueKey) {
    for (bool companion : {false, true}) {
        SCOPED_TRACE(companion ? "with a tag of the same key" : "alone");
        IndexedTable t;
        std::vector<TagSpec> tags = kTags;
        if (companion) tags.push_back({"CITY", "city", "", false, false});
        auto idx = IndexFile::create(t.cdxPath, t.table.get(), tags);
        ASSERT_TRUE(idx.isOk());
        t.index = std::move(*idx);
        std::mt19937 rng(11);
        for (int group = 0; group < 24; ++group) {
            t.index->deferUpkeep(group % 3 != 0);
            ASSERT_TRUE(t.index->beginChange().isOk());
            for (int i = 0; i < 40; ++i) {
                if (t.rows.size() < 20 || rng() % 3 == 0) {
                    Row r = t.randomRow(rng);
                    std::string img = t.image(r);
                    auto n = t.table->appendRecord(img);
                    ASSERT_TRUE(n.isOk());
                    ASSERT_TRUE(t.index->recordAdded(img, *n).isOk());
                    t.rows.push_back(r);
                    continue;
                }
                uint32_t recno = 1 + rng() % t.rows.size();
                Row r = t.rows[recno - 1];
                (rng() % 2 ? r.city : r.name) = t.randomRow(rng).city;
                std::string before, after = t.image(r);
                ASSERT_TRUE(t.table->readRecord(recno, &before).isOk());
                ASSERT_TRUE(t.table->writeRecord(recno, after).isOk());
                ASSERT_TRUE(t.index->recordChanged(before, after, recno).isOk());
                t.rows[recno - 1] = r;
            }
            ASSERT_TRUE(t.index->endChange().isOk());
            t.expectAllOrders();
            if (::testing::Test::HasFailure()) return;
        }
    }
}

// Keys beyond the memory budget wait in sorted runs in a temporary file, merged into the
// trees: the same tags, and no file left behind.
TEST(CdxFile, ABuildBeyondItsMemoryGivesTheSameTags) {
    for (size_t budget : {size_t(1), size_t(20000)}) {
        IndexedTable t;
        std::mt19937 rng(8);
        for (int i = 0; i < 700; ++i)
            t.append(t.randomRow(rng), false);
        IndexOptions small;
        small.memoryBudget = budget;
        auto idx = IndexFile::create(t.cdxPath, t.table.get(), kTags, small);
        ASSERT_TRUE(idx.isOk()) << idx.status().message();
        t.index = std::move(*idx);
        t.expectAllOrders();
        size_t files = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(t.dir.path()))
            ++files;
        EXPECT_EQ(files, 2u); // the table and its index
    }
}

// The check against the table compares whole tags at once and, for a tag that differs, says
// which records: a record written behind the index's back, one appended without its entries.
TEST(CdxFile, TheCheckSaysWhichRecordsDifferFromTheirEntries) {
    IndexedTable t;
    std::mt19937 rng(4);
    for (int i = 0; i < 40; ++i)
        t.append(t.randomRow(rng), false);
    t.createIndex();
    std::vector<std::string> problems, notes;
    t.index->verify(true, &problems, &notes);
    EXPECT_TRUE(problems.empty()) << problems.front();

    Row changed = t.rows[4];
    changed.name = "Zzyzx";
    ASSERT_TRUE(t.table->writeRecord(5, t.image(changed)).isOk());
    Row added = t.rows[0];
    added.active = true;
    t.append(added, false); // record 41: no entries
    t.index->verify(true, &problems, &notes);
    auto said = [&](const std::string& tag, const std::string& what) {
        return std::count_if(problems.begin(), problems.end(), [&](const std::string& p) {
            return p.find("tag " + tag + ":") != std::string::npos &&
                   p.find(what) != std::string::npos;
        });
    };
    for (const char* tag : {"NAME", "CITYNAME", "DESCNAME"})
        EXPECT_EQ(said(tag, "record 5 holds a key that differs"), 1) << tag;
    for (const char* tag : {"NAME", "AMOUNT", "BORN", "ACTIVE", "ACTIVENAME"})
        EXPECT_EQ(said(tag, "record 41 has no entry"), 1) << tag;
    // Its city is record 1's: the unique tag keeps record 1 for it.
    EXPECT_EQ(said("UNIQCITY", "record"), 0);
    EXPECT_EQ(said("AMOUNT", "record 5"), 0);
}

// The check hashes keys piece by piece (fields, chosen and fixed texts, each without its
// padding): every shape of key is found whole when it is, and a change in any piece is found.
TEST(CdxFile, TheCheckFindsAChangeInAnyPieceOfAKey) {
    IndexedTable t;
    std::mt19937 rng(6);
    for (int i = 0; i < 60; ++i)
        t.append(t.randomRow(rng), false);
    const std::vector<TagSpec> shapes = {
        {"CHOICE", "IIF(ACTIVE,\"yes\",\"no\")+NAME", "", false, false},
        {"MIXED", "IIF(ACTIVE,\"Y\",\"N\")+UPPER(CITY+NAME)", "", false, false},
        {"FIXED", "\"k\"+UPPER(NAME)+CITY", "ACTIVE", false, false},
        {"NUMBER", "STR(AMOUNT,9,2)+CITY", "", false, false},
    };
    auto idx = IndexFile::create(t.dir.file("shapes.cdx"), t.table.get(), shapes);
    ASSERT_TRUE(idx.isOk()) << idx.status().message();
    std::vector<std::string> problems, notes;
    (*idx)->verify(true, &problems, &notes);
    EXPECT_TRUE(problems.empty()) << problems.front();

    // Record 7: its city in another case (MIXED upper-cases it, FIXED and NUMBER do not), a
    // name moved by one space (every tag but NUMBER), and the flag turned (CHOICE, MIXED, and
    // FIXED's condition).
    auto differs = [&](Row row) {
        EXPECT_TRUE(t.table->writeRecord(7, t.image(row)).isOk());
        problems.clear();
        (*idx)->verify(true, &problems, &notes);
        std::set<std::string> tags;
        for (const std::string& p : problems)
            for (const TagSpec& s : shapes)
                if (p.find("tag " + s.name + ":") != std::string::npos) tags.insert(s.name);
        return tags;
    };
    Row row = t.rows[6];
    row.active = true;
    row.city = "Oslo";
    ASSERT_TRUE(t.table->writeRecord(7, t.image(row)).isOk());
    idx = Status::ioError("closed");
    idx = IndexFile::create(t.dir.file("shapes.cdx"), t.table.get(), shapes);
    ASSERT_TRUE(idx.isOk()) << idx.status().message();
    Row city = row, name = row, flag = row;
    city.city = "OSLO";
    EXPECT_EQ(differs(city), (std::set<std::string>{"FIXED", "NUMBER"}));
    name.name = " " + row.name;
    EXPECT_EQ(differs(name), (std::set<std::string>{"CHOICE", "MIXED", "FIXED"}));
    flag.active = false;
    EXPECT_EQ(differs(flag), (std::set<std::string>{"CHOICE", "MIXED", "FIXED"}));
    EXPECT_EQ(differs(row), std::set<std::string>{});
}

// The check walks each tree once through the file, whatever its depth: a build writes each
// parent after its children, and the walk reads them in about that order.
TEST(CdxFile, TheCheckReadsTheIndexAboutOnce) {
    test::TempDir dir;
    const std::string dbfPath = dir.file("walk.dbf"), path = dir.file("walk.cdx");
    ASSERT_TRUE(dbf::DbfFile::create(dbfPath, {{"TEXT", 'C', 200, 0, 0}}).isOk());
    auto table = dbf::DbfFile::open(dbfPath, dbf::OpenOptions{});
    ASSERT_TRUE(table.isOk());
    std::mt19937 rng(12);
    for (int i = 0; i < 3000; ++i) {
        std::string img = (*table)->blankRecord();
        for (int c = 0; c < 20; ++c)
            img[size_t(1 + c)] = char('a' + rng() % 26);
        ASSERT_TRUE((*table)->appendRecord(img).isOk());
    }
    test::FaultEnv env;
    auto idx = IndexFile::create(path, table->get(), {{"TEXT", "UPPER(TEXT)", "", false, false}},
                                 {}, &env);
    ASSERT_TRUE(idx.isOk()) << idx.status().message();
    std::vector<std::string> problems, notes;
    env.bytesReadFrom[path] = 0;
    (*idx)->verify(true, &problems, &notes);
    EXPECT_TRUE(problems.empty()) << problems.front();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].find("depth 1,"), std::string::npos) << notes[0]; // levels to walk
    EXPECT_LE(env.bytesReadFrom[path], std::filesystem::file_size(path) * 5 / 4) << notes[0];
}

// A read-only open of a stale index over a table larger than the memory budget rebuilds the
// copy in a scratch folder of its own (its bytes leave the process), which goes with the index.
TEST(CdxFile, AReadOnlyRebuildOfALargeTableGoesToAScratchFolderThatItRemoves) {
    IndexedTable t;
    std::mt19937 rng(11);
    for (int i = 0; i < 300; ++i)
        t.append(t.randomRow(rng), false);
    t.createIndex();
    Row changed = t.rows[7];
    changed.name = "Behind";
    ASSERT_TRUE(t.table->writeRecord(8, t.image(changed)).isOk());
    t.rows[7] = changed;

    test::TempDir scratch;
    ::setenv("TMPDIR", scratch.path().c_str(), 1);
    IndexOptions ro;
    ro.readOnly = true;
    ro.exclusive = false;
    ro.memoryBudget = 4096;
    t.reopen(ro);
    ::unsetenv("TMPDIR");
    ASSERT_TRUE(t.index->inMemory());
    auto entries = [&] {
        size_t n = 0;
        for ([[maybe_unused]] const auto& e :
             std::filesystem::recursive_directory_iterator(scratch.path()))
            ++n;
        return n;
    };
    EXPECT_GE(entries(), 2u); // the scratch folder and the copy in it
    t.expectAllOrders();
    t.index.reset();
    EXPECT_EQ(entries(), 0u);
}

// The index builder fed as a pack feeds it: blocks of records, with one thread or two.
class BlockBuild {
public:
    explicit BlockBuild(IndexedTable& t) : t_(t) {
        for (const TagSpec& spec : kTags) {
            auto key = cdx::TagKey::compile(spec.key, spec.forExpr, t.table->fields(),
                                            t.table->blankRecord());
            EXPECT_TRUE(key.isOk()) << spec.name;
            if (!key.isOk()) continue;
            cdx::Header h;
            h.keyExpr = spec.key;
            h.forExpr = spec.forExpr;
            h.descending = spec.descending;
            h.options =
                static_cast<uint8_t>(cdx::kTagBaseOptions | (spec.unique ? cdx::kOptUnique : 0));
            tags_.push_back({spec.name, *key, h});
        }
        const uint32_t n = t.table->recordCount();
        images_.resize(size_t(n) * t.table->recordLength());
        EXPECT_TRUE(t.table->readRecords(1, n, images_.data()).isOk());
    }

    // Builds the index at `path` in blocks of 64 records; the file's bytes, or the failure.
    Result<std::string> run(const std::string& path, Env* env, unsigned threads, size_t budget,
                            BuildWork* work) {
        const uint32_t n = t_.table->recordCount();
        const uint16_t length = t_.table->recordLength();
        auto b = IndexBuilder::start(path, env, tags_, budget, {}, n, threads);
        if (!b) return b.status();
        for (uint32_t r = 1; r <= n; r += 64) {
            const uint32_t count = std::min<uint32_t>(64, n - r + 1);
            RK_RETURN_IF_ERROR(
                (*b)->addRecords(r, count, images_.data() + size_t(r - 1) * length, length));
        }
        auto f = (*b)->finish(t_.table.get(), 1);
        *work = (*b)->work();
        if (!f) return f.status();
        f->reset();
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    IndexedTable& t_;
    std::vector<BuildTag> tags_;
    std::string images_;
};

// With two threads the second makes the keys of some blocks and builds the last tags' trees
// apart, moved in behind the others: the file is the one a single thread writes, byte for
// byte, whether the keys fit the budget or go to runs; no temporary file stays.
TEST(CdxFile, ABuildOnTwoThreadsWritesTheFileOfOne) {
    IndexedTable t;
    std::mt19937 rng(21);
    for (int i = 0; i < 3000; ++i) {
        Row r = t.randomRow(rng);
        r.deleted = i % 9 == 0;
        t.append(r, false);
    }
    BlockBuild build(t);
    for (size_t budget : {size_t(1) << 30, size_t(30000)}) {
        BuildWork one, two;
        auto single = build.run(t.dir.file("one.cdx"), Env::standard(), 1, budget, &one);
        auto split = build.run(t.cdxPath, Env::standard(), 2, budget, &two);
        ASSERT_TRUE(single.isOk()) << single.status().message();
        ASSERT_TRUE(split.isOk()) << split.status().message();
        EXPECT_EQ(one.helperBlocks + one.tagsApart, 0u);
        EXPECT_GT(two.helperBlocks, 0u);
        EXPECT_GT(two.tagsApart, 0u);
        EXPECT_EQ(one.runs > 0, budget < 100000) << "runs only beyond the budget";
        EXPECT_EQ(two.runs > 0, budget < 100000);
        EXPECT_EQ(single->size(), split->size());
        EXPECT_TRUE(*single == *split) << "budget " << budget;
        size_t files = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(t.dir.path()))
            ++files;
        EXPECT_EQ(files, 3u); // the table, and the two indexes
    }
    t.reopen();
    t.expectAllOrders();
}

// A write that fails anywhere in a two-thread build (a run of either thread, a tree built
// apart, its move) fails the build, and nothing it wrote stays.
TEST(CdxFile, AFailedWriteInATwoThreadBuildLeavesNothing) {
    IndexedTable t;
    std::mt19937 rng(5);
    for (int i = 0; i < 1500; ++i)
        t.append(t.randomRow(rng), false);
    BlockBuild build(t);
    const std::string out = t.dir.file("two.cdx");
    bool built = false;
    long failures = 0;
    for (long k = 0; !built && k < 2000; ++k) {
        test::FaultEnv env;
        env.writesLeft = k;
        BuildWork work;
        auto r = build.run(out, &env, 2, 30000, &work);
        built = r.isOk();
        if (!built) {
            ++failures;
            size_t files = 0;
            for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(t.dir.path()))
                ++files;
            ASSERT_EQ(files, 1u) << "after a failure at write " << k; // the table alone
        }
    }
    EXPECT_TRUE(built);
    EXPECT_GT(failures, 20); // runs of both threads, trees, the move, the headers
}
