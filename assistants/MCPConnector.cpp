#include "assistants/MCPConnector.h"

#include "platform/core/FileMoves.h"
#include "platform/core/Paths.h"

#include <array>

namespace ikw::assistants {

namespace {

constexpr const char* kServers = "mcpServers";

std::string backupSuffix(std::time_t when)
{
    std::tm local {};
    localtime_r(&when, &local);
    std::array<char, 32> text {};
    std::strftime(text.data(), text.size(), ".bak-%Y-%m-%d-%H%M%S", &local);
    return text.data();
}

Json serversOf(const Json& config)
{
    const auto found = config.find(kServers);
    return found != config.end() && found->is_object() ? *found : Json::object();
}

MCPConnector::Outcome refused(std::string message)
{
    return { .ok = false, .verified = false, .message = std::move(message) };
}

MCPConnector::Outcome succeeded(std::string message)
{
    return { .ok = true, .verified = true, .message = std::move(message) };
}

}

Json MCPConnector::readConfig() const
{
    FileSystem& files = *m_env.fileSystem;
    if (!files.exists(m_env.configPath))
        return Json::object();
    const auto bytes = files.readFile(m_env.configPath);
    if (!bytes)
        throw ConfigError("The file " + m_env.configPath + " could not be read.");
    Json config;
    try {
        config = Json::parse(*bytes);
    } catch (const Json::exception& error) {
        throw ConfigError(error.what());
    }
    if (!config.is_object())
        throw ConfigError("top level is not a JSON object");
    return config;
}

void MCPConnector::backupConfig() const
{
    if (m_env.fileSystem->exists(m_env.configPath))
        copyWithoutReplacing(m_env.configPath, m_env.configPath + backupSuffix(m_env.now()));
}

void MCPConnector::writeConfig(const Json& config) const
{
    FileSystem& files = *m_env.fileSystem;
    if (const auto made = files.createDirectories(parentPath(m_env.configPath)); !made)
        throw WriteError(made.message());
    std::string text;
    try {
        text = config.dump(2) + "\n"; // keys sorted; slashes plain, as the file's owner writes them
    } catch (const Json::exception& error) {
        throw WriteError(error.what());
    }
    if (const auto written = files.replaceFile(m_env.configPath, text); !written)
        throw WriteError(written.message());
}

std::optional<Json> MCPConnector::registeredEntry() const
{
    const Json servers = serversOf(readConfig());
    const auto entry = servers.find(serverKey);
    if (entry == servers.end() || !entry->is_object())
        return std::nullopt;
    return *entry;
}

Json MCPConnector::currentEntry() const
{
    return Json { { "command", pythonPath }, { "args", Json::array({ *m_env.serverPath }) } };
}

bool MCPConnector::entryIsCurrent(const std::optional<Json>& entry) const
{
    if (!m_env.serverPath || !entry || !entry->is_object())
        return false;
    const auto command = entry->find("command");
    const auto args = entry->find("args");
    return command != entry->end() && command->is_string() && *command == pythonPath
        && args != entry->end() && *args == Json::array({ *m_env.serverPath });
}

std::optional<Json> MCPConnector::entryOrNoneOnError() const
{
    try {
        return registeredEntry();
    } catch (const ConfigError&) {
        return std::nullopt;
    }
}

MCPConnector::Status MCPConnector::status() const
{
    Status status;
    status.serverBundled = m_env.serverPath.has_value();
    status.claudeAppPresent = m_env.claudeAppPresent();
    try {
        const auto entry = registeredEntry();
        status.registered = entryIsCurrent(entry);
        status.staleEntry = entry && !status.registered;
    } catch (const ConfigError& error) {
        status.configUnreadable = true;
        status.error = std::string("Claude Desktop's connector file is unreadable: ") + error.what();
    }
    return status;
}

MCPConnector::Outcome MCPConnector::connect() const
{
    if (!m_env.serverPath)
        return refused("This build is missing the connector. Update Inkwarden and try again.");
    if (!m_env.claudeAppPresent())
        return refused("Claude Desktop is not installed as the application claude-desktop.desktop.");
    if (m_env.claudeRunning() && !m_env.quitClaude(quitTimeoutSeconds))
        return refused("Could not quit Claude Desktop. It owns its connector file and would overwrite this change on its next quit. Quit it yourself and try again.");
    Json config;
    try {
        config = readConfig();
    } catch (const ConfigError&) {
        return refused("Claude Desktop's connector file could not be read, so every other connector in it is invisible right now. Writing would delete them. Fix or remove "
            + m_env.configPath + ", then try again.");
    }
    backupConfig();
    Json servers = serversOf(config);
    servers[serverKey] = currentEntry();
    config[kServers] = std::move(servers);
    try {
        writeConfig(config);
    } catch (const WriteError& error) {
        return refused("Could not write " + m_env.configPath + ": " + error.what());
    }
    m_env.relaunchClaude();
    if (!entryIsCurrent(entryOrNoneOnError()))
        return refused("Wrote the entry but re-reading the file did not show it as expected. Check " + m_env.configPath + " by hand.");
    return succeeded("Connected. Open a new chat in Claude Desktop \u2014 Inkwarden's document tools (search, list, read pages) are available.");
}

MCPConnector::Outcome MCPConnector::disconnect() const
{
    std::optional<Json> entry;
    try {
        entry = registeredEntry();
    } catch (const ConfigError&) {
        return refused("Claude Desktop's connector file could not be read, so we cannot safely edit it without risking your other connectors. Check "
            + m_env.configPath + " by hand.");
    }
    if (!entry)
        return succeeded("Already disconnected.");
    if (m_env.claudeRunning() && !m_env.quitClaude(quitTimeoutSeconds))
        return refused("Could not quit Claude Desktop to remove the connector. Quit it yourself and try again.");
    Json config;
    try {
        config = readConfig();
    } catch (const ConfigError&) {
        return refused("Claude Desktop's connector file could not be read. Writing would delete your other connectors. Check " + m_env.configPath + " by hand.");
    }
    backupConfig();
    Json servers = serversOf(config);
    servers.erase(serverKey);
    config[kServers] = std::move(servers);
    try {
        writeConfig(config);
    } catch (const WriteError& error) {
        return refused("Could not write " + m_env.configPath + ": " + error.what());
    }
    m_env.relaunchClaude();
    if (entryOrNoneOnError())
        return refused("Removed the entry but re-reading the file still shows one. Check " + m_env.configPath + " by hand.");
    return succeeded("Disconnected.");
}

std::string mcpStatusJSON(const MCPConnector::Status& status)
{
    return toPlainJson(Json {
        { "server_bundled", status.serverBundled },
        { "claude_app_present", status.claudeAppPresent },
        { "registered", status.registered },
        { "stale_entry", status.staleEntry },
        { "config_unreadable", status.configUnreadable },
    });
}

}
