// Damaged and stale index files: each kind of damage is found by the check, an open that
// cannot trust the file rebuilds it, and nothing ever walks a tag in a wrong order.
#include "cdx.h"
#include "cdx_header.h"
#include "cdx_node.h"
#include "cdx_table_util.h"
#include "table.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <tuple>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

using namespace rk;
using namespace rk::cdx;
using rk::store::IndexFile;
using rk::store::IndexOptions;
using rk::test::IndexedTable;
using rk::test::kTags;

namespace {

// The pages of one tag, level by level (root first, leaves last), read with the codecs.
struct Layout {
    uint32_t header = 0;
    std::vector<std::vector<uint32_t>> levels;
    const std::vector<uint32_t>& leaves() const { return levels.back(); }
};

const uint8_t* at(const std::string& file, uint32_t off) {
    return reinterpret_cast<const uint8_t*>(file.data()) + off;
}

Layout layoutOf(const std::string& file, const std::string& tag, uint16_t keyLength) {
    Layout l;
    Header compound;
    EXPECT_TRUE(decodeHeader(at(file, 0), &compound).isOk());
    Node dir;
    EXPECT_TRUE(decodeNode(at(file, compound.root), compound.root, 10, ' ', &dir).isOk());
    for (size_t i = 0; i < dir.count(); ++i) {
        std::string name(reinterpret_cast<const char*>(dir.key(i)), 10);
        if (name.substr(0, tag.size()) == tag && name[tag.size()] == ' ') l.header = dir.recnos[i];
    }
    Header h;
    EXPECT_TRUE(decodeHeader(at(file, l.header), &h).isOk());
    std::vector<uint32_t> level{h.root};
    while (!level.empty()) {
        l.levels.push_back(level);
        std::vector<uint32_t> below;
        for (uint32_t off : level) {
            Node n;
            EXPECT_TRUE(decodeNode(at(file, off), off, keyLength, ' ', &n).isOk());
            below.insert(below.end(), n.children.begin(), n.children.end());
        }
        level = below;
    }
    return l;
}

Node nodeAt(const std::string& file, uint32_t off, uint16_t k) {
    Node n;
    EXPECT_TRUE(decodeNode(at(file, off), off, k, ' ', &n).isOk());
    return n;
}

void putNode(std::string& file, const Node& n) {
    encodeNode(n, reinterpret_cast<uint8_t*>(file.data()) + n.offset);
}

void stripMark(std::string& file) {
    std::memset(file.data() + kHdrMark, 0, kHdrMarkSize);
}

using Damage = std::function<void(std::string& file, const Layout& name)>;

// The NAME tag (key UPPER(NAME), 12 bytes) of a table of 5000 rows: three levels.
const std::vector<std::pair<std::string, Damage>>& damages() {
    static const std::vector<std::pair<std::string, Damage>> list = {
        {"two leaves swapped",
         [](std::string& f, const Layout& l) {
             Node a = nodeAt(f, l.leaves()[1], 12), b = nodeAt(f, l.leaves()[2], 12);
             std::swap(a.keys, b.keys);
             std::swap(a.recnos, b.recnos);
             putNode(f, a);
             putNode(f, b);
         }},
        {"a child pointer beyond the end",
         [](std::string& f, const Layout& l) {
             Node r = nodeAt(f, l.levels[0][0], 12);
             r.children[1] = 0x7FFFFE00;
             putNode(f, r);
         }},
        {"a loop back to the root",
         [](std::string& f, const Layout& l) {
             Node n = nodeAt(f, l.levels[1][0], 12);
             n.children[0] = l.levels[0][0];
             putNode(f, n);
         }},
        {"a broken sibling link",
         [](std::string& f, const Layout& l) {
             Node n = nodeAt(f, l.leaves()[3], 12);
             n.right = l.leaves()[5];
             putNode(f, n);
         }},
        {"an interior key that is not its child's last",
         [](std::string& f, const Layout& l) {
             Node n = nodeAt(f, l.levels[1][0], 12);
             std::memset(n.keys.data(), 'A', 12);
             putNode(f, n);
         }},
        {"a leaf with bad bit widths",
         [](std::string& f, const Layout& l) { f[l.leaves()[2] + kLeafRecBits] += 1; }},
        {"leaf keys out of order",
         [](std::string& f, const Layout& l) {
             Node n = nodeAt(f, l.leaves()[4], 12);
             Node swapped = n;
             size_t last = n.count() - 1;
             swapped.set(0, n.key(last), n.recnos[last]);
             swapped.set(last, n.key(0), n.recnos[0]);
             putNode(f, swapped);
         }},
        {"a record number changed (found only against the table)",
         [](std::string& f, const Layout& l) {
             Node n = nodeAt(f, l.leaves()[4], 12);
             n.recnos[3] = 4999 - n.recnos[3];
             putNode(f, n);
         }},
        {"a free list into a page in use",
         [](std::string& f, const Layout& l) {
             put32(reinterpret_cast<uint8_t*>(f.data()) + kHdrFreeList, l.leaves()[4]);
         }},
        {"a bad root pointer",
         [](std::string& f, const Layout& l) {
             put32(reinterpret_cast<uint8_t*>(f.data()) + l.header + kHdrRoot, 0x123);
         }},
        {"a file cut short",
         [](std::string& f, const Layout&) { f.resize(f.size() / 2 / 512 * 512); }},
    };
    return list;
}

class CdxDamage : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937 rng(9);
        for (int i = 0; i < 5000; ++i)
            t.append(t.randomRow(rng), false);
        t.createIndex();
        t.index.reset();
        pristine = test::readAll(t.cdxPath);
        layout = layoutOf(pristine, "NAME", 12);
        ASSERT_GE(layout.levels.size(), 3u);
    }
    // Walks every tag: each walk either fails or gives exactly the right order. (A record
    // number changed inside a sound page cannot be seen without the table: the check finds
    // it, the walk cannot.)
    void expectNoWrongOrder(const std::string& what = "") {
        if (what.find("only against the table") != std::string::npos) return;
        for (int i = 0; i < t.index->tagCount(); ++i) {
            std::vector<uint32_t> got;
            Status s = t.index->walk(i, [&](uint32_t r) {
                got.push_back(r);
                return got.size() < 100000;
            });
            if (s.isOk())
                EXPECT_EQ(got, t.expected(t.index->tag(i).name)) << t.index->tag(i).name;
            else
                EXPECT_EQ(s.code(), Status::Code::Corruption) << s.message();
        }
    }

    IndexedTable t;
    std::string pristine;
    Layout layout;
};

} // namespace

