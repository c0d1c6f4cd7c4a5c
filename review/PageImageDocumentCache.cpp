#include "review/PageImageDocumentCache.h"

#include <sys/stat.h>

namespace ikw::review {

namespace {

std::optional<std::timespec> modificationTime(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return info.st_mtim;
}

// An unreadable time never matches: such a file is opened on every request.
bool sameTime(const std::optional<std::timespec>& a, const std::optional<std::timespec>& b)
{
    return a && b && a->tv_sec == b->tv_sec && a->tv_nsec == b->tv_nsec;
}

std::shared_ptr<const pdf::Document> openShared(const std::string& path)
{
    std::optional<pdf::Document> document = pdf::Document::openFile(path);
    if (!document)
        return nullptr;
    return std::make_shared<const pdf::Document>(std::move(*document));
}

}

std::shared_ptr<PageImageDocumentCache> PageImageDocumentCache::shared()
{
    static const std::shared_ptr<PageImageDocumentCache> cache = std::make_shared<PageImageDocumentCache>();
    return cache;
}

std::shared_ptr<const pdf::Document> PageImageDocumentCache::documentFor(const std::string& path)
{
    const std::optional<std::timespec> modified = modificationTime(path);
    std::shared_ptr<Entry> entry;
    {
        const std::lock_guard lock(m_mutex);
        const auto found = m_entries.find(path);
        if (found != m_entries.end() && sameTime(found->second->modified, modified))
            entry = found->second;
    }
    if (entry)
        return threadHandle(*entry, path);

    // Opened outside the lock: parsing one large file must not hold up renders of others.
    std::shared_ptr<const pdf::Document> document = openShared(path);
    if (!document)
        return nullptr;
    auto fresh = std::make_shared<Entry>();
    fresh->modified = modified;
    fresh->handles.emplace(std::this_thread::get_id(), document);
    const std::lock_guard lock(m_mutex);
    if (m_entries.size() >= kCapacity)
        m_entries.clear();
    m_entries[path] = std::move(fresh);
    return document;
}

std::shared_ptr<const pdf::Document> PageImageDocumentCache::threadHandle(Entry& entry, const std::string& path)
{
    const std::thread::id thread = std::this_thread::get_id();
    {
        const std::lock_guard lock(entry.mutex);
        const auto found = entry.handles.find(thread);
        if (found != entry.handles.end())
            return found->second;
    }
    std::shared_ptr<const pdf::Document> document = openShared(path);
    if (!document)
        return nullptr;
    const std::lock_guard lock(entry.mutex);
    return entry.handles.emplace(thread, std::move(document)).first->second;
}

std::size_t PageImageDocumentCache::size() const
{
    const std::lock_guard lock(m_mutex);
    return m_entries.size();
}

}
