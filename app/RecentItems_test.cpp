#include "app/RecentItems.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(RecentItems, ReadFromTheStoredListOrTheOlderFolderList)
{
    testing::TempHome home;
    UserDefaults defaults(home.file("d.json"));
    defaults.set("recentFolders", Json::array({ "/f1", "/f2" }));
    // Malformed "recentItems": the folder list stands in, newest first by time.
    defaults.set("recentItems", Json::array({ Json::object({ { "path", "/x" } }), "not an object" }));
    EXPECT_EQ(readRecentItems(defaults, 100), (std::vector<RecentItem> { { "/f1", true, 99 }, { "/f2", true, 98 } }));

    defaults.set("recentItems", Json::parse(R"([
        {"path": "/a.pdf", "dir": false, "ts": 1.5},
        {"dir": true, "ts": 2},
        {"path": "/b", "dir": "yes", "ts": "soon"},
        {"path": "/c", "dir": true, "ts": 3}
    ])"));
    EXPECT_EQ(readRecentItems(defaults, 100),
        (std::vector<RecentItem> { { "/a.pdf", false, 1.5 }, { "/b", false, 0 }, { "/c", true, 3 } }));
}

TEST(RecentItems, PinnedFoldersAreEmptyUnlessAListOfPaths)
{
    testing::TempHome home;
    UserDefaults defaults(home.file("d.json"));
    EXPECT_TRUE(readPinnedFolders(defaults).empty());
    defaults.set("pinnedFolders", Json::array({ "/p1", "/p2" }));
    EXPECT_EQ(readPinnedFolders(defaults), (std::vector<std::string> { "/p1", "/p2" }));
}

}
}
