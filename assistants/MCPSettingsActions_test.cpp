#include "assistants/MCPSettingsActions.h"

#include "platform/core/fake/ManualMainQueue.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "review/PanelRouter.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::assistants {
namespace {

class MCPSettingsActionsTest : public ::testing::Test {
protected:
    testing::TempHome home;
    ManualMainQueue queue;
    ScopedMainQueue scopedQueue { queue };
    ui::fake::FakeDialogs dialogs;
    int reloads = 0;
    std::optional<std::string> serverPath = "/opt/engine/mcp/server.py";
    const std::string configPath = home.file("Claude/claude_desktop_config.json");

    std::shared_ptr<MCPSettingsActions> actions = std::make_shared<MCPSettingsActions>(MCPSettingsActions::Hooks {
        .dialogs = dialogs,
        .reloadSettingsPanelIfOpen = [this] { ++reloads; },
        .environment = [this] {
            return MCPConnector::Env {
                .configPath = configPath,
                .serverPath = serverPath,
                .claudeAppPresent = [] { return true; },
                .claudeRunning = [] { return false; },
                .quitClaude = [](double) { return true; },
                .relaunchClaude = [] {},
            };
        },
    });

    void settle()
    {
        actions->waitUntilIdle();
        queue.drain();
    }
};

TEST_F(MCPSettingsActionsTest, TheButtonsAreRegistered)
{
    PanelActions table;
    registerMCPPanelActions(table, actions);
    EXPECT_TRUE(table.contains("mcpconnect"));
    EXPECT_TRUE(table.contains("mcpdisconnect"));
}

TEST_F(MCPSettingsActionsTest, EveryOutcomeReloadsThePanelAndOnlyFailuresAlert)
{
    actions->connect();
    settle();
    EXPECT_EQ(reloads, 1);
    EXPECT_TRUE(dialogs.alerts.empty());

    serverPath.reset();
    actions->connect();
    settle();
    EXPECT_EQ(reloads, 2);
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_EQ(dialogs.alerts[0].request.message, "Couldn't connect to Claude Desktop");
    EXPECT_EQ(dialogs.alerts[0].request.informativeText, "This build is missing the connector. Update Inkwarden and try again.");

    testing::writeTestFile(configPath, "[]");
    actions->disconnect();
    settle();
    ASSERT_EQ(dialogs.alerts.size(), 2u);
    EXPECT_EQ(dialogs.alerts[1].request.message, "Couldn't disconnect");
}

TEST_F(MCPSettingsActionsTest, TwoQuickClicksLeaveOneWholeFile)
{
    actions->connect();
    actions->connect();
    settle();

    EXPECT_EQ(reloads, 2);
    EXPECT_TRUE(dialogs.alerts.empty());
    const auto config = Json::parse(testing::readTestFile(configPath));
    EXPECT_EQ(config["mcpServers"]["inkwarden"]["args"], Json::array({ *serverPath }));
    // The file and the one backup the second run made: no temporary file is left.
    const auto names = testing::folderEntries(home.file("Claude"));
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "claude_desktop_config.json");
    EXPECT_EQ(names[1].rfind("claude_desktop_config.json.bak-", 0), 0u);
}

TEST_F(MCPSettingsActionsTest, AnswersForAGoneOwnerAreDropped)
{
    serverPath.reset();
    actions->connect();
    actions->waitUntilIdle();
    actions.reset();
    queue.drain();
    EXPECT_EQ(reloads, 0);
    EXPECT_TRUE(dialogs.alerts.empty());
}

}
}
