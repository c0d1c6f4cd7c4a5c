#include "permission-wizard/KDPermission.h"
#include "permission-wizard/KDPermissionSpecLint.h"
#include "permission-wizard/PermissionFixtures.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::wizard {
namespace {

constexpr const char* kName = "PermissionDialog-finder";

// Places the named pictures in the temporary bundle's resources.
void shipImages(const testing::TempHome& home, const std::vector<std::string>& names)
{
    for (const auto& name : names)
        testing::writeTestFile(home.file("Resources/" + name + ".png"), "png");
}

TEST(KDPermission, DialogImagePrefersTheAppearanceThenThePlainImage)
{
    struct ImageCase {
        std::vector<std::string> shipped;
        bool dark;
        const char* expected; // file name under Resources, or nullptr for none
    };
    const std::string dark = std::string(kName) + "-dark";
    const std::string light = std::string(kName) + "-light";
    const std::vector<ImageCase> cases {
        { { dark, light, kName }, true, "PermissionDialog-finder-dark.png" },
        { { dark, light, kName }, false, "PermissionDialog-finder-light.png" },
        { { dark, kName }, false, "PermissionDialog-finder.png" },
        { { light }, true, nullptr },
        { { kName }, true, "PermissionDialog-finder.png" },
        { {}, false, nullptr },
    };
    for (const auto& imageCase : cases) {
        testing::TempHome home;
        shipImages(home, imageCase.shipped);
        const auto image = KDPermission::resolveDialogImage(kName, imageCase.dark);
        if (imageCase.expected) {
            ASSERT_TRUE(image.has_value()) << imageCase.expected;
            EXPECT_EQ(image->path, home.file(std::string("Resources/") + imageCase.expected));
        } else {
            EXPECT_FALSE(image.has_value());
        }
    }
}

TEST(KDPermission, DialogImageNamesCannotLeaveTheResources)
{
    testing::TempHome home;
    testing::writeTestFile(home.file("outside.png"), "png");
    EXPECT_FALSE(KDPermission::resolveDialogImage("../outside", false).has_value());
}

TEST(KDPermission, LintLooksDialogImagesUpInTheBundle)
{
    const auto permissionShowing = [](std::string imageName) {
        auto permission = cleanPermission();
        permission.dialogImageName = std::move(imageName);
        return permission;
    };
    const std::string dark = std::string(kName) + "-dark";
    for (const auto& shipped : std::vector<std::vector<std::string>> { { kName }, { dark, kName } }) {
        testing::TempHome home;
        shipImages(home, shipped);
        EXPECT_TRUE(KDPermissionSpecLint::check({ permissionShowing(kName) }).empty());
    }
    testing::TempHome home;
    shipImages(home, { dark });
    const auto findings = KDPermissionSpecLint::check({ permissionShowing(kName) });
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].rule, "dialog-image");
}

}
}
