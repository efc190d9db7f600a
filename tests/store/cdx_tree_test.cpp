// The tag B-tree against a plain sorted set: long random sequences of inserts and deletes,
// every key length class, splits, merges, the free list, bulk builds and cursors.
#include "cdx_build.h"
#include "cdx_cursor.h"
#include "cdx_test_util.h"
#include "cdx_tree.h"
#include "cdx_verify.h"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>

using namespace rk;
using namespace rk::cdx;
using rk::test::bytes;
using rk::test::Entry;
using rk::test::Model;

namespace {

class TreeHarness {
public:
    TreeHarness(uint16_t k, uint8_t fill) : k_(k), fill_(fill) {
        data_ = std::make_shared<test::MemData>();
        data_->bytes.assign(kHeaderSize, 0); // the header pages
        reopen(kNone);
        auto root = Tree::createEmpty(pager_.get(), k, fill);
        EXPECT_TRUE(root.isOk());
        tree_->setRoot(root.value());
    }

    // A fresh pager on the same bytes, as after closing and opening the file.
    void reopen(uint32_t root) {
        uint32_t freeHead = pager_ ? pager_->freeHead() : 0;
        pager_ = std::make_unique<Pager>(std::make_unique<test::MemFile>(data_), false);
        ASSERT_TRUE(pager_->open().isOk());
        pager_->setFreeHead(freeHead);
        pager_->setCacheCapacity(64); // small, so that eviction happens
        tree_ = std::make_unique<Tree>(pager_.get(), root, k_, fill_);
    }
    void flushAndReopen() {
        ASSERT_TRUE(pager_->flush().isOk());
        reopen(tree_->root());
    }

    void insert(const Entry& e) {
        ASSERT_TRUE(tree_->insert(bytes(e.first), e.second).isOk());
        model_.insert(e);
    }
    void remove(const Entry& e) {
        bool found = false;
        ASSERT_TRUE(tree_->remove(bytes(e.first), e.second, &found).isOk());
        EXPECT_EQ(found, model_.erase(e) == 1);
    }

    std::vector<Entry> walk(bool descending) {
        std::vector<Entry> out;
        Status s = walkTag(tree_.get(), descending, [&](uint32_t r, const uint8_t* key) {
            out.emplace_back(std::string(reinterpret_cast<const char*>(key), k_), r);
            return true;
        });
        EXPECT_TRUE(s.isOk()) << s.message();
        return out;
    }

    // Full comparison with the model, structure check, and page accounting after a flush.
    void check(bool pages) {
        std::vector<Entry> want(model_.begin(), model_.end());
        ASSERT_EQ(walk(false), want);
        std::vector<Entry> back = walk(true);
        std::reverse(back.begin(), back.end());
        ASSERT_EQ(back, want);
        std::vector<std::string> problems;
        PageSet used;
        TreeReport report;
        verifyTree(pager_.get(), "tag", tree_->root(), k_, fill_, false, &used, &problems, {},
                   &report);
        ASSERT_TRUE(problems.empty()) << problems.front();
        ASSERT_EQ(report.keys, model_.size());
        if (!pages) return;
        ASSERT_TRUE(pager_->flush().isOk());
        verifyFreeList(pager_.get(), pager_->freeHead(), used, &problems);
        ASSERT_TRUE(problems.empty()) << problems.front();
        // Every page is in the tree or on the free list: nothing leaks.
        size_t freePages = 0;
        for (uint32_t at = pager_->freeHead(); at != 0; ++freePages)
            at = get32(data_->bytes.data() + at);
        EXPECT_EQ(used.size() + freePages + 2, data_->bytes.size() / kPageSize);
    }

