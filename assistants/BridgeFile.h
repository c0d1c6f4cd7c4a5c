#pragma once

#include "platform/core/FileSystem.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"

#include <cstdint>
#include <ctime>
#include <string>

namespace ikw::assistants {

// Where agents find the bridge: agent_bridge.json in the product's support folder.
std::string bridgeFilePath(const Paths& paths);

// The discovery file's seven members: port, token, pid, app, version, build, started.
Json bridgeFileContents(std::uint16_t port, const std::string& token, std::time_t started);

// Writes the file pretty-printed with sorted keys, mode 0600 from its creation on and over any
// older file, creating its folder; failures are ignored. Logs the port, never the token.
void writeBridgeFile(FileSystem& fileSystem, const std::string& path, std::uint16_t port, const std::string& token);

}