TEST_F(CdxDamage, EveryKindIsFoundByTheCheck) {
    for (const auto& [what, damage] : damages()) {
        SCOPED_TRACE(what);
        std::string file = pristine;
        damage(file, layout);
        test::writeAll(t.cdxPath, file);
        IndexOptions opts;
        opts.repair = false;
        t.reopen(opts);
        std::vector<std::string> problems, notes;
        t.index->verify(true, &problems, &notes);
        EXPECT_FALSE(problems.empty());
        expectNoWrongOrder(what);
    }
}

TEST_F(CdxDamage, AnOpenThatCannotTrustTheFileRebuildsIt) {
    for (bool keepMark : {false, true}) {
        for (const auto& [what, damage] : damages()) {
            SCOPED_TRACE(what + (keepMark ? " (marked sound)" : " (no mark)"));
            std::string file = pristine;
            damage(file, layout);
            if (!keepMark) stripMark(file);
            test::writeAll(t.cdxPath, file);
            t.reopen();
            if (!keepMark || what == "a file cut short" || what == "a bad root pointer") {
                // Not trusted: checked, found damaged, rebuilt.
                ASSERT_FALSE(t.index->notices().empty());
                EXPECT_NE(t.index->notices().back().find("was rebuilt"), std::string::npos);
                t.expectAllOrders();
            } else {
                // Trusted by its mark: damage shows when it is met, never as a wrong order.
                expectNoWrongOrder(what);
                ASSERT_TRUE(t.index->rebuild().isOk());
                t.expectAllOrders();
            }
        }
    }
}

TEST_F(CdxDamage, AReadOnlyOpenRebuildsInMemoryAndSavesItWhenNobodyElseReads) {
    std::string file = pristine;
    damages()[0].second(file, layout);
    stripMark(file);
    test::writeAll(t.cdxPath, file);
    IndexOptions opts;
    opts.readOnly = true;
    opts.exclusive = false;
    {
        // Another program reads the file: it is left as it is.
        auto reader = Env::standard()->open(t.cdxPath, OpenMode::ReadOnly, LockMode::Shared);
        ASSERT_TRUE(reader.isOk());
        t.reopen(opts);
    }
    EXPECT_TRUE(t.index->usable());
    EXPECT_TRUE(t.index->inMemory());
    ASSERT_EQ(t.index->notices().size(), 1u);
    EXPECT_NE(t.index->notices()[0].find("worked out in memory"), std::string::npos);
    t.expectAllOrders();
    EXPECT_EQ(test::readAll(t.cdxPath), file);
    // With repair off (a check) it says so and is not used.
    opts.repair = false;
    t.reopen(opts);
    EXPECT_FALSE(t.index->usable());
    ASSERT_FALSE(t.index->notices().empty());
    EXPECT_NE(t.index->notices()[0].find("cannot be used"), std::string::npos);
    // Alone, the open saves its rebuild: the next open has nothing to do.
    opts.repair = true;
    t.reopen(opts);
    ASSERT_EQ(t.index->notices().size(), 1u);
    EXPECT_NE(t.index->notices()[0].find("was rebuilt"), std::string::npos);
    t.reopen(opts);
    EXPECT_TRUE(t.index->notices().empty());
    EXPECT_FALSE(t.index->inMemory());
    t.expectAllOrders();
}

