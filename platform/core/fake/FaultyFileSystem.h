#pragma once

#include "platform/core/FileSystem.h"

#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace ikw {

// The real file system with failures on demand: tests run as root, where permissions refuse
// nothing. Every call is recorded as "<operation> <path>".
class FaultyFileSystem final : public FileSystem {
public:
    enum class Operation { Read, Write, Replace, Commit, CreateDirectories, Rename, Remove, Trash };

    explicit FaultyFileSystem(FileSystem& base = realFileSystem()) : m_base(base) {}

    // Fails every call of `operation` whose path contains `pathPart` (empty: every path).
    void fail(Operation operation, std::string pathPart = {});
    void clearFailures();
    std::vector<std::string> calls() const;

    std::optional<std::string> readFile(const std::string& path) const override;
    IoStatus writeFile(const std::string& path, std::string_view data) override;
    // Counts as a write.
    IoStatus writePrivateFile(const std::string& path, std::string_view data) override;
    IoStatus replaceFile(const std::string& path, std::string_view data, const ReplaceOptions& options = {}) override;
    IoStatus commitReplacement(const std::string& temporaryPath, const std::string& path) override;
    IoStatus createDirectories(const std::string& path) override;
    IoStatus rename(const std::string& from, const std::string& to) override;
    IoStatus removeFile(const std::string& path) override;
    bool exists(const std::string& path) const override { return m_base.exists(path); }
    bool isDirectory(const std::string& path) const override { return m_base.isDirectory(path); }
    IoStatus moveToTrash(const std::string& path) override;

private:
    bool shouldFail(Operation operation, const std::string& path, const char* name) const;

    FileSystem& m_base;
    mutable std::mutex m_mutex;
    std::set<std::pair<Operation, std::string>> m_failures;
    mutable std::vector<std::string> m_calls;
};

}
