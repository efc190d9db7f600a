// xBase expressions: the SET EXACT OFF comparison, functions, types and errors.
#include "expr.h"
#include "record.h"

#include <gtest/gtest.h>

using namespace rk;
using namespace rk::xbase;

namespace {

struct Rec {
    std::vector<dbf::FieldDef> fields = {{"TITLE", 'C', 20, 0, 1},  {"CATEGORY", 'C', 10, 0, 21},
                                         {"MARKED", 'L', 1, 0, 31}, {"TAPES", 'N', 4, 0, 32},
                                         {"BORN", 'D', 8, 0, 36},   {"PRICE", 'N', 6, 2, 44}};
    std::string img = std::string(50, ' ');
    Rec& set(const char* f, const char* v) {
        for (auto& d : fields)
            if (d.name == f) {
                EXPECT_TRUE(dbf::setFromText(img, d, v).isOk());
            }
        return *this;
    }
    Value eval(const std::string& text) {
        auto e = Expr::parse(text, fields);
        EXPECT_TRUE(e.isOk()) << text << ": " << e.status().message();
        return e.isOk() ? e->eval(img, 7) : Value{};
    }
    bool test(const std::string& text) {
        auto e = Expr::parse(text, fields);
        EXPECT_TRUE(e.isOk()) << text << ": " << e.status().message();
        EXPECT_EQ(e.isOk() ? e->type() : Type::Logical, Type::Logical);
        return e.isOk() && e->test(img, 7);
    }
    std::string error(const std::string& text) {
        auto e = Expr::parse(text, fields);
        EXPECT_FALSE(e.isOk()) << text;
        return e.isOk() ? "" : e.status().message();
    }
};

} // namespace

TEST(Expressions, NonExactEqualityComparesUpToTheRightSide) {
    Rec r;
    r.set("CATEGORY", "Action");
    EXPECT_TRUE(r.test("CATEGORY = \"Act\""));
    EXPECT_TRUE(r.test("CATEGORY = \"Action\""));
    EXPECT_TRUE(r.test("CATEGORY = 'Action   '")); // the field's padding matches
    EXPECT_FALSE(r.test("CATEGORY = \"Actions\""));
    EXPECT_FALSE(r.test("CATEGORY = \"action\""));
    EXPECT_TRUE(r.test("CATEGORY = \"\""));
    EXPECT_TRUE(r.test("\"Action\" = \"Act\""));
    EXPECT_FALSE(r.test("\"Act\" = \"Action\""));
    EXPECT_TRUE(r.test("\"ab\" = \"\""));
    EXPECT_FALSE(r.test("\"\" = \"ab\""));
    EXPECT_TRUE(r.test("CATEGORY <> \"Drama\""));
    EXPECT_FALSE(r.test("CATEGORY # \"Act\""));
}

TEST(Expressions, ExactEqualityNeedsIdenticalText) {
    Rec r;
    r.set("CATEGORY", "Action");
    EXPECT_FALSE(r.test("CATEGORY == \"Action\"")); // the field is padded to 10
    EXPECT_TRUE(r.test("TRIM(CATEGORY) == \"Action\""));
    EXPECT_FALSE(r.test("\"ab \" == \"ab\""));
    EXPECT_TRUE(r.test("[ab] == 'ab'"));
}

TEST(Expressions, QuotesOfEveryKindDelimitText) {
    Rec r;
    r.set("TITLE", "Say \"Hi\" it's");
    EXPECT_TRUE(r.test("TITLE = 'Say \"Hi\"'"));
    EXPECT_TRUE(r.test("TITLE = [Say \"Hi\" it's]"));
    EXPECT_TRUE(r.test("\"it's\" $ TITLE"));
}

TEST(Expressions, LogicalFieldsAndOperators) {
    Rec r;
    r.set("MARKED", "T").set("TAPES", "2");
    EXPECT_TRUE(r.test("MARKED"));
    EXPECT_TRUE(r.test("marked .AND. TAPES > 1"));
    EXPECT_FALSE(r.test(".NOT. MARKED"));
    EXPECT_FALSE(r.test("!MARKED"));
    EXPECT_TRUE(r.test(".NOT. MARKED .OR. TAPES = 2"));
    EXPECT_TRUE(r.test("MARKED = .T."));
    r.set("MARKED", "");
    EXPECT_FALSE(r.test("MARKED")); // blank is false
}

TEST(Expressions, FunctionsAndTheirAbbreviations) {
    Rec r;
    r.set("TITLE", "  The Sting").set("TAPES", "3").set("BORN", "19991231").set("PRICE", "12.5");
    EXPECT_EQ(r.eval("UPPER(TITLE)").s, "  THE STING" + std::string(9, ' '));
    EXPECT_EQ(r.eval("LOWER(\"\xC9T\xC9\")").s, "\xE9t\xE9");
    EXPECT_EQ(r.eval("ALLTRIM(TITLE)").s, "The Sting");
    EXPECT_EQ(r.eval("LTRIM(TRIM(TITLE))").s, "The Sting");
    EXPECT_EQ(r.eval("RTRIM(TITLE) + \"!\"").s, "  The Sting!");
    EXPECT_EQ(r.eval("LEFT(ALLT(TITLE), 3)").s, "The");
    EXPECT_EQ(r.eval("RIGHT(ALLTRIM(TITLE), 5)").s, "Sting");
    EXPECT_EQ(r.eval("SUBSTR(ALLTRIM(TITLE), 5, 2)").s, "St");
    EXPECT_EQ(r.eval("SUBS(ALLTRIM(TITLE), 5)").s, "Sting");
    EXPECT_EQ(r.eval("SUBSTR(\"abc\", 9)").s, "");
    EXPECT_EQ(r.eval("STR(TAPES)").s, "         3");
    EXPECT_EQ(r.eval("STR(PRICE, 6, 2)").s, " 12.50");
    EXPECT_EQ(r.eval("STR(123456, 3)").s, "***");
    EXPECT_DOUBLE_EQ(r.eval("VAL(\" 12.5x\") * 2").n, 25);
    EXPECT_EQ(r.eval("DTOS(BORN)").s, "19991231");
    EXPECT_DOUBLE_EQ(r.eval("BORN - BORN + 1").n, 1);
    EXPECT_EQ(r.eval("IIF(MARKED, \"T\", \"F\") + \"x\"").s, "Fx");
    EXPECT_DOUBLE_EQ(r.eval("RECNO()").n, 7);
    EXPECT_FALSE(r.eval("DELETED()").b);
    EXPECT_TRUE(r.eval("EMPTY(CATEGORY)").b);
    EXPECT_EQ(r.eval("\"ab  \" - \"cd\"").s, "abcd  ");
}

