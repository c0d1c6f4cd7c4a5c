#include "review/EnginePageURL.h"

#include "review/UrlQuery.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(EnginePageURL, ItemsKeepTheirOrderAndAwkwardPathsRoundTrip)
{
    const std::string folder = "/home/u/Matter & Co #2/R+D = 100%/Ünïcode";
    const auto url = enginePageURL("/engine/bates.html", { { "folder", folder }, { "theme", "dark" } });
    ASSERT_TRUE(url);
    EXPECT_EQ(url->rfind("file:///engine/bates.html?folder=/home/u/Matter%20%26%20Co%20%232/", 0), 0u) << *url;
    EXPECT_TRUE(url->ends_with("&theme=dark")) << *url;
    EXPECT_EQ(urlQuery(*url, "folder"), folder);
    EXPECT_EQ(urlQuery(*url, "theme"), "dark");
}

TEST(EnginePageURL, APageThatIsNotAnAbsolutePathHasNoAddress)
{
    EXPECT_FALSE(enginePageURL("engine/bates.html", { { "folder", "/a" } }));
    EXPECT_FALSE(enginePageURL("", {}));
    EXPECT_EQ(enginePageURL("/engine/page with space.html", {}), "file:///engine/page%20with%20space.html");
}

}
}