// An interior page with wrong sibling links in a file marked sound: the open trusts it, but
// the first write whose path passes the page is refused before it changes a page, and the
// table rebuilds the index with a notice; the check then finds it sound.
TEST_F(CdxDamage, AWriteNeverBuildsOnADamagedTree) {
    std::string file = pristine;
    Node n = nodeAt(file, layout.levels[1][1], 12);
    n.left = kNone;
    putNode(file, n);
    test::writeAll(t.cdxPath, file);
    t.index.reset();
    t.table.reset();
    {
        store::Table table(t.dbfPath);
        ASSERT_TRUE(table.open().isOk());
        ASSERT_TRUE(table.notices().empty());
        const dbf::FieldDef& name = *table.field("NAME");
        for (uint32_t r = 1; r <= table.recCount() && table.notices().empty(); ++r) {
            ASSERT_TRUE(table.go(r).isOk());
            std::string img = table.record();
            t.rows[r - 1].name = "renamed " + std::to_string(r);
            dbf::setString(img, name, t.rows[r - 1].name);
            ASSERT_TRUE(table.putRecord(img).isOk());
        }
        ASSERT_FALSE(table.notices().empty());
        EXPECT_NE(table.notices().back().find("damaged"), std::string::npos);
    }
    t.openTable();
    auto idx = IndexFile::open(t.cdxPath, t.table.get());
    ASSERT_TRUE(idx.isOk());
    t.index = std::move(*idx);
    EXPECT_TRUE(t.index->notices().empty());
    t.expectAllOrders();
}

// A key changed inside a leaf, its page still in order: the open cannot see it (see
// docs/architecture.md), but a write that removes that record's entry finds its key missing,
// and the index is rebuilt from the table instead of keeping the wrong entry. For a unique tag
// too, whose entry of a key may belong to another record but whose key must be there.
TEST_F(CdxDamage, AChangedLeafKeyIsFoundByTheWriteThatRemovesIt) {
    for (const auto& [tag, keyLength, field] :
         {std::tuple<std::string, uint16_t, std::string>{"NAME", 12, "NAME"},
          {"UNIQCITY", 10, "CITY"}}) {
        std::string file = pristine;
        const Layout l = layoutOf(file, tag, keyLength);
        // A key between its neighbours' (the left one with its last byte raised): the page
        // stays in order.
        Node n;
        size_t i = 0;
        std::vector<uint8_t> changed;
        for (size_t leaf = 0; leaf < l.leaves().size() && !i; ++leaf) {
            n = nodeAt(file, l.leaves()[leaf], keyLength);
            for (size_t e = 1; e + 1 < n.count() && !i; ++e) {
                changed.assign(n.key(e - 1), n.key(e - 1) + keyLength);
                if (changed.back() == 0xFF) continue;
                ++changed.back();
                if (std::memcmp(changed.data(), n.key(e), keyLength) < 0) i = e;
            }
        }
        ASSERT_GT(i, 0u) << tag;
        const uint32_t recno = n.recnos[i];
        n.set(i, changed.data(), recno);
        putNode(file, n);
        test::writeAll(t.cdxPath, file);
        t.index.reset();
        t.table.reset();
        {
            store::Table table(t.dbfPath);
            ASSERT_TRUE(table.open().isOk());
            ASSERT_TRUE(table.notices().empty()) << "the open does not see such damage";
            ASSERT_TRUE(table.go(recno).isOk());
            std::string img = table.record();
            test::Row& row = t.rows[recno - 1];
            (field == "NAME" ? row.name : row.city) = "Changed";
            dbf::setString(img, *table.field(field), "Changed");
            ASSERT_TRUE(table.putRecord(img).isOk());
            ASSERT_FALSE(table.notices().empty()) << tag;
            EXPECT_NE(table.notices().back().find("no entry for record " + std::to_string(recno)),
                      std::string::npos)
                << table.notices().back();
        }
        t.openTable();
        auto idx = IndexFile::open(t.cdxPath, t.table.get());
        ASSERT_TRUE(idx.isOk());
        t.index = std::move(*idx);
        EXPECT_TRUE(t.index->notices().empty());
        t.expectAllOrders();
        t.index.reset();
        pristine = test::readAll(t.cdxPath);
    }
}

