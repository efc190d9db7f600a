// The import of an earlier version's data file, and the export it pairs with.
#include "catalogue.h"
#include "check.h"
#include "oldimport.h"
#include "record.h"
#include "table.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace rk;
using store::oldfile::parseLine;

namespace {

std::string field(const std::string& image, const char* name) {
    for (const auto& f : catalogue::titleFields())
        if (f.name == name)
            return f.type == 'N' ? dbf::displayText(image, f)
                                 : std::string(dbf::trimmedField(image, f));
    return "<no field>";
}

class OldImport : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(catalogue::createSample(dir.path()));
        titles = std::make_unique<store::Table>(dir.file("VIDEO.DBF"));
        ASSERT_TRUE(titles->open());
        before = titles->recCount();
    }
    // Counts and imports `text`; the records it added.
    std::vector<std::string> import(const std::string& text, store::OldFileCounts* out = nullptr) {
        test::writeAll(dir.file("old.dat"), text);
        auto counts = store::countOldDataFile(dir.file("old.dat"), titles->fields());
        EXPECT_TRUE(counts.isOk()) << counts.status().message();
        if (!counts) return {};
        if (out) *out = *counts;
        store::OldImportReport report;
        Status s = store::importOldDataFile(*titles, dir.file("old.dat"), *counts, {}, &report);
        EXPECT_TRUE(s.isOk()) << s.message();
        EXPECT_EQ(report.added, counts->records - counts->skippedLines);
        std::vector<std::string> added;
        for (uint32_t r = before + 1; r <= titles->recCount(); ++r) {
            EXPECT_TRUE(titles->go(r));
            added.push_back(titles->record());
        }
        return added;
    }
    test::TempDir dir;
    std::unique_ptr<store::Table> titles;
    uint32_t before = 0;
};

} // namespace

TEST(OldFileLine, ColumnsSplitAtEveryCommaWithQuotesRemovedAndNothingTrimmed) {
    auto l = parseLine("Good,VHS,Drama,\"Title, with comma\", id ,7");
    EXPECT_EQ(l.text[3], "Title");
    EXPECT_EQ(l.text[4], " with comma");
    EXPECT_EQ(l.text[5], " id ");
    EXPECT_EQ(l.counter, 0); // column 6 is now "7"'s neighbour: " id " is no integer
    EXPECT_EQ(parseLine("a,b,c,d,e, 42").counter, 42);
    EXPECT_EQ(parseLine("a,b,c,d,e,4x").counter, 0);
    EXPECT_EQ(parseLine("a,b,c,d,e,-12").counter, -12);
    EXPECT_EQ(parseLine("a,b,c,d,e,99999999999").counter, 0);

    // "nodat" stands for no data in columns 1 and 2 only, and only as written.
    l = parseLine("nodat,nodat,nodat,nodat");
    EXPECT_EQ(l.text[0], "Empty Title");
    EXPECT_EQ(l.text[1], "");
    EXPECT_EQ(l.text[2], "nodat");
    EXPECT_EQ(l.text[3], "nodat");
    EXPECT_EQ(parseLine("\"nodat\"").text[0], "nodat");

    // Column 11 is never read; columns after 18 neither.
    std::string cols;
    for (int i = 1; i <= 20; ++i)
        cols += (i > 1 ? "," : "") + std::string("c") + std::to_string(i);
    l = parseLine(cols);
    EXPECT_EQ(l.text[10], "");
    EXPECT_EQ(l.text[17], "c18");
    EXPECT_EQ(l.text, parseLine(cols.substr(0, cols.find(",c19"))).text);
}

TEST(OldFileLine, FieldCountStopsAtTheFirstEmptyColumn) {
    EXPECT_EQ(store::oldfile::fieldCount("a,b,,d"), 2);
    EXPECT_EQ(store::oldfile::fieldCount(""), 0);
    EXPECT_EQ(store::oldfile::fieldCount("a,\"\",c"), 3); // counted as written
    EXPECT_EQ(store::oldfile::fieldCount("a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r,s,t"), 20);
}

