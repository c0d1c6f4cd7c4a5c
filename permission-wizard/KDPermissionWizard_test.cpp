#include "permission-wizard/KDPermissionWizard.h"
#include "permission-wizard/PermissionFixtures.h"

#include "tests/support/CapturedStream.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace ikw::wizard {
namespace {

KDWizardBrand plainBrand()
{
    const auto black = [](bool) { return Color {}; };
    return KDWizardBrand(black, black, black, std::nullopt, black, std::nullopt, KDWizardBrand::appIconMark());
}

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

Run configure(std::vector<KDPermission> permissions)
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

TEST(KDPermissionWizard, ConfigureReportsFindingsAndStillStoresTheSpec)
{
    testing::TempHome home;
    auto vague = cleanPermission();
    vague.bullets = { "Faster" };
    vague.settingsURL = "https://example.com/help";

    const auto configured = configure({ vague });
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

TEST(KDPermissionWizard, LintCommandLineStatuses)
{
    testing::TempHome home;

    EXPECT_EQ(configure({ cleanPermission() }).errors, "");
    const auto clean = lint();
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.output, "permission-lint: 1 permission(s) meet the bar\n");

    // The self-test ignores whatever is configured.
    const auto selftest = lint({ "CulmoraPhotos", "--selftest", "--permission-lint" });
    EXPECT_EQ(selftest.status, 0);
    EXPECT_EQ(selftest.output, "permission-lint selftest OK (1 control clean, decoy caught by 5 rules)\n");

    configure({});
    const auto unmeasured = lint();
    EXPECT_EQ(unmeasured.status, 2);
    EXPECT_EQ(unmeasured.output, "");
    EXPECT_EQ(unmeasured.errors,
        "permission-lint: NOT MEASURED (configure() has not run, or this app declares no permissions)\n");
}

}
}
