// The quick filter: the titles that pass as a user types and erases, against a plain
// reading of every title, before and after the word index is made; changed and added titles;
// the filter on the table beside its query.
#include "catalogue.h"
#include "cp1252.h"
#include "quickfilter.h"
#include "record.h"
#include "table.h"
#include "testdir.h"
#include "tokenizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>

using rk::search::test::TestDir;

namespace {

std::vector<uint32_t> passing(const rk::search::QuickFilter& f) {
    std::vector<uint32_t> out;
    for (uint32_t r = 0; r < f.flags()->size(); ++r)
        if ((*f.flags())[r]) out.push_back(r);
    return out;
}

class QuickFilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rk::catalogue::createEmpty(d_.dir()).isOk());
        table_ = std::make_unique<rk::store::Table>(d_.file("VIDEO.DBF"));
        ASSERT_TRUE(table_->open().isOk());
    }
    void add(const std::string& utf8Title, const char* category = "Drama") {
        std::string image = table_->dbf()->blankRecord();
        rk::dbf::setString(image, *table_->field("TITLE"), rk::cp1252::fromUtf8(utf8Title).value());
        rk::dbf::setString(image, *table_->field("CATEGORY"), category);
        ASSERT_TRUE(table_->appendRecord(image).isOk());
    }
    std::string titleOf(uint32_t recno) {
        std::string image;
        EXPECT_TRUE(table_->dbf()->readRecord(recno, &image).isOk());
        return std::string(rk::dbf::trimmedField(image, *table_->field("TITLE")));
    }
    // What passes, read plainly: every word of the text begins some word of the title.
    std::vector<uint32_t> expected(const std::string& text, uint32_t upTo = UINT32_MAX) {
        std::vector<std::string> want, have;
        rk::search::forEachWord(text,
                                [&](std::string_view w, size_t, size_t) { want.emplace_back(w); });
        std::vector<uint32_t> out;
        for (uint32_t r = 1; r <= std::min(upTo, table_->recCount()); ++r) {
            have.clear();
            rk::search::forEachWord(
                titleOf(r), [&](std::string_view w, size_t, size_t) { have.emplace_back(w); });
            bool all = true;
            for (const auto& w : want)
                all = all && std::any_of(have.begin(), have.end(), [&](const std::string& h) {
                          return h.compare(0, w.size(), w) == 0;
                      });
            if (all) out.push_back(r);
        }
        return out;
    }
    TestDir d_;
    std::unique_ptr<rk::store::Table> table_;
};

} // namespace

TEST_F(QuickFilterTest, PassesWhatAPlainReadingPassesWhileTypingAndErasing) {
    const char* words[] = {"Amélie", "AMERICAN", "ame",   "Été",  "eternal", "Cœur",  "coeur",
                           "Straße", "strasse",  "Night", "of",   "the",     "Star",  "Wars",
                           "R2-D2",  "spider",   "man's", "2001", "Ægir",    "ÉCOLE", "école"};
    std::mt19937 rng(7);
    for (int i = 0; i < 300; ++i) {
        std::string title;
        for (int k = 0, n = 1 + int(rng() % 4); k < n; ++k)
            title += std::string(k ? " " : "") + words[rng() % std::size(words)];
        add(title);
    }
    rk::search::TitleWords titles;
    rk::search::QuickFilter filter(titles);
    bool done = false;
    int slices = 0;
    while (!done) {
        ASSERT_TRUE(titles.readMore(*table_, 64, &done).isOk());
        ++slices;
        if (slices == 2) {
            // Before the index is made, the titles read so far answer.
            ASSERT_FALSE(titles.indexed());
            ASSERT_TRUE(filter.set("ame"));
            EXPECT_EQ(passing(filter), expected("ame", 128));
        }
    }
    EXPECT_EQ(slices, 5); // read a slice at a time
    ASSERT_TRUE(titles.indexed());
    ASSERT_EQ(titles.size(), 300u);

    std::string typed;
    auto check = [&] {
        // Typed a byte at a time: a character of several bytes is checked once whole.
        const auto converted = rk::cp1252::fromUtf8(typed);
        if (!converted.isOk()) return;
        const std::string& text = converted.value();
        if (!filter.set(text)) {
            EXPECT_TRUE(expected(text).size() == 300u) << typed;
            return;
        }
        EXPECT_EQ(passing(filter), expected(text)) << typed;
        EXPECT_EQ(filter.passed(), passing(filter).size());
    };
    // Type, erase back part of the way, type on: every step against the plain reading.
    for (const char* query : {"AM", "amél", "ame ", "ame the", "ECOLE", "ecole stra", "r2-d", "œ",
                              "aegir", "2001 ni", "zzz", "MAN"}) {
        const std::string q = query;
        while (!typed.empty() && typed != q.substr(0, typed.size())) {
            typed.pop_back();
            check();
        }
        for (size_t i = typed.size(); i < q.size(); ++i) {
            typed += q[i];
            check();
        }
    }
}

