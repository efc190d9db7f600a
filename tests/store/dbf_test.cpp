// DBF files: layout, header bookkeeping, damaged and foreign files, locking.
#include "catalogue.h"
#include "dbf.h"
#include "record.h"
#include "table.h"
#include "test_util.h"

#include <gtest/gtest.h>

using namespace rk;
using namespace rk::dbf;

namespace {

std::vector<FieldDef> smallFields() {
    return {{"NAME", 'C', 10, 0, 0},
            {"QTY", 'N', 4, 0, 0},
            {"OK", 'L', 1, 0, 0},
            {"WHEN", 'D', 8, 0, 0},
            {"PRICE", 'N', 7, 2, 0}};
}

std::unique_ptr<DbfFile> openOk(const std::string& path, OpenOptions o = {}) {
    auto t = DbfFile::open(path, o);
    EXPECT_TRUE(t.isOk()) << t.status().message();
    return t.isOk() ? std::move(*t) : nullptr;
}

uint32_t headerCount(const std::string& bytes) {
    return uint8_t(bytes[4]) | uint8_t(bytes[5]) << 8 | uint8_t(bytes[6]) << 16 |
           uint32_t(uint8_t(bytes[7])) << 24;
}

} // namespace

TEST(DbfLayout, CreatedFileHasFoxProHeaderAndEndMark) {
    test::TempDir dir;
    std::string path = dir.file("T.DBF");
    ASSERT_TRUE(DbfFile::create(path, smallFields()).isOk());
    std::string bytes = test::readAll(path);
    ASSERT_EQ(bytes.size(), 32u + 5 * 32 + 1 + 1);
    EXPECT_EQ(uint8_t(bytes[0]), 0x03);
    EXPECT_EQ(uint8_t(bytes[29]), 0x03); // Windows-1252
    EXPECT_EQ(uint8_t(bytes[8]) | uint8_t(bytes[9]) << 8, 32 + 5 * 32 + 1);
    EXPECT_EQ(uint8_t(bytes[10]) | uint8_t(bytes[11]) << 8, 1 + 10 + 4 + 1 + 8 + 7);
    EXPECT_EQ(uint8_t(bytes[32 + 5 * 32]), 0x0D);
    EXPECT_EQ(uint8_t(bytes.back()), 0x1A);
    EXPECT_GE(uint8_t(bytes[1]), 100); // year - 1900
}

TEST(DbfLayout, AppendWriteAndReadBackKeepCountAndEndMark) {
    test::TempDir dir;
    std::string path = dir.file("T.DBF");
    ASSERT_TRUE(DbfFile::create(path, smallFields()).isOk());
    {
        auto t = openOk(path);
        std::string img = t->blankRecord();
        setString(img, t->fields()[0], "first");
        ASSERT_TRUE(setNumber(img, t->fields()[1], 12).isOk());
        setLogical(img, t->fields()[2], true);
        auto r1 = t->appendRecord(img);
        ASSERT_TRUE(r1.isOk());
        EXPECT_EQ(*r1, 1u);
        setString(img, t->fields()[0], "second");
        ASSERT_EQ(*t->appendRecord(img), 2u);
        setString(img, t->fields()[0], "changed");
        ASSERT_TRUE(t->writeRecord(1, img).isOk());
    }
    std::string bytes = test::readAll(path);
    EXPECT_EQ(headerCount(bytes), 2u);
    EXPECT_EQ(uint8_t(bytes.back()), 0x1A);
    auto t = openOk(path);
    EXPECT_EQ(t->recordCount(), 2u);
    EXPECT_TRUE(t->diagnostics().empty());
    std::string img;
    ASSERT_TRUE(t->readRecord(1, &img).isOk());
    EXPECT_EQ(trimmedField(img, t->fields()[0]), "changed");
    EXPECT_EQ(getInt16(img, t->fields()[1]), 12);
    EXPECT_TRUE(getLogical(img, t->fields()[2]));
    ASSERT_TRUE(t->readRecord(2, &img).isOk());
    EXPECT_EQ(trimmedField(img, t->fields()[0]), "second");
    EXPECT_FALSE(t->readRecord(3, &img).isOk());
    EXPECT_FALSE(t->readRecord(0, &img).isOk());
}

