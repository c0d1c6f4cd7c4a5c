#include "services/OakrunePairing.h"

#include "app/Globals.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"
#include "services/OakruneMetaStore.h"

#include <dirent.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace ikw::services {

namespace {

std::string baseFromEnvironment(const std::string& fallback)
{
    const char* chosen = std::getenv("IKW_OAKRUNE_BASE");
    return chosen ? std::string(chosen) : fallback;
}

std::string stringAt(const Json& object, const char* key, std::string fallback)
{
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::move(fallback);
}

std::vector<std::string> stringsAt(const Json& object, const char* key)
{
    const auto found = object.find(key);
    if (found == object.end() || !found->is_array())
        return {};
    std::vector<std::string> strings;
    for (const Json& item : *found) {
        if (!item.is_string())
            return {};
        strings.push_back(item.get<std::string>());
    }
    return strings;
}

bool isDownloadedFile(std::string_view name)
{
    constexpr std::string_view prefix = "oakrune-";
    constexpr std::string_view suffix = ".pdf";
    return name.size() >= prefix.size() + suffix.size() && name.starts_with(prefix) && name.ends_with(suffix);
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.c_str()), ::closedir);
    std::vector<std::string> names;
    if (!listing)
        return names;
    while (const dirent* entry = ::readdir(listing.get()))
        names.emplace_back(entry->d_name);
    return names;
}

}

OakrunePairing::Env OakrunePairing::Env::live(std::string base, OakruneHttpOptions http)
{
    auto keychain = std::make_shared<const OakruneKeychain>(OakruneKeychain::system());
    Env env;
    env.baseURL = baseFromEnvironment(base);
    env.send = [base, http = std::move(http)](const OakruneRequest& request) {
        return oakruneHttpSend(baseFromEnvironment(base), request, http);
    };
    env.readToken = [keychain] { return keychain->read(); };
    env.writeToken = [keychain](const std::string& token) { return keychain->write(token); };
    env.deleteToken = [keychain] { keychain->remove(); };
    env.readMeta = [] { return OakruneMetaStore::read(); };
    env.writeMeta = [](const Json& object) { OakruneMetaStore::write(object); };
    env.deleteMeta = [] { OakruneMetaStore::remove(); };
    env.cacheDirectory = defaultCacheDirectory();
    return env;
}

bool OakrunePairing::Connection::canArchive() const
{
    return std::ranges::find(scopes, "library:write") != scopes.end();
}

const std::string& OakrunePairing::defaultCacheDirectory()
{
    static const std::string folder = joinPath(globals().archive, ".oakrune");
    return folder;
}

OakrunePairing::OakrunePairing(Env env)
    : m_env(std::move(env))
{
}

OakrunePairing::Connection OakrunePairing::connectionFrom(const Json& meta)
{
    Connection connection {
        .pairingId = stringAt(meta, "pairing_id", ""),
        .deviceName = stringAt(meta, "device_name", std::string(defaultDeviceName)),
        .scopes = stringsAt(meta, "scopes"),
        .pairedAt = stringAt(meta, "paired_at", ""),
        .lastSynced = std::nullopt,
    };
    const auto synced = meta.find("last_synced");
    if (synced != meta.end() && synced->is_string())
        connection.lastSynced = synced->get<std::string>();
    return connection;
}

std::optional<OakrunePairing::Connection> OakrunePairing::connection() const
{
    if (!m_env.readToken())
        return std::nullopt;
    const std::optional<Json> meta = m_env.readMeta();
    if (!meta || !meta->is_object())
        return std::nullopt;
    return connectionFrom(*meta);
}

void OakrunePairing::disconnect() const
{
    m_env.deleteToken();
    m_env.deleteMeta();
    clearCache();
}

int OakrunePairing::clearCache() const
{
    if (!m_env.cacheDirectory)
        return 0;
    int removed = 0;
    for (const std::string& name : namesIn(*m_env.cacheDirectory)) {
        if (isDownloadedFile(name) && realFileSystem().removeFile(joinPath(*m_env.cacheDirectory, name)))
            ++removed;
    }
    return removed;
}

}
