#include "permission-wizard/setup/IkwPermissions.h"

#include "app/Globals.h"
#include "permission-wizard/KDPermissionProbes.h"
#include "permission-wizard/KDPermissionSpecLint.h"
#include "permission-wizard/KDPermissionWizard.h"
#include "platform/core/Json.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "tests/support/TempHome.h"

#include <gmock/gmock.h>

namespace ikw::setup {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using wizard::Color;
using wizard::KDPermissionSpec;
using wizard::KDPermissionSpecLint;
using wizard::KDPermissionWizard;

class ApplicationPermissions : public ::testing::Test {
protected:
    ApplicationPermissions()
    {
        KDPermissionWizard::reset();
        KDPermissionWizard::setHost({
            .userDefaults = UserDefaults(home.file("defaults.json")),
            .identity = std::nullopt,
            .presenter = nullptr,
            .subscribeBecameActive = {},
        });
    }
    ~ApplicationPermissions() override { KDPermissionWizard::reset(); }

    std::string statePath() const { return home.file(".inkwarden/permissions.json"); }

    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    ManualMainQueue queue;
};

std::vector<std::string> rulesOf(const std::vector<wizard::KDPermissionLintFinding>& findings)
{
    std::vector<std::string> rules;
    for (const auto& finding : findings)
        rules.push_back(finding.rule);
    return rules;
}

TEST_F(ApplicationPermissions, TheFilesExtensionPassesTheCopyLintWhenBothPicturesShip)
{
    const auto permissions = IkwPermissions::permissions();
    ASSERT_EQ(permissions.size(), 1u);
    const auto& extension = permissions.front();
    const std::string name = globals.get().brand.name;
    EXPECT_EQ(extension.id, "findersync");
    EXPECT_EQ(extension.title, "Files Extension");
    EXPECT_THAT(extension.bullets, ElementsAre("Right-click any PDF and choose Share with " + name,
                                       "Right-click any file or folder and open it straight in " + name,
                                       "Works in every Files window, on external and network disks too"));
    EXPECT_THAT(*extension.costOfSkipping, HasSubstr("Open in " + name + " and Share with " + name));
    EXPECT_THAT(extension.rowsToTick, ElementsAre(name));
    EXPECT_EQ(extension.settingsURL, wizard::KDPermissionProbes::Pane::loginItems);
    EXPECT_TRUE(extension.isOptional);
    EXPECT_FALSE(extension.requiresManualDrag);
    ASSERT_TRUE(extension.hero);
    EXPECT_TRUE(extension.hero(true).draw);

    const std::vector<KDPermissionSpec> specs { KDPermissionSpec::from(extension) };
    std::vector<std::pair<std::string, bool>> asked;
    EXPECT_TRUE(KDPermissionSpecLint::check(specs, [&](const std::string& image, bool dark) {
        asked.emplace_back(image, dark);
        return true;
    }).empty());
    EXPECT_THAT(asked, ElementsAre(std::pair<std::string, bool>("PermissionDialog-finder", true), std::pair<std::string, bool>("PermissionDialog-finder", false)));
    EXPECT_THAT(rulesOf(KDPermissionSpecLint::check(specs, [](const std::string&, bool dark) { return dark; })), ElementsAre("dialog-image"));
}

TEST_F(ApplicationPermissions, TheBrandReadsItsColoursAsRgbIgnoringTheTopByte)
{
    EXPECT_EQ(Color::fromHex(0xCEB06B), (Color { 0xCE / 255.0, 0xB0 / 255.0, 0x6B / 255.0, 1 }));
    EXPECT_EQ(Color::fromHex(0x7FCEB06B), Color::fromHex(0xCEB06B));
    const auto brand = IkwPermissions::brand();
    EXPECT_EQ(brand.accent(true), Color::fromHex(0xCEB06B));
    EXPECT_EQ(brand.accent(false), Color::fromHex(0xC8A872));
    EXPECT_EQ(brand.accentText(false), Color::fromHex(0x8A6414));
    ASSERT_TRUE(brand.ground);
    EXPECT_EQ((*brand.ground)(true), Color::fromHex(0x191A1C));
    EXPECT_EQ(brand.mark(true), wizard::WizardImage::applicationIcon(26));
}

TEST_F(ApplicationPermissions, ConfigureSizesTheWizardAndWritesTheStateFileOnlyWhenAsked)
{
    IkwPermissions::configure(false);
    EXPECT_EQ(KDPermissionWizard::contentHeight(), 820);
    EXPECT_EQ(KDPermissionWizard::product().slug, "inkwarden");
    EXPECT_EQ(KDPermissionWizard::product().name, globals.get().brand.name);
    EXPECT_FALSE(realFileSystem().exists(statePath()));

    IkwPermissions::refreshRecordedState();
    EXPECT_TRUE(realFileSystem().exists(statePath()));
    testing::removeTree(home.file(".inkwarden"));

    IkwPermissions::configure(true);
    const auto state = parseJson(testing::readTestFile(statePath()));
    ASSERT_TRUE(state);
    EXPECT_EQ((*state)["product"], globals.get().brand.name);
    ASSERT_EQ((*state)["permissions"].size(), 1u);
    EXPECT_EQ((*state)["permissions"][0]["title"], "Files Extension");
    EXPECT_EQ((*state)["permissions"][0]["optional"], true);
}

}
}