TEST(DbfLayout, FieldNamesAreFoundWithoutRegardToCase) {
    test::TempDir dir;
    ASSERT_TRUE(DbfFile::create(dir.file("T.DBF"), smallFields()).isOk());
    auto t = openOk(dir.file("T.DBF"));
    EXPECT_EQ(t->fieldIndex("qty"), 1);
    EXPECT_EQ(t->fieldIndex("Price"), 4);
    EXPECT_EQ(t->fieldIndex("PRICES"), -1);
    EXPECT_EQ(t->fields()[4].offset, 1u + 10 + 4 + 1 + 8);
}

TEST(DbfLayout, AmericanDateHasNoCentury) {
    EXPECT_EQ(americanDate(Date{2026, 12, 7}), "12/07/26");
    EXPECT_EQ(americanDate(Date{1997, 8, 19}), "08/19/97");
    EXPECT_EQ(americanDate(Date{2000, 1, 1}), "01/01/00");
}

TEST(DbfLocking, SecondExclusiveOpenIsRefusedNamingTheFile) {
    test::TempDir dir;
    std::string path = dir.file("T.DBF");
    ASSERT_TRUE(DbfFile::create(path, smallFields()).isOk());
    auto first = openOk(path);
    auto second = DbfFile::open(path, OpenOptions{});
    ASSERT_FALSE(second.isOk());
    EXPECT_EQ(second.status().code(), Status::Code::Locked);
    EXPECT_NE(second.status().message().find(path), std::string::npos);
    OpenOptions shared;
    shared.exclusive = false;
    shared.readOnly = true;
    EXPECT_FALSE(DbfFile::open(path, shared).isOk()); // not even for reading
    first.reset();
    EXPECT_TRUE(DbfFile::open(path, OpenOptions{}).isOk());
}

TEST(DbfLocking, SharedOpensCoexistButExcludeAnExclusiveOne) {
    test::TempDir dir;
    std::string path = dir.file("T.DBF");
    ASSERT_TRUE(DbfFile::create(path, smallFields()).isOk());
    OpenOptions shared;
    shared.exclusive = false;
    auto a = openOk(path, shared);
    auto b = openOk(path, shared);
    EXPECT_EQ(DbfFile::open(path, OpenOptions{}).status().code(), Status::Code::Locked);
}

TEST(DbfLocking, AnotherProcessIsRefusedToo) {
    test::TempDir dir;
    std::string path = dir.file("T.DBF");
    ASSERT_TRUE(DbfFile::create(path, smallFields()).isOk());
    auto held = openOk(path);
    std::string cmd = std::string(RKDB_PATH) + " count " + path + " > /dev/null 2>&1";
    int rc = std::system(cmd.c_str());
    EXPECT_EQ(WEXITSTATUS(rc), 3); // could not open the file
}

class DamagedDbf : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.file("T.DBF");
        ASSERT_TRUE(DbfFile::create(path, smallFields()).isOk());
        auto t = openOk(path);
        for (int i = 0; i < 5; ++i) {
            std::string img = t->blankRecord();
            setString(img, t->fields()[0], "rec" + std::to_string(i + 1));
            ASSERT_TRUE(t->appendRecord(img).isOk());
        }
        t.reset();
        good = test::readAll(path);
        recLen = uint8_t(good[10]) | uint8_t(good[11]) << 8;
        hdrLen = uint8_t(good[8]) | uint8_t(good[9]) << 8;
    }
    Status openStatus() { return DbfFile::open(path, OpenOptions{}).status(); }
    test::TempDir dir;
    std::string path, good;
    size_t recLen = 0, hdrLen = 0;
};

TEST_F(DamagedDbf, CutInsideARecordKeepsTheWholeOnesAndSaysSo) {
    std::string cut = good.substr(0, hdrLen + 3 * recLen + recLen / 2);
    test::writeAll(path, cut);
    auto t = openOk(path);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->recordCount(), 3u);
    ASSERT_EQ(t->diagnostics().size(), 1u);
    EXPECT_NE(t->diagnostics()[0].find("cut short"), std::string::npos);
    std::string img;
    ASSERT_TRUE(t->readRecord(3, &img).isOk());
    EXPECT_EQ(trimmedField(img, t->fields()[0]), "rec3");
    // The repaired count was written back: the next open is clean.
    t.reset();
    auto again = openOk(path);
    EXPECT_TRUE(again->diagnostics().empty());
    EXPECT_EQ(again->recordCount(), 3u);
}

