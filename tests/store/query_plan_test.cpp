// Queries answered from the tags: on random tables and random queries the tags' answer is
// exactly what testing every record gives, and a tagged query reads about the records it
// finds. Also what reading in an index order costs: no pass over the table for the deleted
// flags, and only the fields asked for.
#include "cp1252.h"
#include "record.h"
#include "table.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace rk;
using namespace rk::store;

namespace {

const std::vector<dbf::FieldDef> kFields = {{"TITLE", 'C', 8, 0, 0},
                                            {"CATEGORY", 'C', 6, 0, 0},
                                            {"YEAR", 'C', 4, 0, 0},
                                            {"NOTE", 'C', 3, 0, 0},
                                            {"MARKED", 'L', 1, 0, 0}};

// Every kind of tag: joins with and without UPPER, descending, unique, FOR, one whose
// expression the planner cannot read.
const std::vector<TagSpec> kTags = {
    {"CATEGORY", "UPPER(CATEGORY+TITLE)", "", false, false},
    {"YR", "YEAR+UPPER(TITLE)", "", false, false},
    {"CATD", "UPPER(CATEGORY)", "", true, false},
    {"NOTE", "NOTE+YEAR", "", true, false},
    {"UYEAR", "YEAR", "", false, true},
    {"MTITLE", "UPPER(TITLE)", "MARKED", false, false},
    {"LTITLE", "LOWER(TITLE)", "", false, false},
};

// Short texts from a few letters in both cases, accented ones (é É ß ÿ Ÿ), blanks.
std::string randomText(std::mt19937& rng, size_t most) {
    static const std::string letters = "aAbBdD \xe9\xc9\xdf\xff\x9f";
    std::string s;
    for (size_t n = rng() % (most + 1); s.size() < n;)
        s += letters[rng() % letters.size()];
    return s;
}

std::string randomRecord(std::mt19937& rng, const std::vector<dbf::FieldDef>& fields,
                         std::string image) {
    for (const auto& f : fields) {
        if (f.type == 'L')
            dbf::setLogical(image, f, rng() % 2);
        else if (f.name == "YEAR")
            dbf::setString(image, f, rng() % 5 ? std::to_string(1975 + rng() % 4) : "");
        else
            dbf::setString(image, f, rng() % 8 ? randomText(rng, f.length) : "");
    }
    dbf::setDeleted(image, rng() % 6 == 0);
    return image;
}

const std::vector<std::string> kLeftSides = {
    "CATEGORY",          "UPPER(CATEGORY)", "UPPER(CATEGORY+TITLE)", "CATEGORY+TITLE", "YEAR",
    "YEAR+UPPER(TITLE)", "YEAR+TITLE",      "UPPER(TITLE)",          "TITLE",          "NOTE",
    "NOTE+YEAR",         "UPPER(NOTE)",     "LOWER(TITLE)",          "UPPER(YEAR)"};

// A comparison's right side: mostly a piece of what some record holds, in either case,
// sometimes with blanks after it, empty, or too long for the left side.
std::string randomRight(std::mt19937& rng, const xbase::Expr& left,
                        const std::vector<std::string>& images) {
    std::string s = left.eval(images[rng() % images.size()]).s;
    s.resize(rng() % (s.size() + 2), ' ');
    if (rng() % 3 == 0) s = cp1252::upper(s);
    if (rng() % 3 == 0) s = cp1252::lower(s);
    if (rng() % 4 == 0) s = s.substr(0, s.find_last_not_of(' ') + 1) + "  ";
    if (rng() % 20 == 0) s.clear();
    return s;
}

std::string randomQuery(std::mt19937& rng, const std::vector<dbf::FieldDef>& fields,
                        const std::vector<std::string>& images, int depth) {
    const unsigned pick = rng() % (depth > 2 ? 5 : 9);
    if (pick == 0) return "MARKED";
    if (pick == 1) return rng() % 2 ? "DELETED()" : "RECNO() > 20";
    if (pick < 5) {
        const std::string& l = kLeftSides[rng() % kLeftSides.size()];
        auto e = xbase::Expr::parse(l, fields);
        std::string r = randomRight(rng, *e, images);
        if (r.find('"') != std::string::npos) r.clear();
        return l + (rng() % 4 ? " = \"" : " == \"") + r + "\"";
    }
    std::string a = randomQuery(rng, fields, images, depth + 1);
    if (pick == 5) return ".NOT. (" + a + ")";
    std::string b = randomQuery(rng, fields, images, depth + 1);
    return "(" + a + (pick % 2 ? ") .AND. (" : ") .OR. (") + b + ")";
}

} // namespace

