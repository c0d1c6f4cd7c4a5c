#include "permission-wizard/KDPermissionWizardView.h"
#include "permission-wizard/WizardTesting.h"

#include "platform/ui/fake/FakeToolkit.h"

namespace ikw::wizard {
namespace {

class KDPermissionWizardViewTest : public WizardTest {
protected:
    // A view over `permissions`, which are also the controller's configuration.
    std::shared_ptr<KDPermissionWizardView> makeView(std::vector<KDPermission> permissions,
        std::optional<GrantMap> forcedGrants = std::nullopt)
    {
        configure(permissions);
        auto view = std::make_shared<KDPermissionWizardView>(KDPermissionWizardView::Inputs {
            .brand = plainBrand(),
            .product = { "Culmora", "culmora" },
            .permissions = std::move(permissions),
            .onClose = [this] { ++closes; },
            .initialStep = std::nullopt,
            .forcedGrants = std::move(forcedGrants),
            .forcedDidAsk = false,
            .subscribeBecameActive = [this](std::function<void()> handler) {
                becameActive = std::move(handler);
                return [this] { becameActive = nullptr; };
            },
        });
        view->setOnChanged([this] { ++changes; });
        return view;
    }

    // Permissions "p0", "p1", ... granted as listed.
    std::vector<ProbedPermission> probed(const std::vector<bool>& granted)
    {
        std::vector<ProbedPermission> permissions;
        for (const bool isGranted : granted)
            permissions.emplace_back("p" + std::to_string(permissions.size()), false, isGranted);
        return permissions;
    }

    static std::vector<KDPermission> permissionsOf(const std::vector<ProbedPermission>& probed)
    {
        std::vector<KDPermission> permissions;
        for (const auto& each : probed)
            permissions.push_back(each.permission);
        return permissions;
    }

