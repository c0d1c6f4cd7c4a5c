#include "review/FolderWatcher.h"

#include "platform/core/Paths.h"

#include <algorithm>
#include <filesystem>

namespace ikw {

std::vector<std::string> FolderWatcher::foldersToWatch(const std::vector<std::string>& paths)
{
    std::vector<std::string> folders;
    for (const auto& path : paths) {
        if (path.empty())
            continue;
        std::error_code error;
        auto folder = std::filesystem::is_directory(path, error) ? path : parentPath(path);
        if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(std::move(folder));
    }
    return folders;
}

std::unique_ptr<FolderWatcher> FolderWatcher::create(const std::vector<std::string>& paths, std::function<void()> onChange)
{
    const auto folders = foldersToWatch(paths);
    if (folders.empty())
        return nullptr;
    std::unique_ptr<FolderWatcher> watcher(new FolderWatcher(std::move(onChange)));
    bool watching = false;
    for (const auto& folder : folders)
        watching = watcher->m_tree->addTree(folder) || watching;
    if (!watching)
        return nullptr;
    return watcher;
}

FolderWatcher::FolderWatcher(std::function<void()> onChange)
    : m_debouncer(std::move(onChange))
    , m_tree(std::make_unique<InotifyTree>([this] { fired(); }))
{
}

void FolderWatcher::fired()
{
    if (m_latency.isScheduled())
        return;
    m_latency = mainQueue().schedule(kLatencySeconds, false, [this] {
        m_latency = Timer();
        m_debouncer.changed();
    });
}

void FolderWatcher::stop()
{
    m_tree.reset();
    m_latency.cancel();
    m_debouncer.cancel();
}

}
