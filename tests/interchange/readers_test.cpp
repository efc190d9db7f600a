// Each program's file read into titles and mapped to our records; hostile files refused
// with a message.
#include "catalogue.h"
#include "mapping.h"
#include "readers.h"
#include "record.h"
#include "table.h"
#include "test_util.h"
#include "text.h"

#include <gtest/gtest.h>

#include <zip.h>

#include <cstring>

using namespace rk;
using namespace rk::interchange;

namespace {

ReadResult readFixture(const char* name, Format expected) {
    const std::string bytes = test::readAll(std::string(FIXTURES) + "/" + name);
    EXPECT_EQ(detectFormat(bytes), expected) << name;
    auto r = readBytes(bytes);
    EXPECT_TRUE(r.isOk()) << name << ": " << r.status().message();
    return r.isOk() ? *r : ReadResult{};
}

MapOptions builtinLists() {
    MapOptions o;
    o.ratings = catalogue::builtinRatings();
    o.formats = catalogue::builtinFormats();
    o.formats.push_back("DVD");
    return o;
}

// The mapped record's fields by name (trimmed, Windows-1252).
struct Mapped {
    std::string image;
    MapNotes notes;
    std::string operator[](const char* name) const {
        for (const auto& f : catalogue::titleFields())
            if (f.name == name) return std::string(dbf::trimmedField(image, f));
        return "no such field";
    }
};

Mapped mapped(const ForeignTitle& t, MapOptions o = builtinLists()) {
    Mapped m;
    m.image = mapTitle(t, catalogue::titleFields(), o, &m.notes);
    return m;
}

// A zip of (name, bytes) members.
std::string zipOf(const std::vector<std::pair<std::string, std::string>>& members) {
    test::TempDir dir;
    const std::string path = dir.file("a.zip");
    int error = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, bytes] : members)
        zip_file_add(z, name.c_str(), zip_source_buffer(z, bytes.data(), bytes.size(), 0), 0);
    zip_close(z);
    return test::readAll(path);
}

void expectRefused(std::string_view bytes, const char* says) {
    auto r = readBytes(bytes);
    ASSERT_FALSE(r.isOk());
    EXPECT_NE(r.status().message().find(says), std::string::npos) << r.status().message();
}

} // namespace

TEST(Readers, TellicoEntriesMapToOurFields) {
    const ReadResult r = readFixture("tellico.xml", Format::Tellico);
    ASSERT_EQ(r.titles.size(), 2u);
    const Mapped alien = mapped(r.titles[0]);
    EXPECT_EQ(alien["CATEGORY"], "Horror");
    EXPECT_EQ(alien["USER4"], "Science Fiction");
    EXPECT_EQ(alien["STAR1"], "Tom Skerritt");
    EXPECT_EQ(alien["STAR4"], "Harry Dean Stanton");
    EXPECT_EQ(alien["FORMAT"], "DVD"); // the list's spelling
    EXPECT_EQ(alien["RUNTIME"], "01:57");
    EXPECT_EQ(alien["RATING"], "Good");
    EXPECT_EQ(alien["PRICE"], "12.99");
    EXPECT_EQ(alien["SUMMARY"].size(), 255u);
    EXPECT_EQ(alien.notes.cut, std::vector<std::string>{"SUMMARY"});
    EXPECT_EQ(alien.notes.leftOut, (std::vector<std::string>{"cast beyond the fourth", "Shelf"}));
    EXPECT_EQ(r.titles[0].coverBytes.substr(1, 3), "PNG");

    const Mapped wajda = mapped(r.titles[1]);
    EXPECT_EQ(wajda["TITLE"], "Czlowiek z zelaza");
    EXPECT_EQ(wajda.notes.transliterated, std::vector<std::string>{"TITLE"});
    EXPECT_EQ(wajda["RATING"], "Poor");
    EXPECT_EQ(r.titles[1].borrower, "Ann Jones");
    EXPECT_EQ(r.titles[1].dueDate, "2026-12-01");
}