TEST(QueryPlan, TagsGiveExactlyWhatTestingEveryRecordGives) {
    std::mt19937 rng(7);
    int fromTags = 0, queries = 0;
    for (int round = 0; round < 6; ++round) {
        test::TempDir dir;
        const std::string path = dir.file("t.dbf");
        ASSERT_TRUE(dbf::DbfFile::create(path, kFields).isOk());
        Table t(path);
        ASSERT_TRUE(t.open().isOk());
        std::vector<std::string> images;
        for (int i = 0; i < 150 + round * 40; ++i) {
            images.push_back(randomRecord(rng, t.fields(), t.dbf()->blankRecord()));
            ASSERT_TRUE(t.appendRecord(images.back()).isOk());
        }
        ASSERT_TRUE(t.createIndex(kTags).isOk());
        for (int q = 0; q < 120; ++q, ++queries) {
            // Changes between queries: the tags and the deleted flags must follow them.
            if (q % 10 == 9) {
                const uint32_t r = uint32_t(1 + rng() % images.size());
                images[r - 1] = randomRecord(rng, t.fields(), t.dbf()->blankRecord());
                ASSERT_TRUE(t.go(r).isOk());
                ASSERT_TRUE(t.putRecord(images[r - 1]).isOk());
            }
            // Now and then a query asked before: its kept answer must have followed the changes.
            static std::vector<std::string> asked;
            const std::string text = q % 5 == 4 && !asked.empty()
                                         ? asked[rng() % asked.size()]
                                         : randomQuery(rng, t.fields(), images, 0);
            asked.push_back(text);
            auto e = xbase::Expr::parse(text, t.fields());
            ASSERT_TRUE(e.isOk()) << text;
            std::vector<uint32_t> want, wantAll;
            for (uint32_t r = 1; r <= images.size(); ++r) {
                if (!e->test(images[r - 1], r)) continue;
                wantAll.push_back(r);
                if (!dbf::isDeleted(images[r - 1])) want.push_back(r);
            }
            t.setOrder(0);
            ASSERT_TRUE(t.query(text).isOk()) << text;
            fromTags += t.lastQueryPlan().fromTags;
            std::vector<uint32_t> got;
            ASSERT_TRUE(t.visibleRecords(&got).isOk());
            ASSERT_EQ(got, want) << text << "\n" << t.lastQueryPlan().describe();
            ASSERT_EQ(t.count(), want.size()) << text;
            got.clear();
            ASSERT_TRUE(t.walk([&](uint32_t r, std::string_view) {
                             got.push_back(r);
                             return true;
                         }).isOk());
            ASSERT_EQ(got, want) << text;
            {
                ShowDeleted all(t);
                ASSERT_TRUE(t.visibleRecords(&got).isOk());
                ASSERT_EQ(got, wantAll) << text;
            }
            // In an index order: the same records; the first and the last of them alone are
            // those the whole list begins and ends with.
            // (Asked before the whole list, they are read from the index, not its last walk.)
            t.setOrder(1 + int(rng() % kTags.size()));
            const uint32_t k = uint32_t(rng() % (want.size() + 2));
            std::vector<uint32_t> first, last;
            ASSERT_TRUE(t.visibleRecords(&first, k, false).isOk());
            ASSERT_TRUE(t.visibleRecords(&last, k, true).isOk());
            ASSERT_TRUE(t.visibleRecords(&got).isOk());
            for (bool backwards : {false, true}) {
                std::vector<uint32_t> whole = got;
                if (backwards) std::reverse(whole.begin(), whole.end());
                whole.resize(std::min<size_t>(k, whole.size()));
                ASSERT_EQ(backwards ? last : first, whole) << text << " in " << t.orderName();
            }
            if (t.orderListsAll()) {
                ASSERT_EQ(t.count(), got.size()) << t.orderName();
            }
            std::sort(got.begin(), got.end());
            // (Not those that hold some records only.)
            if (t.orderName() != "MTITLE" && t.orderName() != "UYEAR") {
                ASSERT_EQ(got, want) << text << " in " << t.orderName();
            }
        }
    }
    // The tags answered many of them (the rest have no tagged comparison, or an empty text).
    EXPECT_GT(fromTags, queries / 4);
}

