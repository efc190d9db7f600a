// Titles.ia as the catalogue keeps it, on the sample catalogue: build, search with each kind of
// field choice, a new title, a deleted title, a changed title, an atomic rebuild.
#include "catalogue_engine.h"
#include "titletext.h"

#include "catalogue.h"
#include "record.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

using namespace rk::search;
using rk::catalogue::buildTitleText;
using rk::catalogue::Catalogue;
using rk::search::test::readFile;
using rk::search::test::TestDir;
using rk::search::test::writeFile;
using rk::store::Table;

namespace {

using V = std::vector<uint32_t>;

enum Choice { kAll = 0, kTitles = 1, kStars = 2, kDirector = 4, kUser3 = 10 };

class TitleIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rk::catalogue::createSample(dir_.dir()).isOk());
        ASSERT_TRUE(cat_.openTable(rk::findFileNoCase(dir_.dir(), "VIDEO.DBF")).isOk());
        cat_.setTextIndexNotice([this](const rk::Status&) { ++missed_; });
        table_ = &cat_.titles();
        indexPath_ = titlesIndexPath(dir_.dir());
        ASSERT_GT(table_->recCount(), 60u);
    }

    void build() {
        auto r = buildTitleText(*table_, indexPath_);
        ASSERT_TRUE(r.isOk()) << r.status().message();
    }

    // The records a search shows afterwards (visible, in the table's order), or nothing.
    V search(std::string_view query, int choice, SearchOutcome* outcome = nullptr) {
        auto r = searchTitles(*table_, indexPath_, query, choice);
        EXPECT_TRUE(r.isOk()) << r.status().message();
        if (!r) return {};
        if (outcome) *outcome = r->outcome;
        EXPECT_TRUE(table_->hidesDeleted()); // back on after every search
        if (r->outcome != SearchOutcome::Found) return {};
        V recs;
        EXPECT_TRUE(table_->visibleRecords(&recs).isOk());
        EXPECT_EQ(recs.size(), r->report.matches); // the count is what the table shows
        return recs;
    }

    // The candidate entries of a query, straight from the index.
    V candidates(std::string_view query) {
        TFts fts;
        EXPECT_GT(fts.FtsOpen(indexPath_, 20, 1), 0);
        V out;
        if (fts.FtsSet(query) <= 0) return out;
        for (int32_t n; (n = fts.FtsNextRec()) > 0;)
            out.push_back(uint32_t(n));
        return out;
    }

    void setField(uint32_t recno, const char* field, const std::string& text) {
        ASSERT_TRUE(table_->go(recno).isOk());
        std::string img = table_->record();
        rk::dbf::setString(img, *table_->field(field), text);
        ASSERT_TRUE(table_->putRecord(img).isOk());
    }

    void deleteRecord(uint32_t recno) {
        ASSERT_TRUE(table_->go(recno).isOk());
        ASSERT_TRUE(table_->deleteRecord().isOk());
    }

    static std::string idOf(uint32_t n) {
        char id[16];
        std::snprintf(id, sizeof id, "\"RK-%03u\"", n);
        return id;
    }

    TestDir dir_;
    Catalogue cat_;
    Table* table_ = nullptr;
    int missed_ = 0; // changes Titles.ia could not follow
    std::string indexPath_;
};

} // namespace

TEST_F(TitleIndexTest, EntryNHoldsRecordNDeletedRecordsIncluded) {
    deleteRecord(3);
    deleteRecord(40);
    std::vector<int32_t> progress;
    auto r = buildTitleText(*table_, indexPath_, [&](int32_t res) {
        progress.push_back(res);
        return true;
    });
    ASSERT_TRUE(r.isOk()) << r.status().message();
    const uint32_t n = table_->recCount();
    EXPECT_EQ(r->records, n);
    EXPECT_EQ(r->failed, 0u);
    ASSERT_EQ(progress.size(), n);
    for (uint32_t i = 0; i < n; ++i)
        EXPECT_EQ(progress[i], int32_t(i + 1));
    // Each record's own identifier leads to its entry alone.
    for (uint32_t rec = 1; rec <= n; ++rec)
        EXPECT_EQ(candidates(idOf(rec)), V{rec}) << rec;
}

