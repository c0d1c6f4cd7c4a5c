#include "permission-wizard/DoneScreen.h"
#include "permission-wizard/PermissionFixtures.h"
#include "permission-wizard/PermissionScreen.h"
#include "permission-wizard/SummaryScreen.h"

#include "platform/ui/fake/FakeToolkit.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::wizard {
namespace {

const KDWizardProduct kProduct { "Inkwarden", "inkwarden" };

KDPermission permissionTitled(std::string id, std::string title, bool isOptional = false)
{
    auto permission = cleanPermission();
    permission.id = std::move(id);
    permission.title = std::move(title);
    permission.isOptional = isOptional;
    return permission;
}

TEST(SummaryScreen, SubtitleCountsInWordsBelowTen)
{
    const std::vector<std::pair<std::size_t, std::string>> cases {
        { 0, "Inkwarden needs zero permissions from the system. Here is what each one is for." },
        { 1, "Inkwarden needs one permission from the system. Here is what it is for." },
        { 2, "Inkwarden needs two permissions from the system. Here is what each one is for." },
        { 9, "Inkwarden needs nine permissions from the system. Here is what each one is for." },
        { 10, "Inkwarden needs 10 permissions from the system. Here is what each one is for." },
        { 12, "Inkwarden needs 12 permissions from the system. Here is what each one is for." },
    };
    for (const auto& [count, subtitle] : cases)
        EXPECT_EQ(summarySubtitle("Inkwarden", count), subtitle);
}

TEST(SummaryScreen, RowsShowGrantsAndOptionalTags)
{
    const SummaryScreen screen {
        .product = kProduct,
        .permissions = { permissionTitled("a", "Files Extension"), permissionTitled("b", "Screen", true),
            permissionTitled("c", "Camera") },
        .granted = { { "a", true }, { "b", false } }, // "c" was never probed
        .start = {},
    };
    EXPECT_EQ(screen.title(), "Set up Inkwarden");
    EXPECT_EQ(screen.subtitle(), summarySubtitle("Inkwarden", 3));
    EXPECT_EQ(screen.note(), "You can change any of these later in Settings, or from Inkwarden Settings.");
    const auto rows = screen.rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].title, "Files Extension");
    EXPECT_EQ(rows[0].benefit, "Review a document from its folder.");
    EXPECT_EQ((std::vector<bool> { rows[0].granted, rows[1].granted, rows[2].granted }), (std::vector<bool> { true, false, false }));
    EXPECT_EQ((std::vector<bool> { rows[0].isOptional, rows[1].isOptional, rows[2].isOptional }),
        (std::vector<bool> { false, true, false }));
}

TEST(DoneScreen, MessageNamesWhatIsStillOff)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases {
        { {}, "Inkwarden has everything it needs." },
        { { "Files Extension" },
            "Inkwarden works now. Files Extension is still off, and the features that need it stay hidden until it is on." },
        { { "A", "B" }, "Inkwarden works now. A and B are still off, and the features that need them stay hidden until they are on." },
        { { "A", "B", "C" },
            "Inkwarden works now. A and B and C are still off, and the features that need them stay hidden until they are on." },
    };
    for (const auto& [titles, message] : cases)
        EXPECT_EQ(doneMessage("Inkwarden", titles), message);
}

TEST(DoneScreen, OutstandingIsEveryPermissionNotGrantedInOrder)
{
    DoneScreen screen {
        .product = kProduct,
        .granted = { { "a", false }, { "b", true } },
        .permissions = { permissionTitled("a", "A", true), permissionTitled("b", "B"), permissionTitled("c", "C") },
        .close = {},
    };
    std::vector<std::string> outstanding;
    for (const auto& permission : screen.outstanding())
        outstanding.push_back(permission.id);
    EXPECT_EQ(outstanding, (std::vector<std::string> { "a", "c" }));
    EXPECT_EQ(screen.title(), "Ready when you are.");
    EXPECT_EQ(screen.message(), doneMessage("Inkwarden", { "A", "C" }));
    EXPECT_EQ(screen.footnote(), "Change these any time in Inkwarden Settings, or in Settings › Privacy & Security.");

    screen.granted = { { "a", true }, { "b", true }, { "c", true } };
    EXPECT_EQ(screen.title(), "All set.");
    EXPECT_EQ(screen.message(), "Inkwarden has everything it needs.");
}

PermissionScreen screenFor(KDPermission permission, bool isGranted = false, bool forcedDidAsk = false, bool didAsk = false)
{
    return {
        .product = kProduct,
        .permission = std::move(permission),
        .index = 0,
        .total = 3,
        .isGranted = isGranted,
        .forcedDidAsk = forcedDidAsk,
        .didAsk = didAsk,
        .bundlePath = "/opt/CulmoraPhotos.app",
        .onSkip = {},
        .onContinue = {},
        .markAsked = {},
    };
}