    int closes = 0;
    int changes = 0;
    std::function<void()> becameActive;
};

TEST_F(KDPermissionWizardViewTest, PollingRewritesTheFileOnlyWhenAProbeResultChanges)
{
    ProbedPermission permission("findersync");
    auto view = makeView({ permission.permission });
    EXPECT_EQ(stateWrites(), 0);

    view->appear();
    EXPECT_EQ(view->granted(), (GrantMap { { "findersync", false } }));
    EXPECT_EQ(stateWrites(), 1);
    EXPECT_EQ(readState()["permissions"][0]["capability_probe"], false);
    EXPECT_EQ(readState()["bundle_id"], "unknown");

    queue.advance(3.0);
    EXPECT_EQ(*permission.probes, 2 + 3); // the first refresh and its write, then one per tick
    EXPECT_EQ(stateWrites(), 1);

    view->start();
    ASSERT_EQ(view->step(), 0);
    const int changesBefore = changes;
    *permission.granted = true;
    queue.advance(1.0);
    EXPECT_EQ(stateWrites(), 2);
    EXPECT_EQ(readState()["permissions"][0]["capability_probe"], true);
    EXPECT_EQ(view->step(), 0);
    EXPECT_TRUE(view->permissionScreen()->isGranted);
    EXPECT_EQ(changes, changesBefore + 1);

    // Switching back to the application refreshes at once.
    *permission.granted = false;
    ASSERT_TRUE(becameActive);
    becameActive();
    EXPECT_EQ(stateWrites(), 3);

    // The timer and the subscription go with the view.
    view.reset();
    EXPECT_EQ(queue.pendingTimerCount(), 0u);
    EXPECT_FALSE(becameActive);
}

TEST_F(KDPermissionWizardViewTest, ForcedGrantsReplaceTheProbeOnlyForTheirIds)
{
    ProbedPermission forced("forced");
    ProbedPermission real("real", false, true);
    auto view = makeView({ forced.permission, real.permission }, GrantMap { { "forced", true }, { "unknown", false } });
    view->appear();
    EXPECT_EQ(view->granted(), (GrantMap { { "forced", true }, { "real", true } }));
    EXPECT_EQ(*forced.probes, 1); // only by the state file, which reports the real answer
    EXPECT_EQ(readState()["permissions"][0]["capability_probe"], false);
}

TEST_F(KDPermissionWizardViewTest, StepTransitions)
{
    struct TransitionCase {
        const char* name;
        std::vector<bool> granted;
        std::vector<std::string> actions;
        int step;
        std::set<std::string> skipped = {};
    };
    const std::vector<TransitionCase> cases {
        { "get started with everything granted", { true, true, true }, { "start" }, 3 },
        { "get started opens the first not granted", { true, false, false }, { "start" }, 1 },
        { "continue does not jump over granted ones", { false, true, false }, { "start", "continue" }, 1 },
        { "continue from the last shows done", { false, false }, { "start", "continue", "continue" }, 2 },
        { "skipping the last shows done", { true, false }, { "start", "skip" }, 2, { "p1" } },
        { "back from done returns to the skipped one", { true, false }, { "start", "skip", "back" }, 1, { "p1" } },
        { "no way back from the first to the summary", { false, false }, { "start", "back" }, 0 },
        { "back walks over granted ones too", { false, true, false }, { "start", "continue", "continue", "back" }, 1 },
        { "not now moves nothing and skips nothing", { false }, { "start", "not now" }, 0 },
        { "an empty list: get started shows done", {}, { "start" }, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        closes = 0;
        const auto permissions = probed(c.granted);
        auto view = makeView(permissionsOf(permissions));
        view->appear();
        for (const auto& action : c.actions) {
            if (action == "start")
                view->summaryScreen().start();
            else if (action == "continue")
                view->permissionScreen()->onContinue();
            else if (action == "skip")
                view->permissionScreen()->onSkip();
            else if (action == "back")
                view->back();
            else if (action == "not now")
                view->notNow();
        }
        EXPECT_EQ(view->step(), c.step);
        EXPECT_EQ(KDPermissionWizard::skippedIDs(), c.skipped);
        EXPECT_EQ(closes, std::count(c.actions.begin(), c.actions.end(), "not now"));
        TearDown();
    }
}

TEST_F(KDPermissionWizardViewTest, FooterAndScreenPerStep)
{
    using Screen = KDPermissionWizardView::Screen;
    struct FooterCase {
        int initialStep;
        Screen screen;
        bool back, notNow;
    };
    const std::vector<FooterCase> cases {
        { -4, Screen::Summary, false, true },
        { -1, Screen::Summary, false, true },
        { 0, Screen::Permission, false, true },
        { 1, Screen::Permission, true, true },
        { 2, Screen::Permission, true, true },
        { 3, Screen::Done, true, false },
        { 7, Screen::Done, false, false }, // done, with an empty footer
    };
    auto view = makeView(permissionsOf(probed({ false, false, false })));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.initialStep);
        view->setInitialStep(c.initialStep);
        view->appear();
        EXPECT_EQ(view->step(), c.initialStep);
        EXPECT_EQ(view->screen(), c.screen);
        EXPECT_EQ(view->permissionScreen().has_value(), c.screen == Screen::Permission);
        EXPECT_EQ(view->showsBack(), c.back);
        EXPECT_EQ(view->showsNotNow(), c.notNow);
    }
    EXPECT_EQ(queue.pendingTimerCount(), 1u); // appearing again starts no second ticker

    // The done screen's button closes; "Not now" is not offered there.
    view->notNow();
    EXPECT_EQ(closes, 0);
    view->doneScreen().close();
    EXPECT_EQ(closes, 1);
}

TEST_F(KDPermissionWizardViewTest, AnEmptyListShowsAnEmptyFooterAndNeverWrites)
{
    auto view = makeView({});
    view->appear();
    queue.advance(2.0);
    view->start();
    EXPECT_EQ(view->screen(), KDPermissionWizardView::Screen::Done);
    EXPECT_FALSE(view->showsBack());
    EXPECT_FALSE(view->showsNotNow());
    EXPECT_EQ(stateWrites(), 0);
}

TEST_F(KDPermissionWizardViewTest, TheAskedStateBelongsToTheScreenShown)
{
    auto view = makeView(permissionsOf(probed({ false, false })));
    view->appear();
    view->start();
    ui::fake::FakeWorkspace workspace;
    const auto first = *view->permissionScreen();
    first.primaryAction(workspace);
    EXPECT_TRUE(view->didAsk());
    EXPECT_TRUE(view->permissionScreen()->asked());

    first.onContinue();
    EXPECT_EQ(view->step(), 1);
    EXPECT_FALSE(view->permissionScreen()->asked());

    // A screen drawn for another step acts no more.
    first.onSkip();
    first.onContinue();
    first.markAsked();
    EXPECT_EQ(view->step(), 1);
    EXPECT_FALSE(view->didAsk());
    EXPECT_TRUE(KDPermissionWizard::skippedIDs().empty());

    view->setForcedDidAsk(true);
    EXPECT_TRUE(view->permissionScreen()->asked());
}

}
}
