// Tables with their structural index: orders of all twelve title tags against orders worked
// out here, navigation combined with the deleted filter and queries, seeks, upkeep on every
// write, pack, reindex, remembered orders, and what an open finds missing or stale.
#include "catalogue.h"
#include "cdx.h"
#include "cdx_header.h"
#include "check.h"
#include "cp1252.h"
#include "expr.h"
#include "record.h"
#include "table.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>

using namespace rk;
using store::Table;

namespace {

const char* kWords[] = {"alien", "Alien", "ALIENS", "Zoo", "zebra", "Émile", "émile", "b&&w",
                        "The",   "the",   "Day",    "",    "Night", "12",    "9",     "Ω"};

class Catalogue : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(catalogue::createEmpty(dir.path()).isOk());
        path = findFileNoCase(dir.path(), "VIDEO.DBF");
        open();
    }
    // The tables here need not survive a power cut, so nothing waits for stable storage (the
    // test of those flushes opens its own table).
    static store::TableOptions unsynced() {
        store::TableOptions o;
        o.sync = false;
        return o;
    }
    void open(store::TableOptions o = unsynced()) {
        t = std::make_unique<Table>(path, o);
        ASSERT_TRUE(t->open().isOk());
    }
    std::string randomTitle() {
        std::string s;
        for (int i = 0; i < 1 + int(rng() % 4); ++i)
            s += std::string(i ? " " : "") + kWords[rng() % (sizeof kWords / sizeof *kWords)];
        auto r = cp1252::fromUtf8(s);
        return r ? *r : s;
    }
    std::string randomImage() { return randomImageFor(*t); }
    std::string randomImageFor(Table& of) {
        std::string img = of.dbf()->blankRecord();
        auto set = [&](const char* f, const std::string& v) {
            dbf::setString(img, *of.field(f), v);
        };
        set("TITLE", randomTitle());
        set("CATEGORY", kWords[rng() % 6]);
        set("FORMAT", kWords[rng() % 4 + 3]);
        set("ID", std::to_string(rng() % 50));
        set("YEAR", std::to_string(1950 + rng() % 3));
        set("RATING", rng() % 2 ? "Good" : "good");
        set("RATED", rng() % 2 ? "PG" : "");
        set("CONTENT", rng() % 2 ? "Movie" : "Television");
        set("USER1", randomTitle());
        set("USER2", rng() % 3 ? "" : "x");
        dbf::setLogical(img, *of.field("MULTI_SET"), rng() % 2);
        return img;
    }
    void appendRandom(int n) { appendRandomTo(*t, n); }
    void appendRandomTo(Table& to, int n) {
        for (int i = 0; i < n; ++i)
            ASSERT_TRUE(to.appendRecord(randomImageFor(to)).isOk());
    }

    // Visible records of a tag's order, worked out with the expression evaluator and a sort.
    std::vector<uint32_t> expected(const std::string& tag) {
        std::string keyText;
        for (const auto& d : catalogue::titleTags())
            if (d.name == tag) keyText = d.key;
        auto e = xbase::Expr::parse(keyText, t->fields());
        EXPECT_TRUE(e.isOk());
        std::vector<std::pair<std::string, uint32_t>> keys;
        for (uint32_t r = 1; r <= t->recCount(); ++r) {
            std::string img;
            EXPECT_TRUE(t->dbf()->readRecord(r, &img).isOk());
            if (t->hidesDeleted() && dbf::isDeleted(img)) continue;
            if (!t->queryText().empty()) {
                auto q = xbase::Expr::parse(t->queryText(), t->fields());
                if (!q->test(img, r)) continue;
            }
            keys.emplace_back(e->eval(img, r).s, r);
        }
        std::sort(keys.begin(), keys.end());
        std::vector<uint32_t> out;
        for (const auto& k : keys)
            out.push_back(k.second);
        return out;
    }
    std::vector<uint32_t> visible() {
        std::vector<uint32_t> out;
        EXPECT_TRUE(t->visibleRecords(&out).isOk());
        return out;
    }
    std::vector<uint32_t> walkForward() {
        std::vector<uint32_t> out;
        EXPECT_TRUE(t->goTop().isOk());
        while (!t->eof()) {
            out.push_back(t->recNo());
            EXPECT_TRUE(t->skip(1).isOk());
        }
        return out;
    }
    std::vector<uint32_t> walkBackward() {
        std::vector<uint32_t> out;
        EXPECT_TRUE(t->goBottom().isOk());
        while (!t->eof() && !t->bof()) {
            out.push_back(t->recNo());
            EXPECT_TRUE(t->skip(-1).isOk());
        }
        std::reverse(out.begin(), out.end());
        return out;
    }
    // The check, with the table closed (it holds the files exclusively), then open again.
    void expectSound() {
        t->close();
        auto report = store::checkTable(path);
        ASSERT_TRUE(report.isOk()) << report.status().message();
        for (const auto& p : report->problems)
            ADD_FAILURE() << p;
        ASSERT_TRUE(t->open().isOk());
    }

    test::TempDir dir;
    std::string path;
    std::unique_ptr<Table> t;
    std::mt19937 rng{42};
};

} // namespace

