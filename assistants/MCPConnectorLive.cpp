#include "assistants/ClaudeDesktop.h"
#include "assistants/MCPConnector.h"

#include "app/Globals.h"
#include "platform/core/Paths.h"

#include <cstdlib>

namespace ikw::assistants {

namespace {

bool isFile(const std::string& path)
{
    const FileSystem& files = realFileSystem();
    return files.exists(path) && !files.isDirectory(path);
}

}

std::optional<std::string> MCPConnector::Env::resolveServerPath()
{
    const Globals& constants = globals();
    const std::string perUser = joinPath(joinPath(constants.home, kUserEngineFolder), "app/mcp/server.py");
    if (isFile(perUser))
        return perUser;
    const std::string bundled = constants.paths.resourcesDir + "/engine/mcp/server.py";
    if (isFile(bundled))
        return bundled;
    return std::nullopt;
}

MCPConnector::Env MCPConnector::Env::live()
{
    const char* configOverride = std::getenv("IKW_MCP_CLAUDE_CFG");
    return Env {
        .configPath = configOverride ? std::string(configOverride)
                                     : joinPath(Paths::fromEnvironment().configHome, "Claude/claude_desktop_config.json"),
        .serverPath = resolveServerPath(),
        .claudeAppPresent = ClaudeDesktop::isInstalled,
        .claudeRunning = ClaudeDesktop::isRunning,
        .quitClaude = ClaudeDesktop::quit,
        .relaunchClaude = ClaudeDesktop::relaunch,
    };
}

}