// 20,000 titles in 20 categories: a tagged query reads about the thousand it finds.
TEST(QueryPlan, ATaggedQueryReadsOnlyItsCandidates) {
    test::TempDir dir;
    const std::string path = dir.file("t.dbf");
    ASSERT_TRUE(dbf::DbfFile::create(path, kFields).isOk());
    test::FaultEnv env;
    Table t(path, {}, &env);
    ASSERT_TRUE(t.open().isOk());
    const uint32_t n = 20000;
    std::string images;
    for (uint32_t r = 1; r <= n; ++r) {
        std::string img = t.dbf()->blankRecord();
        dbf::setString(img, t.fields()[0], "T" + std::to_string(r));
        dbf::setString(img, t.fields()[1], "Cat" + std::to_string(r % 20));
        dbf::setString(img, t.fields()[2], std::to_string(1900 + r % 100));
        dbf::setDeleted(img, r % 7 == 0);
        images += img;
    }
    ASSERT_TRUE(t.appendRecords(images, n).isOk());
    ASSERT_TRUE(t.createIndex(kTags).isOk());
    const uint64_t recordBytes = t.recSize();
    uint32_t cat7 = 0;
    for (uint32_t r = 7; r <= n; r += 20)
        cat7 += r % 7 != 0;
    t.close();
    auto& read = env.bytesReadFrom[path];

    ASSERT_TRUE(t.open().isOk());
    read = 0;
    ASSERT_TRUE(t.query("CATEGORY = \"Cat7\"").isOk()); // Cat7, not Cat17: 1,000 titles
    EXPECT_EQ(t.count(), cat7);
    EXPECT_TRUE(t.lastQueryPlan().fromTags);
    EXPECT_EQ(t.lastQueryPlan().candidates, 1000u);
    EXPECT_LE(read, 1000 * recordBytes);
    // Two tags, .AND.: the candidates are those both give.
    read = 0;
    ASSERT_TRUE(t.query("UPPER(CATEGORY) = \"CAT7\" .AND. YEAR = \"1907\"").isOk());
    EXPECT_EQ(t.lastQueryPlan().candidates, 200u);
    EXPECT_LE(read, 200 * recordBytes);
    // Answered exactly by a tag: only the deleted flags are read, and those known not again.
    uint32_t live1908 = 0;
    for (uint32_t r = 8; r <= n; r += 100)
        live1908 += r % 7 != 0;
    for (const auto& [text, flags] :
         {std::pair{"YEAR = \"1908\"", 200u}, std::pair{"YEAR == \"1908\"", 0u}}) {
        read = 0;
        ASSERT_TRUE(t.query(text).isOk());
        EXPECT_TRUE(t.lastQueryPlan().exact);
        EXPECT_EQ(t.count(), live1908);
        EXPECT_EQ(read, flags);
    }
    // Untagged: every record, once.
    read = 0;
    ASSERT_TRUE(t.query("TITLE = \"T7\"").isOk());
    EXPECT_FALSE(t.lastQueryPlan().fromTags);
    EXPECT_GE(read, n * recordBytes);
    ASSERT_TRUE(t.query("").isOk());
    t.close();

    // The first records in an order are found without a pass for the deleted flags; a count
    // of the whole table needs that pass once.
    ASSERT_TRUE(t.open().isOk());
    t.setOrder(t.tagArea("YR"));
    read = 0;
    ASSERT_TRUE(t.goTop().isOk());
    ASSERT_TRUE(t.skip(20).isOk());
    EXPECT_LE(read, 30 * recordBytes);
    EXPECT_EQ(t.count(), n - n / 7);
    const uint64_t pass = read;
    EXPECT_EQ(t.count(), n - n / 7);
    EXPECT_EQ(read, pass);
}