TEST_F(Catalogue, EveryTagOrdersAsItsKeyWhateverTheFilter) {
    appendRandom(600);
    for (uint32_t r = 3; r <= 600; r += 7) {
        ASSERT_TRUE(t->go(r).isOk());
        ASSERT_TRUE(t->deleteRecord().isOk());
    }
    EXPECT_EQ(t->tagNames().size(), 12u);
    for (const std::string& q :
         {std::string(), std::string("CATEGORY = \"alien\""), std::string("MULTI_SET")}) {
        ASSERT_TRUE(t->query(q).isOk());
        for (bool hideDeleted : {true, false}) {
            t->setHideDeleted(hideDeleted);
            for (const auto& tag : t->tagNames()) {
                SCOPED_TRACE(tag + " query [" + q + "] deleted hidden " +
                             std::to_string(hideDeleted));
                t->setOrder(t->tagArea(tag));
                std::vector<uint32_t> want = expected(tag);
                ASSERT_EQ(visible(), want);
                ASSERT_EQ(walkForward(), want);
                ASSERT_EQ(walkBackward(), want);
            }
        }
    }
    t->setHideDeleted(true);
    t->setOrder(0);
    ASSERT_TRUE(t->query("").isOk());
    std::vector<uint32_t> natural = visible();
    EXPECT_TRUE(std::is_sorted(natural.begin(), natural.end()));
    EXPECT_EQ(walkForward(), natural);
    expectSound();
}

TEST_F(Catalogue, OrdersAreNamedNumberedAndRemembered) {
    appendRandom(20);
    EXPECT_EQ(t->tagArea("TITIT"), 1);
    EXPECT_EQ(t->tagArea("titit"), 1);
    EXPECT_EQ(t->tagArea("USE2"), 12);
    EXPECT_EQ(t->tagArea("NOSUCH"), 0);
    EXPECT_EQ(t->setOrder(3), 0);
    EXPECT_EQ(t->orderName(), "DIRECT");
    EXPECT_EQ(t->indexOrd(), 3);
    EXPECT_EQ(t->setOrder(0), 3);
    EXPECT_EQ(t->orderName(), "");
    EXPECT_EQ(t->setOrder(99), 0); // no such order: natural
    EXPECT_EQ(t->indexOrd(), 0);
    t->setOrder(t->tagArea("YR"));
    t->close();
    ASSERT_TRUE(t->open().isOk());
    EXPECT_EQ(t->orderName(), "YR");
    EXPECT_EQ(t->indexOrd(), 5);
    EXPECT_EQ(visible(), expected("YR"));
}

