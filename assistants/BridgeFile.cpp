#include "assistants/BridgeFile.h"

#include "app/Globals.h"
#include "platform/core/Iso8601.h"
#include "platform/core/Log.h"

#include <sys/stat.h>
#include <unistd.h>

namespace ikw::assistants {

namespace {

constexpr mode_t kPrivateMode = 0600;

}

std::string bridgeFilePath(const Paths& paths)
{
    return paths.mapLibraryPath("~/Library/Application Support/Inkwarden/agent_bridge.json");
}

Json bridgeFileContents(std::uint16_t port, const std::string& token, std::time_t started)
{
    const auto& info = globals().appInfo;
    return Json {
        { "port", port },
        { "token", token },
        { "pid", static_cast<long long>(::getpid()) },
        { "app", globals().brand.name },
        { "version", info.shortVersion },
        { "build", info.build },
        { "started", iso8601Utc(started) },
    };
}

void writeBridgeFile(FileSystem& fileSystem, const std::string& path, std::uint16_t port, const std::string& token)
{
    const std::string text = toPrettyJson(bridgeFileContents(port, token, std::time(nullptr)));
    fileSystem.createDirectories(parentPath(path));
    // A replacement keeps the old file's mode, so an older file someone opened up is closed first
    // (a link is left alone: it is replaced, never followed).
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 07777) != kPrivateMode)
        ::chmod(path.c_str(), kPrivateMode);
    ReplaceOptions options;
    options.newFileMode = kPrivateMode;
    fileSystem.replaceFile(path, text, options);
    logLine("AgentBridge: listening on 127.0.0.1:" + std::to_string(port));
}

}
