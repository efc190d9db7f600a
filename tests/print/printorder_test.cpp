// Print ranges, page order with copies and collation, the progress page line.
#include "printorder.h"

#include <gtest/gtest.h>

namespace rk::print {
namespace {

TEST(PrintOrder, RangeZeroMeansFirstOrLastAndIsLimitedToThePages) {
    struct Case {
        int from, to, pages;
        PageRange expected;
    } cases[] = {
        {0, 0, 3, {1, 3}}, {2, 0, 3, {2, 3}}, {0, 2, 3, {1, 2}}, {2, 2, 3, {2, 2}},
        {0, 9, 3, {1, 3}}, {5, 9, 3, {3, 3}}, {3, 1, 3, {3, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(printRange(c.from, c.to, c.pages), c.expected)
            << c.from << ".." << c.to << " of " << c.pages;
    EXPECT_EQ(printRange(3, 1, 3).count(), 0);
    EXPECT_EQ(printRange(0, 0, 0).count(), 0);
}

TEST(PrintOrder, ThreePagesTwoCopiesWithAndWithoutCollation) {
    const PageRange all{1, 3};
    EXPECT_EQ(printOrder(all, 2, true), (std::vector<int>{1, 2, 3, 1, 2, 3}));
    EXPECT_EQ(printOrder(all, 2, false), (std::vector<int>{1, 1, 2, 2, 3, 3}));
    EXPECT_EQ(printOrder(all, 1, false), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(printOrder({2, 3}, 3, true), (std::vector<int>{2, 3, 2, 3, 2, 3}));
    EXPECT_TRUE(printOrder({3, 1}, 2, true).empty());
    EXPECT_TRUE(printOrder(all, 0, true).empty());
}

TEST(PrintOrder, PageLineCountsOnlyRangesFromPageOne) {
    struct Case {
        int page;
        PageRange range;
        int copies;
        const char* line;
    } cases[] = {
        {1, {1, 3}, 2, "Page 1 of 3 x 2 Copies"},
        {3, {1, 3}, 2, "Page 3 of 3 x 2 Copies"},
        {2, {1, 3}, 1, "Page 2 of 3"},
        {2, {1, 2}, 1, "Page 2 of 2"},
        {2, {2, 3}, 2, "Page 2"},
        {5, {4, 9}, 1, "Page 5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(progressPageLine(c.page, c.range, c.copies), QString::fromUtf8(c.line));
}

} // namespace
} // namespace rk::print