TEST_F(Catalogue, SkipsGoesAndSeeks) {
    appendRandom(300);
    t->setOrder(t->tagArea("TITIT"));
    std::vector<uint32_t> order = expected("TITIT");
    // go() to a record, then skip: its neighbours in the order.
    for (size_t i = 0; i < order.size(); i += 13) {
        ASSERT_TRUE(t->go(order[i]).isOk());
        ASSERT_TRUE(t->skip(1).isOk());
        if (i + 1 < order.size()) {
            EXPECT_EQ(t->recNo(), order[i + 1]);
        } else {
            EXPECT_TRUE(t->eof());
        }
        ASSERT_TRUE(t->go(order[i]).isOk());
        ASSERT_TRUE(t->skip(-1).isOk());
        if (i > 0) {
            EXPECT_EQ(t->recNo(), order[i - 1]);
        } else {
            EXPECT_TRUE(t->bof());
        }
        ASSERT_TRUE(t->go(order[i]).isOk());
        ASSERT_TRUE(t->skip(5).isOk());
        if (i + 5 < order.size()) {
            EXPECT_EQ(t->recNo(), order[i + 5]);
        }
    }
    // A deleted (hidden) record as the starting point still has its place in the order.
    ASSERT_TRUE(t->go(order[10]).isOk());
    ASSERT_TRUE(t->deleteRecord().isOk());
    ASSERT_TRUE(t->skip(1).isOk());
    EXPECT_EQ(t->recNo(), order[11]);
    ASSERT_TRUE(t->go(order[10]).isOk());
    ASSERT_TRUE(t->skip(-1).isOk());
    EXPECT_EQ(t->recNo(), order[9]);
    // Seeks: exact on a prefix of the key, soft to the next key, and not to hidden records.
    bool found = false;
    std::string firstKey = cp1252::upper(dbf::trimmedField(
        [&] {
            std::string img;
            EXPECT_TRUE(t->dbf()->readRecord(order[0], &img).isOk());
            return img;
        }(),
        *t->field("TITLE")));
    ASSERT_TRUE(t->seek(firstKey.substr(0, 2), false, &found).isOk());
    EXPECT_TRUE(found);
    EXPECT_EQ(t->recNo(), order[0]);
    ASSERT_TRUE(t->seek("ZZZZZZ", false, &found).isOk());
    EXPECT_FALSE(found);
    EXPECT_TRUE(t->eof());
    ASSERT_TRUE(t->seek("ALIEM", true, &found).isOk());
    EXPECT_FALSE(found);
    ASSERT_FALSE(t->eof());
    std::string at = cp1252::upper(dbf::trimmedField(t->record(), *t->field("TITLE")));
    EXPECT_GE(at, std::string("ALIEM"));
    ASSERT_TRUE(t->seek("ALIEN", false, &found).isOk());
    EXPECT_TRUE(found);
    std::string alien = cp1252::upper(dbf::trimmedField(t->record(), *t->field("TITLE")));
    EXPECT_EQ(alien.substr(0, 5), "ALIEN");
    // A seek in natural order needs an order.
    t->setOrder(0);
    EXPECT_FALSE(t->seek("ALIEN", false, &found).isOk());
}

TEST_F(Catalogue, WritesKeepEveryTagCurrent) {
    appendRandom(200);
    std::vector<std::string> tags = t->tagNames();
    for (int step = 0; step < 400; ++step) {
        uint32_t r = 1 + rng() % t->recCount();
        ASSERT_TRUE(t->go(r).isOk());
        std::string img = t->record();
        switch (rng() % 4) {
        case 0:
            dbf::setString(img, *t->field("TITLE"), randomTitle());
            break;
        case 1:
            dbf::setString(img, *t->field("CATEGORY"), kWords[rng() % 16]);
            break;
        case 2:
            dbf::setLogical(img, *t->field("MULTI_SET"), rng() % 2);
            break;
        default:
            dbf::setDeleted(img, !dbf::isDeleted(img));
            break;
        }
        ASSERT_TRUE(t->putRecord(img).isOk());
        if (step % 50 == 0) {
            ASSERT_TRUE(t->appendBlank().isOk());
        }
    }
    for (const auto& tag : tags) {
        t->setOrder(t->tagArea(tag));
        EXPECT_EQ(visible(), expected(tag)) << tag;
    }
    expectSound();
    // A fresh open trusts what the writes left and says nothing.
    open();
    EXPECT_TRUE(t->notices().empty()) << t->notices().front();
}

