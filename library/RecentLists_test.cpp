#include "library/RecentLists.h"

#include "library/LibraryActions.h"
#include "library/LibraryLayer.h"
#include "platform/core/PrivateTemporaryFolder.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace ikw::library {
namespace {

class RecentListsTest : public testing::ReviewFixture {
protected:
    RecentListsTest()
    {
        registerActions(actions, [this] { return layer; });
        layer->history().count(); // loaded before the tests look at it
    }

    std::string file(const std::string& name) { return testing::writeTestFile(home.file(name), "%PDF-1.4\n"); }
    std::string folder(const std::string& name)
    {
        std::filesystem::create_directories(home.file(name));
        return home.file(name);
    }
    std::vector<std::string> recentPaths()
    {
        std::vector<std::string> paths;
        for (const auto& item : recent().recentItems())
            paths.push_back(item.path);
        return paths;
    }
    Json stored(const char* key) { return appUserDefaults().value(key).value_or(Json()); }
    void send(ReviewWC& window, const std::string& host, const std::string& path)
    {
        actions.dispatch(host, UrlAction { window, "qeliz://" + host + "?path=" + path });
    }
    int pinCalls(const ReviewWC& window)
    {
        const auto& scripts = viewOf(window).evaluated;
        return static_cast<int>(std::count_if(scripts.begin(), scripts.end(), [](const std::string& script) { return script.find("ikwSetPinned(") != std::string::npos; }));
    }
    RecentLists& recent() { return layer->recent(); }

    int menuRebuilds = 0;
    std::shared_ptr<LibraryLayer> layer = std::make_shared<LibraryLayer>(services, windows, LibraryHooks { .rebuildMenu = [this] { ++menuRebuilds; }, .temporaryRoots = [this] {
        // The test's home is itself in a temporary folder.
        auto roots = RecentLists::defaultTemporaryRoots();
        std::erase_if(roots, [&](const std::string& root) { return home.path().starts_with(root + "/"); });
        return roots;
    } });
    UrlActions actions;
};

TEST_F(RecentListsTest, RecordingKeepsFiftyStandardizedItemsNewestFirst)
{
    const auto lease = file("Matter/Lease.pdf");
    recent().recordRecent({ lease, lease });
    ASSERT_EQ(recent().recentItems().size(), 1u);

    folder("a/b");
    const auto c = folder("a/c");
    recent().recordRecent({ home.file("a/./b/../c/") });
    EXPECT_EQ(recentPaths().front(), c);
    EXPECT_EQ(layer->history().all().front().path, c);
    EXPECT_EQ(stored("recentFolders"), Json::array({ c }));

    std::vector<std::string> many;
    for (int index = 0; index < 49; ++index)
        many.push_back(file("many/" + std::to_string(index) + ".pdf"));
    recent().recordRecent(many);
    EXPECT_EQ(recentPaths().size(), kRecentCap);
    EXPECT_EQ(recentPaths().back(), c); // the lease, oldest, went
    recent().recordRecent({ file("many/last.pdf") });
    EXPECT_EQ(stored("recentFolders"), Json::array()); // the dropped folder left both keys
    EXPECT_EQ(menuRebuilds, 4);
}

TEST_F(RecentListsTest, ThrowAwayPlacesAndTestRunsAreNotRecorded)
{
    const auto own = privateTemporaryFolder(globals.get().paths, kProductFolderName);
    ASSERT_TRUE(own);
    const auto scratch = testing::writeTestFile(*own + "/job.pdf", "x");
    const auto review = testing::writeTestFile(globals.get().archive + "/page.html", "x");
    recent().recordRecent({ scratch, review, globals.get().archive });
    EXPECT_TRUE(recentPaths().empty());
    EXPECT_EQ(stored("recentItems"), Json::array()); // written all the same
    EXPECT_EQ(menuRebuilds, 1);

    const RecentLists product(layer->history(), windows, layer->openers(), toolkit.fakeDialogs, RecentLists::Hooks { .clock = [] { return 0.0; } });
    for (const char* path : { "/tmp/a.pdf", "/private/tmp/a.pdf", "/var/folders/x/a.pdf", "/var/tmp/a.pdf", "/tmp" })
        EXPECT_FALSE(product.isRecordableRecent(path)) << path;
    EXPECT_TRUE(product.isRecordableRecent("/srv/tmp/a.pdf"));

    ::setenv("IKW_TEST", "", 1);
    recent().recordRecent({ file("Matter/Lease.pdf") });
    ::unsetenv("IKW_TEST");
    EXPECT_TRUE(recentPaths().empty());
    EXPECT_EQ(layer->history().count(), 0u);
}

TEST_F(RecentListsTest, LegacyFoldersComeBackInOrderAndMoveOnTheNextRecord)
{
    auto defaults = appUserDefaults();
    defaults.set("recentFolders", Json::array({ "/one", "/two" }));
    const auto items = recent().recentItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].path, "/one");
    EXPECT_DOUBLE_EQ(items[0].ts - items[1].ts, 1.0);
    recent().recordRecent({ file("Matter/Lease.pdf") });
    EXPECT_EQ(stored("recentItems").size(), 3u);

    recent().clearRecent();
    EXPECT_EQ(stored("recentItems"), Json::array());
    EXPECT_EQ(stored("recentFolders"), Json::array());
}