TEST(Readers, TellicoCollectionsOfOtherKindsAreRefused) {
    std::string books = test::readAll(std::string(FIXTURES) + "/tellico.xml");
    books.replace(books.find("type=\"3\""), 8, "type=\"2\"");
    expectRefused(books, "not a video collection");
}

TEST(Readers, GcstarAttributesAndListElements) {
    const ReadResult r = readFixture("gcstar.gcs", Format::GCstar);
    ASSERT_EQ(r.titles.size(), 2u);
    const Mapped amelie = mapped(r.titles[0]);
    EXPECT_EQ(amelie["TITLE"], "Am\xE9lie");
    EXPECT_EQ(amelie["YEAR"], "2001");
    EXPECT_EQ(amelie["CATEGORY"], "Comedy");
    EXPECT_EQ(amelie["STAR2"], "Mathieu Kassovitz");
    EXPECT_EQ(amelie["RATED"], "PG");
    EXPECT_EQ(amelie["RATING"], "Good"); // 8 of 10
    EXPECT_EQ(amelie["RUNTIME"], "02:02");
    EXPECT_TRUE(r.titles[0].borrower.empty()); // "none"
    const Mapped metropolis = mapped(r.titles[1]);
    EXPECT_EQ(metropolis["CATEGORY"], "Science Fiction");
    EXPECT_EQ(metropolis["USER4"], "Drama");
    EXPECT_EQ(metropolis["RATING"], "Excellent");
    EXPECT_EQ(r.titles[1].borrower, "Peter");
}

TEST(Readers, DataCrowMoviesAndTheirReferences) {
    const ReadResult r = readFixture("datacrow.xml", Format::DataCrow);
    ASSERT_EQ(r.titles.size(), 1u); // the software item is left out, and said
    EXPECT_EQ(r.notes.size(), 1u);
    const Mapped m = mapped(r.titles[0]);
    EXPECT_EQ(m["CATEGORY"], "Film-Noir");
    EXPECT_EQ(m["STAR2"], "Orson Welles");
    EXPECT_EQ(m["FORMAT"], "DVD");
    EXPECT_EQ(m["RUNTIME"], "01:44"); // 6240 seconds
    MapOptions toUser = builtinLists();
    toUser.othersToUserFields = true;
    EXPECT_EQ(mapped(r.titles[0], toUser)["USER1"], "webpage: https://example.org/third-man");
}

TEST(Readers, GriffithCastLinesAndSplitLists) {
    const ReadResult r = readFixture("griffith.xml", Format::Griffith);
    ASSERT_EQ(r.titles.size(), 1u);
    const Mapped m = mapped(r.titles[0]);
    EXPECT_EQ(m["STAR1"], "Toshir\xF4 Mifune");
    EXPECT_EQ(m["STAR2"], "Takashi Shimura");
    EXPECT_EQ(m["CATEGORY"], "Action");
    EXPECT_EQ(m["USER4"], "Drama");
    EXPECT_EQ(m["RUNTIME"], "03:27");
}

TEST(Readers, CsvOfTellicoAndWindows1252TabText) {
    const ReadResult r = readFixture("tellico-export.csv", Format::Csv);
    ASSERT_EQ(r.titles.size(), 1u);
    const Mapped heat = mapped(r.titles[0]);
    EXPECT_EQ(heat["STAR2"], "Robert De Niro");
    EXPECT_EQ(heat["USER4"], "Drama");
    EXPECT_EQ(heat["RATING"], "Excellent");
    EXPECT_NE(heat["SUMMARY"].find("\"the best\""), std::string::npos);

    const ReadResult tsv = readFixture("cp1252.tsv", Format::Csv);
    ASSERT_EQ(tsv.titles.size(), 2u);
    EXPECT_EQ(mapped(tsv.titles[1])["TITLE"], "Caf\xE9 Society");
}