TEST_F(Catalogue, PackAndReindexRebuildTheTagsWithProgress) {
    appendRandom(500);
    for (uint32_t r = 1; r <= 500; r += 10) {
        ASSERT_TRUE(t->go(r).isOk());
        ASSERT_TRUE(t->deleteRecord().isOk());
    }
    t->setOrder(t->tagArea("CATEGORY"));
    std::vector<int> seen;
    ASSERT_TRUE(t->pack([&](int p) { seen.push_back(p); }).isOk());
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100);
    EXPECT_EQ(t->recCount(), 450u);
    EXPECT_EQ(visible(), expected("CATEGORY"));
    expectSound();
    seen.clear();
    ASSERT_TRUE(t->reindex([&](int p) { seen.push_back(p); }).isOk());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100);
    EXPECT_EQ(visible(), expected("CATEGORY"));
    expectSound();
}

TEST_F(Catalogue, AStaleIndexIsRebuiltOrWorkedOutInMemory) {
    appendRandom(100);
    t->close();
    {
        // Another program appends without the index.
        auto d = dbf::DbfFile::open(path, dbf::OpenOptions{});
        ASSERT_TRUE(d.isOk());
        std::string img = (*d)->blankRecord();
        dbf::setString(img, catalogue::titleFields()[0], "AAA first now");
        ASSERT_TRUE((*d)->appendRecord(img).isOk());
    }
    const std::string cdx = findFileNoCase(dir.path(), "VIDEO.CDX");
    const std::string before = test::readAll(cdx);
    // Read-only while another program reads the index: the orders are right, the file is
    // left alone.
    store::TableOptions ro;
    ro.readOnly = true;
    ro.exclusive = false;
    {
        auto reader = Env::standard()->open(cdx, OpenMode::ReadOnly, LockMode::Shared);
        ASSERT_TRUE(reader.isOk());
        open(ro);
    }
    ASSERT_FALSE(t->notices().empty());
    EXPECT_NE(t->notices().front().find("101"), std::string::npos);
    t->setOrder(t->tagArea("TITIT"));
    EXPECT_EQ(visible(), expected("TITIT"));
    t->close();
    EXPECT_EQ(test::readAll(cdx), before);
    // Open for changes: rebuilt in place, with progress and a notice.
    store::TableOptions rw;
    int last = -1;
    rw.rebuildProgress = [&](int p) { last = p; };
    open(rw);
    EXPECT_EQ(last, 100);
    ASSERT_FALSE(t->notices().empty());
    EXPECT_NE(t->notices().back().find("rebuilt"), std::string::npos);
    t->setOrder(t->tagArea("TITIT"));
    EXPECT_EQ(visible(), expected("TITIT"));
    expectSound();
}

TEST_F(Catalogue, AMissingIndexIsSaidAndTheTableStillOpens) {
    appendRandom(5);
    t->close();
    ASSERT_TRUE(Env::standard()->remove(findFileNoCase(dir.path(), "VIDEO.CDX")).isOk());
    open();
    ASSERT_EQ(t->notices().size(), 1u);
    EXPECT_NE(t->notices()[0].find("missing"), std::string::npos);
    EXPECT_TRUE(t->tagNames().empty());
    EXPECT_EQ(t->tagArea("TITIT"), 0);
    EXPECT_EQ(visible().size(), 5u);
    t->close();
    auto report = store::checkTable(path);
    ASSERT_TRUE(report.isOk());
    EXPECT_FALSE(report->sound());
    open();
    // Making the index again puts it all back.
    std::vector<store::TagSpec> tags;
    for (const auto& d : catalogue::titleTags())
        tags.push_back({d.name, d.key, d.forExpr});
    ASSERT_TRUE(t->createIndex(tags).isOk());
    EXPECT_EQ(t->tagNames().size(), 12u);
    expectSound();
}