TEST_F(TitleIndexTest, FieldChoiceDecidesWhatCounts) {
    build();
    // "Casablanca" is in the title only.
    EXPECT_EQ(search("casablanca", kStars), V{});
    EXPECT_EQ(search("casablanca", kTitles), V{1});
    EXPECT_EQ(search("casablanca", kAll), V{1});
    // Harrison Ford stars in several, and no title holds "harrison".
    EXPECT_EQ(search("harrison", kTitles), V{});
    EXPECT_EQ(search("\"harrison ford\"", kStars), (V{5, 6, 7, 8, 34}));
    EXPECT_EQ(search("spielberg", kDirector), (V{8, 9, 10, 11, 47, 53}));
    // Case and accents: "francois" finds François Truffaut.
    EXPECT_EQ(search("FRANCOIS", kStars), V{11});
}

TEST_F(TitleIndexTest, AllFieldsFindsWordsOnlyInTheSummaryOrAUserField) {
    setField(20, "SUMMARY", "A man mistaken for a spy crosses the country to Zanzibar.");
    setField(21, "USER3", "Quixotry box set");
    build();
    EXPECT_EQ(search("zanzibar", kAll), V{20});
    EXPECT_EQ(search("zanzibar", kTitles), V{});
    EXPECT_EQ(search("quixot", kAll), V{21});
    EXPECT_EQ(search("quixot", kUser3), V{21});
    EXPECT_EQ(search("quixot", kStars), V{});
}

TEST_F(TitleIndexTest, FieldsFilledToTheirWidthStayApart) {
    // A star cut to 25 characters is followed directly by the next star.
    setField(30, "STAR1", "Mary Elizabeth Mastranton");
    setField(30, "STAR2", "Tom Hulce");
    build();
    EXPECT_EQ(search("tom hulce", kStars), V{30});
    EXPECT_EQ(search("\"mastranton tom\"", kStars), V{30}); // a phrase across the break
    EXPECT_EQ(search("tomhulce", kAll), V{});
}

TEST_F(TitleIndexTest, DeletedTitlesAreNeitherShownNorCounted) {
    deleteRecord(34); // Blade Runner, a Harrison Ford film, deleted before the build
    build();
    EXPECT_EQ(candidates("\"blade runner\""), V{34}); // still has its entry until a pack
    SearchOutcome outcome;
    EXPECT_EQ(search("\"blade runner\"", kTitles, &outcome), V{});
    EXPECT_EQ(outcome, SearchOutcome::NothingFound);
    EXPECT_EQ(search("\"harrison ford\"", kStars), (V{5, 6, 7, 8}));
}

TEST_F(TitleIndexTest, DeletingATitleRemovesExactlyItsEntry) {
    build();
    ASSERT_TRUE(cat_.removeTitle(10).isOk()); // Jaws
    EXPECT_EQ(candidates("jaws"), V{});
    EXPECT_EQ(candidates(idOf(11)), V{11});
    EXPECT_EQ(search("\"close encounters\"", kTitles), V{11});
    EXPECT_EQ(search("spielberg", kDirector), (V{8, 9, 11, 47, 53}));
    // A recalled title comes back.
    ASSERT_TRUE(cat_.recallTitle(10).isOk());
    EXPECT_EQ(search("jaws", kTitles), V{10});
    // Without an index file nothing happens and no file appears.
    std::remove(indexPath_.c_str());
    EXPECT_TRUE(cat_.removeTitle(11).isOk());
    EXPECT_FALSE(indexFileExists(indexPath_));
    EXPECT_EQ(missed_, 0);
}

TEST_F(TitleIndexTest, ANewTitleIsAddedAsTheEntryOfItsRecord) {
    build();
    const uint32_t before = table_->recCount();
    std::string img = table_->dbf()->blankRecord();
    rk::dbf::setString(img, *table_->field("TITLE"), "Night of the Quokka");
    auto rec = cat_.append(*table_, img);
    ASSERT_TRUE(rec.isOk());
    EXPECT_EQ(*rec, before + 1);
    EXPECT_EQ(search("quokka", kTitles), V{before + 1});

    // A changed title replaces its entry.
    rk::dbf::setString(img, *table_->field("TITLE"), "Night of the Wombat");
    ASSERT_TRUE(cat_.updateTitle(before + 1, img).isOk());
    EXPECT_EQ(search("wombat", kTitles), V{before + 1});
    EXPECT_EQ(search("quokka", kTitles), V{});
    EXPECT_EQ(missed_, 0);

    // A record appended while the index was not kept current (an add that never happened):
    // the next add does not paper over the gap; the index wants a rebuild from then on, even
    // once the count would agree again.
    ASSERT_TRUE(table_->appendBlank().isOk());
    ASSERT_TRUE(table_->appendBlank().isOk());
    img = table_->record();
    rk::dbf::setString(img, *table_->field("TITLE"), "Return of the Quokka");
    ASSERT_TRUE(cat_.updateTitle(table_->recCount(), img).isOk()); // the change is made
    EXPECT_EQ(missed_, 1);
    SearchOutcome outcome;
    EXPECT_EQ(search("quokka", kTitles, &outcome), V{});
    EXPECT_EQ(outcome, SearchOutcome::NeedsRebuild);
    ASSERT_TRUE(table_->dbf()->truncateRecords(before + 1).isOk());
    table_->close();
    ASSERT_TRUE(table_->open().isOk());
    EXPECT_EQ(search("quokka", kTitles, &outcome), V{});
    EXPECT_EQ(outcome, SearchOutcome::NeedsRebuild);

    // No index file: the title is left for the next build.
    std::remove(indexPath_.c_str());
    ASSERT_TRUE(cat_.updateTitle(before + 1, img).isOk());
    EXPECT_FALSE(indexFileExists(indexPath_));
}

