// Field rules: widths, padding, logical letters, numbers that do not fit.
#include "catalogue.h"
#include "cp1252.h"
#include "record.h"

#include <gtest/gtest.h>

using namespace rk;
using namespace rk::dbf;

namespace {
const FieldDef& titleField(const char* name) {
    for (const auto& f : catalogue::titleFields())
        if (f.name == name) return f;
    throw std::runtime_error(name);
}
std::string blankTitle() {
    size_t len = 1;
    for (const auto& f : catalogue::titleFields())
        len += f.length;
    return std::string(len, ' ');
}
} // namespace

TEST(FieldRules, CharacterTextIsCutToTheFieldWidthAndPadded) {
    std::string img = blankTitle();
    setString(img, titleField("SPEED"), "SLP - 360 Minutes");
    EXPECT_EQ(rawField(img, titleField("SPEED")), "SLP - 360 Minut");
    setString(img, titleField("SPEED"), "SP - 120 Minutes");
    EXPECT_EQ(rawField(img, titleField("SPEED")), "SP - 120 Minute");
    std::string title(101, 'x');
    title[99] = 'y';
    setString(img, titleField("TITLE"), title);
    EXPECT_EQ(trimmedField(img, titleField("TITLE")).size(), 100u);
    EXPECT_EQ(trimmedField(img, titleField("TITLE")).back(), 'y');
    setString(img, titleField("PICTURE"), "B&&W");
    EXPECT_EQ(rawField(img, titleField("PICTURE")), "B&&W ");
    // A shorter value leaves no trace of the longer one before it.
    setString(img, titleField("TITLE"), "Up");
    EXPECT_EQ(rawField(img, titleField("TITLE")), "Up" + std::string(98, ' '));
    // Neighbouring fields are untouched.
    EXPECT_EQ(rawField(img, titleField("CATEGORY")), std::string(50, ' '));
}

TEST(FieldRules, LogicalLettersAndBlank) {
    std::string img = blankTitle();
    const FieldDef& m = titleField("MARKED");
    EXPECT_FALSE(getLogical(img, m)); // blank reads false
    for (char c : std::string("TtYy")) {
        img[m.offset] = c;
        EXPECT_TRUE(getLogical(img, m)) << c;
    }
    for (char c : std::string("FfNn? ")) {
        img[m.offset] = c;
        EXPECT_FALSE(getLogical(img, m)) << c;
    }
    setLogical(img, m, true);
    EXPECT_EQ(img[m.offset], 'T');
    setLogical(img, m, false);
    EXPECT_EQ(img[m.offset], 'F');
}

TEST(FieldRules, NumbersAreRightAlignedAndRefusedWhenTooWide) {
    std::string img = blankTitle();
    const FieldDef& tapes = titleField("TAPES");
    ASSERT_TRUE(setNumber(img, tapes, 3).isOk());
    EXPECT_EQ(rawField(img, tapes), "   3");
    ASSERT_TRUE(setNumber(img, tapes, 9999).isOk());
    ASSERT_TRUE(setNumber(img, tapes, -999).isOk());
    EXPECT_EQ(getInt16(img, tapes), -999);
    std::string before = img;
    Status s = setNumber(img, tapes, 10000);
    EXPECT_FALSE(s.isOk());
    EXPECT_NE(s.message().find("TAPES"), std::string::npos);
    EXPECT_EQ(img, before); // nothing written
    EXPECT_FALSE(setNumber(img, tapes, -1000).isOk());
    FieldDef price{"P", 'N', 6, 2, 1};
    std::string small(7, ' ');
    ASSERT_TRUE(setNumber(small, price, 12.5).isOk());
    EXPECT_EQ(rawField(small, price), " 12.50");
    EXPECT_DOUBLE_EQ(getNumber(small, price), 12.5);
    EXPECT_FALSE(setNumber(small, price, 1000).isOk()); // "1000.00" is seven wide
}

