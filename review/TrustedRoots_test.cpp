#include "review/TrustedRoots.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ikw {
namespace {

TEST(TrustedRoots, OnlyFilesUnderTheRootsAreTrusted)
{
    testing::TempHome home;
    const auto reviews = home.file("reviews");
    testing::writeTestFile(reviews + "/page.html", "");
    testing::writeTestFile(home.file("Downloads/evil.html"), "");
    std::filesystem::create_directory_symlink(home.file("Downloads"), reviews + "/link");
    const std::vector<std::string> roots { reviews };
    struct Case {
        std::string url;
        bool trusted;
    };
    const Case cases[] = {
        { "file://" + reviews + "/page.html", true },
        { "file://" + reviews + "/sub%20folder/page.html", true },
        { "file://" + reviews + "/.loading-1.html?_=1712", true },
        { "file://" + home.file("Downloads/evil.html"), false },
        { "file://" + reviews + "/../Downloads/evil.html", false },
        { "file://" + reviews + "/link/evil.html", false }, // a link out of the root
        { "file://" + reviews + "-other/page.html", false },
        { "https://example.com" + reviews + "/page.html", false },
        { "about:blank", false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(isTrustedPageUrl(c.url, roots), c.trusted) << c.url;
}

TEST(TrustedRoots, TheGuardedScriptNamesTheRoots)
{
    const auto guarded = guardScriptToRoots("window.BOOT=1", { "/home/u/reviews" });
    EXPECT_NE(guarded.find("[\"\\/home\\/u\\/reviews\"]"), std::string::npos);
    EXPECT_NE(guarded.find("window.BOOT=1"), std::string::npos);
}

}
}
