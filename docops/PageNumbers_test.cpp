#include "docops/PageNumbers.h"

#include <gtest/gtest.h>

namespace ikw::docops {
namespace {

TEST(PageNumbersTest, IntegersAreStrictAndPageNumbersFitIn32Bits)
{
    struct Case {
        const char* text;
        std::optional<long long> strict;
        std::optional<long long> page;
    };
    const Case cases[] = {
        { "3", 3, 3 },
        { "+3", 3, 3 },
        { "-90", -90, -90 },
        { " 3", std::nullopt, std::nullopt },
        { "3 ", std::nullopt, std::nullopt },
        { "", std::nullopt, std::nullopt },
        { "+-5", std::nullopt, std::nullopt },
        { "3.0", std::nullopt, std::nullopt },
        { "abc", std::nullopt, std::nullopt },
        { "2147483647", 2147483647, 2147483647 },
        { "-2147483648", -2147483648LL, -2147483648LL },
        { "2147483648", 2147483648LL, std::nullopt },
        { "9223372036854775807", 9223372036854775807LL, std::nullopt },
        { "-9223372036854775808", std::numeric_limits<long long>::min(), std::nullopt },
        { "9223372036854775808", std::nullopt, std::nullopt },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseStrictInteger(c.text), c.strict) << c.text;
        EXPECT_EQ(parsePageInteger(c.text), c.page) << c.text;
    }
}

TEST(PageNumbersTest, PageListPrefersPagesAndKeepsOrderAndRepeats)
{
    using Text = std::optional<std::string>;
    struct Case {
        Text pages, page;
        std::vector<long long> expected;
    };
    const Case cases[] = {
        { "3,1,3", std::nullopt, { 3, 1, 3 } },
        { "3,,x, 2,4", std::nullopt, { 3, 4 } },
        { "", "2", {} },
        { std::nullopt, "4", { 4 } },
        { std::nullopt, "", {} },
        { std::nullopt, "four", {} },
        { std::nullopt, std::nullopt, {} },
        { "1,99999999999", std::nullopt, { 1 } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(pageList(c.pages, c.page), c.expected) << c.pages.value_or("-") << " / " << c.page.value_or("-");
}

TEST(PageNumbersTest, PhrasesAndItemDefaults)
{
    EXPECT_EQ(pagePhrase(indexSet({ 3, 1, 3 })), "2 pages");
    EXPECT_EQ(pagePhrase(indexSet({ 4 })), "page 4");
    // The smallest 32-bit page number still has a phrase: no overflow on the way.
    EXPECT_EQ(pagePhrase(indexSet({ -2147483648LL })), "page -2147483648");
    EXPECT_EQ(pageCount(1), "1 page");
    EXPECT_EQ(pageCount(0), "0 pages");

    EXPECT_EQ(degreesItem(std::nullopt), 90);
    EXPECT_EQ(degreesItem(""), 90);
    EXPECT_EQ(degreesItem("abc"), 90);
    EXPECT_EQ(degreesItem("-90"), -90);
    EXPECT_EQ(positionItem(std::nullopt), 0);
    EXPECT_EQ(positionItem("abc"), 0);
    EXPECT_EQ(positionItem("-4"), -4);
    EXPECT_EQ(positionItem("99999999999"), std::numeric_limits<int>::max());
}

TEST(PageNumbersTest, PermutationsOfThePages)
{
    EXPECT_TRUE(isPermutation({ 2, 0, 1 }, 3));
    EXPECT_TRUE(isPermutation({ 0, 1, 2 }, 3));
    EXPECT_FALSE(isPermutation({ 2, 0 }, 3));
    EXPECT_FALSE(isPermutation({ 2, 0, 0 }, 3));
    EXPECT_FALSE(isPermutation({ 3, 0, 1 }, 3));
    EXPECT_FALSE(isPermutation({ -1, 0, 1 }, 3));
    EXPECT_EQ(integerList("2, 0,1"), (std::vector<long long> { 2, 1 }));
}

}
}