TEST_F(QuickFilterTest, ChangedAndAddedTitlesAnswerWithTheirNewWords) {
    add("Alien");
    add("Brazil");
    rk::search::TitleWords titles;
    ASSERT_TRUE(titles.readAll(*table_).isOk());
    rk::search::QuickFilter filter(titles);
    titles.put(1, "Casablanca");
    titles.put(3, "Alien Resurrection"); // added after the read
    titles.put(9, "Far beyond");         // not yet read: left to the reads
    ASSERT_TRUE(filter.set("ali"));
    EXPECT_EQ(passing(filter), std::vector<uint32_t>({3}));
    ASSERT_TRUE(filter.set("cas"));
    EXPECT_EQ(passing(filter), std::vector<uint32_t>({1}));
    EXPECT_EQ(titles.size(), 3u);
    // A read of the file takes over from a change.
    add("Dune");
    titles.clear();
    ASSERT_TRUE(titles.readAll(*table_).isOk());
    ASSERT_TRUE(filter.set("ali"));
    EXPECT_EQ(passing(filter), std::vector<uint32_t>({1}));
}

TEST_F(QuickFilterTest, NarrowsTheTableWithItsQueryAndOrder) {
    add("Zulu Dawn", "War");
    add("Alien", "Horror");
    add("Aliens", "War");
    add("Zorro", "War");
    add("Alien Nation", "War");
    ASSERT_TRUE(table_->goTop().isOk());
    ASSERT_TRUE(table_->go(5).isOk());
    ASSERT_TRUE(table_->deleteRecord().isOk());
    rk::search::TitleWords titles;
    ASSERT_TRUE(titles.readAll(*table_).isOk());
    rk::search::QuickFilter filter(titles);
    ASSERT_TRUE(filter.set("ali"));
    table_->setFilter(filter.flags());
    table_->setOrder(table_->tagArea("TITIT"));
    std::vector<uint32_t> visible;
    ASSERT_TRUE(table_->visibleRecords(&visible).isOk());
    EXPECT_EQ(visible, std::vector<uint32_t>({2, 3})); // in title order, the deleted one hidden
    ASSERT_TRUE(table_->query(rk::catalogue::equalsQuery("CATEGORY", "War")).isOk());
    EXPECT_EQ(table_->count(), 1u);
    ASSERT_TRUE(table_->goTop().isOk());
    EXPECT_EQ(table_->recNo(), 3u);
    // A title added after the filter was set shows until it is set again.
    add("Zardoz", "War");
    EXPECT_EQ(table_->count(), 2u);
    table_->setFilter(nullptr);
    EXPECT_EQ(table_->count(), 4u);
    // Pack renumbers the records: the filter goes.
    table_->setFilter(filter.flags());
    ASSERT_TRUE(table_->pack().isOk());
    EXPECT_FALSE(table_->filtered());
}
