// The desktop entry as `make install` writes it: valid for the desktop's tools, D-Bus activatable,
// and offering the dock menu's entries as its actions.
#include "app/StatusMenu.h"
#include "platform/core/Paths.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ikw {
namespace {

TEST(DesktopEntry, TheInstalledEntryIsValidAndOffersTheDockMenu)
{
    testing::TempHome home;
    // A bundle of its own: the installer takes the entry's template from beside the program.
    const std::string program = home.file("Inkwarden.app/bin/program");
    testing::writeTestFile(program, "#!/bin/sh\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    const std::string entryTemplate = "com.norvale.inkwarden.desktop.in";
    std::filesystem::create_directories(home.file("Inkwarden.app/Resources"));
    std::filesystem::copy_file(std::string(IKW_BUNDLE_RESOURCES) + "/" + entryTemplate, home.file("Inkwarden.app/Resources/" + entryTemplate));
    const auto installed = testing::runProgram(std::string(IKW_SOURCE_DIR) + "/scripts/install-desktop-entry", { program });
    ASSERT_EQ(installed.exitStatus, 0) << installed.standardError;
    const std::string entry = home.file(".local/share/applications/com.norvale.inkwarden.desktop");
    const auto validated = testing::runProgram("/usr/bin/desktop-file-validate", { entry });
    EXPECT_EQ(validated.exitStatus, 0) << validated.standardOutput << validated.standardError;

    const std::string text = testing::readTestFile(entry);
    EXPECT_NE(text.find("\nDBusActivatable=true\n"), std::string::npos);
    std::string actions = "\nActions=";
    for (const auto& item : dockMenu().items) {
        const std::string name = desktopActionName(item.command);
        actions += name + ";";
        EXPECT_NE(text.find("[Desktop Action " + name + "]\nName=" + item.title + "\nExec=gapplication action com.norvale.inkwarden " + name + "\n"),
            std::string::npos)
            << name;
    }
    EXPECT_NE(text.find(actions + "\n"), std::string::npos) << text;

    // The session bus starts the program for an activation when it is not running.
    const std::string service = testing::readTestFile(home.file(".local/share/dbus-1/services/com.norvale.inkwarden.service"));
    EXPECT_EQ(service, "[D-BUS Service]\nName=com.norvale.inkwarden\nExec=\"" + program + "\" --gapplication-service\n");
}

}
}
