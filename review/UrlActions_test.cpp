#include "review/UrlActions.h"

#include "tests/support/TempHome.h"

#include <gmock/gmock.h>

namespace ikw {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(UrlActionReaders, PathFallsBackToPOnlyWhenPathHasNoValue)
{
    struct Case {
        const char* url;
        std::optional<std::string> path;
    };
    const Case cases[] = {
        { "qeliz://share?p=%2Fb", "/b" },
        { "qeliz://share?path=&p=%2Fb", "" }, // an empty value is a value
        { "qeliz://share?path&p=%2Fb", "/b" },
        { "qeliz://share?path=%2Fa&path=%2Fz&p=%2Fb", "/a" },
        { "qeliz://share", std::nullopt },
    };
    for (const Case& c : cases)
        EXPECT_EQ(qpath(c.url), c.path) << c.url;
}

TEST(UrlActionReaders, PathsAreAJsonArrayOfStringsOrNothing)
{
    EXPECT_THAT(qpaths("qeliz://trash?paths=%5B%22%2Fa%22%2C%22%2Fb%22%5D"), ElementsAre("/a", "/b"));
    for (const char* url : { "qeliz://trash?paths=%5B%22%2Fa%22%2C1%5D", "qeliz://trash?paths=%2Fa", "qeliz://trash?paths=%7B%7D", "qeliz://trash" })
        EXPECT_THAT(qpaths(url), IsEmpty()) << url;
}

TEST(UrlActionReaders, QueryItemsKeepOrderAndBareNames)
{
    const auto items = queryItems("qeliz://review?folders=null&remember&folders=%2Fa%20b");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].value, "null");
    EXPECT_EQ(items[1].name, "remember");
    EXPECT_EQ(items[1].value, std::nullopt);
    EXPECT_EQ(items[2].value, "/a b");
}

TEST(UrlActionReaders, PagePathsAreCheckedBeforeUse)
{
    testing::TempHome home;
    const std::string there = testing::writeTestFile(home.file("a.txt"), "a");
    EXPECT_EQ(checkedPagePath(there, PathNeed::Existing), there);
    EXPECT_EQ(checkedPagePath(home.file("new.txt"), PathNeed::Absolute), home.file("new.txt"));
    EXPECT_EQ(checkedPagePath(home.file("new.txt"), PathNeed::Existing), std::nullopt);
    EXPECT_EQ(checkedPagePath("a.txt", PathNeed::Absolute), std::nullopt);
    EXPECT_EQ(checkedPagePath(std::string("/tmp/a\0b", 8), PathNeed::Absolute), std::nullopt);
    EXPECT_EQ(checkedPagePath(std::nullopt, PathNeed::Absolute), std::nullopt);
}

}
}
