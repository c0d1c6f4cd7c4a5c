// The "Open With" lists over the desktop's own registry, in the test's home: the desktop entries
// installed there and the default `gio mime` sets.
#include "finder/OpenWithMenus.h"

#include "finder/DefaultAppClaims.h"
#include "platform/ui/gtk/Desktop.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempHome.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace ikw::finder {
namespace {

using ikw::testing::runProgram;
using ikw::testing::writeTestFile;

TEST(OpenWithOnDesktop, TheListHoldsOurEntryAndTheDefaultStandInMarkedAsDefault)
{
    ikw::testing::TempHome home;
    const std::string dataHome = std::getenv("XDG_DATA_HOME");
    if (g_get_user_data_dir() != dataHome)
        GTEST_SKIP() << "GLib read its folders before this test's home existed (run the test on its own)";
    const auto installed = runProgram(IKW_INSTALL_DESKTOP_ENTRY, { IKW_APP_BINARY });
    ASSERT_EQ(installed.exitStatus, 0) << installed.standardError;
    const std::string standIn = writeTestFile(dataHome + "/applications/ikw-standin-viewer.desktop",
        "[Desktop Entry]\nType=Application\nName=Stand-in Viewer\nExec=true %f\nMimeType=application/pdf;\n");
    ASSERT_EQ(runProgram("gio", { "mime", "application/pdf", "ikw-standin-viewer.desktop" }).exitStatus, 0);
    const std::string document = writeTestFile(home.file("Docs/Report.pdf"), "%PDF-1.4\n%%EOF\n");

    ui::gtk3::Workspace workspace;
    IkwOpenWith openWith(workspace, dataHome);
    const auto choices = openWithChoices(openWith, document);
    const auto entry = [&](const std::string& file) {
        return std::find_if(choices.begin(), choices.end(), [&](const OpenWithChoice& choice) { return choice.entryFile == file; });
    };
    const auto ours = entry(dataHome + "/applications/" + kOurDesktopId);
    const auto theirs = entry(standIn);
    ASSERT_NE(ours, choices.end());
    ASSERT_NE(theirs, choices.end());
    EXPECT_TRUE(theirs->isDefault);
    EXPECT_FALSE(ours->isDefault);
    EXPECT_EQ(theirs->label, "Stand-in Viewer");

    const auto menu = openAppsMenu(document, choices);
    std::vector<std::string> marked;
    for (const auto& item : menu.items) {
        if (item.title.ends_with("(default)"))
            marked.push_back(item.title);
    }
    EXPECT_EQ(marked, std::vector<std::string> { "Open in Stand-in Viewer  (default)" });
}

}
}