TEST(Readers, CsvQuotingAndShapes) {
    auto t = parseCsv("a,b\r\n\"x, \"\"y\"\"\nz\",2\n\n3\n");
    ASSERT_TRUE(t.isOk());
    ASSERT_EQ(t->rows.size(), 2u);
    EXPECT_EQ(t->rows[0][0], "x, \"y\"\nz");
    EXPECT_EQ(t->rows[1], (std::vector<std::string>{"3", ""}));
    EXPECT_FALSE(parseCsv("a,b\n1,2,3\n").isOk());
    EXPECT_FALSE(parseCsv("a\n\"open\n").isOk());
    EXPECT_FALSE(parseCsv("").isOk());
}

TEST(Readers, EntityExpansionIsRefused) {
    std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE tellico [\n<!ENTITY a0 \"ha\">\n";
    for (int i = 1; i < 10; ++i) {
        laughs += "<!ENTITY a" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k)
            laughs += "&a" + std::to_string(i - 1) + ";";
        laughs += "\">\n";
    }
    laughs += "]>\n<tellico><collection type=\"3\"><entry><title>&a9;</title></entry>"
              "</collection></tellico>";
    EXPECT_FALSE(readBytes(laughs).isOk());
    // One large entity used many times: well within libxml2's own limits, still refused.
    const std::string quadratic = "<?xml version=\"1.0\"?><!DOCTYPE root [<!ENTITY a \"" +
                                  std::string(50000, 'x') +
                                  "\">]><root><movie><title>&a;&a;&a;&a;</title></movie></root>";
    expectRefused(quadratic, "entities");
}

TEST(Readers, HostileZipsAreRefusedUnread) {
    expectRefused(zipOf({{"tellico.xml", "<tellico/>"}, {"../evil", "x"}}), "outside");
    expectRefused(zipOf({{"images/a.png", "x"}}), "no tellico.xml");

    // A member whose directory entry claims 10 GB (zip64 sizes) over a few bytes.
    const std::string name = "tellico.xml";
    auto le = [](std::string& s, uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            s += char((v >> (8 * i)) & 0xFF);
    };
    const uint64_t claimed = uint64_t(10) << 30, stored = 4;
    auto header = [&](bool central) {
        std::string h;
        le(h, central ? 0x02014b50 : 0x04034b50, 4);
        if (central) le(h, 45, 2);
        le(h, 45, 2);
        le(h, 0, 2);          // flags
        le(h, 0, 2);          // stored
        le(h, 0, 4);          // time, date
        le(h, 0, 4);          // crc
        le(h, 0xFFFFFFFF, 4); // compressed size: in the zip64 field
        le(h, 0xFFFFFFFF, 4); // size: in the zip64 field
        le(h, name.size(), 2);
        le(h, 20, 2);
        if (central) {
            le(h, 0, 2); // comment
            le(h, 0, 2); // disk
            le(h, 0, 2); // internal attributes
            le(h, 0, 4); // external attributes
            le(h, 0, 4); // local header offset
        }
        h += name;
        le(h, 1, 2);
        le(h, 16, 2);
        le(h, claimed, 8);
        le(h, stored, 8);
        return h;
    };
    std::string zip = header(false) + "abcd";
    const std::string central = header(true);
    const size_t centralAt = zip.size();
    zip += central;
    le(zip, 0x06054b50, 4);
    le(zip, 0, 4);
    le(zip, 1, 2);
    le(zip, 1, 2);
    le(zip, central.size(), 4);
    le(zip, centralAt, 4);
    le(zip, 0, 2);
    EXPECT_EQ(detectFormat(zip), Format::Tellico);
    expectRefused(zip, "claims");
}

