#include "library/HistoryPage.h"

#include "library/HistoryStore.h"
#include "library/LibraryActions.h"
#include "library/LibraryLayer.h"
#include "library/WindowOpeners.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"

#include <gtest/gtest.h>

namespace ikw::library {
namespace {

constexpr const char* kTemplate = "<script>var H = __HISTORY_JSON__; var M = \"__START_MODE__\";</script>__OPEN_LAYOUT__|__OPEN_PALETTE__";

class HistoryPageTest : public testing::ReviewFixture {
protected:
    HistoryPageTest() { testing::writeTestFile(home.file("Resources/engine/history.html"), kTemplate); }

    HistoryStore store { HistoryConfig { .home = home.file("support"), .clock = [] { return 100.0; } } };
    WindowOpeners openers { services, windows };
    bool dark = false;
    std::vector<std::string> usage;
    std::vector<OpenSurface::Sheet> backgrounds;
    HistoryPage page { openers, store, toolkit.fakeDialogs,
        HistoryPage::Hooks {
            .recordUsage = [this](const std::string& feature) { usage.push_back(feature); },
            .isDark = [this] { return dark; },
            .setBackground = [this](ReviewWC&, const OpenSurface::Sheet& sheet) { backgrounds.push_back(sheet); },
        } };

    std::string shownPage(const ReviewWC& window)
    {
        const auto& loads = viewOf(window).loads;
        return loads.empty() ? "" : testing::readTestFile(loads.back().substr(loads.back().rfind("file://", 0) == 0 ? 7 : 0));
    }
    std::vector<std::string> historyPages() const
    {
        std::vector<std::string> pages;
        for (const auto& name : testing::folderEntries(globals.get().archive))
            if (name.starts_with(".history-"))
                pages.push_back(name);
        return pages;
    }
};

TEST_F(HistoryPageTest, FillsTheTemplateOnceWithScriptSafeRows)
{
    store.record(home.file("x</script>.pdf"), false, "open", 5);
    store.record(home.file("__START_MODE__.pdf"), false, "open", 6);
    writeConfig(R"({"open_layout":"grid","open_palette":"pagedark"})");
    dark = true;
    page.openHistory("open");

    ASSERT_EQ(windows.windows().size(), 1u);
    const auto& window = *windows.windows().front();
    EXPECT_TRUE(window.isOpenSurface);
    EXPECT_TRUE(window.hasContent);
    EXPECT_FALSE(window.isReader);
    EXPECT_EQ(windowOf(window).title(), "Open");
    const std::string shown = shownPage(window);
    EXPECT_EQ(shown.find("</script>.pdf"), std::string::npos);
    EXPECT_NE(shown.find("x\\u003c/script\\u003e.pdf"), std::string::npos);
    EXPECT_NE(shown.find("__START_MODE__.pdf"), std::string::npos); // a name is never taken for a placeholder
    EXPECT_NE(shown.find("var M = \"open\""), std::string::npos);
    EXPECT_NE(shown.find("covers|pagedark"), std::string::npos);
    ASSERT_EQ(backgrounds.size(), 1u);
    EXPECT_EQ(backgrounds[0], OpenSurface::sheets().at("pagedark"));
    EXPECT_EQ(usage, std::vector<std::string> { "history.open" });
}

TEST_F(HistoryPageTest, EachOpeningWritesItsOwnPageAndTheUsersTemplateWins)
{
    page.openHistory("recents");
    EXPECT_EQ(windowOf(*windows.windows().front()).title(), "File History");
    testing::writeTestFile(home.file(std::string(kUserEngineFolder) + "/app/history.html"), "mine __START_MODE__");
    page.openHistory("");
    EXPECT_EQ(historyPages().size(), 2u);
    EXPECT_EQ(shownPage(*windows.windows().back()), "mine ");
    EXPECT_EQ(windowOf(*windows.windows().back()).title(), "File History");
}

TEST_F(HistoryPageTest, AMissingTemplateIsSaidAndChangesNoWindow)
{
    ::unlink(home.file("Resources/engine/history.html").c_str());
    page.openHistory("recents");
    EXPECT_TRUE(windows.windows().empty());
    ASSERT_EQ(toolkit.fakeDialogs.alerts.size(), 1u);
    EXPECT_EQ(toolkit.fakeDialogs.alerts[0].request.message, "File History is unavailable");
    EXPECT_EQ(toolkit.fakeDialogs.alerts[0].request.informativeText, "The history page is missing from this build.");
}

TEST(OpenSurface, SettingsResolveToKnownLooks)
{
    const Json none = Json::object();
    EXPECT_EQ(OpenSurface::layout(Json { { "open_layout", "grid" } }), "covers");
    EXPECT_EQ(OpenSurface::layout(Json { { "open_layout", "list" } }), "list");
    EXPECT_EQ(OpenSurface::layout(Json { { "open_layout", 3 } }), "covers");
    EXPECT_EQ(OpenSurface::palette(Json { { "open_palette", "pagedark" } }, false), "cream");
    EXPECT_EQ(OpenSurface::palette(none, true), "pagedark");
    EXPECT_EQ(OpenSurface::palette(Json { { "open_palette", "slate" } }, true), "slate");
    EXPECT_EQ(OpenSurface::sheet(none, false), OpenSurface::sheets().at("cream"));
}

// The page's row actions, through the application's own table.
class HistoryActionsTest : public testing::ReviewFixture {
protected:
    HistoryActionsTest()
    {
        layer = std::make_shared<LibraryLayer>(services, windows, LibraryHooks {});
        registerActions(actions, [this] { return layer; });
        window = windows.open(std::nullopt);
    }
    void send(const std::string& host, const std::string& query = "")
    {
        actions.dispatch(host, UrlAction { *window, "qeliz://" + host + query });
    }
    std::string lastAnswer() { return viewOf(*window).evaluated.empty() ? "" : viewOf(*window).evaluated.back(); }

    UrlActions actions;
    std::shared_ptr<LibraryLayer> layer;
    std::shared_ptr<ReviewWC> window;
};

TEST_F(HistoryActionsTest, MarksAnswerThePage)
{
    send("histfav", "?path=%2Fgone%2Fa.pdf");
    EXPECT_EQ(lastAnswer(), "window.__ikwFavDone && __ikwFavDone(\"\\/gone\\/a.pdf\",true)");
    EXPECT_TRUE(layer->history().isFavorite("/gone/a.pdf"));
    send("histpin", "?path=%2Fgone%2Fa.pdf");
    EXPECT_EQ(lastAnswer(), "window.__ikwPinDone && __ikwPinDone(\"\\/gone\\/a.pdf\",true)");
    send("histpinclear");
    EXPECT_EQ(lastAnswer(), "window.__ikwPinsDone && __ikwPinsDone([])");
    EXPECT_TRUE(layer->history().pinnedPaths().empty());

    const auto answers = viewOf(*window).evaluated.size();
    send("histfav", "?path=relative.pdf"); // only absolute paths
    EXPECT_EQ(viewOf(*window).evaluated.size(), answers);
}

}
}