TEST(PermissionScreen, VisibilityFollowsGrantAndAsked)
{
    auto withCost = permissionTitled("p", "Files Extension", true);
    withCost.costOfSkipping = "Open files from the program instead.";
    struct VisibilityCase {
        const char* name;
        PermissionScreen screen;
        PermissionScreenVisibility visibility;
    };
    const std::vector<VisibilityCase> cases {
        { "not granted, not asked", screenFor(withCost),
            { .grantedBadge = false, .settingsLink = true, .continuePlaceholder = false, .guidance = true,
                .costOfSkipping = true, .waitingNote = false, .skipButton = true } },
        { "not granted, asked", screenFor(withCost, false, false, true),
            { .grantedBadge = false, .settingsLink = true, .continuePlaceholder = true, .guidance = true,
                .costOfSkipping = true, .waitingNote = true, .skipButton = true } },
        { "not granted, drawn as asked", screenFor(cleanPermission(), false, true),
            { .grantedBadge = false, .settingsLink = true, .continuePlaceholder = true, .guidance = true,
                .costOfSkipping = false, .waitingNote = true, .skipButton = true } },
        { "granted, even when asked", screenFor(withCost, true, true, true),
            { .grantedBadge = true, .settingsLink = false, .continuePlaceholder = false, .guidance = false,
                .costOfSkipping = false, .waitingNote = false, .skipButton = true } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.screen.visibility(), c.visibility) << c.name;
}

TEST(PermissionScreen, Texts)
{
    auto screen = screenFor(permissionTitled("p", "Files Extension", true));
    screen.index = 2;
    EXPECT_EQ(screen.stepCounter(), "Step 3 of 3");
    EXPECT_EQ(screen.grantLabel(), "Enable Files Extension");
    EXPECT_EQ(screen.skipLabel(), "Skip");
    EXPECT_EQ(screen.waitingNote(),
        "Still waiting for the system. If you have already switched it on and this has not moved after a few seconds, "
        "quit Inkwarden and open it again: the system sometimes reports the permission to a newly launched copy only.");
    EXPECT_EQ(screen.placeholderAccessibilityLabel(),
        "Continue. Not available yet: waiting for the system to report Files Extension as on.");

    screen.isGranted = true;
    screen.permission.isOptional = false;
    EXPECT_EQ(screen.grantLabel(), "Continue");
    EXPECT_EQ(screen.skipLabel(), "Skip for now");

    const std::string both = "Turn on BOTH of these entries. The system treats them as separate apps, and Inkwarden "
                             "only works when both are on:";
    const std::vector<std::pair<std::vector<std::string>, std::optional<std::string>>> headings {
        { {}, std::nullopt },
        { { "CulmoraPhotos" }, "Turn on this entry:" },
        { { "CulmoraPhotos", "Helper" }, both },
        { { "A", "B", "C" }, both },
    };
    for (const auto& [rows, heading] : headings) {
        screen.permission.rowsToTick = rows;
        EXPECT_EQ(screen.rowsHeading(), heading);
    }
}

TEST(PermissionScreen, GuidanceShowsTheDialogImageElseTheDragGuide)
{
    testing::TempHome home;
    testing::writeTestFile(home.file("Resources/PermissionDialog-finder-dark.png"), "png");
    auto permission = cleanPermission();
    permission.dialogImageName = "PermissionDialog-finder";
    permission.requiresManualDrag = true;
    const auto screen = screenFor(permission);

    EXPECT_EQ(screen.guidancePicture(true).dialogImage, WizardImage::file(home.file("Resources/PermissionDialog-finder-dark.png")));
    EXPECT_FALSE(screen.guidancePicture(true).dragGuide);
    EXPECT_EQ(screen.guidancePicture(false).dialogImage, std::nullopt); // no light picture: the guide instead
    EXPECT_TRUE(screen.guidancePicture(false).dragGuide);

    auto plain = screenFor(cleanPermission());
    EXPECT_EQ(plain.guidancePicture(false).dialogImage, std::nullopt);
    EXPECT_FALSE(plain.guidancePicture(false).dragGuide);
}

TEST(PermissionScreen, PrimaryActionAsksOpensTheSettingsAndRevealsTheBundleForADrag)
{
    ui::fake::FakeWorkspace workspace;
    std::vector<std::string> calls;
    auto permission = cleanPermission();
    permission.request = [&] { calls.push_back("request, urls opened: " + std::to_string(workspace.openedUrls.size())); };
    auto screen = screenFor(permission);
    screen.onContinue = [&] { calls.push_back("continue"); };
    screen.markAsked = [&] { calls.push_back("asked"); };

    screen.isGranted = true;
    screen.primaryAction(workspace);
    EXPECT_EQ(calls, (std::vector<std::string> { "continue" }));
    EXPECT_TRUE(workspace.openedUrls.empty());

    calls.clear();
    screen.isGranted = false;
    workspace.opens = false; // a link nobody handles changes nothing
    screen.primaryAction(workspace);
    EXPECT_EQ(calls, (std::vector<std::string> { "asked", "request, urls opened: 0" }));
    EXPECT_EQ(workspace.openedUrls, std::vector<std::string> { permission.settingsURL });
    EXPECT_TRUE(workspace.revealed.empty());

    screen.permission.requiresManualDrag = true;
    screen.permission.request = {};
    screen.primaryAction(workspace);
    EXPECT_EQ(workspace.openedUrls.size(), 2u);
    EXPECT_EQ(workspace.revealed, std::vector<std::string> { "/opt/CulmoraPhotos.app" });

    // "Open in Settings…" only opens the pane.
    calls.clear();
    screen.openSettings(workspace);
    EXPECT_EQ(workspace.openedUrls.size(), 3u);
    EXPECT_EQ(workspace.revealed.size(), 1u);
    EXPECT_TRUE(calls.empty());
}

}
}