TEST(Readers, ACoverThatIsNoImageIsLeftOutAndSaid) {
    std::string xml = test::readAll(std::string(FIXTURES) + "/tellico.xml");
    auto r =
        readBytes(zipOf({{"tellico.xml", xml}, {"images/1a2b.png", "<html>not an image</html>"}}));
    ASSERT_TRUE(r.isOk()) << r.status().message();
    EXPECT_TRUE(r->titles[0].coverBytes.empty());
    ASSERT_EQ(r->notes.size(), 1u);
    EXPECT_NE(r->notes[0].find("not an image"), std::string::npos);
}

TEST(Readers, AHugeCsvFieldIsRefused) {
    std::string csv = "Title,Plot Summary\nA,\"";
    csv.append(size_t(100) << 20, 'x');
    csv += "\"\n";
    expectRefused(csv, "longer than 1 MiB");
}

TEST(Readers, BinaryIsNoFormat) {
    EXPECT_EQ(detectFormat(std::string("\x7F"
                                       "ELF\0\0",
                                       6)),
              Format::Unknown);
    EXPECT_EQ(detectFormat("<html><body/></html>"), Format::Unknown);
    EXPECT_FALSE(readBytes("<html><body/></html>").isOk());
}

TEST(Text, WhatTheCodePageCannotHoldIsTransliteratedAndSaid) {
    struct Case {
        const char* utf8;
        const char* cp1252;
        bool transliterated;
    } cases[] = {
        {"caf\xC3\xA9 \xE2\x82\xAC", "caf\xE9 \x80", false}, // é and € are in the code page
        {"\xC5\x81\xC3\xB3"
         "d\xC5\xBA",
         "L\xF3"
         "dz",
         true},                                 // Łódź
        {"e\xCC\x81t\xC3\xA9", "et\xE9", true}, // a combining accent dropped
        {"a\xE2\x80\x90"
         "b",
         "a-b", true},                                      // a hyphen of its own
        {"\xE6\x97\xA5", "?", true},                        // no plain form
        {"bad \xFF byte", "bad ? byte", true},              // not UTF-8
        {"one\r\ntwo\tthree\x01", "one  two three", false}, // one line, no controls
    };
    for (const Case& c : cases) {
        const Converted got = toCp1252(c.utf8);
        EXPECT_EQ(got.text, c.cp1252) << c.utf8;
        EXPECT_EQ(got.transliterated, c.transliterated) << c.utf8;
    }
}

TEST(Plan, RefusedCutAndRepeatedTitlesAreCounted) {
    test::TempDir dir;
    ASSERT_TRUE(catalogue::createEmpty(dir.path()).isOk());
    store::Table titles(dir.file("VIDEO.DBF"));
    ASSERT_TRUE(titles.open().isOk());
    ReadResult read;
    read.titles.resize(4);
    read.titles[0].title = "Ran";
    read.titles[0].plot = std::string(300, 'p');
    read.titles[1].plot = "a title without a title";
    read.titles[2].title = "RAN"; // the same title and year, another case
    read.titles[2].directors = {"Akira Kurosawa"};
    read.titles[3].title = "Ran";
    read.titles[3].year = "1985"; // another year: another title
    auto plan = planImport(read, titles, builtinLists());
    ASSERT_TRUE(plan.isOk());
    EXPECT_EQ(plan->appends.size(), 2u);
    EXPECT_EQ(plan->duplicatesSkipped, 1u);
    EXPECT_EQ(plan->refused, std::vector<std::string>{"title 2: no title"});
    EXPECT_EQ(plan->cut.at("SUMMARY"), 1u);

    MapOptions merge = builtinLists();
    merge.merge = true;
    auto merged = planImport(read, titles, merge);
    ASSERT_EQ(merged->appends.size(), 2u);
    EXPECT_EQ(mapped(ForeignTitle{}).image.size(), merged->appends[0].size());
    Mapped first;
    first.image = merged->appends[0];
    EXPECT_EQ(first["DIRECTOR"], "Akira Kurosawa"); // filled in from the repeat
    EXPECT_EQ(first["TITLE"], "Ran");               // the first one's kept
}
