// The connector's registration works end to end: the settings' connect writes the entry, and the
// command it registers, started as Claude Desktop starts it, answers over standard input and
// output with what the running program has open.
#include "app/Globals.h"
#include "assistants/BridgeFile.h"
#include "assistants/MCPConnector.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"
#include "platform/core/Process.h"
#include "platform/core/Text.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace ikw {
namespace {

// Data arrive as positional parameters only: the program, a document, the discovery file, then
// the registered command line. Prints the bridge's own window list, then the server's answers.
constexpr const char* kScript = R"sh(app=$1; doc=$2; file=$3; shift 3
"$app" & pid=$!
for _ in $(seq 300); do [ -s "$file" ] && break; sleep 0.2; done
field() { python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])' "$file" "$1"; }
port=$(field port); token=$(field token)
ask() { curl -s --max-time 20 -G -H "Authorization: Bearer $token" "$@"; }
ask --data-urlencode "path=$doc" "http://127.0.0.1:$port/open" > /dev/null
for _ in $(seq 150); do
  listed=$(ask "http://127.0.0.1:$port/windows")
  case "$listed" in *'"page_count":'*) break;; esac
  sleep 0.2
done
echo "$listed"
printf '%s\n' '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"protocolVersion":"2024-11-05","capabilities":{},"clientInfo":{"name":"test","version":"1"}}}' \
  '{"jsonrpc":"2.0","method":"notifications/initialized"}' \
  '{"jsonrpc":"2.0","id":2,"method":"tools/call","params":{"name":"list_windows","arguments":{}}}' | "$@"
kill -TERM "$pid"; wait "$pid"
)sh";

TEST(MCPServerProgram, TheRegisteredServerAnswersWithTheRunningProgramsWindows)
{
    testing::TempHome home;
    const std::string bundle = parentPath(parentPath(IKW_APP_BINARY));
    ::setenv("IKW_RESOURCES_DIR", (bundle + "/Resources").c_str(), 1); // the build's bundle, with the stand-in engine
    const std::string configPath = home.file("config/Claude/claude_desktop_config.json");
    ::setenv("IKW_MCP_CLAUDE_CFG", configPath.c_str(), 1);
    const ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };

    auto env = assistants::MCPConnector::Env::live();
    ASSERT_TRUE(env.serverPath);
    env.claudeAppPresent = [] { return true; };
    env.claudeRunning = [] { return false; };
    env.relaunchClaude = [] {};
    const auto outcome = assistants::MCPConnector(env).connect();
    ::unsetenv("IKW_MCP_CLAUDE_CFG");
    ASSERT_TRUE(outcome.ok) << outcome.message;

    const auto entry = Json::parse(testing::readTestFile(configPath))["mcpServers"]["inkwarden"];
    std::vector<std::string> argv { "dbus-run-session", "--", "/bin/bash", "-c", kScript, "mcp-test", IKW_APP_BINARY,
        testing::writeTestFile(home.file("Lease.pdf"), pdf::testing::textPdf({ { { "rent is due" } } })),
        assistants::bridgeFilePath(Paths::fromEnvironment()), entry["command"].get<std::string>() };
    for (const auto& argument : entry["args"])
        argv.push_back(argument.get<std::string>());
    ProcessOptions options;
    options.argv = argv;
    options.timeoutSeconds = 120;
    const auto result = runProcess(options);
    const auto context = result.standardOutput + result.standardError;

    std::vector<std::string> lines; // the JSON lines, without what helper daemons print
    for (const auto& line : split(result.standardOutput, '\n', false)) {
        if (line.starts_with('{'))
            lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 3u) << context;
    const auto listed = parseJson(lines[0]).value_or(Json());
    ASSERT_TRUE(listed.contains("windows") && !listed["windows"].empty()) << context;
    const auto initialized = parseJson(lines[1]).value_or(Json());
    EXPECT_EQ(initialized["id"], 1);
    EXPECT_TRUE(initialized["result"]["capabilities"].contains("tools")) << context;
    const auto called = parseJson(lines[2]).value_or(Json());
    EXPECT_EQ(called["id"], 2);
    EXPECT_EQ(called["result"]["structuredContent"]["count"], listed["windows"].size()) << context;
}

}
}