TEST_F(TitleIndexTest, AChangedTitleVerifiesByItsNewText) {
    build();
    setField(33, "TITLE", "Zulu Dawn"); // was "Alien"
    // The index still proposes 33 for "alien", but its text no longer verifies.
    EXPECT_EQ(candidates("alien"), (V{33, 36}));
    EXPECT_EQ(search("alien", kTitles), V{36});
    // The new word is not in the index until the entry is rebuilt ...
    EXPECT_EQ(search("zulu", kTitles), V{});
    build();
    EXPECT_EQ(search("zulu", kTitles), V{33});
    EXPECT_EQ(search("alien", kTitles), V{36});
}

TEST_F(TitleIndexTest, SearchOutcomesAndTheTableAfterwards) {
    SearchOutcome outcome;
    // No index: nothing is searched and no file is made.
    EXPECT_EQ(search("jaws", kAll, &outcome), V{});
    EXPECT_EQ(outcome, SearchOutcome::IndexMissing);
    EXPECT_FALSE(indexFileExists(indexPath_));

    // Not an index.
    writeFile(indexPath_, "not an index at all");
    EXPECT_EQ(search("jaws", kAll, &outcome), V{});
    EXPECT_EQ(outcome, SearchOutcome::NotUsable);

    build();
    // A category view in force is replaced by the search's result.
    ASSERT_TRUE(table_->query("CATEGORY = \"Drama\"").isOk());
    EXPECT_EQ(search("jaws", kAll, &outcome), V{10});
    EXPECT_EQ(outcome, SearchOutcome::Found);
    EXPECT_EQ(table_->recNo(), 10u); // on the first match
    EXPECT_EQ(search("nosuchword", kAll, &outcome), V{});
    EXPECT_EQ(outcome, SearchOutcome::NothingFound);
    EXPECT_EQ(table_->queryText(), ""); // the earlier view is gone
    EXPECT_EQ(search("", kAll, &outcome), V{});
    EXPECT_EQ(outcome, SearchOutcome::NothingFound);

    // Out-of-range choices are refused, not guessed.
    EXPECT_FALSE(searchTitles(*table_, indexPath_, "jaws", 12).isOk());
    EXPECT_FALSE(searchTitles(*table_, indexPath_, "jaws", -1).isOk());
}

TEST_F(TitleIndexTest, AnIndexThatNoLongerBelongsToItsTableIsReportedNotSearched) {
    SearchOutcome outcome;
    auto expectRebuild = [&](const char* what) {
        auto r = searchTitles(*table_, indexPath_, "casablanca", kAll);
        ASSERT_TRUE(r.isOk()) << what;
        EXPECT_EQ(r->outcome, SearchOutcome::NeedsRebuild) << what;
        EXPECT_NE(r->detail.message().find("rebuilt"), std::string::npos) << what;
    };
    build();
    // The table loses records (as a pack by another program would): every number after the
    // first removed record points at the wrong title.
    const uint32_t n = table_->recCount();
    ASSERT_TRUE(table_->dbf()->truncateRecords(n - 5).isOk());
    table_->close();
    ASSERT_TRUE(table_->open().isOk());
    expectRebuild("records removed");
    build();
    EXPECT_EQ(search(idOf(1), kAll, &outcome), V{1});

    // Records appended that never reached the index.
    ASSERT_TRUE(table_->appendBlank().isOk());
    expectRebuild("a record appended");

    // An index made before tables were stamped, or from a table of another layout.
    build();
    {
        TFts fts;
        ASSERT_GT(fts.FtsOpen(indexPath_, 20, 1), 0);
        ASSERT_TRUE(fts.index()->setTableStamp(tableStamp(*table_) + 1).isOk());
    }
    expectRebuild("another layout");
    {
        TFts fts; // an index of the right entries, made without the table's stamp
        ASSERT_GT(fts.FtsCreate(indexPath_, 20, 2, 1, 1), 0);
        for (uint32_t rec = 1; rec <= table_->recCount(); ++rec)
            ASSERT_EQ(fts.FtsPut(int32_t(rec), "words"), int32_t(rec));
        ASSERT_EQ(fts.FtsClose(), 0);
    }
    expectRebuild("no stamp");
}

