#include "review/UrlQuery.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(UrlQuery, DecodesTheFirstItemOfTheExactName)
{
    struct Case {
        const char* url;
        const char* name;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        { "qeliz://x?a=1&a=2", "a", "1" },
        { "qeliz://x?a=1&a=2", "A", std::nullopt },
        { "qeliz://x?a", "a", std::nullopt },
        { "qeliz://x?a&a=2", "a", std::nullopt },
        { "qeliz://x?a=", "a", "" },
        { "qeliz://x?q=1+2%20%2B3", "q", "1+2 +3" },
        { "qeliz://x?p=%2Fhome%2Fme%2F%C3%A9t%C3%A9.pdf", "p", "/home/me/été.pdf" },
        { "qeliz://x?q=a=b", "q", "a=b" },
        { "qeliz://x?q=%zz", "q", std::nullopt },
        { "qeliz://x?q=%4", "q", std::nullopt },
        { "qeliz://x?q=%FF", "q", std::nullopt },
        { "qeliz://x?q=a%00b", "q", std::nullopt },
        { "qeliz://x?b=1&%61=2", "a", "2" },
        { "qeliz://x?q=1#q=2", "q", "1" },
        { "qeliz://x", "q", std::nullopt },
        { "qeliz://x?q=a b", "q", std::nullopt },
        { "not a url?q=1", "q", std::nullopt },
        { "?q=1", "q", std::nullopt },
    };
    for (const Case& c : cases)
        EXPECT_EQ(urlQuery(c.url, c.name), c.value) << c.url << " " << c.name;
}

TEST(UrlQuery, ArgumentReaders)
{
    testing::TempHome home;
    const std::string existing = testing::writeTestFile(home.file("a b.pdf"), "x");
    EXPECT_EQ(queryPathList("qeliz://x?paths=" + std::string("%2Fnowhere%0A%0A") + "%2F" + home.path().substr(1) + "%2Fa%20b.pdf", "paths"),
        std::vector<std::string> { existing });
    EXPECT_TRUE(queryPathList("qeliz://x?paths=", "paths").empty());

    const std::pair<const char*, std::optional<long long>> integers[] = {
        { "42", 42 }, { "-7", -7 }, { "%2B3", 3 }, { "%2B-3", std::nullopt }, { "+3", 3 },
        { "%203", std::nullopt }, { "3x", std::nullopt }, { "", std::nullopt },
    };
    for (const auto& [text, value] : integers)
        EXPECT_EQ(queryInteger(std::string("qeliz://x?n=") + text, "n"), value) << text;
    EXPECT_EQ(queryInteger("qeliz://x", "n"), std::nullopt);

    EXPECT_EQ(queryCode("qeliz://pair?code=ab-12%20c%C3%A9", "code"), "AB12CÉ");
    EXPECT_EQ(queryCode("qeliz://pair", "code"), std::nullopt);
}

}
}