    Tree& tree() { return *tree_; }
    Pager& pager() { return *pager_; }
    Model& model() { return model_; }
    test::MemData& data() { return *data_; }

private:
    uint16_t k_;
    uint8_t fill_;
    std::shared_ptr<test::MemData> data_;
    std::unique_ptr<Pager> pager_;
    std::unique_ptr<Tree> tree_;
    Model model_;
};

Entry randomExisting(const Model& m, test::KeyGen& gen) {
    auto it = m.begin();
    std::advance(it, gen.pick(0, static_cast<int>(m.size()) - 1));
    return *it;
}

void randomSequence(uint16_t k, uint8_t fill, int steps, int checkEvery, uint32_t seed,
                    uint32_t maxRecno) {
    TreeHarness h(k, fill);
    test::KeyGen gen(k, fill, seed);
    for (int step = 0; step < steps; ++step) {
        // Grow for the first half, shrink for the second, with noise both ways.
        int growth = step < steps / 2 ? 65 : 35;
        int op = gen.pick(0, 99);
        if (op < growth || h.model().empty()) {
            h.insert({gen.next(), static_cast<uint32_t>(gen.pick(1, static_cast<int>(maxRecno)))});
        } else if (op < 97) {
            h.remove(randomExisting(h.model(), gen));
        } else {
            h.remove({gen.next(), maxRecno + 1}); // never present
        }
        if (step % 997 == 0) h.flushAndReopen();
        if (step % checkEvery == 0 || step == steps - 1) {
            SCOPED_TRACE("k=" + std::to_string(k) + " step " + std::to_string(step));
            h.check(step % (checkEvery * 10) == 0);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
    // Empty it completely: one empty root leaf remains, every other page is free.
    while (!h.model().empty())
        h.remove(*h.model().begin());
    h.check(true);
    NodePtr leaf;
    ASSERT_TRUE(h.tree().edgeLeaf(false, &leaf).isOk());
    EXPECT_EQ(leaf->count(), 0u);
    EXPECT_TRUE(leaf->root() && leaf->leaf());
}

} // namespace

TEST(CdxTree, RandomSequenceCheckedAfterEveryStep) {
    randomSequence(10, ' ', 3000, 1, 11, 5000);
}

TEST(CdxTree, LongRandomSequencesAtEveryKeyLength) {
    randomSequence(1, 0, 6000, 50, 21, 1 << 20);     // logical keys
    randomSequence(8, 0, 12000, 100, 22, 100000);    // numeric and date keys
    randomSequence(25, ' ', 20000, 200, 23, 70000);  // wider entries past 65535
    randomSequence(100, ' ', 8000, 100, 24, 2000);   // four interior entries per page
    randomSequence(240, ' ', 3000, 30, 25, 1 << 30); // two interior entries, wide leaves
}

TEST(CdxTree, AChangeWritesOnlyThePagesItTouches) {
    TreeHarness h(10, ' ');
    test::KeyGen gen(10, ' ', 3);
    for (int i = 0; i < 20000; ++i)
        h.insert({gen.next(), static_cast<uint32_t>(i + 1)});
    h.flushAndReopen();
    TreeReport report;
    PageSet used;
    std::vector<std::string> problems;
    verifyTree(&h.pager(), "tag", h.tree().root(), 10, ' ', false, &used, &problems, {}, &report);
    ASSERT_GE(report.depth, 3);
    for (int i = 0; i < 50; ++i) {
        long before = h.data().bytesWritten;
        h.insert({gen.next(), static_cast<uint32_t>(30000 + i)});
        ASSERT_TRUE(h.pager().flush().isOk());
        // The leaf, a new leaf and its neighbour after a split, and the path above.
        EXPECT_LE(h.data().bytesWritten - before, long(kPageSize) * (report.depth + 3));
        before = h.data().bytesWritten;
        h.remove(randomExisting(h.model(), gen));
        ASSERT_TRUE(h.pager().flush().isOk());
        EXPECT_LE(h.data().bytesWritten - before, long(kPageSize) * (report.depth + 3));
    }
    h.check(true);
}

TEST(CdxTree, FreedPagesAreReusedBeforeTheFileGrows) {
    TreeHarness h(30, ' ');
    test::KeyGen gen(30, ' ', 4);
    for (int i = 0; i < 5000; ++i)
        h.insert({gen.next(), static_cast<uint32_t>(i + 1)});
    h.flushAndReopen();
    size_t full = h.data().bytes.size();
    while (!h.model().empty())
        h.remove(*h.model().begin());
    h.flushAndReopen();
    EXPECT_NE(h.pager().freeHead(), 0u);
    for (int i = 0; i < 5000; ++i)
        h.insert({gen.next(), static_cast<uint32_t>(i + 1)});
    h.flushAndReopen();
    EXPECT_LE(h.data().bytes.size(), full + 4 * kPageSize);
    h.check(true);
}

TEST(CdxTree, AppendingInKeyOrderFillsLeaves) {
    TreeHarness h(10, ' ');
    for (uint32_t i = 1; i <= 20000; ++i) {
        char key[11];
        std::snprintf(key, sizeof key, "%010u", i);
        h.insert({std::string(key, 10), i});
    }
    h.check(true);
    // Leaves of about 30 keys (3 bytes of entry + about 13 of key), not half-empty pages.
    EXPECT_LT(h.data().bytes.size() / kPageSize, 20000u / 25);
}

TEST(CdxBuilder, BuildsTreesThatMatchTheModelAndAcceptChanges) {
    for (uint16_t k : {1, 8, 10, 100, 240}) {
        for (int n : {0, 1, 5, 300, 20000}) {
            uint8_t fill = k == 8 ? 0 : ' ';
            TreeHarness h(k, fill);
            test::KeyGen gen(k, fill, 31u + n + k);
            Model m;
            while (static_cast<int>(m.size()) < n)
                m.insert({gen.next(), static_cast<uint32_t>(gen.pick(1, 1 << 24))});
            TreeBuilder b(&h.pager(), k, fill);
            for (const Entry& e : m)
                ASSERT_TRUE(b.add(bytes(e.first), e.second).isOk());
            auto root = b.finish();
            ASSERT_TRUE(root.isOk());
            h.reopen(root.value());
            h.model() = m;
            SCOPED_TRACE("k=" + std::to_string(k) + " n=" + std::to_string(n));
            // The empty root leaf made by the harness is unused now.
            std::vector<std::string> problems;
            PageSet used;
            TreeReport report;
            verifyTree(&h.pager(), "tag", root.value(), k, fill, false, &used, &problems, {},
                       &report);
            ASSERT_TRUE(problems.empty()) << problems.front();
            EXPECT_EQ(report.keys, m.size());
            for (int i = 0; i < 2000; ++i) {
                if (gen.pick(0, 1) || h.model().empty())
                    h.insert({gen.next(), static_cast<uint32_t>(gen.pick(1, 1 << 24))});
                else
                    h.remove(randomExisting(h.model(), gen));
            }
            std::vector<Entry> want(h.model().begin(), h.model().end());
            ASSERT_EQ(h.walk(false), want);
        }
    }
}

TEST(CdxCursor, MovesSeeksAndKeepsItsPlaceAcrossChanges) {
    for (bool descending : {false, true}) {
        TreeHarness h(6, ' ');
        test::KeyGen gen(6, ' ', 41);
        for (int i = 0; i < 3000; ++i)
            h.insert({gen.next(), static_cast<uint32_t>(gen.pick(1, 100000))});
        std::vector<Entry> order(h.model().begin(), h.model().end());
        if (descending) std::reverse(order.begin(), order.end());
        Cursor c(&h.tree(), descending);
        ASSERT_TRUE(c.first().isOk());
        for (const Entry& e : order) {
            ASSERT_TRUE(c.valid());
            ASSERT_EQ(std::make_pair(c.key(), c.recno()), e);
            ASSERT_TRUE(c.next().isOk());
        }
        EXPECT_FALSE(c.valid());
        ASSERT_TRUE(c.last().isOk());
        for (auto it = order.rbegin(); it != order.rend(); ++it) {
            ASSERT_EQ(std::make_pair(c.key(), c.recno()), *it);
            ASSERT_TRUE(c.prev().isOk());
        }
        EXPECT_FALSE(c.valid());

        // Prefix seeks: the first entry in the tag's order at or after the prefix.
        for (int i = 0; i < 300; ++i) {
            std::string prefix = gen.next().substr(0, static_cast<size_t>(gen.pick(1, 6)));
            ASSERT_TRUE(c.seekPrefix(bytes(prefix), prefix.size()).isOk());
            auto want = std::find_if(order.begin(), order.end(), [&](const Entry& e) {
                std::string head = e.first.substr(0, prefix.size());
                return descending ? head <= prefix : head >= prefix;
            });
            if (want == order.end()) {
                EXPECT_FALSE(c.valid());
            } else {
                ASSERT_TRUE(c.valid()) << prefix;
                EXPECT_EQ(std::make_pair(c.key(), c.recno()), *want) << prefix;
            }
        }

        // The cursor keeps its place while entries come and go around it, even its own.
        for (int round = 0; round < 400; ++round) {
            Model& m = h.model();
            Entry at = randomExisting(m, gen);
            bool exact = false;
            ASSERT_TRUE(c.seekEntry(bytes(at.first), at.second, &exact).isOk());
            ASSERT_TRUE(exact);
            for (int j = 0; j < 5; ++j) {
                Entry other = randomExisting(m, gen);
                if (other != at) h.remove(other);
                h.insert({gen.next(), static_cast<uint32_t>(gen.pick(1, 100000))});
            }
            bool removeSelf = gen.pick(0, 1) == 1;
            if (removeSelf) h.remove(at);
            bool forward = gen.pick(0, 1) == 1;
            ASSERT_TRUE((forward ? c.next() : c.prev()).isOk());
            // Expected: the neighbour of `at` in the tag's order among the entries now there.
            bool ascendingStep = forward != descending;
            std::optional<Entry> want;
            if (ascendingStep) {
                auto it = m.upper_bound(at);
                if (it != m.end()) want = *it;
            } else {
                auto it = m.lower_bound(at);
                if (it != m.begin()) want = *std::prev(it);
            }
            ASSERT_EQ(c.valid(), want.has_value()) << round;
            if (want) {
                EXPECT_EQ(std::make_pair(c.key(), c.recno()), *want) << round;
            }
        }
    }
}