TEST_F(OldImport, EveryLineIsARecordWhateverItsEnding) {
    store::OldFileCounts counts;
    auto added = import("one\r\ntwo\nthree", &counts);
    EXPECT_EQ(counts.records, 3u);
    EXPECT_EQ(counts.fields, 1);
    ASSERT_EQ(added.size(), 3u);
    EXPECT_EQ(field(added[2], "RATING"), "three");
    // An empty line is a record with every field empty and COUNTER 0; an end mark ends the text.
    before = titles->recCount();
    added = import("a,b,,d\r\n\r\nlast\r\n\x1A", &counts);
    EXPECT_EQ(counts.records, 3u);
    EXPECT_EQ(counts.fields, 2);
    ASSERT_EQ(added.size(), 3u);
    for (const auto& f : catalogue::titleFields())
        EXPECT_EQ(field(added[1], f.name.c_str()), f.name == "COUNTER" ? "0" : "") << f.name;
}

TEST_F(OldImport, ColumnsFillTheirFieldsCutToWidthAndAccentsArriveIntact) {
    const std::string longTitle(120, 'T');
    auto added = import("nodat,nodat,nodat," + longTitle +
                        ",ID-1,12,1:30,u1,u2,sum,skipped,Prod,Dir,"
                        "Fran\xE7ois Truffaut,Milo\x9A Forman,S3,u3,u4,c19,c20\n");
    ASSERT_EQ(added.size(), 1u);
    const std::string& r = added[0];
    EXPECT_EQ(field(r, "RATING"), "Empty Title");
    EXPECT_EQ(field(r, "FORMAT"), "");
    EXPECT_EQ(field(r, "CATEGORY"), "nodat");
    EXPECT_EQ(field(r, "TITLE"), longTitle.substr(0, 100));
    EXPECT_EQ(field(r, "COUNTER"), "12");
    EXPECT_EQ(field(r, "SUMMARY"), "sum");
    EXPECT_EQ(field(r, "PRODUCER"), "Prod");
    EXPECT_EQ(field(r, "STAR1"), "Fran\xE7ois Truffaut");
    EXPECT_EQ(field(r, "STAR2"), "Milo\x9A Forman");
    EXPECT_EQ(field(r, "USER4"), "u4");
    // Nothing the line does not give: STAR4 and the others stay as a new record has them.
    EXPECT_EQ(field(r, "STAR4"), "");
    EXPECT_EQ(field(r, "MARKED"), "");
    // The import keeps the table's orders: the new title sorts among the others.
    titles->setOrder(titles->tagArea("TITIT"));
    bool found = false;
    ASSERT_TRUE(titles->seek(longTitle.substr(0, 100), false, &found));
    EXPECT_TRUE(found);
}

// A line that cannot be stored is listed by the count (line and reason) and left out by the
// import, which adds the others.
TEST_F(OldImport, ALineThatCannotBeStoredIsListedAndLeftOut) {
    store::OldFileCounts counts;
    auto added = import("Good,VHS,Drama,Alien\nFair,VHS,Drama,Big,ID,123456\n"
                        "Poor,VHS,Drama,Red \x1B[31m Alert\nGood,VHS,Drama,Zulu,ID,7\n",
                        &counts);
    EXPECT_EQ(counts.records, 4u);
    ASSERT_EQ(counts.skippedLines, 2u);
    ASSERT_EQ(counts.skipped.size(), 2u);
    EXPECT_EQ(counts.skipped[0].line, 2u);
    EXPECT_NE(counts.skipped[0].reason.find("123456"), std::string::npos);
    EXPECT_EQ(counts.skipped[1].line, 3u);
    EXPECT_NE(counts.skipped[1].reason.find("ESC"), std::string::npos);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(field(added[0], "TITLE"), "Alien");
    EXPECT_EQ(field(added[1], "TITLE"), "Zulu");
    // The preview holds the lines that are stored, as they are stored.
    ASSERT_EQ(counts.preview.size(), 2u);
    EXPECT_EQ(counts.preview[1].first, 4u);
    EXPECT_EQ(counts.preview[1].second, added[1]);

    auto missing = store::countOldDataFile(dir.file("none.dat"), titles->fields());
    EXPECT_EQ(missing.status().code(), Status::Code::NotFound);
}

