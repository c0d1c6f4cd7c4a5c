#include "library/GroupIdentity.h"

#include "platform/core/Identifiers.h"
#include "platform/core/Paths.h"
#include "platform/core/TextMetrics.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <queue>
#include <set>
#include <sys/stat.h>

namespace ikw::library {

namespace group_identity {

namespace {

constexpr std::size_t kMinimumCodeLength = 6;
constexpr std::size_t kLibraryDigits = 32;
constexpr std::size_t kGroupDigits = 24;

bool isFolder(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool exists(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

bool hasPdfSuffix(std::string_view path)
{
    constexpr std::string_view suffix = ".pdf";
    if (path.size() < suffix.size())
        return false;
    return std::equal(suffix.begin(), suffix.end(), path.end() - static_cast<std::ptrdiff_t>(suffix.size()),
        [](char wanted, char c) { return wanted == (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c); });
}

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// Keeps the `cap` smallest paths offered, in a max-heap, so that a huge folder costs little
// memory and the choice does not depend on the order the file system lists names in.
class SmallestPaths {
public:
    explicit SmallestPaths(std::size_t cap) : m_cap(cap) {}

    void offer(std::string path)
    {
        if (m_cap == 0)
            return;
        if (m_heap.size() < m_cap) {
            m_heap.push(std::move(path));
        } else if (path < m_heap.top()) {
            m_heap.pop();
            m_heap.push(std::move(path));
        }
    }

    std::vector<std::string> sorted() &&
    {
        std::vector<std::string> out;
        out.reserve(m_heap.size());
        while (!m_heap.empty()) {
            out.push_back(m_heap.top());
            m_heap.pop();
        }
        std::reverse(out.begin(), out.end());
        return out;
    }

private:
    std::size_t m_cap;
    std::priority_queue<std::string> m_heap;
};

// Whether an entry is a folder, without following a symbolic link (a link is never entered).
bool entryIsRealFolder(int dirFd, const dirent& entry)
{
    if (entry.d_type != DT_UNKNOWN)
        return entry.d_type == DT_DIR;
    struct stat status {};
    return ::fstatat(dirFd, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode);
}

// Every PDF under `root`, hidden entries left out; folders that cannot be read are passed over.
void collectFolderPDFs(const std::string& root, SmallestPaths& found)
{
    std::vector<std::string> folders { root };
    while (!folders.empty()) {
        const std::string folder = std::move(folders.back());
        folders.pop_back();
        const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
        if (!dir)
            continue;
        while (const dirent* entry = ::readdir(dir.get())) {
            const std::string_view name = entry->d_name;
            if (name.starts_with('.'))
                continue;
            std::string path = joinPath(folder, name);
            if (entryIsRealFolder(::dirfd(dir.get()), *entry))
                folders.push_back(std::move(path));
            else if (hasPdfSuffix(name))
                found.offer(std::move(path));
        }
    }
}

}

std::string normalisedPairCode(std::string_view code)
{
    std::string normalised;
    for (const char c : toUpperFull(code)) {
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            normalised += c;
    }
    return normalised;
}

std::optional<std::string> deriveLibrary(std::string_view code)
{
    const std::string normalised = normalisedPairCode(code);
    if (normalised.size() < kMinimumCodeLength)
        return std::nullopt;
    return "ikw-" + sha256Hex("inkwarden-pair-v1:" + normalised).substr(0, kLibraryDigits);
}

std::string groupId(std::vector<std::string> docIds)
{
    std::sort(docIds.begin(), docIds.end());
    std::string joined;
    for (std::size_t i = 0; i < docIds.size(); ++i) {
        if (i > 0)
            joined += '\n';
        joined += docIds[i];
    }
    return "grp-" + sha256Hex(joined).substr(0, kGroupDigits);
}

std::string groupName(const std::vector<std::string>& paths, std::size_t memberCount)
{
    std::vector<std::string> folders;
    for (const auto& path : paths) {
        if (isFolder(path))
            folders.push_back(path);
    }
    if (folders.size() == 1)
        return lastPathComponent(withoutTrailingSlashes(folders.front()));
    if (folders.empty() && !paths.empty() && paths.size() == memberCount) {
        const std::string parent = parentPath(withoutTrailingSlashes(paths.front()));
        const bool shared = std::all_of(paths.begin(), paths.end(),
            [&parent](const std::string& path) { return parentPath(withoutTrailingSlashes(path)) == parent; });
        if (shared && !parent.empty())
            return parent == "/" ? parent : lastPathComponent(parent);
    }
    return std::to_string(memberCount) + " files";
}

std::vector<std::string> memberPDFs(const std::vector<std::string>& paths, std::size_t cap)
{
    std::vector<std::string> members;
    std::set<std::string> taken;
    const auto take = [&](const std::string& path) {
        if (members.size() < cap && taken.insert(path).second)
            members.push_back(path);
    };
    for (const auto& path : paths) {
        if (exists(path) && !isFolder(path) && hasPdfSuffix(path))
            take(path);
    }
    for (const auto& path : paths) {
        if (members.size() >= cap)
            break;
        if (!isFolder(path))
            continue;
        SmallestPaths found(cap);
        collectFolderPDFs(withoutTrailingSlashes(path), found);
        for (const auto& pdf : std::move(found).sorted())
            take(pdf);
    }
    return members;
}

}

std::optional<std::string> DocumentIds::docId(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    const std::timespec modified = status.st_mtim;
    const long long size = status.st_size;
    {
        const std::lock_guard lock(m_cacheLock);
        const auto known = m_cache.find(path);
        if (known != m_cache.end() && known->second.modified.tv_sec == modified.tv_sec
            && known->second.modified.tv_nsec == modified.tv_nsec && known->second.size == size)
            return known->second.id;
    }
    const auto digest = sha256HexOfFile(path);
    if (!digest)
        return std::nullopt;
    std::string id = "doc:sha256:" + *digest;
    const std::lock_guard lock(m_cacheLock);
    m_cache[path] = Entry { modified, size, id };
    return id;
}

}
