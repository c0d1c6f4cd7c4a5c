#include "permission-wizard/setup/FullDiskAccess.h"

#include "permission-wizard/setup/AppMark.h"
#include "permission-wizard/setup/FdaBanner.h"
#include "permission-wizard/setup/PermissionActions.h"
#include "permission-wizard/setup/TestIcon.h"
#include "platform/imaging/ImageDecoder.h"
#include "review/PanelRouter.h"
#include "review/PanelWC.h"
#include "review/Panels.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"
#include "review/fake/StandInEngine.h"

#include <gmock/gmock.h>
#include <sys/stat.h>

#include <algorithm>

namespace ikw::setup {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr std::string_view kGrantedCall = "if(window.__fdaGranted)__fdaGranted()";
constexpr std::string_view kWatchingCall = "if(window.__fdaWatching)__fdaWatching()";

ino_t inodeOf(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

struct OpenedPanel {
    std::string kind;
    std::vector<std::string> extraArgs;
};

class FullDiskAccessTest : public testing::ReviewFixture {
protected:
    std::shared_ptr<FullDiskAccess> make()
    {
        return FullDiskAccess::create({
            .probe = [this] {
                ++probes;
                return granted;
            },
            .defaults = UserDefaults(home.file("defaults.json")),
            .openPanel = [this](const std::string& kind, const std::vector<std::string>& extraArgs) { opened.push_back({ kind, extraArgs }); },
            .reloadSettingsPanelIfOpen = [this] { onReload(); },
            .openWindows = [this] { return windows.windows(); },
            .iconPath = [this] { return icon; },
            .markFolder = home.file("reviews"),
            .workspace = &toolkit.fakeWorkspace,
        });
    }

    std::shared_ptr<PanelWC> makePanel()
    {
        return PanelWC::create(toolkit, "fda", home.file("reviews/fda.html"), "Inkwarden", {}, {});
    }
    static std::vector<std::string>& scriptsOf(PanelWC& panel) { return static_cast<ui::fake::FakeWebView&>(panel.web()).evaluated; }

    std::string markPath() const { return home.file("reviews/.appmark.png"); }

    bool granted = false;
    int probes = 0;
    std::vector<OpenedPanel> opened;
    std::function<void()> onReload = [] {};
    std::string icon = testing::writeTestIcon(home.file("icon.png"), 64, 48);
    std::shared_ptr<FullDiskAccess> access = make();
};

TEST_F(FullDiskAccessTest, OnlyTheFirstLaunchPromptsAndOnlyWhenAccessIsMissing)
{
    access->maybeFirstRunFDA();
    EXPECT_EQ(UserDefaults(home.file("defaults.json")).boolean("didFirstLaunch"), true);
    queue.advance(FullDiskAccess::kFirstRunDelaySeconds - 0.01);
    EXPECT_THAT(opened, IsEmpty());
    queue.advance(0.01);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].kind, "fda");
    EXPECT_THAT(opened[0].extraArgs, ElementsAre("--fda", "0", "--icon", markPath()));

    // The next launch, still without access.
    make()->maybeFirstRunFDA();
    queue.advance(10);
    EXPECT_EQ(opened.size(), 1u);

    // A first launch with access already there only notes itself.
    testing::removeTree(home.file("defaults.json"));
    granted = true;
    make()->maybeFirstRunFDA();
    queue.advance(10);
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(UserDefaults(home.file("defaults.json")).boolean("didFirstLaunch"), true);
}

TEST_F(FullDiskAccessTest, ThePanelIsToldWhetherAccessIsThereAndGetsTheMarkWhenOneCanBeMade)
{
    granted = true;
    access->grantFullDiskAccess();
    icon = home.file("missing.png");
    granted = false;
    access->grantFullDiskAccess();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_THAT(opened[0].extraArgs, ElementsAre("--fda", "1", "--icon", markPath()));
    EXPECT_THAT(opened[1].extraArgs, ElementsAre("--fda", "0", "--icon", ""));
}