TEST_F(RecentListsTest, EveryOpenerRecords)
{
    const auto pdf = file("Matter/a.pdf");
    const auto sheet = testing::writeTestFile(home.file("Matter/t.csv"), "a,b\n");
    layer->openers().openReader(pdf, {});
    layer->openers().openGrid(sheet);
    layer->openers().openReviewDirect({ home.file("Matter") }, std::nullopt);
    services.features.recordRecent({ file("Dropped/d.pdf") }); // drops and "comparego"
    EXPECT_EQ(recentPaths(), (std::vector<std::string> { home.file("Dropped/d.pdf"), home.file("Matter"), sheet, pdf }));
}

TEST_F(RecentListsTest, PinsChangeOnlyForExistingFolders)
{
    const auto matter = folder("Matter");
    const auto window = windows.open(std::nullopt);
    send(*window, "pin", matter);
    send(*window, "pin", matter);
    EXPECT_EQ(recent().pinned(), std::vector<std::string> { matter });
    EXPECT_EQ(menuRebuilds, 1);
    EXPECT_EQ(pinCalls(*window), 1);
    EXPECT_EQ(parseJson(recent().pinnedJSON()), Json::array({ Json { { "name", "Matter" }, { "path", matter } } }));

    send(*window, "pin", file("Matter/a.pdf")); // a file
    send(*window, "pin", home.file("Missing"));
    send(*window, "pin", "relative");
    EXPECT_EQ(recent().pinned(), std::vector<std::string> { matter });

    // Gone folders can still be unpinned, every copy of them.
    auto defaults = appUserDefaults();
    defaults.set("pinnedFolders", Json::array({ "/gone", matter, "/gone" }));
    send(*window, "unpin", "/gone");
    EXPECT_EQ(recent().pinned(), std::vector<std::string> { matter });
    recent().unpinFolder(matter);
    EXPECT_EQ(recent().pinnedJSON(), "[]");
}

TEST_F(RecentListsTest, AGonePinIsSaidAndKept)
{
    auto defaults = appUserDefaults();
    defaults.set("pinnedFolders", Json::array({ "/gone/Matter" }));
    recent().openPinnedItem("/gone/Matter");
    ASSERT_EQ(toolkit.fakeDialogs.alerts.size(), 1u);
    EXPECT_EQ(toolkit.fakeDialogs.alerts[0].request.message, "Can\u2019t open this library");
    EXPECT_EQ(toolkit.fakeDialogs.alerts[0].request.informativeText, "The folder \u201cMatter\u201d no longer exists at:\n/gone/Matter");
    EXPECT_EQ(recent().pinned(), std::vector<std::string> { "/gone/Matter" });
    EXPECT_TRUE(engineRuns.empty());

    recent().pinCurrentFolder(); // no window: nothing to pin
    EXPECT_EQ(recent().pinned().size(), 1u);
}

}
}