TEST_F(TitleIndexTest, AFailedRebuildLeavesTheOldIndex) {
    build();
    const std::string before = readFile(indexPath_);
    setField(1, "TITLE", "Rebuilt Title");
    int steps = 0;
    auto r = buildTitleText(*table_, indexPath_, [&](int32_t) { return ++steps < 30; });
    EXPECT_FALSE(r.isOk());
    EXPECT_EQ(readFile(indexPath_), before);
    EXPECT_FALSE(std::filesystem::exists(indexPath_ + ".new"));
    EXPECT_EQ(candidates("rebuilt"), V{});
    EXPECT_EQ(candidates("casablanca"), V{1});
    // A whole rebuild then replaces it.
    build();
    EXPECT_EQ(candidates("rebuilt"), V{1});
}

TEST(TitleIndexEmpty, AnEmptyTableGivesAnEmptyIndexThatGrows) {
    TestDir d;
    ASSERT_TRUE(rk::catalogue::createEmpty(d.dir()).isOk());
    Catalogue cat;
    ASSERT_TRUE(cat.open(d.dir()).isOk());
    Table& t = cat.titles();
    const std::string path = cat.textIndexPath();
    auto r = cat.buildTextIndex();
    ASSERT_TRUE(r.isOk()) << r.status().message();
    EXPECT_EQ(r->records, 0u);
    TFts fts;
    ASSERT_GT(fts.FtsOpen(path), 0);
    EXPECT_EQ(fts.FtsSet("anything"), 0);
    EXPECT_EQ(fts.FtsSet("-anything"), 0);
    fts.FtsClose();

    std::string img = t.dbf()->blankRecord();
    rk::dbf::setString(img, *t.field("TITLE"), "First Light");
    EXPECT_EQ(cat.append(t, img).value(), 1u);
    auto found = cat.find("light", 1);
    ASSERT_TRUE(found.isOk());
    EXPECT_EQ(found->outcome, SearchOutcome::Found);
    EXPECT_EQ(found->report.matches, 1u);
}

TEST(TitleIndexHelpers, CaptionsAndEntryText) {
    EXPECT_STREQ(fieldChoiceCaption(0), "ALL Fields");
    EXPECT_STREQ(fieldChoiceCaption(2), "Stars");
    EXPECT_STREQ(fieldChoiceCaption(11), "User4");
    EXPECT_EQ(fieldChoiceCaption(12), nullptr);
    EXPECT_EQ(fieldChoiceByCaption("all fields"), 0);
    EXPECT_EQ(fieldChoiceByCaption("STARS"), 2);
    EXPECT_EQ(fieldChoiceByCaption("Star"), -1);

    const auto& fields = rk::catalogue::titleFields();
    std::string img(1, ' ');
    for (const auto& f : fields)
        img += std::string(f.length, 'x');
    const std::string text = entryText(img, fields);
    EXPECT_EQ(text.size(), img.size() + fields.size() + 1);
    EXPECT_EQ(text.back(), '\0');
    // The stars text: four fields of 25 at full width.
    auto stars = FieldText::make(fields, 2);
    ASSERT_TRUE(stars.isOk());
    EXPECT_EQ(stars->of(img).size(), 4u * 25 + 4);
    auto title = FieldText::make(fields, 1);
    ASSERT_TRUE(title.isOk());
    EXPECT_EQ(title->of(img).substr(0, 100), std::string(100, 'x'));
    // A short or damaged image gives empty fields, never a read past its end.
    EXPECT_EQ(stars->of("  short").size(), 4u);
    EXPECT_FALSE(FieldText::make({}, 2).isOk());
}
