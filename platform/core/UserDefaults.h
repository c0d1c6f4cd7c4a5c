#pragma once

#include "platform/core/FileSystem.h"
#include "platform/core/Json.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {

// An application's user defaults: one JSON object in a file of its own. Read afresh on every
// access (other windows and the menus change it), written whole and atomically. Safe from any
// thread: every instance for the same file shares one lock, held around each read and each
// read-modify-write, so two threads setting different keys both keep theirs.
class UserDefaults {
public:
    explicit UserDefaults(std::string path, FileSystem& fileSystem = realFileSystem());

    // The stored value, or nothing when the key is missing.
    std::optional<Json> value(std::string_view key) const;
    // Typed reads: nothing when the key is missing or holds another type.
    std::optional<std::string> string(std::string_view key) const;
    std::optional<bool> boolean(std::string_view key) const;
    std::optional<double> number(std::string_view key) const;
    std::optional<Json> array(std::string_view key) const;
    // An array whose every element is a string; nothing otherwise.
    std::optional<std::vector<std::string>> stringArray(std::string_view key) const;

    // Writes failed only reach the log: defaults are never worth interrupting the user.
    void set(std::string_view key, Json value);
    void remove(std::string_view key);

    const std::string& path() const { return m_path; }

private:
    Json load() const;
    void save(const Json& all);

    std::string m_path;
    FileSystem& m_fileSystem;
    std::shared_ptr<std::mutex> m_fileLock;
};

}
