#include "platform/secrets/FileSecretStore.h"

#include "platform/core/Base64.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"

#include <sys/stat.h>

#include <map>
#include <mutex>

namespace ikw::secrets {

namespace {

constexpr mode_t kPrivateFileMode = 0600;

using Items = std::map<std::pair<std::string, std::string>, std::string>;

// Every store object of the process shares one lock, so that two objects on one file cannot lose
// each other's changes between reading and replacing it.
std::mutex& fileLock()
{
    static std::mutex lock;
    return lock;
}

std::optional<Items> parseItems(std::string_view text)
{
    const auto json = parseJson(text);
    if (!json || !json->is_object() || !json->contains("items") || !(*json)["items"].is_array())
        return std::nullopt;
    Items items;
    for (const Json& item : (*json)["items"]) {
        if (!item.is_object() || !item.value("service", Json()).is_string() || !item.value("account", Json()).is_string()
            || !item.value("value", Json()).is_string())
            return std::nullopt;
        auto value = decodeBase64(item["value"].get<std::string>());
        if (!value)
            return std::nullopt;
        items[{ item["service"].get<std::string>(), item["account"].get<std::string>() }] = std::move(*value);
    }
    return items;
}

std::string serialise(const Items& items)
{
    Json list = Json::array();
    for (const auto& [key, value] : items)
        list.push_back({ { "service", key.first }, { "account", key.second }, { "value", encodeBase64(value) } });
    return toPlainJson({ { "items", std::move(list) } });
}

// The file's items: an empty set when there is no file, nothing when it cannot be read.
std::optional<Items> readItems(const FileSystem& fileSystem, const std::string& path)
{
    if (!fileSystem.exists(path))
        return Items {};
    const auto text = fileSystem.readFile(path);
    if (!text)
        return std::nullopt;
    return parseItems(*text);
}

}

FileSecretStore::FileSecretStore(std::string path, FileSystem& fileSystem)
    : m_path(std::move(path))
    , m_fileSystem(fileSystem)
{
}

SecretResult FileSecretStore::load(const SecretKey& key)
{
    const std::lock_guard guard(fileLock());
    const auto items = readItems(m_fileSystem, m_path);
    if (!items)
        return SecretResult::failure(m_path + ": the secret file cannot be read");
    const auto found = items->find({ key.service, key.account });
    if (found == items->end())
        return SecretResult::notFound();
    return SecretResult::success(found->second);
}

SecretResult FileSecretStore::save(const SecretKey& key, std::string_view value)
{
    const SecretResult result = change(key, value);
    return result.status == SecretStatus::notFound ? SecretResult::success() : result;
}

SecretResult FileSecretStore::remove(const SecretKey& key)
{
    return change(key, {});
}

SecretResult FileSecretStore::change(const SecretKey& key, std::string_view value)
{
    const std::lock_guard guard(fileLock());
    auto items = readItems(m_fileSystem, m_path);
    // A damaged file is left for the user to inspect rather than overwritten with less.
    if (!items)
        return SecretResult::failure(m_path + ": the secret file cannot be read");
    const std::pair itemKey { key.service, key.account };
    if (value.empty()) {
        if (items->erase(itemKey) == 0)
            return SecretResult::notFound();
    } else {
        (*items)[itemKey] = std::string(value);
    }

    if (const IoStatus made = m_fileSystem.createDirectories(parentPath(m_path)); !made)
        return SecretResult::failure(made.message());
    // A replacement keeps the old file's mode, so a file someone opened up is closed first.
    struct stat info {};
    if (::stat(m_path.c_str(), &info) == 0 && (info.st_mode & 077) != 0)
        ::chmod(m_path.c_str(), kPrivateFileMode);
    ReplaceOptions options;
    options.newFileMode = kPrivateFileMode;
    if (const IoStatus written = m_fileSystem.replaceFile(m_path, serialise(*items), options); !written)
        return SecretResult::failure(written.message());
    return SecretResult::success();
}

}