TEST_F(Catalogue, WriteFailuresAtEveryPointLeaveASoundIndex) {
    appendRandom(50);
    t->close();
    // Fail the n-th file write of a run of changes, for every n until a run completes.
    for (long failAt = 0;; ++failAt) {
        test::FaultEnv env;
        std::string img;
        {
            Table w(path, {}, &env);
            ASSERT_TRUE(w.open().isOk());
            env.writesLeft = failAt;
            bool failed = false;
            for (int i = 0; i < 4 && !failed; ++i) {
                ASSERT_TRUE(w.go(1 + i * 7).isOk());
                img = w.record();
                dbf::setString(img, *w.field("TITLE"), "Changed " + std::to_string(i));
                failed = !w.putRecord(img).isOk() || !w.appendRecord(img).isOk();
            }
            if (!failed) break;
        }
        SCOPED_TRACE("failing write " + std::to_string(failAt));
        open();
        for (const auto& tag : t->tagNames()) {
            t->setOrder(t->tagArea(tag));
            ASSERT_EQ(visible(), expected(tag)) << tag;
        }
        expectSound();
        t->close();
        ASSERT_LT(failAt, 500);
    }
}

TEST_F(Catalogue, ABatchKeepsEveryTagCurrentAndAKilledOneLosesNoRecord) {
    appendRandom(50);
    {
        store::Batch batch(*t);
        ASSERT_TRUE(batch.status().isOk());
        appendRandom(300);
        for (int i = 0; i < 200; ++i) {
            ASSERT_TRUE(t->go(1 + rng() % t->recCount()).isOk());
            std::string img = t->record();
            dbf::setString(img, *t->field("TITLE"), randomTitle());
            dbf::setDeleted(img, rng() % 5 == 0);
            ASSERT_TRUE(t->putRecord(img).isOk());
        }
        // Orders are right in the middle of the batch too.
        t->setOrder(t->tagArea("TITIT"));
        EXPECT_EQ(visible(), expected("TITIT"));
        EXPECT_EQ(walkForward(), expected("TITIT"));
        // What a kill now leaves: every record, and an index marked "being changed".
        test::TempDir copy;
        const std::string cdx = findFileNoCase(dir.path(), "VIDEO.CDX");
        test::writeAll(copy.file("VIDEO.DBF"), test::readAll(path));
        test::writeAll(copy.file("VIDEO.CDX"), test::readAll(cdx));
        Table killed(copy.file("VIDEO.DBF"));
        ASSERT_TRUE(killed.open().isOk());
        EXPECT_EQ(killed.recCount(), 350u);
        ASSERT_FALSE(killed.notices().empty());
        EXPECT_NE(killed.notices().back().find("rebuilt"), std::string::npos);
        killed.close();
        auto report = store::checkTable(copy.file("VIDEO.DBF"));
        ASSERT_TRUE(report.isOk());
        EXPECT_TRUE(report->sound());
        ASSERT_TRUE(batch.finish().isOk());
    }
    for (const auto& tag : t->tagNames()) {
        t->setOrder(t->tagArea(tag));
        EXPECT_EQ(visible(), expected(tag)) << tag;
    }
    expectSound();
}

TEST_F(Catalogue, EachWriteAndEachBatchEndsOnStableStorage) {
    appendRandom(10);
    t->close();
    test::FaultEnv env;
    Table w(path, {}, &env);
    ASSERT_TRUE(w.open().isOk());
    ASSERT_TRUE(w.go(3).isOk());
    ASSERT_TRUE(w.putRecord(w.record()).isOk());
    // The index's mark "being changed", the table, the index's pages, its mark "sound".
    EXPECT_EQ(env.syncs, 4);
    {
        store::Batch batch(w);
        for (int i = 0; i < 20; ++i)
            ASSERT_TRUE(w.appendRecord(randomImageFor(w)).isOk());
        EXPECT_EQ(env.syncs, 5); // the mark, once for the whole batch
        ASSERT_TRUE(batch.finish().isOk());
    }
    EXPECT_EQ(env.syncs, 8);
}