TEST(Expressions, DatesAsJulianDays) {
    EXPECT_EQ(julianDay(1999, 12, 31), 2451544);
    dbf::Date d = fromJulianDay(2451544);
    EXPECT_EQ(d.year, 1999);
    EXPECT_EQ(d.month, 12);
    EXPECT_EQ(d.day, 31);
    for (int64_t jd = 2415021; jd < 2488070; jd += 97) { // 1900 .. 2100
        dbf::Date x = fromJulianDay(jd);
        EXPECT_EQ(julianDay(x.year, x.month, x.day), jd);
    }
    Rec r;
    EXPECT_DOUBLE_EQ(r.eval("BORN").n, 0); // an empty date
}

// Not a number: infinity less infinity.
#define NAN_TEXT "(VAL(\"1E308\") * 10 - VAL(\"1E308\") * 10)"

TEST(Expressions, DatesBeyondTheCalendarAreAnExpressionError) {
    Rec r;
    r.set("BORN", "19991231");
    auto fault = [&](const std::string& text) {
        auto e = Expr::parse(text, r.fields);
        EXPECT_TRUE(e.isOk()) << text;
        Status s;
        const Value v = e.isOk() ? e->eval(r.img, 1, &s) : Value{};
        return s.isOk() ? std::string("no fault, ") + v.s : s.message();
    };
    for (const char* text :
         {"DTOS(BORN + 9000000000000000000)", "DTOS(BORN - 9000000000000000000)",
          "DTOS(BORN + VAL(\"1E300\"))", "DTOS(BORN + " NAN_TEXT ")", "DTOS(BORN + 3000000)",
          "DTOS(9000000000000000000 + BORN)", "DTOS(BORN - 730119)"})
        EXPECT_NE(fault(text).find("outside the years 1 to 9999"), std::string::npos) << text;
    EXPECT_EQ(fault("DTOS(BORN + 1)"), "no fault, 20000101");
    EXPECT_EQ(fault("DTOS(BORN - 730118)"), "no fault, 00010101");
    r.set("BORN", "");
    EXPECT_EQ(fault("DTOS(BORN + 9000000000000000000)"), "no fault,         ");
    // Counts beyond the text never reach a conversion.
    EXPECT_EQ(r.eval("LEFT(\"abc\", " NAN_TEXT ")").s, "");
    EXPECT_EQ(r.eval("RIGHT(\"abc\", " NAN_TEXT ")").s, "");
    EXPECT_EQ(r.eval("SUBSTR(\"abc\", 1, " NAN_TEXT ")").s, "");
    EXPECT_EQ(fromJulianDay(INT64_MAX).year, 0);
}

TEST(Expressions, ErrorsNameThePosition) {
    Rec r;
    EXPECT_NE(r.error("TITLE = ").find("position 9"), std::string::npos);
    EXPECT_NE(r.error("NOSUCH = \"x\"").find("'NOSUCH'"), std::string::npos);
    EXPECT_NE(r.error("TITLE = 3").find("position 7"), std::string::npos);
    EXPECT_NE(r.error("UPPER(TAPES)").find("UPPER"), std::string::npos);
    EXPECT_NE(r.error("\"abc").find("closing"), std::string::npos);
    EXPECT_NE(r.error("FOO(1)").find("unknown function"), std::string::npos);
    EXPECT_NE(r.error("(TITLE").find("')'"), std::string::npos);
    EXPECT_NE(r.error("TITLE = \"a\" )").find("position 13"), std::string::npos);
    EXPECT_NE(r.error("MARKED .AND. 1").find(".AND."), std::string::npos);
    EXPECT_NE(r.error("LEFT(TITLE)").find("LEFT"), std::string::npos);
    EXPECT_NE(r.error("TITLE @ 2").find("'@'"), std::string::npos);
    r.error("");
    r.error(std::string("MARKED\0", 7));
}

TEST(Expressions, DeepNestingIsRefusedNotACrash) {
    Rec r;
    std::string deep(5000, '(');
    deep += "1";
    deep += std::string(5000, ')');
    EXPECT_NE(r.error(deep).find("too"), std::string::npos);
    std::string chain = "1";
    for (int i = 0; i < 1500; ++i)
        chain += "+1";
    EXPECT_NE(r.error(chain + " = 1").find("too"), std::string::npos);
    std::string nots;
    for (int i = 0; i < 1000; ++i)
        nots += ".NOT. ";
    r.error(nots + "MARKED");
    std::string ok = "1";
    for (int i = 0; i < 100; ++i)
        ok += "+1";
    EXPECT_DOUBLE_EQ(r.eval(ok).n, 101);
}
