#include "review/Panels.h"

#include "app/Globals.h"
#include "app/Settings.h"
#include "platform/core/FileSystem.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "review/EngineLocator.h"
#include "review/fake/StandInEngine.h"
#include "tests/support/TempHome.h"

#include <gmock/gmock.h>

#include <set>

namespace ikw {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ui::NavigationPolicy;

class PanelWindows : public ::testing::Test {
protected:
    PanelWindows() { testing::installStandInEngine(home.path()); }

    // Opens `kind` and waits for the stand-in script's page to show.
    std::shared_ptr<PanelWC> open(const std::string& kind, const std::vector<std::string>& extra = {})
    {
        const auto before = toolkit.windows.size();
        panels->openPanel(kind, extra);
        EXPECT_TRUE(queue.runUntil([&] { return toolkit.windows.size() > before; }));
        return panels->visiblePanel(kind);
    }
    ui::fake::FakeWebView& viewOf(const PanelWC& panel) { return static_cast<ui::fake::FakeWebView&>(panel.web()); }
    ui::fake::FakeWindow& windowOf(const PanelWC& panel) { return static_cast<ui::fake::FakeWindow&>(panel.window()); }
    NavigationPolicy navigate(const PanelWC& panel, const std::string& url) { return viewOf(panel).navigate({ url }); }

