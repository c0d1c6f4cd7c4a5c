#include "assistants/MCPConnector.h"

#include "platform/core/fake/FaultyFileSystem.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <regex>

namespace ikw::assistants {
namespace {

const std::string kServer = "/opt/engine/mcp/server.py";

Json entry(const std::string& command, Json args)
{
    return Json { { "command", command }, { "args", std::move(args) } };
}

const Json kCurrent = entry("/usr/bin/python3", Json::array({ kServer }));

// A machine where Claude Desktop is installed and not running, and every call is counted.
struct FakeMachine {
    explicit FakeMachine(std::string path) : configPath(std::move(path)) {}
    std::string configPath;
    bool running = false;
    bool quits = true;
    int quitRequests = 0;
    int relaunches = 0;
    std::function<void()> onRelaunch;
    FaultyFileSystem files;

    MCPConnector connector(std::optional<std::string> serverPath = kServer)
    {
        return MCPConnector(MCPConnector::Env {
            .configPath = configPath,
            .serverPath = std::move(serverPath),
            .claudeAppPresent = [] { return true; },
            .claudeRunning = [this] { return running; },
            .quitClaude = [this](double timeout) {
                EXPECT_EQ(timeout, 60);
                ++quitRequests;
                running = !quits;
                return quits;
            },
            .relaunchClaude = [this] {
                ++relaunches;
                if (onRelaunch)
                    onRelaunch();
            },
            .fileSystem = &files,
        });
    }
};

class MCPConnectorTest : public ::testing::Test {
protected:
    testing::TempHome home;
    FakeMachine machine { home.file("Claude/claude_desktop_config.json") };

    void writeConfig(const std::string& text) { testing::writeTestFile(machine.configPath, text); }
    Json config() const { return Json::parse(testing::readTestFile(machine.configPath)); }
    std::vector<std::string> backups() const
    {
        std::vector<std::string> names;
        for (const auto& name : testing::folderEntries(home.file("Claude"))) {
            if (name != "claude_desktop_config.json")
                names.push_back(name);
        }
        return names;
    }
};

TEST_F(MCPConnectorTest, ConnectingWithoutAFileCreatesItsFolderAndWritesOnlyTheEntry)
{
    const auto outcome = machine.connector().connect();

    EXPECT_TRUE(outcome.ok);
    EXPECT_TRUE(outcome.verified);
    EXPECT_EQ(outcome.message, "Connected. Open a new chat in Claude Desktop \u2014 Inkwarden's document tools (search, list, read pages) are available.");
    const Json expected { { "mcpServers", { { "inkwarden", kCurrent } } } };
    EXPECT_EQ(testing::readTestFile(machine.configPath), expected.dump(2) + "\n");
    EXPECT_TRUE(backups().empty());
    EXPECT_EQ(machine.quitRequests, 0);
    EXPECT_EQ(machine.relaunches, 1); // started even though it was not running
    MCPConnector::Status registered;
    registered.serverBundled = registered.claudeAppPresent = registered.registered = true;
    EXPECT_EQ(machine.connector().status(), registered);
}

TEST_F(MCPConnectorTest, EditsKeepEveryOtherMemberAndLeaveOneBackup)
{
    const Json other { { "command", "node" }, { "args", { "other.js" } } };
    struct Case {
        const char* name;
        Json before;
        bool connect;
        Json after;
    };
    const Case cases[] = {
        { "connect beside another server", { { "mcpServers", { { "other", other } } }, { "theme", "dark" } }, true,
            { { "mcpServers", { { "other", other }, { "inkwarden", kCurrent } } }, { "theme", "dark" } } },
        { "an extra argument is stale and replaced whole",
            { { "mcpServers", { { "inkwarden", { { "command", "/usr/bin/python3" }, { "args", { kServer, "--debug" } }, { "env", { { "A", "1" } } } } } } } }, true,
            { { "mcpServers", { { "inkwarden", kCurrent } } } } },
        { "another interpreter is stale", { { "mcpServers", { { "inkwarden", entry("/usr/local/bin/python3", { kServer }) } } } }, true,
            { { "mcpServers", { { "inkwarden", kCurrent } } } } },
        { "mcpServers of another type", { { "mcpServers", "none" }, { "theme", 1 } }, true,
            { { "mcpServers", { { "inkwarden", kCurrent } } }, { "theme", 1 } } },
        { "disconnect keeps the others", { { "mcpServers", { { "other", other }, { "inkwarden", kCurrent } } }, { "theme", "dark" } }, false,
            { { "mcpServers", { { "other", other } } }, { "theme", "dark" } } },
        { "an emptied mcpServers stays", { { "mcpServers", { { "inkwarden", entry("python", Json::array()) } } } }, false,
            { { "mcpServers", Json::object() } } },
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        testing::removeTree(home.file("Claude"));
        writeConfig(testCase.before.dump());
        const auto connector = machine.connector();
        const auto outcome = testCase.connect ? connector.connect() : connector.disconnect();

        EXPECT_TRUE(outcome.ok) << outcome.message;
        EXPECT_EQ(config(), testCase.after);
        const auto saved = backups();
        ASSERT_EQ(saved.size(), 1u);
        EXPECT_TRUE(std::regex_match(saved[0], std::regex(R"(claude_desktop_config\.json\.bak-\d{4}-\d\d-\d\d-\d{6})"))) << saved[0];
        EXPECT_EQ(Json::parse(testing::readTestFile(home.file("Claude/" + saved[0]))), testCase.before);
    }
}

TEST_F(MCPConnectorTest, StatusTellsStaleFromCurrent)
{
    writeConfig(Json { { "mcpServers", { { "inkwarden", entry("/usr/bin/python3", { kServer, "x" }) } } } }.dump());
    auto status = machine.connector().status();
    EXPECT_FALSE(status.registered);
    EXPECT_TRUE(status.staleEntry);

    // Without a server script no entry is current.
    writeConfig(Json { { "mcpServers", { { "inkwarden", kCurrent } } } }.dump());
    status = machine.connector(std::nullopt).status();
    EXPECT_FALSE(status.serverBundled);
    EXPECT_FALSE(status.registered);
    EXPECT_TRUE(status.staleEntry);
}

TEST_F(MCPConnectorTest, AnUnreadableFileIsNeverWritten)
{
    for (const std::string text : { "[1, 2]", "{\"mcpServers\": " }) {
        SCOPED_TRACE(text);
        writeConfig(text);
        const auto status = machine.connector().status();
        EXPECT_TRUE(status.configUnreadable);
        ASSERT_TRUE(status.error);
        EXPECT_EQ(status.error->rfind("Claude Desktop's connector file is unreadable: ", 0), 0u);
        EXPECT_EQ(mcpStatusJSON(status).find("error"), std::string::npos);

        const auto connected = machine.connector().connect();
        EXPECT_FALSE(connected.ok);
        EXPECT_EQ(connected.message, "Claude Desktop's connector file could not be read, so every other connector in it is invisible right now. Writing would delete them. Fix or remove "
                + machine.configPath + ", then try again.");
        const auto disconnected = machine.connector().disconnect();
        EXPECT_FALSE(disconnected.ok);
        EXPECT_EQ(disconnected.message, "Claude Desktop's connector file could not be read, so we cannot safely edit it without risking your other connectors. Check "
                + machine.configPath + " by hand.");
        EXPECT_EQ(testing::readTestFile(machine.configPath), text);
        EXPECT_TRUE(backups().empty());
        EXPECT_EQ(machine.relaunches, 0);
    }
    writeConfig("[]");
    EXPECT_EQ(*machine.connector().status().error, "Claude Desktop's connector file is unreadable: top level is not a JSON object");
}

TEST_F(MCPConnectorTest, RefusalsComeBeforeAnythingIsTouched)
{
    machine.running = true;
    auto outcome = machine.connector(std::nullopt).connect();
    EXPECT_EQ(outcome.message, "This build is missing the connector. Update Inkwarden and try again.");
    EXPECT_EQ(machine.quitRequests, 0);

    machine.quits = false;
    outcome = machine.connector().connect();
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, "Could not quit Claude Desktop. It owns its connector file and would overwrite this change on its next quit. Quit it yourself and try again.");
    EXPECT_TRUE(machine.files.calls().empty());
    EXPECT_EQ(machine.relaunches, 0);