// The data file is told from a comma export and from other lists by its lines' shape; a few
// odd lines among many do not change the verdict.
TEST_F(OldImport, TheShapeTellsTheDataFileFromOtherFiles) {
    auto shape = [&](const std::string& text, const std::vector<std::string>* ratings = nullptr) {
        test::writeAll(dir.file("x.dat"), text);
        auto counts =
            store::countOldDataFile(dir.file("x.dat"), titles->fields(), Env::standard(), ratings);
        EXPECT_TRUE(counts.isOk());
        return counts ? counts->shape : store::OldFileShape{};
    };
    ASSERT_TRUE(titles->copyFileText(dir.file("sample.csv"), store::TextFormat::CommaDelimited));
    const store::OldFileShape csv = shape(test::readAll(dir.file("sample.csv")));
    EXPECT_FALSE(csv.looksOld());
    for (const char* told : {"more than 18 columns", "quotes", "\"Casablanca\"", "\"1:42\""})
        EXPECT_NE(csv.problem().find(told), std::string::npos) << told << csv.problem();

    const std::string old = "Good,VHS,Drama,Alien,ID,12\r\nnodat,nodat,,Big\r\n\r\n"
                            "\"Fair\",VHS,Drama,Cars,ID, 7 ,1:30\r\n";
    EXPECT_TRUE(shape(old).looksOld()) << shape(old).problem();
    EXPECT_TRUE(shape(old + "Alien,1979,Ridley Scott\r\n").looksOld());
    const store::OldFileShape list = shape("Alien,1979\r\nBig,1988\r\n");
    EXPECT_FALSE(list.looksOld());
    EXPECT_NE(list.problem().find("\"Alien\""), std::string::npos) << list.problem();
    // Ratings the catalogue's own list holds count as ratings.
    const std::vector<std::string> own = {"superb"};
    EXPECT_FALSE(shape("Superb,VHS,Drama,Alien\r\n").looksOld());
    EXPECT_TRUE(shape("Superb,VHS,Drama,Alien\r\n", &own).looksOld());
    EXPECT_FALSE(shape("Good,VHS,Drama,Alien,ID,side B\r\n").looksOld());
}

// A disk that fails part-way: the records before the failing group stay, whole and indexed,
// and the message says where the import stopped and how many records were added.
TEST_F(OldImport, AFailingWriteStopsWithTheCountAndKeepsWhatWasAdded) {
    std::string text;
    for (int i = 1; i <= 10000; ++i)
        text += "Good,VHS,Drama,Title " + std::to_string(i) + ",ID,1\r\n";
    test::writeAll(dir.file("old.dat"), text);
    titles->close();
    test::FaultEnv env;
    store::Table t(dir.file("VIDEO.DBF"), {}, &env);
    ASSERT_TRUE(t.open());
    auto counts = store::countOldDataFile(dir.file("old.dat"), t.fields(), &env);
    ASSERT_TRUE(counts.isOk());
    env.writesLeft = 5; // the index's mark, two groups of records and their counts
    store::OldImportReport report;
    Status s = store::importOldDataFile(t, dir.file("old.dat"), *counts, {}, &report, &env);
    ASSERT_FALSE(s.isOk());
    EXPECT_GT(report.added, 0u);
    EXPECT_LT(report.added, 10000u);
    EXPECT_NE(s.message().find("line " + std::to_string(report.added + 1)), std::string::npos)
        << s.message();
    EXPECT_NE(s.message().find(std::to_string(report.added) + " records were added"),
              std::string::npos)
        << s.message();
    t.close();

    ASSERT_TRUE(titles->open());
    EXPECT_EQ(titles->recCount(), before + report.added);
    ASSERT_TRUE(titles->go(titles->recCount()));
    EXPECT_EQ(field(titles->record(), "TITLE"), "Title " + std::to_string(report.added));
    titles->close();
    auto check = store::checkTable(dir.file("VIDEO.DBF"));
    ASSERT_TRUE(check.isOk());
    EXPECT_TRUE(check->sound()) << check->problems.front();
}