    testing::EngineTestHome home;
    ManualMainQueue& queue = home.mainQueue;
    ui::fake::FakeToolkit toolkit;
    std::shared_ptr<Panels> panels = Panels::create(toolkit);
};

TEST(PanelLayout, SizesAndTitlesByKind)
{
    struct Case {
        const char* kind;
        int width, height;
        const char* title;
    };
    const Case cases[] = {
        { "settings", 900, 700, "Settings" },
        { "help", 680, 740, "Quill Help" },
        { "fda", 680, 752, "Full Disk Access" },
        { "about", 680, 560, "About Quill" },
        { "agreements", 680, 560, "About Quill" },
        { "other", 680, 560, "About Quill" },
    };
    for (const Case& c : cases) {
        const PanelLayout layout = panelLayout(c.kind, "Quill");
        EXPECT_EQ(layout.width, c.width) << c.kind;
        EXPECT_EQ(layout.height, c.height) << c.kind;
        EXPECT_EQ(layout.title, c.title) << c.kind;
    }
}

TEST_F(PanelWindows, APanelIsAFixedWindowWithAPlainWebView)
{
    const auto help = open("help");
    ASSERT_TRUE(help);
    const auto& window = windowOf(*help);
    EXPECT_EQ(window.options.width, 680);
    EXPECT_EQ(window.options.height, 740);
    EXPECT_FALSE(window.options.resizable);
    EXPECT_EQ(window.title(), globals().brand.name + " Help");
    EXPECT_EQ(window.presented, 1);
    auto& view = viewOf(*help);
    EXPECT_FALSE(view.options.scriptMessages);
    EXPECT_THAT(view.userScripts, IsEmpty());
    EXPECT_TRUE(static_cast<ui::fake::FakeWebContext&>(*view.context).schemes.empty());
    ASSERT_EQ(view.loads.size(), 1u);
    const std::string page = view.loads.front().substr(std::string("file://").size());
    EXPECT_THAT(page, ::testing::StartsWith(globals().archive + "/.panel-help-"));
    EXPECT_THAT(*realFileSystem().readFile(page), HasSubstr("data-kind=\"help\""));
}

TEST_F(PanelWindows, ScriptArgumentsByKind)
{
    const Globals& g = globals();
    EXPECT_THAT(panels->scriptArguments("help", "/r/.panel-help-1.html", { "--x", "y" }),
        ElementsAre(panelPy(), "help", "/r/.panel-help-1.html", "--version", g.version, "--app", g.brand.name, "--category",
            g.brand.category, "--x", "y"));

    const auto settings = panels->scriptArguments("settings", "/p", { "--extra" });
    ASSERT_EQ(settings.size(), 9u + 28u + 1u);
    std::vector<std::string> flagNames;
    for (std::size_t i = 9; i + 1 < settings.size(); i += 2)
        flagNames.push_back(settings[i]);
    EXPECT_THAT(flagNames, ElementsAre("--config", "--fda", "--finderext", "--iconsdir", "--defaultpdf", "--defaultgroups",
        "--defaultnever", "--voices", "--mcpstatus", "--oakrunestatus", "--accountstatus", "--syncstatus", "--openpalette",
        "--nightwindow"));
    EXPECT_EQ(settings[10], g.configPath);
    EXPECT_EQ(settings[12], "1"); // no access gate on this system
    EXPECT_EQ(settings.back(), "--extra");
}

TEST_F(PanelWindows, OpeningSettingsWritesTheDefaultsFirst)
{
    ASSERT_FALSE(realFileSystem().exists(globals().configPath));
    ASSERT_TRUE(open("settings"));
    EXPECT_TRUE(realFileSystem().exists(globals().configPath));
}

TEST_F(PanelWindows, AVisiblePanelIsReusedAndAHiddenOneReplaced)
{
    const auto first = open("about");
    panels->openPanel("about");
    EXPECT_EQ(panels->panels().size(), 1u);
    EXPECT_EQ(windowOf(*first).presented, 2);
    EXPECT_EQ(toolkit.windows.size(), 1u); // the script did not run again

    windowOf(*first).close();
    const auto second = open("about");
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_THAT(panels->panels(), ElementsAre(second));
}

TEST_F(PanelWindows, ClosingAKindClosesItsPanelsAndForgetsEveryHiddenOne)
{
    const auto agreements = open("agreements");
    const auto about = open("about");
    const auto help = open("help");
    windowOf(*help).close();

    panels->closePanels("agreements");

    EXPECT_TRUE(windowOf(*agreements).closed);
    EXPECT_FALSE(windowOf(*about).closed);
    EXPECT_THAT(panels->panels(), ElementsAre(about));
}

TEST_F(PanelWindows, ShowSettingsToggles)
{
    panels->showSettings();
    ASSERT_TRUE(queue.runUntil([&] { return panels->visiblePanel("settings") != nullptr; }));
    panels->showSettings();
    EXPECT_EQ(panels->visiblePanel("settings"), nullptr);
    EXPECT_THAT(panels->panels(), IsEmpty());
}

TEST_F(PanelWindows, ReloadingSettingsClosesTheOldWindowOnceTheNewOneShows)
{
    const auto old = open("settings");
    panels->reloadSettingsPanelIfOpen();
    EXPECT_TRUE(old->isVisible()); // still there while the page is made
    ASSERT_TRUE(queue.runUntil([&] { return toolkit.windows.size() == 2; }));
    const auto fresh = panels->visiblePanel("settings");
    ASSERT_TRUE(fresh);
    EXPECT_NE(fresh, old);
    EXPECT_TRUE(windowOf(*old).closed);
}

TEST_F(PanelWindows, ReloadingWithoutAVisibleSettingsPanelDoesNothing)
{
    const auto old = open("settings");
    windowOf(*old).close();
    panels->reloadSettingsPanelIfOpen();
    queue.drain();
    EXPECT_EQ(toolkit.windows.size(), 1u);
}

TEST_F(PanelWindows, RouterTable)
{
    const auto about = open("about");
    auto& workspace = toolkit.fakeWorkspace;
    struct Case {
        std::string url;
        NavigationPolicy policy;
    };
    // Hosts that reopen a panel or close one are checked below; these only answer a policy.
    for (const Case& c : std::vector<Case> {
             { "qeliz://nosuch", NavigationPolicy::Cancel },
             { "qeliz://", NavigationPolicy::Cancel },
             { "https://x.y/help", NavigationPolicy::Cancel },
             { "about:blank", NavigationPolicy::Allow },
             { viewOf(*about).loads.front(), NavigationPolicy::Allow }, // back on its own page
         })
        EXPECT_EQ(navigate(*about, c.url), c.policy) << c.url;
    EXPECT_THAT(workspace.openedUrls, ElementsAre("https://x.y/help"));

    EXPECT_EQ(navigate(*about, "qeliz://reveal-archive"), NavigationPolicy::Cancel);
    EXPECT_THAT(workspace.openedFiles, ElementsAre(globals().archive));

    navigate(*about, "qeliz://help");
    ASSERT_TRUE(queue.runUntil([&] { return panels->visiblePanel("help") != nullptr; }));
    navigate(*about, "qeliz://settings");
    ASSERT_TRUE(queue.runUntil([&] { return panels->visiblePanel("settings") != nullptr; }));
    navigate(*about, "qeliz://about"); // visible: fronted
    EXPECT_EQ(windowOf(*about).presented, 2);

    navigate(*about, "qeliz://closepanel");
    EXPECT_FALSE(about->isVisible());

    const auto hosts = panels->actions().hosts();
    EXPECT_THAT(std::set<std::string>(hosts.begin(), hosts.end()),
        ElementsAre("about", "closepanel", "help", "resetpageopskip", "reveal-archive", "settings"));
}

TEST_F(PanelWindows, OnlyAPanelPageOfTheTrustedFoldersReachesTheRouter)
{
    std::vector<std::string> routed;
    const auto make = [&](const std::string& page) {
        return PanelWC::create(toolkit, "about", page, "Quill", [&](PanelWC&, const ui::NavigationAction& action) {
            routed.push_back(action.url);
            return NavigationPolicy::Cancel;
        }, { globals().archive });
    };
    const auto stranger = make(home.home.file("Downloads/about.html"));
    EXPECT_EQ(navigate(*stranger, "qeliz://settings"), NavigationPolicy::Cancel);
    EXPECT_TRUE(routed.empty());

    const auto ours = make(globals().archive + "/.panel-about-1.html");
    navigate(*ours, "qeliz://settings");
    EXPECT_EQ(routed, std::vector<std::string> { "qeliz://settings" });

    // No frame shows a local page from outside; a top-level one goes to the desktop.
    const std::string evil = home.home.file("Downloads/evil.html");
    EXPECT_EQ(viewOf(*ours).respond({ "file://" + evil, "text/html", false, true }), ui::ResponsePolicy::Refuse);
    EXPECT_TRUE(toolkit.fakeWorkspace.openedFiles.empty());
    EXPECT_EQ(viewOf(*ours).respond({ "file://" + evil, "text/html", true, true }), ui::ResponsePolicy::Refuse);
    EXPECT_THAT(toolkit.fakeWorkspace.openedFiles, ElementsAre(evil));
    EXPECT_FALSE(viewOf(*ours).options.fileAccessFromFileUrls);

    windowOf(*ours).shortcuts.at("<Control>w")();
    EXPECT_FALSE(ours->isVisible());
}

TEST_F(PanelWindows, ResetPageOpSkipRewritesTheSettingsAndReloadsTheSettingsPanel)
{
    struct Case {
        Json before;
        Json after;
    };
    const Case cases[] = {
        { { { "pageops_skip_rotate", true }, { "pageops_skip_insert", "1" }, { "pageops_confirm", true }, { "viewer", "app" } },
            { { "pageops_confirm", true }, { "viewer", "app" } } },
        { { { "viewer", "app" } }, { { "viewer", "app" } } },
    };
    const auto settings = open("settings");
    for (const Case& c : cases) {
        realFileSystem().writeFile(globals().configPath, c.before.dump());
        const auto stampBefore = realFileSystem().readFile(globals().configPath);
        const auto windowsBefore = toolkit.windows.size();
        navigate(*panels->visiblePanel("settings"), "qeliz://resetpageopskip");
        const Json written = *parseJson(*realFileSystem().readFile(globals().configPath));
        for (const auto& [key, value] : written.items())
            EXPECT_FALSE(key.starts_with("pageops_skip_")) << key;
        for (const auto& [key, value] : c.after.items())
            EXPECT_EQ(written.value(key, Json()), value) << key;
        // Written even when no key matched: the store writes its pretty, sorted form.
        EXPECT_NE(realFileSystem().readFile(globals().configPath), stampBefore);
        ASSERT_TRUE(queue.runUntil([&] { return toolkit.windows.size() == windowsBefore + 1; }));
    }
}

}
}
