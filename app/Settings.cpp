#include "app/Settings.h"

#include "app/Globals.h"
#include "platform/core/Log.h"
#include "platform/core/Paths.h"

#include <cmath>

namespace ikw {

SettingsStore::SettingsStore(std::string path, FileSystem& fileSystem)
    : m_path(std::move(path))
    , m_fileSystem(fileSystem)
{
}

Json SettingsStore::defaults()
{
    return Json {
        { "max_depth", 2 },
        { "ignore_archive_folders", true },
        { "output_copy_dir", "" },
        { "viewer", "app" },
    };
}

Json SettingsStore::load() const
{
    Json settings = defaults();
    const auto text = m_fileSystem.readFile(m_path);
    if (!text)
        return settings;
    const auto parsed = parseJson(*text);
    if (!parsed || !parsed->is_object())
        return settings;
    for (const auto& [key, value] : parsed->items())
        settings[key] = value;
    return settings;
}

void SettingsStore::save(const Json& settings)
{
    m_fileSystem.createDirectories(parentPath(m_path));
    if (const auto existing = m_fileSystem.readFile(m_path)) {
        const auto parsed = parseJson(*existing);
        if (!parsed || !parsed->is_object()) {
            if (auto kept = m_fileSystem.replaceFile(m_path + ".bad", *existing); !kept) {
                logLine("settings: not saved, the unreadable config.json could not be kept aside: " + kept.message());
                return;
            }
        }
    }
    if (auto written = m_fileSystem.replaceFile(m_path, toPrettyJson(settings) + "\n"); !written)
        logLine("settings: not saved: " + written.message());
}

bool readFlag(const Json& settings, std::string_view key, bool fallback)
{
    const auto it = settings.find(std::string(key));
    if (it == settings.end())
        return fallback;
    if (it->is_boolean())
        return it->get<bool>();
    if (it->is_number_integer() || it->is_number_unsigned())
        return it->get<long long>() != 0;
    if (it->is_number_float()) {
        const double value = it->get<double>();
        if (std::isfinite(value) && value == std::trunc(value))
            return value != 0;
        return fallback;
    }
    if (it->is_string()) {
        const auto& text = it->get_ref<const std::string&>();
        return text == "1" || text == "true";
    }
    return fallback;
}

bool SettingsStore::flag(std::string_view key, bool fallback) const
{
    return readFlag(load(), key, fallback);
}

void SettingsStore::setFlag(std::string_view key, bool value)
{
    Json settings = load();
    settings[std::string(key)] = value;
    save(settings);
}

namespace {
SettingsStore processSettings()
{
    return SettingsStore(globals().configPath);
}
}

Json loadConfig()
{
    return processSettings().load();
}

void saveConfig(const Json& settings)
{
    processSettings().save(settings);
}

bool cfgBool(std::string_view key, bool fallback)
{
    return processSettings().flag(key, fallback);
}

void cfgSetBool(std::string_view key, bool value)
{
    processSettings().setFlag(key, value);
}

void migrateLegacySupportDir()
{
    const Paths& paths = globals().paths;
    const std::string oldFolder = paths.applicationSupport("QEL Visualize");
    const std::string newFolder = paths.applicationSupport("Inkwarden");
    auto& fileSystem = realFileSystem();
    if (fileSystem.exists(oldFolder) && !fileSystem.exists(newFolder))
        fileSystem.rename(oldFolder, newFolder);
}

}
