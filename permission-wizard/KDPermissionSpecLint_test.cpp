#include "permission-wizard/KDPermissionSpecLint.h"
#include "permission-wizard/PermissionFixtures.h"

#include "tests/support/CapturedStream.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

namespace ikw::wizard {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

KDPermissionSpec cleanSpec(std::string id = "p")
{
    auto spec = KDPermissionSpec::from(cleanPermission());
    spec.id = std::move(id);
    return spec;
}

template<typename Change>
KDPermissionSpec cleanSpecWith(Change change)
{
    auto spec = cleanSpec();
    change(spec);
    return spec;
}

bool resolveEverything(const std::string&, bool) { return true; }

std::vector<std::string> descriptions(const std::vector<KDPermissionLintFinding>& findings)
{
    std::vector<std::string> texts;
    for (const auto& finding : findings)
        texts.push_back(finding.description());
    return texts;
}

struct LintCase {
    const char* name;
    std::vector<KDPermissionSpec> specs;
    std::vector<std::string> expectedStarts; // each finding's printed form starts with its entry
};

TEST(KDPermissionSpecLint, FindingsFollowSpecsThenRules)
{
    const std::vector<LintCase> cases {
        { "clean", { cleanSpec() }, {} },
        { "empty list", {}, {} },
        { "boundary starting Never", { cleanSpecWith([](auto& s) { s.boundary = "Never leaves this computer."; }) }, {} },
        { "boundary starting No data", { cleanSpecWith([](auto& s) { s.boundary = "No data leaves this computer."; }) }, {} },
        { "marketing with a limit word",
            { cleanSpecWith([](auto& s) { s.boundary = " \tBank-level protection, never shared.\n"; }) },
            { "[p] privacy-boundary: boundary is marketing, not a checkable commitment: 'Bank-level protection, never shared.'" } },
        { "feature description",
            { cleanSpecWith([](auto& s) { s.boundary = "Notes the files you open."; }) },
            { "[p] privacy-boundary: boundary does not state a limit. A boundary names what is NOT done ('only\u2026, never\u2026'), it does not describe the feature." } },
        { "blank boundary runs no other boundary check",
            { cleanSpecWith([](auto& s) { s.boundary = " \u00a0\n"; }) },
            { "[p] privacy-boundary: no boundary sentence. This is the highest-value element in the flow: say what the app will NOT do." } },
        { "two bullets, one blank: count then blank",
            { cleanSpecWith([](auto& s) { s.bullets = { "Open a picked file", " \u3000" }; }) },
            { "[p] three-bullets: needs exactly 3 concrete bullets, has 2. One benefit line is not enough; three specifics is what converts.",
                "[p] three-bullets: a bullet is blank" } },
        { "several blank bullets report once",
            { cleanSpecWith([](auto& s) { s.bullets = { "", "Open", " ", "" }; }) },
            { "[p] three-bullets: needs exactly 3 concrete bullets, has 4.", "[p] three-bullets: a bullet is blank" } },
        { "blank benefit", { cleanSpecWith([](auto& s) { s.benefit = "\n"; }) },
            { "[p] benefit: no one-line benefit tied to the outcome" } },
        { "required without cost", { cleanSpecWith([](auto& s) { s.costOfSkipping = std::nullopt; }) }, {} },
        { "optional with a blank cost", { cleanSpecWith([](auto& s) { s.isOptional = true; s.costOfSkipping = "  "; }) },
            { "[p] cost-of-skipping: optional permission does not say what declining costs." } },
        { "optional with a cost",
            { cleanSpecWith([](auto& s) { s.isOptional = true; s.costOfSkipping = "Files open from the app only."; }) }, {} },
        { "upper-case scheme",
            { cleanSpecWith([](auto& s) { s.settingsURL = "X-Apple.systempreferences:com.apple.preference.security"; }) },
            { "[p] deep-link: settingsURL is not an x-apple.systempreferences: pane link ('X-Apple.systempreferences:com.apple.preference.security'). 'Open Settings and find it' is the failure this replaces." } },
        { "no scheme", { cleanSpecWith([](auto& s) { s.settingsURL = "com.apple.preference.security"; }) },
            { "[p] deep-link: " } },
        { "drag-in without rows", { cleanSpecWith([](auto& s) { s.requiresManualDrag = true; }) },
            { "[p] rows-to-tick: a drag-in permission must name the exact row(s) to add, or the animation teaches a gesture with no target." } },
        { "drag-in with rows", { cleanSpecWith([](auto& s) { s.requiresManualDrag = true; s.rowsToTick = { "Files" }; }) }, {} },
        { "image name of spaces", { cleanSpecWith([](auto& s) { s.dialogImageName = "   "; }) },
            { "[p] dialog-image: dialogImageName is set but empty." } },
        { "repeated id", { cleanSpec("a"), cleanSpec("b"), cleanSpec("a") },
            { "[a] duplicate-id: two permissions share the id 'a'" } },
        { "specs in order, rules in order",
            { cleanSpecWith([](auto& s) { s.id = "x"; s.benefit = ""; s.bullets = {}; s.settingsURL = "https://example.com/"; }),
                cleanSpecWith([](auto& s) { s.id = "x"; s.requiresManualDrag = true; }) },
            { "[x] three-bullets: needs exactly 3 concrete bullets, has 0.", "[x] benefit: ", "[x] deep-link: ",
                "[x] duplicate-id: ", "[x] rows-to-tick: " } },
    };
    for (const auto& lintCase : cases) {
        SCOPED_TRACE(lintCase.name);
        const auto found = descriptions(KDPermissionSpecLint::check(lintCase.specs, resolveEverything));
        ASSERT_EQ(found.size(), lintCase.expectedStarts.size()) << ::testing::PrintToString(found);
        for (std::size_t i = 0; i < found.size(); ++i)
            EXPECT_THAT(found[i], StartsWith(lintCase.expectedStarts[i]));
    }
}

TEST(KDPermissionSpecLint, DialogImageIsLookedUpUntrimmedAndLightOnlyAfterDark)
{
    struct ImageCase {
        bool darkResolves;
        bool lightResolves;
        std::vector<std::string> expectedAsks;
        bool expectFinding;
    };
    const std::vector<ImageCase> cases {
        { true, true, { " shot |dark", " shot |light" }, false },
        { true, false, { " shot |dark", " shot |light" }, true },
        { false, true, { " shot |dark" }, true },
    };
    for (const auto& imageCase : cases) {
        std::vector<std::string> asks;
        const auto resolver = [&](const std::string& name, bool dark) {
            asks.push_back(name + "|" + (dark ? "dark" : "light"));
            return dark ? imageCase.darkResolves : imageCase.lightResolves;
        };
        const auto findings = descriptions(
            KDPermissionSpecLint::check({ cleanSpecWith([](auto& s) { s.dialogImageName = " shot "; }) }, resolver));
        EXPECT_EQ(asks, imageCase.expectedAsks);
        if (imageCase.expectFinding) {
            EXPECT_THAT(findings, ElementsAre(
                "[p] dialog-image: dialogImageName ' shot ' does not resolve for both themes in this bundle, so the "
                "wizard will silently show no dialog picture in at least one appearance. Ship ' shot -dark' and "
                "' shot -light', or a single ' shot ' that suits both."));
        } else {
            EXPECT_THAT(findings, IsEmpty());
        }
    }
}

TEST(KDPermissionSpecLint, SelftestCatchesTheDecoyOnSixCounts)
{
    const auto decoy = KDPermissionSpecLint::selftestDecoy();
    const auto neverResolves = [](const std::string&, bool) { return false; };
    EXPECT_THAT(descriptions(KDPermissionSpecLint::check({ decoy }, neverResolves)), ElementsAre(
        "[decoy.screen] three-bullets: needs exactly 3 concrete bullets, has 1. One benefit line is not enough; three specifics is what converts.",
        "[decoy.screen] privacy-boundary: boundary does not state a limit. A boundary names what is NOT done ('only\u2026, never\u2026'), it does not describe the feature.",
        "[decoy.screen] privacy-boundary: boundary is marketing, not a checkable commitment: 'We take your privacy seriously.'",
        "[decoy.screen] cost-of-skipping: optional permission does not say what declining costs. A flow that lets someone say no, and says what no costs, earns trust.",
        "[decoy.screen] deep-link: settingsURL is not an x-apple.systempreferences: pane link ('https://support.example.com/screen'). 'Open Settings and find it' is the failure this replaces.",
        "[decoy.screen] dialog-image: dialogImageName 'kd-permission-wizard-decoy-not-a-real-resource' does not resolve for both themes in this bundle, so the wizard will silently show no dialog picture in at least one appearance. Ship 'kd-permission-wizard-decoy-not-a-real-resource-dark' and 'kd-permission-wizard-decoy-not-a-real-resource-light', or a single 'kd-permission-wizard-decoy-not-a-real-resource' that suits both."));

    testing::CapturedStream output(STDOUT_FILENO);
    testing::CapturedStream errors(STDERR_FILENO);
    EXPECT_TRUE(KDPermissionSpecLint::selftest());
    EXPECT_EQ(output.text(), "permission-lint selftest OK (1 control clean, decoy caught by 5 rules)\n");
    EXPECT_EQ(errors.text(), "");
}

}
}