// A pass reads of each record only its flag and the fields the query tests (the marks: two
// bytes a record), through a view of the file; the candidates of a tagged query only theirs,
// with a read each. The answers are those of the reads.
TEST(QueryPlan, PassesThroughAViewReadOnlyTheBytesTheyTest) {
    test::TempDir dir;
    const std::string path = dir.file("t.dbf");
    ASSERT_TRUE(dbf::DbfFile::create(path, kFields).isOk());
    test::FaultEnv env;
    env.views = true;
    Table t(path, {}, &env);
    ASSERT_TRUE(t.open().isOk());
    const uint32_t n = 4000;
    std::string images;
    uint32_t marked = 0, drama = 0, live = 0;
    for (uint32_t r = 1; r <= n; ++r) {
        std::string img = t.dbf()->blankRecord();
        dbf::setString(img, t.fields()[0], "T" + std::to_string(r));
        // Every tenth of the category in capitals: the same range of the tag, another answer.
        dbf::setString(img, t.fields()[1], r % 4 ? "Other" : r % 40 ? "Drama" : "DRAMA");
        dbf::setLogical(img, t.fields()[4], r % 3 == 0);
        dbf::setDeleted(img, r % 11 == 0);
        const bool shown = r % 11 != 0;
        live += shown;
        marked += shown && r % 3 == 0;
        drama += shown && r % 4 == 0 && r % 40 != 0;
        images += img;
    }
    ASSERT_TRUE(t.appendRecords(images, n).isOk());
    ASSERT_TRUE(t.createIndex(kTags).isOk());
    t.close();
    ASSERT_TRUE(t.open().isOk());
    auto& read = env.bytesReadFrom[path];
    auto& viewed = env.bytesViewedFrom[path];
    read = viewed = 0;
    ASSERT_TRUE(t.query("MARKED").isOk());
    EXPECT_EQ(t.count(), marked);
    EXPECT_EQ(viewed, 2u * n);
    read = viewed = 0;
    ASSERT_TRUE(t.query("CATEGORY = \"Drama\"").isOk());
    EXPECT_EQ(t.count(), drama);
    EXPECT_EQ(t.lastQueryPlan().candidates, n / 4);
    EXPECT_EQ(viewed, 0u); // a read each: faults in the view would map 64 KB at a time
    EXPECT_EQ(read, n / 4 * uint64_t(t.field("CATEGORY")->offset + 6));
    // The whole table: counted by the index, which counts the deleted records; listed with
    // one flag a record.
    ASSERT_TRUE(t.query("").isOk());
    t.close();
    ASSERT_TRUE(t.open().isOk());
    read = viewed = 0;
    EXPECT_EQ(t.count(), live);
    EXPECT_EQ(viewed + read, 0u);
    std::vector<uint32_t> all;
    ASSERT_TRUE(t.visibleRecords(&all).isOk());
    EXPECT_EQ(all.size(), live);
    EXPECT_EQ(viewed, uint64_t(n));
    EXPECT_EQ(read, 0u);
}

// A query asked again is answered from its answer kept since, which every write has kept
// current: nothing is read. A table that others may change keeps nothing.
TEST(QueryPlan, AQueryAskedAgainReadsNothing) {
    test::TempDir dir;
    const std::string path = dir.file("t.dbf");
    ASSERT_TRUE(dbf::DbfFile::create(path, kFields).isOk());
    test::FaultEnv env;
    Table t(path, {}, &env);
    ASSERT_TRUE(t.open().isOk());
    const dbf::FieldDef& marked = *t.field("MARKED");
    std::string images;
    for (uint32_t r = 1; r <= 300; ++r) {
        std::string img = t.dbf()->blankRecord();
        dbf::setLogical(img, marked, r % 3 == 0);
        images += img;
    }
    ASSERT_TRUE(t.appendRecords(images, 300).isOk());
    auto& read = env.bytesReadFrom[path];
    ASSERT_TRUE(t.query("MARKED").isOk());
    EXPECT_EQ(t.count(), 100u);
    // Changes: a mark set, a marked record deleted, a marked one added.
    ASSERT_TRUE(t.query("").isOk());
    ASSERT_TRUE(t.go(1).isOk());
    std::string img = t.record();
    dbf::setLogical(img, marked, true);
    ASSERT_TRUE(t.putRecord(img).isOk());
    ASSERT_TRUE(t.go(3).isOk());
    ASSERT_TRUE(t.deleteRecord().isOk());
    ASSERT_TRUE(t.appendRecord(img).isOk());
    read = 0;
    ASSERT_TRUE(t.query("MARKED").isOk());
    EXPECT_TRUE(t.lastQueryPlan().kept);
    EXPECT_EQ(t.count(), 101u);
    EXPECT_EQ(read, 0u);
    std::vector<uint32_t> got;
    ASSERT_TRUE(t.visibleRecords(&got).isOk());
    EXPECT_EQ(got.front(), 1u);
    EXPECT_EQ(got.back(), 301u);
    // Open for others too: asked afresh.
    t.close();
    TableOptions shared;
    shared.exclusive = false;
    Table s(path, shared, &env);
    ASSERT_TRUE(s.open().isOk());
    for (int i = 0; i < 2; ++i) {
        read = 0;
        ASSERT_TRUE(s.query("MARKED").isOk());
        EXPECT_FALSE(s.lastQueryPlan().kept);
        EXPECT_GE(read, 301u * s.recSize());
    }
}

