#include "permission-wizard/KDPermissionState.h"
#include "permission-wizard/WizardTesting.h"

#include "platform/core/Iso8601.h"

namespace ikw::wizard {
namespace {

using KDPermissionStateTest = WizardTest;

TEST_F(KDPermissionStateTest, ReportsEveryPermissionInConfigurationOrderWithSortedKeys)
{
    ProbedPermission zeta("zeta", true, true);
    zeta.permission.rowsToTick = { "CulmoraPhotos", "CulmoraPhotos Helper" };
    ProbedPermission alpha("alpha");
    configure({ zeta.permission, alpha.permission });

    KDPermissionState::write(KDPermissionWizard::permissions(), { "zeta", "not-configured" });

    EXPECT_EQ(*zeta.probes, 1);
    EXPECT_EQ(*alpha.probes, 1);
    const auto text = testing::readTestFile(statePath());
    const auto state = readState();
    ASSERT_TRUE(state.is_object()) << text;
    EXPECT_EQ(text, toPrettyJson(state)); // the whole text is the pretty, key-sorted form
    EXPECT_LT(text.find("\"app_path\""), text.find("\"bundle_id\""));
    EXPECT_LT(text.find("\"capability_probe\""), text.find("\"id\""));

    EXPECT_EQ(state.size(), 5u);
    EXPECT_EQ(state["product"], "Culmora");
    EXPECT_EQ(state["bundle_id"], "unknown");
    EXPECT_EQ(state["app_path"], home.path()); // the folder around the program's resources
    const auto writtenAt = parseIso8601Utc(state["written_at"].get<std::string>());
    ASSERT_TRUE(writtenAt);
    EXPECT_LE(std::abs(std::difftime(*writtenAt, std::time(nullptr))), 60.0);

    const Json expected = Json::parse(R"([
        { "id": "zeta", "title": "Title of zeta", "capability_probe": true, "optional": true, "skipped": true,
          "rows_to_tick": ["CulmoraPhotos", "CulmoraPhotos Helper"] },
        { "id": "alpha", "title": "Title of alpha", "capability_probe": false, "optional": false, "skipped": false,
          "rows_to_tick": [] }
    ])");
    EXPECT_EQ(state["permissions"], expected);
}

TEST_F(KDPermissionStateTest, NamesTheProgramTheHostHandedIn)
{
    KDPermissionWizard::setHost({
        .userDefaults = std::nullopt,
        .identity = KDWizardIdentity { "com.norvale.inkwarden", "/opt/CulmoraPhotos.app" },
        .presenter = nullptr,
        .subscribeBecameActive = {},
        .fileSystem = &files,
    });
    configure({});
    KDPermissionState::write({}, {});
    EXPECT_EQ(readState()["bundle_id"], "com.norvale.inkwarden");
    EXPECT_EQ(readState()["app_path"], "/opt/CulmoraPhotos.app");
    EXPECT_EQ(readState()["permissions"], Json::array());
}

TEST_F(KDPermissionStateTest, BeforeAnyConfigurationTheFileIsTheDefaultProducts)
{
    EXPECT_EQ(KDPermissionState::fileURL(), home.file(".app/permissions.json"));
    KDPermissionState::write({}, {});
    const auto state = readState(home.file(".app/permissions.json"));
    EXPECT_EQ(state["product"], "App");
    EXPECT_EQ(state["bundle_id"], "unknown");
}

TEST_F(KDPermissionStateTest, ARefusedWriteLeavesTheEarlierFileWhole)
{
    ProbedPermission permission("findersync");
    configure({ permission.permission });
    KDPermissionState::write(KDPermissionWizard::permissions(), {});
    const auto before = testing::readTestFile(statePath());
    ASSERT_FALSE(before.empty());

    *permission.granted = true;
    for (const auto operation : { FaultyFileSystem::Operation::Replace, FaultyFileSystem::Operation::CreateDirectories }) {
        files.clearFailures();
        files.fail(operation);
        if (operation == FaultyFileSystem::Operation::CreateDirectories)
            testing::removeTree(home.file(".culmora"));
        EXPECT_NO_THROW(KDPermissionState::write(KDPermissionWizard::permissions(), { "findersync" }));
        EXPECT_EQ(testing::readTestFile(statePath()), operation == FaultyFileSystem::Operation::Replace ? before : "");
    }
}

TEST_F(KDPermissionStateTest, ASlugThatIsNoFolderNameWritesNothing)
{
    for (const std::string slug : { "", ".", "..", "../elsewhere", "a/b" }) {
        KDPermissionWizard::setProduct({ "Culmora", slug });
        EXPECT_EQ(KDPermissionState::fileURL(), std::nullopt) << slug;
        KDPermissionState::write({}, {});
    }
    const auto calls = files.calls();
    EXPECT_TRUE(std::none_of(calls.begin(), calls.end(), [](const std::string& call) { return call.starts_with("replace"); }));
}

}
}