// A full disk: the write that fails is reported, and what the engine survived leaves neither
// a mark "being changed" nor a temporary file behind.
TEST_F(Catalogue, AFullDiskLeavesASoundIndexAndNoTemporaryFiles) {
    appendRandom(60);
    ASSERT_TRUE(t->go(7).isOk());
    ASSERT_TRUE(t->deleteRecord().isOk());
    t->close();
    const std::string cdx = findFileNoCase(dir.path(), "VIDEO.CDX");
    auto files = [&] {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto before = files();
    test::FaultEnv env;
    {
        Table w(path, {}, &env);
        ASSERT_TRUE(w.open().isOk());
        env.diskFull = true;
        EXPECT_FALSE(w.appendRecord(randomImageFor(w)).isOk());
        EXPECT_TRUE(
            cdx::readMark(reinterpret_cast<const uint8_t*>(test::readAll(cdx).data())).sound);
        // In a batch the records before the failure stay, with their keys.
        env.diskFull = false;
        store::Batch batch(w);
        appendRandomTo(w, 5);
        env.diskFull = true;
        EXPECT_FALSE(w.appendRecord(randomImageFor(w)).isOk());
        env.diskFull = false;
        ASSERT_TRUE(batch.finish().isOk());
        EXPECT_EQ(w.recCount(), 65u);
        // A pack that runs out of room leaves the table as it was.
        env.diskFull = true;
        EXPECT_FALSE(w.pack().isOk());
        EXPECT_EQ(files(), before);
    }
    open();
    EXPECT_TRUE(t->notices().empty());
    for (const auto& tag : t->tagNames()) {
        t->setOrder(t->tagArea(tag));
        EXPECT_EQ(visible(), expected(tag)) << tag;
    }
    expectSound();
}

// A re-index on a full disk fails, whether the index opened sound or was found stale and
// could only be rebuilt in memory; the file on disk stays as it was, marked stale when it was.
TEST_F(Catalogue, AReindexOnAFullDiskFailsAndLeavesAStaleIndexMarked) {
    appendRandom(40);
    t->close();
    const std::string cdx = findFileNoCase(dir.path(), "VIDEO.CDX");
    test::FaultEnv env;
    {
        Table w(path, {}, &env);
        ASSERT_TRUE(w.open().isOk());
        env.diskFull = true;
        EXPECT_EQ(w.reindex().code(), Status::Code::IOError);
    }
    env.diskFull = false;
    {
        // A title changed behind the index's back: the open finds it stale.
        auto d = dbf::DbfFile::open(path, dbf::OpenOptions{});
        ASSERT_TRUE(d.isOk());
        std::string img;
        ASSERT_TRUE((*d)->readRecord(3, &img).isOk());
        dbf::setString(img, (*d)->fields()[size_t((*d)->fieldIndex("TITLE"))],
                       "Aaaa behind its back");
        ASSERT_TRUE((*d)->writeRecord(3, img).isOk());
    }
    const std::string stale = test::readAll(cdx);
    {
        env.diskFull = true;
        Table w(path, {}, &env);
        ASSERT_TRUE(w.open().isOk());
        ASSERT_TRUE(w.index()->inMemory());
        const Status s = w.reindex();
        EXPECT_EQ(s.code(), Status::Code::IOError);
        EXPECT_NE(s.message().find("needing a rebuild"), std::string::npos) << s.message();
    }
    EXPECT_EQ(test::readAll(cdx), stale);
    env.diskFull = false;
    open();
    EXPECT_FALSE(t->notices().empty()); // rebuilt at this open, from the table
    expectSound();
}
