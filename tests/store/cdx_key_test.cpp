// Key encodings: numeric and date keys sort as their values, and keys copied straight from
// the record agree with the expression evaluator.
#include "catalogue.h"
#include "cdx_key.h"
#include "expr.h"
#include "record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace rk;
using namespace rk::cdx;

namespace {

std::string blankOf(const std::vector<dbf::FieldDef>& fields) {
    size_t len = 1;
    for (const auto& f : fields)
        len = std::max<size_t>(len, f.offset + f.length);
    return std::string(len, ' ');
}

} // namespace

TEST(CdxKey, NumericKeysSortAsTheirValues) {
    std::mt19937_64 rng(1);
    std::vector<double> values = {0.0,     -0.0,  1,      -1,  1987, -1987,  1e-300,
                                  -1e-300, 1e300, -1e300, 0.5, -0.5, 2451544};
    for (int i = 0; i < 2000; ++i) {
        double v = std::ldexp(static_cast<double>(rng() % 2000000) - 1000000, int(rng() % 80) - 40);
        values.push_back(v);
    }
    std::vector<std::string> keys;
    for (double v : values) {
        keys.push_back(numberKey(v));
        EXPECT_EQ(numberFromKey(keys.back()), v == 0 ? 0.0 : v);
    }
    for (size_t i = 0; i < values.size(); ++i)
        for (size_t j = i + 1; j < values.size(); j += 37)
            EXPECT_EQ(values[i] < values[j], keys[i] < keys[j]) << values[i] << " " << values[j];
    // 1999-12-31 is Julian day 2451544.
    EXPECT_EQ(numberKey(2451544), numberKey(double(xbase::julianDay(1999, 12, 31))));
}

// Opening a table does not check the fast keys: this test does, for every key of the
// catalogue and other joins of fields, texts, UPPER and IIF, on records of random bytes.
TEST(CdxKey, FastKeysAgreeWithTheEvaluator) {
    struct Case {
        std::vector<dbf::FieldDef> fields;
        std::string key;
        bool fast;
    };
    std::vector<Case> cases;
    for (const auto& t : catalogue::titleTags())
        cases.push_back({catalogue::titleFields(), t.key, true});
    for (const auto& t : catalogue::categoryTags())
        cases.push_back({catalogue::categoryFields(), t.key, true});
    for (const char* k : {"upper(title) + 'x' + category", "IIF(MARKED, 'yes', 'no')+ID",
                          "UPPER(IIF(MARKED,'\xe9','ab')+ ID)",
                          "Upper ( Year ) + \"\xe0"
                          "b\"",
                          "UPPER(UPPER(FORMAT)+RATED)+\"\"+TITLE"})
        cases.push_back({catalogue::titleFields(), k, true});
    // Not plain joins: evaluated.
    for (const char* k :
         {"LEFT(TITLE, 10)", "UPPER(SUBSTR(ID, 2, 5)+TITLE)", "[a]+ID", "UPPE(TITLE)"})
        cases.push_back({catalogue::titleFields(), k, false});
    std::mt19937 rng(2);
    for (const auto& c : cases) {
        const auto& fields = c.fields;
        std::string blank = blankOf(fields);
        auto tk = TagKey::compile(c.key, "", fields, blank);
        ASSERT_TRUE(tk.isOk()) << c.key << ": " << tk.status().message();
        EXPECT_EQ(tk->copiesFields(), c.fast) << c.key;
        auto e = xbase::Expr::parse(c.key, fields);
        ASSERT_TRUE(e.isOk());
        for (int round = 0; round < 300; ++round) {
            std::string img = blank;
            for (const auto& f : fields) {
                if (f.type == 'C') {
                    std::string text;
                    size_t len = round == 0 ? 0 : rng() % (f.length + 1u);
                    for (size_t i = 0; i < len; ++i)
                        text += static_cast<char>(0x20 + rng() % 0xE0);
                    dbf::setString(img, f, text);
                } else if (f.type == 'L') {
                    img[f.offset] = "TFtfyn ?"[rng() % 8];
                }
            }
            std::string got;
            ASSERT_TRUE(tk->make(img, 1, &got));
            std::string want = e->eval(img, 1).s.substr(0, tk->length());
            want.resize(tk->length(), ' ');
            ASSERT_EQ(got, want) << c.key;
        }
    }
}
