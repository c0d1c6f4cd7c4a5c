#include "finder/IkwFinderExtension.h"

#include "finder-extension/ExtensionNames.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace ikw::finder {
namespace {

TEST(IkwFinderExtension, IsInstalledWhenItsModuleIsInTheExtensionFolder)
{
    testing::TempHome home;
    const auto folder = home.file("extensions-4");
    EXPECT_FALSE(IkwFinderExtension::isInstalledIn(""));
    EXPECT_FALSE(IkwFinderExtension::isInstalledIn(folder));
    testing::writeTestFile(folder + "/libother.so", "");
    EXPECT_FALSE(IkwFinderExtension::isInstalledIn(folder));
    testing::writeTestFile(folder + "/" + std::string(finderext::kModuleFileName), "");
    EXPECT_TRUE(IkwFinderExtension::isInstalledIn(folder));
}

TEST(IkwFinderExtension, SettingsShowTheExtensionFolderWhenThereIsOne)
{
    ui::fake::FakeWorkspace workspace;
    const auto folder = IkwFinderExtension::extensionFolder();
    struct stat info {};
    const bool exists = !folder.empty() && ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    EXPECT_EQ(IkwFinderExtension::openExtensionSettings(workspace), exists);
    EXPECT_EQ(workspace.openedFiles, exists ? std::vector<std::string> { folder } : std::vector<std::string> {});
    EXPECT_EQ(IkwFinderExtension::isEnabled(), IkwFinderExtension::isInstalledIn(folder));
}

}
}