TEST_F(DamagedDbf, HeaderCountBelowTheRecordsKeepsEveryWholeRecord) {
    std::string bytes = good;
    bytes[4] = 2; // the header says 2, five are there (an append cut before its header write)
    test::writeAll(path, bytes);
    auto t = openOk(path);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->recordCount(), 5u);
    EXPECT_EQ(t->diagnostics().size(), 1u);
}

TEST_F(DamagedDbf, ReadOnlyOpenDiagnosesWithoutWriting) {
    std::string bytes = good;
    bytes[4] = 9;
    test::writeAll(path, bytes);
    OpenOptions ro;
    ro.readOnly = true;
    auto t = openOk(path, ro);
    EXPECT_EQ(t->recordCount(), 5u);
    EXPECT_FALSE(t->diagnostics().empty());
    t.reset();
    EXPECT_EQ(test::readAll(path), bytes);
}

TEST_F(DamagedDbf, MissingEndMarkIsTolerated) {
    test::writeAll(path, good.substr(0, good.size() - 1));
    auto t = openOk(path);
    EXPECT_EQ(t->recordCount(), 5u);
    EXPECT_TRUE(t->diagnostics().empty());
}

TEST_F(DamagedDbf, BadHeadersAreRefusedWithTheReasonAndNothingWritten) {
    struct Case {
        const char* what;
        size_t offset;
        uint8_t value;
        Status::Code code;
        const char* says;
    } cases[] = {
        {"memo version", 0, 0xF5, Status::Code::NotSupported, "memo"},
        {"visual foxpro", 0, 0x30, Status::Code::NotSupported, "Visual FoxPro"},
        {"unknown version", 0, 0x07, Status::Code::NotSupported, "0x07"},
        {"header length too small", 8, 0x10, Status::Code::Corruption, "header length"},
        {"header length beyond the file", 9, 0xFF, Status::Code::Corruption, "beyond"},
        {"record length disagrees", 10, 0x05, Status::Code::Corruption, "record length"},
        {"memo field", 32 + 11, 'M', Status::Code::NotSupported, "memo"},
        {"unknown field type", 32 + 11, 'Q', Status::Code::NotSupported, "'Q'"},
        {"field of length 0", 32 + 16, 0, Status::Code::Corruption, "length 0"},
        {"field without a name", 32, 0, Status::Code::Corruption, "name"},
    };
    for (const auto& c : cases) {
        std::string bytes = good;
        bytes[c.offset] = static_cast<char>(c.value);
        test::writeAll(path, bytes);
        Status s = openStatus();
        EXPECT_EQ(s.code(), c.code) << c.what << ": " << s.message();
        EXPECT_NE(s.message().find(c.says), std::string::npos) << c.what << ": " << s.message();
        EXPECT_EQ(test::readAll(path), bytes) << c.what;
    }
}

TEST_F(DamagedDbf, HeaderThatDisagreesWithItsFieldListIsRefused) {
    struct Case {
        const char* what;
        std::vector<std::pair<size_t, char>> bytes;
        const char* says;
    } cases[] = {
        // The records would be read one record too far on: the count looks cut short.
        {"header length one record longer", {{8, char(hdrLen + recLen)}}, "field list ends"},
        {"header length one byte longer", {{8, char(hdrLen + 1)}}, "field list ends"},
        {"header length one byte shorter", {{8, char(hdrLen - 1)}}, "end mark"},
        {"a field named twice", {{64, 'N'}, {65, 'A'}, {66, 'M'}, {67, 'E'}, {68, 0}}, "earlier"},
    };
    for (const auto& c : cases) {
        std::string bytes = good;
        for (auto [at, value] : c.bytes)
            bytes[at] = value;
        test::writeAll(path, bytes);
        Status s = openStatus();
        EXPECT_EQ(s.code(), Status::Code::Corruption) << c.what << ": " << s.message();
        EXPECT_NE(s.message().find(c.says), std::string::npos) << c.what << ": " << s.message();
        EXPECT_EQ(test::readAll(path), bytes) << c.what;
    }
}

