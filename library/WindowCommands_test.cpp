#include "library/WindowCommands.h"

#include "app/Settings.h"
#include "library/WindowOpeners.h"
#include "review/ReviewTestFixture.h"

#include <gtest/gtest.h>

namespace ikw::library {
namespace {

class WindowCommanding : public testing::ReviewFixture {
protected:
    WindowCommanding()
    {
        hooks.openHistory = [this](const std::string& mode) { histories.push_back(mode); };
        hooks.recordUsage = [this](const std::string& feature) { usage.push_back(feature); };
    }
    // A review tab showing `paths` (none: the welcome page), in the window of `host` when given.
    std::shared_ptr<ReviewWC> tab(std::vector<std::string> paths, const std::shared_ptr<ReviewWC>& host = nullptr)
    {
        auto window = windows.open(std::nullopt, host.get());
        window->hasContent = !paths.empty();
        window->sourcePaths = std::move(paths);
        return window;
    }

    WindowCommandHooks hooks;
    std::vector<std::string> histories, usage;
    WindowOpeners openers { services, windows };
    std::unique_ptr<WindowCommands> commands() { return std::make_unique<WindowCommands>(windows, openers, toolkit.fakeDialogs, hooks); }
};

TEST_F(WindowCommanding, ClosingTakesTheKeyWindowWithAllItsTabsOrEveryWindow)
{
    auto other = tab({ "/m/a.pdf" });
    auto first = tab({ "/m/b.pdf" });
    tab({ "/m/c.pdf" }, first);
    tab({}, first);
    commands()->closeWholeWindow();
    EXPECT_EQ(windows.windows(), std::vector<std::shared_ptr<ReviewWC>> { other });
    EXPECT_TRUE(windowOf(*other).isVisible());

    tab({}); // a second window
    commands()->closeAllWindows();
    EXPECT_TRUE(windows.windows().empty());
}

TEST_F(WindowCommanding, TogglesFlipTheirSettingAndReachEveryWindow)
{
    auto first = tab({ "/m/a.pdf" });
    auto second = tab({});
    commands()->toggleAlwaysOnTop();
    EXPECT_EQ(loadConfig()["always_on_top"], true);
    EXPECT_EQ(windowOf(*first).level, ui::WindowLevel::Floating);
    EXPECT_EQ(windowOf(*second).level, ui::WindowLevel::Floating);
    commands()->toggleAlwaysOnTop();
    EXPECT_EQ(windowOf(*first).level, ui::WindowLevel::Normal);

    writeConfig(R"({"auto_refresh":"yes"})"); // not a boolean: on
    commands()->toggleAutoRefresh();
    EXPECT_EQ(loadConfig()["auto_refresh"], false);
    commands()->toggleAutoRefresh();
    EXPECT_EQ(loadConfig()["auto_refresh"], true);
}

TEST_F(WindowCommanding, ShowTabsInLibraryGathersEachDocumentOnce)
{
    auto first = tab({});
    tab({}, first);
    commands()->showTabsInLibrary();
    ASSERT_EQ(toolkit.fakeDialogs.alerts.size(), 1u);
    EXPECT_EQ(toolkit.fakeDialogs.alerts[0].request.message, "No open documents to show");
    EXPECT_TRUE(engineRuns.empty());

    auto reader = tab({ "/m/a.pdf" });
    tab({ "/m/b.pdf" }, reader);
    tab({ "/m/a.pdf" }, reader);
    commands()->showTabsInLibrary();
    ASSERT_EQ(engineRuns.size(), 1u);
    EXPECT_EQ(std::vector<std::string>(engineRuns[0].end() - 2, engineRuns[0].end()), (std::vector<std::string> { "/m/a.pdf", "/m/b.pdf" }));
}

TEST_F(WindowCommanding, ToggleLibraryHidesTheKeyReviewThenOpensHistory)
{
    commands()->toggleLibrary();
    EXPECT_EQ(histories, std::vector<std::string> { "recents" });

    auto folder = tab({ "/m" });
    commands()->toggleLibrary();
    EXPECT_FALSE(windowOf(*folder).isVisible());
    commands()->toggleLibrary();
    EXPECT_EQ(histories, (std::vector<std::string> { "recents", "recents" }));

    commands()->openConsolidated();
    EXPECT_EQ(usage, std::vector<std::string> { "open.consolidated" });
    EXPECT_EQ(histories.back(), "open");
}

TEST_F(WindowCommanding, AddedFoldersJoinTheReviewOnce)
{
    auto review = tab({ "/m/one" });
    toolkit.fakeDialogs.openAnswers.push_back(std::vector<std::string> { "/m/one" });
    commands()->addFoldersToReview();
    EXPECT_TRUE(engineRuns.empty());

    toolkit.fakeDialogs.openAnswers.push_back(std::vector<std::string> { "/m/two", "/m/one", "/m/two" });
    commands()->addFoldersToReview();
    ASSERT_EQ(engineRuns.size(), 1u);
    EXPECT_EQ(review->sourcePaths, (std::vector<std::string> { "/m/one", "/m/two" }));
}

}
}
