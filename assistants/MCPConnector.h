#pragma once

#include "platform/core/FileSystem.h"
#include "platform/core/Json.h"

#include <ctime>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace ikw::assistants {

// Registers the engine's MCP server with Claude Desktop by editing that application's connector
// file (a JSON object it owns), and removes the registration again. Every member but those named
// below is kept as read. The connector keeps no state: every call reads the file afresh.
class MCPConnector {
public:
    static constexpr const char* serverKey = "inkwarden";
    static constexpr const char* pythonPath = "/usr/bin/python3";
    // How long a connect or disconnect waits for a running Claude Desktop to quit.
    static constexpr double quitTimeoutSeconds = 60;

    struct Env {
        std::string configPath;
        std::optional<std::string> serverPath;
        std::function<bool()> claudeAppPresent;
        std::function<bool()> claudeRunning;
        std::function<bool(double timeoutSeconds)> quitClaude;
        std::function<void()> relaunchClaude;
        // The file's writes go through here, and backups are named from this clock's local time.
        FileSystem* fileSystem = &realFileSystem();
        std::function<std::time_t()> now = [] { return std::time(nullptr); };

        // The running machine (MCPConnectorLive.cpp).
        static Env live();
        // The per-user engine's server script when it exists, else the bundle's, else none.
        static std::optional<std::string> resolveServerPath();
    };

    struct Status {
        bool serverBundled = false;
        bool claudeAppPresent = false;
        bool registered = false;
        bool staleEntry = false;
        bool configUnreadable = false;
        std::optional<std::string> error; // only with configUnreadable

        bool operator==(const Status&) const = default;
    };

    struct Outcome {
        bool ok = false;
        bool verified = false; // the change was seen when the file was read again
        std::string message;
    };

    // The connector file exists but is not a JSON object that can be read.
    class ConfigError : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };
    // The file could not be written; the text is the system's reason.
    class WriteError : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    explicit MCPConnector(Env env) : m_env(std::move(env)) {}

    Status status() const;
    // Both block while a running Claude Desktop is asked to quit: call them off the main thread.
    Outcome connect() const;
    Outcome disconnect() const;

    // A missing file reads as an empty object. Throws ConfigError.
    Json readConfig() const;
    // Copies the file beside itself as "<file>.bak-yyyy-MM-dd-HHmmss"; never fails.
    void backupConfig() const;
    // Pretty-printed with sorted keys, replaced atomically, folders created. Throws WriteError.
    void writeConfig(const Json& config) const;
    // mcpServers.inkwarden when both are objects. Throws ConfigError.
    std::optional<Json> registeredEntry() const;
    bool entryIsCurrent(const std::optional<Json>& entry) const;

    const Env& env() const { return m_env; }

private:
    Json currentEntry() const;
    std::optional<Json> entryOrNoneOnError() const;

    Env m_env;
};

// What the settings page shows: five booleans, without the error text.
std::string mcpStatusJSON(const MCPConnector::Status& status);

}