    writeConfig(Json { { "mcpServers", { { "inkwarden", kCurrent } } } }.dump());
    outcome = machine.connector().disconnect();
    EXPECT_EQ(outcome.message, "Could not quit Claude Desktop to remove the connector. Quit it yourself and try again.");
    EXPECT_EQ(config()["mcpServers"]["inkwarden"], kCurrent);

    // Nothing to remove: no quit, no relaunch, no write.
    machine.quitRequests = 0;
    writeConfig("{\"theme\": 1}");
    outcome = machine.connector().disconnect();
    EXPECT_TRUE(outcome.ok);
    EXPECT_TRUE(outcome.verified);
    EXPECT_EQ(outcome.message, "Already disconnected.");
    EXPECT_EQ(machine.quitRequests, 0);
    EXPECT_EQ(machine.relaunches, 0);
    EXPECT_EQ(testing::readTestFile(machine.configPath), "{\"theme\": 1}");
}

TEST_F(MCPConnectorTest, AFailedWriteIsReportedWithThePathAndNothingIsRelaunched)
{
    machine.running = true;
    machine.files.fail(FaultyFileSystem::Operation::Replace);
    const auto outcome = machine.connector().connect();
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message.rfind("Could not write " + machine.configPath + ": ", 0), 0u) << outcome.message;
    EXPECT_GT(outcome.message.size(), ("Could not write " + machine.configPath + ": ").size());
    EXPECT_EQ(machine.quitRequests, 1);
    EXPECT_EQ(machine.relaunches, 0);
}

TEST_F(MCPConnectorTest, AChangeNotSeenOnReadingAgainIsAFailure)
{
    // Claude Desktop rewrites its file as it starts.
    machine.onRelaunch = [this] { writeConfig("{\"mcpServers\": {\"inkwarden\": {\"command\": \"python\"}}}"); };
    auto outcome = machine.connector().connect();
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.verified);
    EXPECT_EQ(outcome.message, "Wrote the entry but re-reading the file did not show it as expected. Check " + machine.configPath + " by hand.");

    outcome = machine.connector().disconnect();
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, "Removed the entry but re-reading the file still shows one. Check " + machine.configPath + " by hand.");

    machine.onRelaunch = [this] { writeConfig("not json"); }; // a read error counts as no entry
    outcome = machine.connector().disconnect();
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.message, "Disconnected.");
}

TEST(MCPStatusJSON, CarriesTheFiveBooleans)
{
    MCPConnector::Status status;
    status.serverBundled = status.registered = status.configUnreadable = true;
    status.error = "x";
    EXPECT_EQ(mcpStatusJSON(status),
        R"({"claude_app_present":false,"config_unreadable":true,"registered":true,"server_bundled":true,"stale_entry":false})");
}

}
}