// The sample exported as comma text, written again in the old layout by the generator below,
// imports back with the same fields (texts without the commas and quotes the layout cannot
// hold), and the table checks sound.
TEST_F(OldImport, ExportedTitlesWrittenInTheOldLayoutImportBack) {
    ASSERT_TRUE(titles->copyFileText(dir.file("sample.csv"), store::TextFormat::CommaDelimited));
    const std::string csv = test::readAll(dir.file("sample.csv"));
    const auto& fields = titles->fields();
    auto index = [&](const char* name) { return titles->fieldIndex(name); };
    // Our comma text: "quoted" character fields with doubled quotes, bare other values.
    auto splitCsv = [](const std::string& line) {
        std::vector<std::string> out(1);
        bool quoted = false;
        for (size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"')
                out.back() += line[++i];
            else if (c == '"')
                quoted = !quoted;
            else if (c == ',' && !quoted)
                out.emplace_back();
            else
                out.back() += c;
        }
        return out;
    };
    auto clean = [](std::string s) {
        s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == ',' || c == '"'; }),
                s.end());
        return s;
    };
    std::string old;
    std::vector<std::vector<std::string>> expected;
    size_t start = 0;
    for (size_t end; (end = csv.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const auto values = splitCsv(csv.substr(start, end - start));
        ASSERT_EQ(values.size(), fields.size());
        std::vector<std::string> row;
        for (int c = 0; c < store::oldfile::kColumns; ++c) {
            const char* name = store::oldfile::kColumnField[size_t(c)];
            std::string v = name ? clean(values[size_t(index(name))]) : "not read";
            if (c == 1 && v.empty()) v = "nodat";
            old += (c ? "," : "") + v;
            if (c == store::oldfile::kCounterColumn - 1)
                v = std::to_string(store::oldfile::counterValue(v));
            row.push_back(c == 1 && v == "nodat" ? "" : name ? v : "");
        }
        old += "\r\n";
        expected.push_back(row);
    }
    ASSERT_EQ(expected.size(), before);
    auto added = import(old);
    ASSERT_EQ(added.size(), expected.size());
    for (size_t r = 0; r < added.size(); ++r) {
        for (int c = 0; c < store::oldfile::kColumns; ++c) {
            if (const char* name = store::oldfile::kColumnField[size_t(c)]) {
                EXPECT_EQ(field(added[r], name), expected[r][size_t(c)]) << name << " " << r;
            }
        }
    }
    titles->close();
    auto check = store::checkTable(dir.file("VIDEO.DBF"));
    ASSERT_TRUE(check.isOk());
    EXPECT_TRUE(check->sound());
}

TEST_F(OldImport, AFailedExportLeavesNoPartialFileAndSaysWhy) {
    const std::string out = dir.file("reelkeep.csv");
    test::writeAll(out, "an older export");
    titles->close();
    test::FaultEnv env;
    store::Table t(dir.file("VIDEO.DBF"), {}, &env);
    ASSERT_TRUE(t.open());
    env.writesLeft = 0;
    Status s = t.copyFileText(out, store::TextFormat::SpaceDelimited);
    ASSERT_FALSE(s.isOk());
    EXPECT_NE(s.message().find(out), std::string::npos) << s.message();
    EXPECT_EQ(test::readAll(out), "an older export");
    EXPECT_FALSE(std::filesystem::exists(out + ".tmp"));
    env.writesLeft = -1;
    ASSERT_TRUE(t.copyFileText(out, store::TextFormat::SpaceDelimited));
    const std::string written = test::readAll(out);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), long(before));
}