TEST_F(CdxDamage, ALostDirectoryIsAnErrorNotACrash) {
    std::string file = pristine;
    std::memset(file.data() + kHeaderSize, 0x5A, kPageSize);
    test::writeAll(t.cdxPath, file);
    t.table.reset();
    t.openTable();
    auto idx = IndexFile::open(t.cdxPath, t.table.get());
    ASSERT_FALSE(idx.isOk());
    EXPECT_EQ(idx.status().code(), Status::Code::Corruption);
}

// Random bytes changed anywhere. Without the mark the open checks the file against the
// table, so what it accepts (or rebuilds) walks in the right order. With the mark the open
// trusts the file; then the check must be complete: when it finds nothing, every order is
// right.
TEST_F(CdxDamage, RandomByteDamageNeverCrashesOrMisorders) {
    std::mt19937 rng(77);
    int rebuilt = 0, refused = 0, reported = 0;
    for (int round = 0; round < 40; ++round) {
        std::string file = pristine;
        int flips = 1 + static_cast<int>(rng() % 6);
        for (int i = 0; i < flips; ++i) {
            size_t off = rng() % file.size();
            file[off] = static_cast<char>(file[off] ^ (1 + rng() % 255));
        }
        bool marked = rng() % 2;
        if (!marked) stripMark(file);
        test::writeAll(t.cdxPath, file);
        t.index.reset();
        t.table.reset();
        t.openTable();
        auto idx = IndexFile::open(t.cdxPath, t.table.get());
        if (!idx.isOk()) {
            ++refused; // the tag definitions themselves are unreadable
            continue;
        }
        t.index = std::move(*idx);
        if (!t.index->notices().empty()) ++rebuilt;
        if (marked) {
            std::vector<std::string> problems, notes;
            t.index->verify(true, &problems, &notes);
            if (!problems.empty()) {
                ++reported;
                continue;
            }
        }
        // Tags whose definition the damage changed (a name, an expression) are other tags.
        for (int i = 0; i < t.index->tagCount(); ++i) {
            const auto& tag = t.index->tag(i);
            auto same = std::find_if(kTags.begin(), kTags.end(), [&](const store::TagSpec& s) {
                return s.name == tag.name && s.key == tag.keyExpr && s.forExpr == tag.forExpr &&
                       s.descending == tag.descending && s.unique == tag.unique;
            });
            if (same == kTags.end()) continue;
            std::vector<uint32_t> got;
            ASSERT_TRUE(t.index
                            ->walk(i,
                                   [&](uint32_t r) {
                                       got.push_back(r);
                                       return true;
                                   })
                            .isOk());
            EXPECT_EQ(got, t.expected(tag.name)) << tag.name << " round " << round;
        }
        if (::testing::Test::HasFailure()) return;
    }
    EXPECT_GT(rebuilt, 0);
    EXPECT_GT(reported, 0);
}

TEST(CdxCrash, AnInterruptedChangeIsRebuiltAtTheNextOpen) {
    IndexedTable t;
    std::mt19937 rng(4);
    for (int i = 0; i < 200; ++i)
        t.append(t.randomRow(rng), false);
    t.createIndex();
    // The process dies after writing the record, before the index pages are all written.
    ASSERT_TRUE(t.index->beginChange().isOk());
    test::Row r = t.randomRow(rng);
    std::string img = t.image(r);
    auto n = t.table->appendRecord(img);
    ASSERT_TRUE(n.isOk());
    t.rows.push_back(r);
    ASSERT_TRUE(t.index->recordAdded(img, *n).isOk());
    t.index.reset(); // no endChange: pages never written
    int lastPercent = -1;
    IndexOptions opts;
    opts.rebuildProgress = [&](int p) {
        EXPECT_GE(p, lastPercent);
        lastPercent = p;
    };
    t.reopen(opts);
    ASSERT_EQ(t.index->notices().size(), 2u);
    EXPECT_NE(t.index->notices()[0].find("interrupted"), std::string::npos);
    EXPECT_EQ(lastPercent, 100);
    t.expectAllOrders();
    t.reopen();
    EXPECT_TRUE(t.index->notices().empty());
}