TEST_F(FullDiskAccessTest, AGrantWhileThePanelShowsIsAnnouncedOnTheNextTick)
{
    const auto first = windows.open(std::nullopt);
    const auto second = windows.open(std::nullopt);
    const auto panel = makePanel();
    const auto removals = [&] {
        int count = 0;
        for (const auto& window : { first, second })
            count += static_cast<int>(std::count(viewOf(*window).evaluated.begin(), viewOf(*window).evaluated.end(), kFdaBannerRemovalScript));
        return count;
    };
    // The panel hears of the grant and comes forward before the settings panel is regenerated,
    // and that before the banners go.
    auto& frame = static_cast<ui::fake::FakeWindow&>(panel->window());
    const int shownAtCreation = frame.presented;
    std::string atReload;
    onReload = [&] {
        atReload = (scriptsOf(*panel).back() == kGrantedCall ? "granted heard, " : "") + std::to_string(frame.presented - shownAtCreation)
            + " presented, " + std::to_string(removals()) + " removals";
    };

    access->watchForFDA(panel);
    EXPECT_THAT(scriptsOf(*panel), ElementsAre(kWatchingCall));
    queue.advance(FullDiskAccess::kWatchIntervalSeconds);
    EXPECT_EQ(probes, 1);
    EXPECT_THAT(scriptsOf(*panel), Not(Contains(kGrantedCall)));

    granted = true;
    queue.advance(FullDiskAccess::kWatchIntervalSeconds);
    EXPECT_EQ(atReload, "granted heard, 1 presented, 0 removals");
    EXPECT_EQ(removals(), 2);
    EXPECT_FALSE(access->isWatching());
    queue.advance(10 * FullDiskAccess::kWatchIntervalSeconds);
    EXPECT_EQ(probes, 2);
}

TEST_F(FullDiskAccessTest, AHiddenOrClosedPanelStopsTheWatcherWithoutAProbe)
{
    for (const bool closed : { false, true }) {
        auto panel = makePanel();
        access->watchForFDA(panel);
        if (closed)
            panel.reset();
        else
            panel->window().hide();
        queue.advance(FullDiskAccess::kWatchIntervalSeconds);
        EXPECT_FALSE(access->isWatching()) << closed;
        EXPECT_EQ(probes, 0) << closed;
    }
}

TEST_F(FullDiskAccessTest, TheWatcherGivesUpAfter161Ticks)
{
    const auto panel = makePanel();
    access->watchForFDA(panel);
    queue.advance((FullDiskAccess::kWatchTickLimit - 1) * FullDiskAccess::kWatchIntervalSeconds);
    EXPECT_TRUE(access->isWatching());
    queue.advance(FullDiskAccess::kWatchIntervalSeconds);
    EXPECT_FALSE(access->isWatching());
    EXPECT_EQ(probes, FullDiskAccess::kWatchTickLimit);
    EXPECT_THAT(scriptsOf(*panel), Not(Contains(kGrantedCall)));
}

TEST_F(FullDiskAccessTest, PageActionsOpenThePanelTheWizardAndTheSettingsWhileThePromptLives)
{
    UrlActions actions;
    PanelActions panelActions;
    int wizards = 0;
    registerActions(actions, panelActions, access, [&] { ++wizards; });
    const auto review = windows.open(std::nullopt);
    const auto panel = makePanel();

    actions.dispatch("fda", UrlAction { *review, "qeliz://fda" });
    panelActions.dispatch("fda", PanelAction { *panel, "qeliz://fda" });
    actions.dispatch("finderext", UrlAction { *review, "qeliz://finderext" });
    panelActions.dispatch("finderext", PanelAction { *panel, "qeliz://finderext" });
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(wizards, 2);

    // No settings pane on this desktop: every link is tried, and the panel is watched anyway.
    toolkit.fakeWorkspace.opens = false;
    panelActions.dispatch("fdaopen", PanelAction { *panel, "qeliz://fdaopen" });
    EXPECT_THAT(toolkit.fakeWorkspace.openedUrls,
        ElementsAre("x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles",
            "x-apple.systempreferences:com.apple.settings.PrivacySecurity.extension?Privacy_AllFiles",
            "x-apple.systempreferences:com.apple.preference.security"));
    EXPECT_THAT(scriptsOf(*panel), ElementsAre(kWatchingCall));
    EXPECT_TRUE(access->isWatching());
    // A pane that opens ends the search.
    toolkit.fakeWorkspace.opens = true;
    toolkit.fakeWorkspace.openedUrls.clear();
    panelActions.dispatch("fdaopen", PanelAction { *panel, "qeliz://fdaopen" });
    EXPECT_EQ(toolkit.fakeWorkspace.openedUrls.size(), 1u);

    access.reset();
    for (const char* host : { "fda", "finderext", "fdaopen" })
        panelActions.dispatch(host, PanelAction { *panel, std::string("qeliz://") + host });
    actions.dispatch("finderext", UrlAction { *review, "qeliz://finderext" });
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(wizards, 2);
}