TEST(DbfDamagedCatalogue, FlippedHeaderLengthOfTheTitlesIsRefusedWithoutWriting) {
    test::TempDir dir;
    ASSERT_TRUE(catalogue::createSample(dir.path()).isOk());
    const std::string path = dir.file(catalogue::kTitlesFile);
    const std::string good = test::readAll(path);
    ASSERT_EQ(uint8_t(good[9]), 0x04); // 1089 bytes of header, 72 titles after it
    struct Case {
        const char* what;
        size_t offset;
        std::string bytes;
    } cases[] = {
        {"bit flip 0x04 -> 0x0C", 9, "\x0C"},
        {"header length 0xFFFF", 8, "\xFF\xFF"},
        {"the second field named TITLE", 64, std::string("TITLE\0\0\0\0\0\0", 11)},
    };
    for (const auto& c : cases) {
        std::string bytes = good;
        bytes.replace(c.offset, c.bytes.size(), c.bytes);
        test::writeAll(path, bytes);
        // The program's open and every rkdb command that writes go through a table.
        store::Table t(path);
        Status s = t.open();
        EXPECT_EQ(s.code(), Status::Code::Corruption) << c.what << ": " << s.message();
        t.close();
        EXPECT_EQ(test::readAll(path), bytes) << c.what << ": something was written";
    }
}

TEST_F(DamagedDbf, TooShortForAHeader) {
    for (size_t len : {0, 1, 31}) {
        test::writeAll(path, good.substr(0, len));
        EXPECT_EQ(openStatus().code(), Status::Code::Corruption) << len;
    }
}

TEST_F(DamagedDbf, AbsurdFieldCountWithoutTerminator) {
    std::string bytes = good;
    bytes[32 + 5 * 32] = 'X'; // the terminator overwritten: the header length still ends it
    test::writeAll(path, bytes);
    EXPECT_TRUE(openStatus().isOk());
    // A header length that claims many more descriptors than there are.
    bytes = good;
    bytes[32 + 5 * 32] = 'A';
    bytes[8] = 0x00;
    bytes[9] = 0x10; // 4096
    bytes.resize(5000, 'A');
    test::writeAll(path, bytes);
    EXPECT_FALSE(openStatus().isOk());
}

TEST(DbfWrites, FailedAppendLeavesCountUnchanged) {
    test::TempDir dir;
    std::string path = dir.file("T.DBF");
    ASSERT_TRUE(DbfFile::create(path, smallFields()).isOk());
    test::FaultEnv env;
    auto t = DbfFile::open(path, OpenOptions{}, &env);
    ASSERT_TRUE(t.isOk());
    std::string img = (*t)->blankRecord();
    ASSERT_TRUE((*t)->appendRecord(img).isOk());
    env.writesLeft = 0;
    auto r = (*t)->appendRecord(img);
    EXPECT_FALSE(r.isOk());
    EXPECT_EQ((*t)->recordCount(), 1u);
    env.writesLeft = 1; // the record is written, the header count is not
    EXPECT_FALSE((*t)->appendRecord(img).isOk());
    EXPECT_EQ((*t)->recordCount(), 1u);
    t->reset();
    auto again = openOk(path);
    EXPECT_EQ(again->recordCount(), 2u); // the whole record written before the failure is kept
}

TEST(DbfForeign, FoxProFixtureReads) {
    std::string path = std::string(RK_SHARED_DIR) + "/fixtures/foxpro/rooms.dbf";
    if (!Env::standard()->exists(path)) GTEST_SKIP() << "fixtures not found at " << path;
    OpenOptions ro;
    ro.readOnly = true;
    ro.exclusive = false;
    auto t = openOk(path, ro);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->recordCount(), 42u);
    EXPECT_TRUE(t->hasStructuralIndex());
    ASSERT_EQ(t->fields().size(), 2u);
    EXPECT_EQ(t->fields()[0].name, "ROOMNAME");
    EXPECT_EQ(t->lastUpdate().year, 1997);
    std::string img;
    ASSERT_TRUE(t->readRecord(2, &img).isOk());
    EXPECT_EQ(trimmedField(img, t->fields()[0]), "Bay  1");
    EXPECT_EQ(trimmedField(img, t->fields()[1]), "Main");
}

TEST(DbfForeign, VisualFoxProFixtureIsRefusedClearly) {
    std::string path = std::string(RK_SHARED_DIR) + "/fixtures/foxpro/afox5.dbf";
    if (!Env::standard()->exists(path)) GTEST_SKIP() << "fixtures not found at " << path;
    OpenOptions ro;
    ro.readOnly = true;
    ro.exclusive = false;
    auto t = DbfFile::open(path, ro);
    ASSERT_FALSE(t.isOk());
    EXPECT_EQ(t.status().code(), Status::Code::NotSupported);
    EXPECT_NE(t.status().message().find("Visual FoxPro"), std::string::npos);
}
