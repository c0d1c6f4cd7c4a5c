#include "permission-wizard/KDPermissionWizard.h"
#include "permission-wizard/WizardTesting.h"

#include "tests/support/CapturedStream.h"

#include <unistd.h>

namespace ikw::wizard {
namespace {

struct Run {
    int status;
    std::string output;
    std::string errors;
};

template<typename Action>
Run capture(Action action)
{
    testing::CapturedStream output(STDOUT_FILENO);
    testing::CapturedStream errors(STDERR_FILENO);
    const int status = action();
    return { status, output.text(), errors.text() };
}

using KDPermissionWizardTest = WizardTest;

Run configureCaptured(std::vector<KDPermission> permissions)
{
    return capture([&] {
        KDPermissionWizard::configure({ "Culmora", "culmora" }, plainBrand(), std::move(permissions), false);
        return 0;
    });
}

Run lint(std::vector<std::string> arguments = { "CulmoraPhotos", "--permission-lint" })
{
    return capture([&] { return KDPermissionWizard::runLintCLI(arguments); });
}

TEST_F(KDPermissionWizardTest, ConfigureReportsFindingsAndStillStoresTheSpec)
{
    auto vague = cleanPermission();
    vague.bullets = { "Faster" };
    vague.settingsURL = "https://example.com/help";

    const auto configured = configureCaptured({ vague });
    EXPECT_EQ(configured.output, "");
    EXPECT_EQ(configured.errors,
        "PermissionWizard spec findings:\n"
        "  [findersync] three-bullets: needs exactly 3 concrete bullets, has 1. One benefit line is not enough; three specifics is what converts.\n"
        "  [findersync] deep-link: settingsURL is not an x-apple.systempreferences: pane link ('https://example.com/help'). 'Open Settings and find it' is the failure this replaces.\n");
    EXPECT_EQ(KDPermissionWizard::product().slug, "culmora");

    const auto linted = lint();
    EXPECT_EQ(linted.status, 1);
    EXPECT_EQ(linted.output,
        "[findersync] three-bullets: needs exactly 3 concrete bullets, has 1. One benefit line is not enough; three specifics is what converts.\n"
        "[findersync] deep-link: settingsURL is not an x-apple.systempreferences: pane link ('https://example.com/help'). 'Open Settings and find it' is the failure this replaces.\n");
    EXPECT_EQ(linted.errors, "");
}

TEST_F(KDPermissionWizardTest, LintCommandLineStatuses)
{
    EXPECT_EQ(configureCaptured({ cleanPermission() }).errors, "");
    const auto clean = lint();
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.output, "permission-lint: 1 permission(s) meet the bar\n");

    // The self-test ignores whatever is configured.
    const auto selftest = lint({ "CulmoraPhotos", "--selftest", "--permission-lint" });
    EXPECT_EQ(selftest.status, 0);
    EXPECT_EQ(selftest.output, "permission-lint selftest OK (1 control clean, decoy caught by 5 rules)\n");