TEST_F(FullDiskAccessTest, TheEnginesFdaPanelStartsTheWatchFromItsSettingsLink)
{
    testing::installStandInEngine(home.path());
    const auto panels = Panels::create(toolkit);
    UrlActions actions;
    registerActions(actions, panels->actions(), access, {});
    panels->openPanel("fda", { "--fda", "0", "--icon", markPath() });
    ASSERT_TRUE(queue.runUntil([&] { return panels->visiblePanel("fda") != nullptr; }));
    const auto panel = panels->visiblePanel("fda");
    const std::string page = testing::readTestFile(static_cast<ui::fake::FakeWebView&>(panel->web()).loads.back().substr(7));
    for (const char* part : { "qeliz://fdaopen", "qeliz://finderext", "window.__fdaWatching", "window.__fdaGranted" })
        EXPECT_THAT(page, HasSubstr(part));

    EXPECT_EQ(static_cast<ui::fake::FakeWebView&>(panel->web()).navigate({ "qeliz://fdaopen" }), ui::NavigationPolicy::Cancel);
    EXPECT_TRUE(access->isWatching());
    EXPECT_THAT(scriptsOf(*panel), ElementsAre(kWatchingCall));
}

TEST_F(FullDiskAccessTest, ReviewPagesGetTheBannerOnlyWhileAccessIsMissing)
{
    const auto review = windows.open(std::nullopt);
    const auto before = viewOf(*review).evaluated.size();
    granted = true;
    access->injectFDABanner(*review);
    EXPECT_EQ(viewOf(*review).evaluated.size(), before);
    granted = false;
    access->injectFDABanner(*review);
    ASSERT_EQ(viewOf(*review).evaluated.size(), before + 1);
    EXPECT_THAT(viewOf(*review).evaluated.back(), HasSubstr("__fdab"));
    // The mark's URL, as the script quotes it.
    EXPECT_THAT(viewOf(*review).evaluated.back(), HasSubstr(R"(src=\"file:\/\/)"));
    EXPECT_THAT(viewOf(*review).evaluated.back(), HasSubstr(R"(\/.appmark.png\")"));
}

TEST_F(FullDiskAccessTest, TheMarkIsA256PixelPngReplacedWholeEachTime)
{
    const std::string folder = home.file("new/reviews");
    const std::string path = writeAppMark(icon, folder);
    ASSERT_EQ(path, folder + "/.appmark.png");
    const auto image = imaging::decodeImageFile(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, kAppMarkSide);
    EXPECT_EQ(image->height, kAppMarkSide);

    // A page still reading the old file keeps it whole: the new one takes its place.
    const auto before = inodeOf(path);
    ASSERT_EQ(writeAppMark(icon, folder), path);
    EXPECT_NE(inodeOf(path), before);

    for (const std::string& unreadable : { std::string(), home.file("missing.png"), testing::writeTestFile(home.file("text.png"), "not an image") })
        EXPECT_EQ(writeAppMark(unreadable, folder), "") << unreadable;
}

}
}
