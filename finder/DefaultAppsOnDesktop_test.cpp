// Claiming on the desktop's own registry, in the test's home: the user's mimeapps.list changes
// as `gio mime` reads it, and nothing outside the temporary home is touched.
#include "finder/DefaultAppClaims.h"

#include "finder/DeclaredTypes.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/ui/gtk/Desktop.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempHome.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace ikw::finder {
namespace {

using ikw::testing::runProgram;
using ikw::testing::writeTestFile;

// The desktop-file id `gio mime` names as the type's default; empty without one.
std::string systemDefaultFor(const std::string& mimeType)
{
    const auto result = runProgram("gio", { "mime", mimeType });
    const std::string& output = result.standardOutput;
    const auto colon = output.find(": ");
    const auto end = output.find('\n');
    if (!result.started || colon == std::string::npos || colon > end)
        return {};
    return output.substr(colon + 2, end - colon - 2);
}

class DefaultAppsOnDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        dataHome = std::getenv("XDG_DATA_HOME");
        configHome = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : home.file(".config");
        if (g_get_user_data_dir() != dataHome || g_get_user_config_dir() != configHome)
            GTEST_SKIP() << "GLib read its folders before this test's home existed (run the test on its own)";
    }

    // Runs a claim command to its end on the test's main queue.
    bool finish(void (DefaultAppClaims::*command)(DefaultAppClaims::Done))
    {
        std::optional<bool> done;
        ((*claims).*command)([&](bool ok) { done = ok; });
        // The desktop answers at once; a claim that does not show waits out its fake seconds.
        for (int step = 0; step < 100 && !done; ++step)
            queue.advance(0.2);
        EXPECT_TRUE(done.has_value());
        return done.value_or(false);
    }

    ikw::testing::TempHome home;
    std::string dataHome, configHome;
    ManualMainQueue queue;
    ui::gtk3::Workspace workspace;
    ui::gtk3::DefaultApplications desktop;
    const std::string resources = std::string(IKW_SOURCE_DIR) + "/resources";
    std::shared_ptr<DefaultAppClaims> claims = DefaultAppClaims::create({
        .workspace = &workspace,
        .defaultApps = &desktop,
        .resourcesDir = [this] { return resources; },
    });
};

TEST_F(DefaultAppsOnDesktop, EveryDeclaredTypeBecomesOursAndFoldersAndWebPagesStayPut)
{
    const auto installed = runProgram(IKW_INSTALL_DESKTOP_ENTRY, { IKW_APP_BINARY });
    ASSERT_EQ(installed.exitStatus, 0) << installed.standardError;
    // The user's file manager, browser and PDF viewer, defaults before the claim.
    writeTestFile(dataHome + "/applications/ikw-standin-files.desktop",
        "[Desktop Entry]\nType=Application\nName=Stand-in Files\nExec=true %U\nMimeType=inode/directory;text/html;application/pdf;\n");
    for (const char* type : { "inode/directory", "text/html", "application/pdf" })
        ASSERT_EQ(runProgram("gio", { "mime", type, "ikw-standin-files.desktop" }).exitStatus, 0);
    ASSERT_FALSE(claims->isDefaultPDFApp());

    EXPECT_TRUE(finish(&DefaultAppClaims::makeDefaultViewerApp));
    const auto declared = readDeclaredTypes(resources);
    ASSERT_FALSE(announcedMimeTypes(declared).empty());
    for (const auto& mimeType : announcedMimeTypes(declared)) {
        SCOPED_TRACE(mimeType);
        EXPECT_EQ(systemDefaultFor(mimeType), kOurDesktopId);
    }
    EXPECT_EQ(systemDefaultFor("inode/directory"), "ikw-standin-files.desktop");
    EXPECT_EQ(systemDefaultFor("text/html"), "ikw-standin-files.desktop");
    const auto counts = claims->claimedCounts();
    EXPECT_EQ(counts.held, counts.total);
    EXPECT_TRUE(claims->isDefaultViewerApp());
}

TEST_F(DefaultAppsOnDesktop, WithoutAnInstalledEntryEveryClaimIsDeclined)
{
    EXPECT_FALSE(finish(&DefaultAppClaims::makeDefaultPDFApp));
    EXPECT_FALSE(finish(&DefaultAppClaims::makeDefaultViewerApp));
    EXPECT_EQ(claims->claimedCounts().held, 0);
    EXPECT_EQ(systemDefaultFor("application/pdf").find(kOurDesktopId), std::string::npos);
}

}
}
