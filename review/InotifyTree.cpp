#include "review/InotifyTree.h"

#include "platform/core/Log.h"
#include "platform/core/Paths.h"
#include "platform/core/TaskQueue.h"
#include "platform/core/WorkQueue.h"

#include <glib-unix.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

namespace ikw {

namespace {

constexpr std::uint32_t kFolderEvents = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM
    | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// One queue walks the trees of every watcher, one tree after another.
WorkQueue& walkQueue()
{
    static const auto queue = makeSerialQueue("ikw.folderwatch");
    return *queue;
}

}

InotifyTree::InotifyTree(std::function<void()> onEvent)
    : m_shared(std::make_shared<Shared>())
    , m_onEvent(std::move(onEvent))
{
    m_shared->fd = UniqueFd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (m_shared->fd.get() < 0) {
        logLine(std::string("folder watcher: inotify unavailable: ") + std::strerror(errno));
        return;
    }
    m_source = g_unix_fd_add(m_shared->fd.get(), G_IO_IN, reinterpret_cast<GUnixFDSourceFunc>(&InotifyTree::onReadable), this);
}

InotifyTree::~InotifyTree()
{
    {
        std::lock_guard lock(m_shared->posting);
        m_shared->cancelled = true;
    }
    if (m_source)
        g_source_remove(m_source);
}

int InotifyTree::addWatch(Shared& shared, const std::string& folder)
{
    const int watch = ::inotify_add_watch(shared.fd.get(), folder.c_str(), kFolderEvents);
    if (watch < 0 && errno == ENOSPC && !shared.reportedLimit.exchange(true))
        logLine("folder watcher: the inotify watch limit is reached; some folders go unwatched");
    return watch;
}

bool InotifyTree::addTree(const std::string& folder)
{
    if (m_shared->fd.get() < 0)
        return false;
    const int watch = addWatch(*m_shared, folder);
    if (watch < 0)
        return false;
    m_shared->folders[watch] = folder;
    walkQueue().post([shared = m_shared, folder] {
        namespace fs = std::filesystem;
        std::vector<std::pair<int, std::string>> added;
        std::error_code error;
        // Symbolic links are not followed: a link back up the tree would never end.
        for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
             !error && it != end && !shared->cancelled; it.increment(error)) {
            if (!it->is_directory(error) || it->is_symlink(error))
                continue;
            if (const int subWatch = addWatch(*shared, it->path().string()); subWatch >= 0)
                added.emplace_back(subWatch, it->path().string());
        }
        std::lock_guard lock(shared->posting);
        if (shared->cancelled)
            return;
        mainQueue().post([shared, added = std::move(added)] {
            for (const auto& [subWatch, path] : added)
                shared->folders[subWatch] = path;
        });
    });
    return true;
}

int InotifyTree::onReadable(int, unsigned, void* self)
{
    static_cast<InotifyTree*>(self)->readEvents();
    return G_SOURCE_CONTINUE;
}

void InotifyTree::readEvents()
{
    alignas(inotify_event) char buffer[16 * 1024];
    bool any = false;
    auto& folders = m_shared->folders;
    for (;;) {
        const ssize_t length = ::read(m_shared->fd.get(), buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            any = true;
            if (event->mask & IN_IGNORED) {
                folders.erase(event->wd);
                continue;
            }
            const bool newFolder = (event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO));
            const auto folder = folders.find(event->wd);
            if (newFolder && event->len > 0 && folder != folders.end())
                addTree(joinPath(folder->second, event->name));
        }
    }
    if (any && m_onEvent)
        m_onEvent();
}

}
