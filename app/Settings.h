#pragma once

#include "platform/core/FileSystem.h"
#include "platform/core/Json.h"

#include <string>
#include <string_view>

namespace ikw {

// The user's settings: one JSON object in config.json, read fresh on every access (it is small and
// hand-editable), written whole, pretty-printed with sorted keys. Main thread only.
class SettingsStore {
public:
    explicit SettingsStore(std::string path, FileSystem& fileSystem = realFileSystem());

    // The four built-in defaults overlaid by the file. Never fails.
    Json load() const;
    // Writes the whole dictionary atomically. A file that no longer parses as an object is kept
    // beside it as "config.json.bad" first, so a hand edit with a typo is never silently lost.
    // Failures are reported to the log only; the caller has nothing to do about them.
    void save(const Json& settings);

    bool flag(std::string_view key, bool fallback) const;
    void setFlag(std::string_view key, bool value);

    const std::string& path() const { return m_path; }

    static Json defaults();

private:
    std::string m_path;
    FileSystem& m_fileSystem;
};

// A loaded settings value read as a flag: booleans as they are, whole numbers as != 0, the
// strings "1" and "true" as true and any other string as false; anything else is the fallback.
bool readFlag(const Json& settings, std::string_view key, bool fallback);

// The process's settings file (the Globals' config path).
Json loadConfig();
void saveConfig(const Json& settings);
bool cfgBool(std::string_view key, bool fallback);
void cfgSetBool(std::string_view key, bool value);

// Moves the support folder of the product's former name to the current one, once: only when the
// old one exists and the new one does not. Failures leave both as they are.
void migrateLegacySupportDir();

}