// An index that knows its table holds no deleted record spares reading the deleted flags:
// for a query the tags answer exactly and for a count of every title. The count follows a
// delete and a recall, and survives a reopen.
TEST(QueryPlan, NoFlagIsReadWhileTheIndexCountsNoDeletedRecord) {
    test::TempDir dir;
    const std::string path = dir.file("t.dbf");
    ASSERT_TRUE(dbf::DbfFile::create(path, kFields).isOk());
    test::FaultEnv env;
    Table t(path, {}, &env);
    ASSERT_TRUE(t.open().isOk());
    const uint32_t n = 2000;
    std::string images;
    for (uint32_t r = 1; r <= n; ++r) {
        std::string img = t.dbf()->blankRecord();
        dbf::setString(img, t.fields()[0], "T" + std::to_string(r));
        dbf::setString(img, t.fields()[2], std::to_string(1900 + r % 100));
        images += img;
    }
    ASSERT_TRUE(t.appendRecords(images, n).isOk());
    ASSERT_TRUE(t.createIndex(kTags).isOk());
    t.close();
    auto& read = env.bytesReadFrom[path];
    auto year1908 = [&](uint32_t expected, bool flagsRead) {
        ASSERT_TRUE(t.open().isOk());
        read = 0;
        ASSERT_TRUE(t.query("YEAR = \"1908\"").isOk());
        EXPECT_TRUE(t.lastQueryPlan().exact);
        EXPECT_EQ(t.count(), expected);
        EXPECT_EQ(read > 0, flagsRead);
        ASSERT_TRUE(t.query("").isOk());
        EXPECT_EQ(t.count(), n - (20 - expected));
        EXPECT_EQ(read > 0, flagsRead);
    };
    year1908(20, false);
    ASSERT_TRUE(t.go(108).isOk());
    ASSERT_TRUE(t.deleteRecord().isOk());
    t.close();
    year1908(19, true);
    ASSERT_TRUE(t.go(108).isOk());
    ASSERT_TRUE(t.recall().isOk());
    t.close();
    year1908(20, false);
}

// Records appended for a later re-index are not in the tags yet: a query still finds them.
TEST(QueryPlan, RecordsTheTagsDoNotHoldYetAreFound) {
    test::TempDir dir;
    const std::string path = dir.file("t.dbf");
    ASSERT_TRUE(dbf::DbfFile::create(path, kFields).isOk());
    Table t(path);
    ASSERT_TRUE(t.open().isOk());
    std::string img = t.dbf()->blankRecord();
    dbf::setString(img, t.fields()[2], "1977");
    ASSERT_TRUE(t.appendRecord(img).isOk());
    ASSERT_TRUE(t.createIndex(kTags).isOk());
    ASSERT_TRUE(t.appendRecords(img + img, 2, Table::IndexUpkeep::Defer).isOk());
    ASSERT_TRUE(t.query("YEAR = \"1977\"").isOk());
    EXPECT_EQ(t.count(), 3u);
    ASSERT_TRUE(t.reindex().isOk());
    ASSERT_TRUE(t.query("YEAR == \"1977\"").isOk()); // not the answer kept
    EXPECT_TRUE(t.lastQueryPlan().fromTags);
    EXPECT_EQ(t.count(), 3u);
}

// A walk in an index order with fields named copies just those (and the deleted flag).
TEST(QueryPlan, AWalkCopiesOnlyTheFieldsAsked) {
    test::TempDir dir;
    const std::string path = dir.file("t.dbf");
    ASSERT_TRUE(dbf::DbfFile::create(path, kFields).isOk());
    Table t(path);
    ASSERT_TRUE(t.open().isOk());
    for (int r = 0; r < 5; ++r) {
        std::string img = t.dbf()->blankRecord();
        dbf::setString(img, t.fields()[0], std::string(1, char('e' - r)));
        dbf::setString(img, t.fields()[1], "Drama");
        dbf::setString(img, t.fields()[3], "n");
        dbf::setDeleted(img, r == 2);
        ASSERT_TRUE(t.appendRecord(img).isOk());
    }
    ASSERT_TRUE(t.createIndex(kTags).isOk());
    t.setOrder(t.tagArea("CATEGORY"));
    std::string seen;
    for (bool hide : {true, false}) {
        t.setHideDeleted(hide);
        ASSERT_TRUE(t.walk(
                         [&](uint32_t, std::string_view img) {
                             seen += std::string(dbf::trimmedField(img, t.fields()[0])) +
                                     std::string(dbf::trimmedField(img, t.fields()[1])) +
                                     (dbf::isDeleted(img) ? "*" : "") + ",";
                             return true;
                         },
                         {0, 3})
                        .isOk());
        seen += ";";
    }
    EXPECT_EQ(seen, "a,b,d,e,;a,b,c*,d,e,;");
    // A visitor that stops: nothing more is handed over.
    int visits = 0;
    ASSERT_TRUE(t.walk([&](uint32_t, std::string_view) { return ++visits < 2; }, {0}).isOk());
    EXPECT_EQ(visits, 2);
}
