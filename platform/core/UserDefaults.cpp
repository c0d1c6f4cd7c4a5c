#include "platform/core/UserDefaults.h"

#include "platform/core/Log.h"
#include "platform/core/Paths.h"

#include <filesystem>
#include <map>

namespace ikw {

namespace {

// One lock per defaults file, shared by every instance that names it. The table only grows, by
// one entry per file the program uses.
std::shared_ptr<std::mutex> lockForFile(const std::string& path)
{
    static std::mutex tableMutex;
    static std::map<std::string, std::shared_ptr<std::mutex>> table;
    const std::string key = std::filesystem::path(path).lexically_normal().string();
    std::lock_guard lock(tableMutex);
    auto& slot = table[key];
    if (!slot)
        slot = std::make_shared<std::mutex>();
    return slot;
}

}

UserDefaults::UserDefaults(std::string path, FileSystem& fileSystem)
    : m_path(std::move(path))
    , m_fileSystem(fileSystem)
    , m_fileLock(lockForFile(m_path))
{
}

Json UserDefaults::load() const
{
    const auto text = m_fileSystem.readFile(m_path);
    if (!text)
        return Json::object();
    auto parsed = parseJson(*text);
    if (!parsed || !parsed->is_object())
        return Json::object();
    return std::move(*parsed);
}

void UserDefaults::save(const Json& all)
{
    m_fileSystem.createDirectories(parentPath(m_path));
    if (auto written = m_fileSystem.replaceFile(m_path, toPrettyJson(all) + "\n"); !written)
        logLine("user defaults not saved: " + written.message());
}

std::optional<Json> UserDefaults::value(std::string_view key) const
{
    Json all;
    {
        std::lock_guard lock(*m_fileLock);
        all = load();
    }
    const auto it = all.find(std::string(key));
    if (it == all.end())
        return std::nullopt;
    return std::move(*it);
}

std::optional<std::string> UserDefaults::string(std::string_view key) const
{
    const auto found = value(key);
    if (!found || !found->is_string())
        return std::nullopt;
    return found->get<std::string>();
}

std::optional<bool> UserDefaults::boolean(std::string_view key) const
{
    const auto found = value(key);
    if (!found || !found->is_boolean())
        return std::nullopt;
    return found->get<bool>();
}

std::optional<double> UserDefaults::number(std::string_view key) const
{
    const auto found = value(key);
    if (!found || !found->is_number())
        return std::nullopt;
    return found->get<double>();
}

std::optional<Json> UserDefaults::array(std::string_view key) const
{
    auto found = value(key);
    if (!found || !found->is_array())
        return std::nullopt;
    return found;
}

std::optional<std::vector<std::string>> UserDefaults::stringArray(std::string_view key) const
{
    const auto found = array(key);
    if (!found)
        return std::nullopt;
    std::vector<std::string> strings;
    for (const auto& element : *found) {
        if (!element.is_string())
            return std::nullopt;
        strings.push_back(element.get<std::string>());
    }
    return strings;
}

void UserDefaults::set(std::string_view key, Json value)
{
    std::lock_guard lock(*m_fileLock);
    Json all = load();
    all[std::string(key)] = std::move(value);
    save(all);
}

void UserDefaults::remove(std::string_view key)
{
    std::lock_guard lock(*m_fileLock);
    Json all = load();
    if (all.erase(std::string(key)))
        save(all);
}

}