    configureCaptured({});
    const auto unmeasured = lint();
    EXPECT_EQ(unmeasured.status, 2);
    EXPECT_EQ(unmeasured.output, "");
    EXPECT_EQ(unmeasured.errors,
        "permission-lint: NOT MEASURED (configure() has not run, or this app declares no permissions)\n");
}

TEST_F(KDPermissionWizardTest, ConfigureWritesTheStateFileOnlyWhenAsked)
{
    ProbedPermission permission("findersync");
    configureCaptured({ permission.permission });
    EXPECT_EQ(stateWrites(), 0);
    EXPECT_FALSE(testing::fileMode(statePath()));

    UserDefaults(home.file("defaults.json")).set("KDPermissionWizard.skipped.culmora", Json::array({ "findersync" }));
    testing::CapturedStream quiet(STDERR_FILENO);
    configure({ permission.permission }, true);
    EXPECT_EQ(stateWrites(), 1);
    EXPECT_EQ(*permission.probes, 1);
    EXPECT_EQ(readState()["permissions"][0]["skipped"], true);
}

TEST_F(KDPermissionWizardTest, PresentIfNeededShowsTheWizardOnlyForWhatIsNeitherGrantedNorSkipped)
{
    struct PresentCase {
        const char* name;
        bool firstGranted, secondGranted; // the second permission is optional
        std::vector<std::string> skipped;
        bool window;
    };
    const std::vector<PresentCase> cases {
        { "all granted", true, true, {}, false },
        { "optional outstanding", true, false, {}, true },
        { "optional outstanding but skipped", true, false, { "second" }, false },
        { "required outstanding", false, true, {}, true },
        { "both skipped", false, false, { "first", "second" }, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ProbedPermission first("first", false, c.firstGranted);
        ProbedPermission second("second", true, c.secondGranted);
        configure({ first.permission, second.permission });
        UserDefaults(home.file("defaults.json")).set("KDPermissionWizard.skipped.culmora", Json(c.skipped));
        const int writesBefore = stateWrites();

        KDPermissionWizard::presentIfNeeded();

        EXPECT_EQ(presenter->windows.size(), c.window ? 1u : 0u);
        // Without a window the file is rewritten at once; with one, the view's first refresh does it.
        EXPECT_EQ(stateWrites(), writesBefore + 1);
        EXPECT_EQ(readState()["permissions"][1]["skipped"], std::count(c.skipped.begin(), c.skipped.end(), "second") == 1);
        presenter->windows.clear();
        TearDown();
    }
}

TEST_F(KDPermissionWizardTest, NothingIsShownWithoutABrandOrAPresenter)
{
    KDPermissionWizard::present();
    KDPermissionWizard::presentIfNeeded();
    EXPECT_TRUE(presenter->windows.empty());

    KDPermissionWizard::setHost({ .userDefaults = std::nullopt, .identity = std::nullopt, .presenter = nullptr,
        .subscribeBecameActive = {}, .fileSystem = &files });
    configure({ ProbedPermission("first").permission });
    KDPermissionWizard::presentIfNeeded();
    EXPECT_TRUE(presenter->windows.empty());
}

TEST_F(KDPermissionWizardTest, TheOneWindowIsBroughtBackUntilTheWizardClosesIt)
{
    ProbedPermission permission("findersync");
    configure({ permission.permission });
    KDPermissionWizard::setContentHeight(640);

    KDPermissionWizard::present();
    ASSERT_EQ(presenter->windows.size(), 1u);
    const auto window = presenter->windows.front();
    EXPECT_EQ(window->spec.title, "Culmora Permissions");
    EXPECT_EQ(window->spec.contentWidth, 660);
    EXPECT_EQ(window->spec.contentHeight, 640);
    const auto view = window->view.lock();
    ASSERT_TRUE(view);
    EXPECT_EQ(view->step(), -1);
    EXPECT_EQ(view->granted(), (GrantMap { { "findersync", false } })); // it appeared: first refresh done
    EXPECT_EQ(stateWrites(), 1);

    KDPermissionWizard::present();
    EXPECT_EQ(presenter->windows.size(), 1u);
    EXPECT_EQ(window->broughtForward, 1);

    presenter->closeFromTitleBar();
    KDPermissionWizard::present();
    EXPECT_EQ(presenter->windows.size(), 1u);
    EXPECT_TRUE(window->visible);
    EXPECT_FALSE(window->destroyed);

    // The wizard's own "Not now" closes through the controller: file written, window and view gone.
    view->notNow();
    EXPECT_TRUE(window->destroyed);
    EXPECT_EQ(stateWrites(), 2);
    EXPECT_EQ(view.use_count(), 1); // only the test holds it now

    KDPermissionWizard::present();
    EXPECT_EQ(presenter->windows.size(), 2u);
}

TEST_F(KDPermissionWizardTest, SkipChangesStoreTheWholeSetAndRewriteTheFile)
{
    configure({ ProbedPermission("a").permission, ProbedPermission("b").permission });
    const auto stored = [&] {
        return UserDefaults(home.file("defaults.json")).value("KDPermissionWizard.skipped.culmora").value_or(Json());
    };
    const auto skippedInFile = [&] {
        std::vector<bool> skipped;
        const auto state = readState();
        for (const auto& row : state["permissions"])
            skipped.push_back(row["skipped"].get<bool>());
        return skipped;
    };

    KDPermissionWizard::markSkipped("a");
    EXPECT_EQ(stored(), Json::array({ "a" }));
    EXPECT_EQ(skippedInFile(), (std::vector<bool> { true, false }));
    KDPermissionWizard::markSkipped("a");
    KDPermissionWizard::clearSkipped("b");
    EXPECT_EQ(stored(), Json::array({ "a" }));
    EXPECT_EQ(stateWrites(), 3); // also when nothing changed
    KDPermissionWizard::markSkipped("b");
    EXPECT_EQ(KDPermissionWizard::skippedIDs(), (std::set<std::string> { "a", "b" }));
    KDPermissionWizard::clearSkipped("a");
    EXPECT_EQ(stored(), Json::array({ "b" }));
    EXPECT_EQ(skippedInFile(), (std::vector<bool> { false, true }));

    KDPermissionWizard::recordStateChanged();
    EXPECT_EQ(stateWrites(), 6);
}

TEST_F(KDPermissionWizardTest, AStoredSkipValueThatIsNoListOfStringsIsTheEmptySet)
{
    configure({});
    const std::vector<Json> notLists { Json("a"), Json(3), Json::object({ { "a", true } }), Json::array({ "a", 2 }),
        Json(nullptr) };
    for (const auto& value : notLists) {
        UserDefaults(home.file("defaults.json")).set("KDPermissionWizard.skipped.culmora", value);
        EXPECT_TRUE(KDPermissionWizard::skippedIDs().empty()) << value.dump();
    }
    // Another product's set is not this one's.
    UserDefaults(home.file("defaults.json")).set("KDPermissionWizard.skipped.other", Json::array({ "a" }));
    EXPECT_TRUE(KDPermissionWizard::skippedIDs().empty());
}

TEST_F(KDPermissionWizardTest, AllGrantedCountsOptionalPermissionsAsSatisfied)
{
    struct GrantCase {
        std::vector<std::pair<bool, bool>> permissions; // optional, granted
        bool allGranted;
    };
    const std::vector<GrantCase> cases {
        { {}, true },
        { { { false, true } }, true },
        { { { false, false } }, false },
        { { { true, false } }, true },
        { { { true, false }, { false, false } }, false },
    };
    for (const auto& c : cases) {
        std::vector<KDPermission> permissions;
        for (const auto& [optional, granted] : c.permissions)
            permissions.push_back(ProbedPermission("p" + std::to_string(permissions.size()), optional, granted).permission);
        configure(permissions);
        EXPECT_EQ(KDPermissionWizard::allGranted(), c.allGranted);
    }
}

TEST_F(KDPermissionWizardTest, TheWizardsOwnCloseActionsEndTheViewTheyRunIn)
{
    configure({ ProbedPermission("findersync").permission });
    const auto viewOfNewestWindow = [&] { return presenter->windows.back()->view.lock().get(); };

    // Only the controller holds the view: closing destroys it while its action still runs.
    KDPermissionWizard::present();
    viewOfNewestWindow()->notNow();
    EXPECT_TRUE(presenter->windows.back()->destroyed);
    EXPECT_TRUE(presenter->windows.back()->view.expired());

    KDPermissionWizard::present();
    auto* view = viewOfNewestWindow();
    view->setInitialStep(1);
    view->appear();
    view->doneScreen().close();
    EXPECT_TRUE(presenter->windows.back()->view.expired());
    EXPECT_EQ(presenter->windows.size(), 2u);
}

}
}
