// The catalogue's schema, choice lists and sample.
#include "catalogue.h"
#include "faultenv.h"
#include "record.h"
#include "table.h"
#include "test_util.h"

#include <gtest/gtest.h>

using namespace rk;
using namespace rk::catalogue;

TEST(Schema, TitlesTableHasItsFieldsInOrder) {
    const auto& f = titleFields();
    ASSERT_EQ(f.size(), 33u);
    const char* names[] = {"TITLE",   "CATEGORY", "FORMAT",    "ID",    "COUNTER",    "RUNTIME",
                           "USER1",   "USER2",    "USER3",     "USER4", "RATED",      "RATING",
                           "SUMMARY", "PRODUCER", "DIRECTOR",  "STAR1", "STAR2",      "STAR3",
                           "STAR4",   "YEAR",     "SPEED",     "SOUND", "CLOSE_CAPT", "CONTENT",
                           "PRICE",   "MARKED",   "MULTI_SET", "TAPES", "AV_CLIP",    "CLIP_TYPE",
                           "PICTURE", "SURROUND", "CLIP_FILE"};
    for (size_t i = 0; i < f.size(); ++i)
        EXPECT_EQ(f[i].name, names[i]);
    EXPECT_EQ(f[12].length, 255);
    EXPECT_EQ(f[4].type, 'N');
    EXPECT_LE(f[4].length, 4);
    EXPECT_EQ(titleTags().size(), 12u);
    EXPECT_EQ(categoryTags().at(0).name, "CAT");
}

class ChoiceLists : public ::testing::Test {
protected:
    std::vector<std::string> read(const std::string& content) {
        test::writeAll(dir.file("Rats.dat"), content);
        auto r = readChoiceList(dir.file("Rats.dat"), builtinRatings());
        EXPECT_TRUE(r.isOk());
        return r.isOk() ? *r : std::vector<std::string>{"<error>"};
    }
    test::TempDir dir;
};

using L = std::vector<std::string>;

TEST_F(ChoiceLists, MissingFileGivesTheBuiltInEntries) {
    auto r = readChoiceList(dir.file("Rats.dat"), builtinRatings());
    ASSERT_TRUE(r.isOk());
    EXPECT_EQ(*r, (L{"Excellent", "Good", "Fair", "Poor"}));
    auto f = readChoiceList(dir.file("Formats.dat"), builtinFormats());
    EXPECT_EQ(*f, (L{"VHS", "SVHS", "Laser Disc (CAV)", "Laser Disc (CLV)", "Laser Disc", "BETA",
                     "Hi8", "8mm"}));
}

TEST_F(ChoiceLists, LineEndingsAndEmptyEntries) {
    EXPECT_EQ(read(""), L{});
    EXPECT_EQ(read("a\r\nb\r\n"), (L{"a", "b"}));
    EXPECT_EQ(read("a\r\nb"), (L{"a", "b"}));
    EXPECT_EQ(read("a\n\nb\r"), (L{"a", "", "b"}));
    EXPECT_EQ(read("a\rb\nc\r\nd"), (L{"a", "b", "c", "d"}));
    EXPECT_EQ(read("\r\n"), (L{""}));
    EXPECT_EQ(read("  padded  \r\nz\r\na\r\na\r\n"), (L{"  padded  ", "z", "a", "a"}));
}

TEST_F(ChoiceLists, WriteEndsEveryEntryAndReadsBack) {
    L entries{"Great", "",
              "B\xE9"
              "bé"};
    ASSERT_TRUE(writeChoiceList(dir.file("Rats.dat"), entries).isOk());
    EXPECT_EQ(test::readAll(dir.file("Rats.dat")), "Great\r\n\r\nB\xE9"
                                                   "bé\r\n");
    EXPECT_EQ(*readChoiceList(dir.file("Rats.dat"), builtinRatings()), entries);
    ASSERT_TRUE(writeChoiceList(dir.file("Rats.dat"), {}).isOk());
    EXPECT_EQ(*readChoiceList(dir.file("Rats.dat"), builtinRatings()), L{});
}

TEST_F(ChoiceLists, AFailedWriteLeavesTheOldListWhole) {
    ASSERT_TRUE(writeChoiceList(dir.file("Formats.dat"), {"VHS", "DVD"}).isOk());
    test::FaultEnv env;
    env.failWrites = true;
    EXPECT_FALSE(writeChoiceList(dir.file("Formats.dat"), {"Blu-ray"}, &env).isOk());
    EXPECT_EQ(test::readAll(dir.file("Formats.dat")), "VHS\r\nDVD\r\n");
    EXPECT_FALSE(Env::standard()->exists(dir.file("Formats.dat.tmp")));
}

TEST(Sample, CatalogueHoldsRealTitlesAndRefusesToOverwrite) {
    test::TempDir dir;
    ASSERT_TRUE(createSample(dir.path()).isOk());
    store::Table titles(dir.file("VIDEO.DBF"));
    ASSERT_TRUE(titles.open().isOk());
    EXPECT_GE(titles.recCount(), 60u);
    ASSERT_TRUE(titles.query("MARKED").isOk());
    uint32_t marked = titles.count();
    EXPECT_GT(marked, 0u);
    EXPECT_LT(marked, titles.recCount());
    ASSERT_TRUE(titles.query("MULTI_SET .AND. TAPES > 1").isOk());
    EXPECT_GT(titles.count(), 0u);
    ASSERT_TRUE(titles.query("PICTURE = \"B&&W\"").isOk());
    EXPECT_GT(titles.count(), 0u);
    ASSERT_TRUE(titles.query("CATEGORY = \"Western\"").isOk());
    EXPECT_GE(titles.count(), 3u);
    titles.close();
    store::Table cats(dir.file("Cats.dbf"));
    ASSERT_TRUE(cats.open().isOk());
    EXPECT_GE(cats.recCount(), 10u);
    ASSERT_TRUE(cats.goTop().isOk());
    EXPECT_TRUE(dbf::rawField(cats.record(), *cats.field("CATID")) == "     "); // left blank
    cats.close();
    Status again = createSample(dir.path());
    EXPECT_FALSE(again.isOk());
    EXPECT_NE(again.message().find("already"), std::string::npos);
}