TEST(FieldRules, NumbersReadLeniently) {
    FieldDef n{"N", 'N', 6, 0, 1};
    auto read = [&](const char* text) {
        std::string img = " " + std::string(text);
        img.resize(7, ' ');
        return getNumber(img, n);
    };
    EXPECT_EQ(read("      "), 0);
    EXPECT_EQ(read("    42"), 42);
    EXPECT_EQ(read("   -17"), -17);
    EXPECT_EQ(read("12abc "), 12);
    EXPECT_EQ(read("******"), 0);
    std::string img = "  70000";
    EXPECT_EQ(getInt16(img, n), static_cast<int16_t>(70000)); // read as 16 bits
}

TEST(FieldRules, SetFromTextParsesEachType) {
    std::string img = blankTitle();
    EXPECT_TRUE(setFromText(img, titleField("MARKED"), "yes").isOk());
    EXPECT_TRUE(getLogical(img, titleField("MARKED")));
    EXPECT_FALSE(setFromText(img, titleField("MARKED"), "maybe").isOk());
    EXPECT_TRUE(setFromText(img, titleField("TAPES"), "2").isOk());
    EXPECT_FALSE(setFromText(img, titleField("TAPES"), "two").isOk());
    EXPECT_FALSE(setFromText(img, titleField("TAPES"), "12345").isOk());
    EXPECT_TRUE(setFromText(img, titleField("TAPES"), "").isOk());
    EXPECT_EQ(rawField(img, titleField("TAPES")), "    ");
    FieldDef d{"D", 'D', 8, 0, 1};
    std::string dimg(9, ' ');
    EXPECT_TRUE(setFromText(dimg, d, "1999-12-31").isOk());
    EXPECT_EQ(rawField(dimg, d), "19991231");
    EXPECT_FALSE(setFromText(dimg, d, "19990231").isOk());
}

TEST(FieldRules, AFieldIsOneLineWithoutControlCharacters) {
    const std::string before = blankTitle();
    for (const char* text :
         {"two\nlines", "cr\r", "\x1B[2J", "bell\a", "tab\t", "del\x7F", "undefined \x81", "nul"}) {
        std::string img = before;
        const std::string t = std::string(text) == "nul" ? std::string("a\0b", 3) : text;
        EXPECT_FALSE(setFromText(img, titleField("TITLE"), t).isOk()) << text;
        EXPECT_FALSE(setFromText(img, titleField("TAPES"), t).isOk()) << text;
        EXPECT_EQ(img, before) << text;
    }
    std::string img = before;
    EXPECT_TRUE(setFromText(img, titleField("TITLE"), "Am\xE9lie \x80 \xFF ~").isOk());
}

TEST(Cp1252, RoundTripsAndRefusesWhatItCannotHold) {
    auto r = cp1252::fromUtf8("Fran\xC3\xA7ois \xE2\x82\xAC \xC5\xA1");
    ASSERT_TRUE(r.isOk());
    EXPECT_EQ(*r, "Fran\xE7ois \x80 \x9A");
    EXPECT_EQ(cp1252::toUtf8(*r), "Fran\xC3\xA7ois \xE2\x82\xAC \xC5\xA1");
    auto bad = cp1252::fromUtf8("\xE6\x97\xA5"); // a CJK character
    ASSERT_FALSE(bad.isOk());
    EXPECT_NE(bad.status().message().find("Windows-1252"), std::string::npos);
    EXPECT_FALSE(cp1252::fromUtf8("\xC3").isOk()); // cut short
    for (int b = 0; b < 256; ++b) {
        std::string one(1, char(b));
        auto back = cp1252::fromUtf8(cp1252::toUtf8(one));
        ASSERT_TRUE(back.isOk()) << b;
        EXPECT_EQ(*back, one) << b;
    }
}

TEST(Cp1252, CaseMappingOfTheCodePage) {
    EXPECT_EQ(cp1252::upper("caf\xE9 \x9A\x9C\x9E\xFF"), "CAF\xC9 \x8A\x8C\x8E\x9F");
    EXPECT_EQ(cp1252::lower("\xC9\xD7\xDF"), "\xE9\xD7\xDF"); // × and ß have no other case
    EXPECT_EQ(cp1252::fold(0xC9), 'e');
    EXPECT_EQ(cp1252::fold(0xE9), 'e');
    EXPECT_TRUE(cp1252::isAlnum(0xE9));
    EXPECT_FALSE(cp1252::isAlnum('-'));
}
