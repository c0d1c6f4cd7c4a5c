#include "platform/core/fake/FaultyFileSystem.h"

namespace ikw {

void FaultyFileSystem::fail(Operation operation, std::string pathPart)
{
    std::lock_guard lock(m_mutex);
    m_failures.emplace(operation, std::move(pathPart));
}

void FaultyFileSystem::clearFailures()
{
    std::lock_guard lock(m_mutex);
    m_failures.clear();
}

std::vector<std::string> FaultyFileSystem::calls() const
{
    std::lock_guard lock(m_mutex);
    return m_calls;
}

bool FaultyFileSystem::shouldFail(Operation operation, const std::string& path, const char* name) const
{
    std::lock_guard lock(m_mutex);
    m_calls.push_back(std::string(name) + " " + path);
    for (const auto& [failing, part] : m_failures) {
        if (failing == operation && path.find(part) != std::string::npos)
            return true;
    }
    return false;
}

std::optional<std::string> FaultyFileSystem::readFile(const std::string& path) const
{
    if (shouldFail(Operation::Read, path, "read"))
        return std::nullopt;
    return m_base.readFile(path);
}

IoStatus FaultyFileSystem::writeFile(const std::string& path, std::string_view data)
{
    if (shouldFail(Operation::Write, path, "write"))
        return IoStatus::failure(path + ": injected write failure");
    return m_base.writeFile(path, data);
}

IoStatus FaultyFileSystem::writePrivateFile(const std::string& path, std::string_view data)
{
    if (shouldFail(Operation::Write, path, "write"))
        return IoStatus::failure(path + ": injected write failure");
    return m_base.writePrivateFile(path, data);
}

IoStatus FaultyFileSystem::replaceFile(const std::string& path, std::string_view data, const ReplaceOptions& options)
{
    if (shouldFail(Operation::Replace, path, "replace"))
        return IoStatus::failure(path + ": injected replace failure");
    return m_base.replaceFile(path, data, options);
}

IoStatus FaultyFileSystem::commitReplacement(const std::string& temporaryPath, const std::string& path)
{
    if (shouldFail(Operation::Commit, path, "commit"))
        return IoStatus::failure(path + ": injected commit failure");
    return m_base.commitReplacement(temporaryPath, path);
}

IoStatus FaultyFileSystem::createDirectories(const std::string& path)
{
    if (shouldFail(Operation::CreateDirectories, path, "mkdir"))
        return IoStatus::failure(path + ": injected mkdir failure");
    return m_base.createDirectories(path);
}

IoStatus FaultyFileSystem::rename(const std::string& from, const std::string& to)
{
    if (shouldFail(Operation::Rename, from, "rename"))
        return IoStatus::failure(from + ": injected rename failure");
    return m_base.rename(from, to);
}

IoStatus FaultyFileSystem::removeFile(const std::string& path)
{
    if (shouldFail(Operation::Remove, path, "remove"))
        return IoStatus::failure(path + ": injected remove failure");
    return m_base.removeFile(path);
}

IoStatus FaultyFileSystem::moveToTrash(const std::string& path)
{
    if (shouldFail(Operation::Trash, path, "trash"))
        return IoStatus::failure(path + ": injected trash failure");
    return m_base.moveToTrash(path);
}

}