TEST(CdxCrash, ATableChangedBehindTheIndexIsRebuilt) {
    IndexedTable t;
    std::mt19937 rng(5);
    for (int i = 0; i < 100; ++i)
        t.append(t.randomRow(rng), false);
    t.createIndex();
    t.append(t.randomRow(rng), false); // another program appended without the index
    t.reopen();
    ASSERT_FALSE(t.index->notices().empty());
    EXPECT_NE(t.index->notices()[0].find("made for 100 records and the table has 101"),
              std::string::npos);
    t.expectAllOrders();
}

TEST(CdxCrash, AFileWithoutTheMarkIsCheckedOnceAndThenTrusted) {
    IndexedTable t;
    std::mt19937 rng(6);
    for (int i = 0; i < 100; ++i)
        t.append(t.randomRow(rng), false);
    t.createIndex();
    t.index.reset();
    std::string file = test::readAll(t.cdxPath);
    stripMark(file);
    test::writeAll(t.cdxPath, file);
    t.reopen();
    EXPECT_TRUE(t.index->notices().empty()); // sound: nothing to say
    t.index.reset();
    EXPECT_TRUE(readMark(at(test::readAll(t.cdxPath), 0)).sound);
    t.reopen();
    t.expectAllOrders();
}

// Another engine changes the table and its index in exclusive mode without moving the
// change counter: our mark then says "made for 100 records" of a table with 101. The index is
// sound: it is checked, kept, and the verdict saved, also by an open for reading.
TEST(CdxCrash, AnIndexChangedWithoutItsCounterIsCheckedAndKept) {
    for (bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "writable");
        IndexedTable t;
        std::mt19937 rng(8);
        for (int i = 0; i < 100; ++i)
            t.append(t.randomRow(rng), false);
        t.createIndex();
        const std::string before = test::readAll(t.cdxPath);
        t.append(t.randomRow(rng));
        t.index.reset();
        std::string file = test::readAll(t.cdxPath);
        std::memcpy(file.data() + kHdrCounter, before.data() + kHdrCounter, 4);
        writeMark(reinterpret_cast<uint8_t*>(file.data()), readMark(at(before, 0)));
        test::writeAll(t.cdxPath, file);
        ASSERT_EQ(readMark(at(file, 0)).records, 100u);
        IndexOptions opts;
        opts.readOnly = readOnly;
        opts.exclusive = !readOnly;
        t.reopen(opts);
        EXPECT_TRUE(t.index->notices().empty());
        EXPECT_FALSE(t.index->inMemory());
        t.expectAllOrders();
        t.index.reset();
        EXPECT_EQ(readMark(at(test::readAll(t.cdxPath), 0)).records, 101u);
    }
}

// A table changed in place by a program that does not know the index (same size, same
// count): the table file's stamp in the mark gives it away, and the index is rebuilt.
TEST(CdxCrash, ATableChangedInPlaceBehindTheIndexIsRebuilt) {
    IndexedTable t;
    std::mt19937 rng(9);
    for (int i = 0; i < 100; ++i)
        t.append(t.randomRow(rng), false);
    t.createIndex();
    t.index.reset();
    test::Row first = t.rows[0];
    first.name = "Zzz now last";
    ASSERT_TRUE(t.table->writeRecord(1, t.image(first)).isOk());
    t.rows[0] = first;
    // A later clock tick than the index's (file times are coarser than a test).
    namespace fs = std::filesystem;
    fs::last_write_time(t.dbfPath, fs::last_write_time(t.dbfPath) + std::chrono::seconds(2));
    t.reopen();
    ASSERT_FALSE(t.index->notices().empty());
    EXPECT_NE(t.index->notices().front().find("written since"), std::string::npos);
    t.expectAllOrders();
}

TEST(CdxCrash, AnUnsupportedCollationIsRebuiltInMachineOrder) {
    IndexedTable t;
    std::mt19937 rng(7);
    for (int i = 0; i < 100; ++i)
        t.append(t.randomRow(rng), false);
    t.createIndex();
    t.index.reset();
    std::string file = test::readAll(t.cdxPath);
    Layout l = layoutOf(file, "NAME", 12);
    std::memcpy(file.data() + l.header + kHdrCollation, "GENERAL", 7);
    test::writeAll(t.cdxPath, file);
    t.reopen();
    ASSERT_FALSE(t.index->notices().empty());
    EXPECT_NE(t.index->notices()[0].find("collation \"GENERAL\""), std::string::npos);
    t.index.reset();
    file = test::readAll(t.cdxPath);
    l = layoutOf(file, "NAME", 12);
    Header h;
    ASSERT_TRUE(decodeHeader(at(file, l.header), &h).isOk());
    EXPECT_TRUE(h.machineCollation());
    t.reopen();
    t.expectAllOrders();
}
