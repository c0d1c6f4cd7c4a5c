#include "platform/core/FileTree.h"

#include "platform/core/Paths.h"
#include "platform/core/UniqueFd.h"
#include "platform/core/WriteAll.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

namespace ikw {

namespace {

struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};
using FolderHandle = std::unique_ptr<DIR, FolderCloser>;

// The names in a folder, without "." and "..".
std::optional<std::vector<std::string>> entriesOf(const std::string& folder)
{
    const FolderHandle handle(::opendir(folder.c_str()));
    if (!handle)
        return std::nullopt;
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(handle.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    if (errno != 0)
        return std::nullopt;
    return names;
}

// Owner (where permitted), permission bits, times and user attributes of an open copy, then the
// copy's data onto the disk.
IoStatus finishCopy(int source, int copy, const struct stat& info, const std::string& to)
{
    if (::fchown(copy, info.st_uid, info.st_gid) != 0)
        [[maybe_unused]] int ignored = ::fchown(copy, static_cast<uid_t>(-1), info.st_gid);
    ::fchmod(copy, info.st_mode & 07777);
    copyUserAttributes(source, copy);
    const timespec times[2] = { info.st_atim, info.st_mtim };
    ::futimens(copy, times);
    if (::fsync(copy) != 0 && errno != EINVAL)
        return IoStatus::fromErrno(to, errno);
    return IoStatus::success();
}

IoStatus copyItem(const std::string& from, const std::string& to, bool& made);

IoStatus copyFile(const std::string& from, const std::string& to, bool& made)
{
    UniqueFd source(::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!source.valid() || ::fstat(source.get(), &info) != 0)
        return IoStatus::fromErrno(from, errno);
    UniqueFd copy(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!copy.valid())
        return IoStatus::fromErrno(to, errno);
    made = true;
    if (!copyAll(source.get(), copy.get()))
        return IoStatus::fromErrno(to, errno);
    if (IoStatus finished = finishCopy(source.get(), copy.get(), info, to); !finished)
        return finished;
    if (::close(copy.release()) != 0)
        return IoStatus::fromErrno(to, errno);
    return IoStatus::success();
}

IoStatus copyFolder(const std::string& from, const std::string& to, bool& made)
{
    const auto names = entriesOf(from);
    if (!names)
        return IoStatus::fromErrno(from, errno);
    if (::mkdir(to.c_str(), 0700) != 0)
        return IoStatus::fromErrno(to, errno);
    made = true;
    for (const std::string& name : *names) {
        bool madeInside = false;
        if (IoStatus copied = copyItem(joinPath(from, name), joinPath(to, name), madeInside); !copied)
            return copied;
    }
    // The folder's own mode and times last: adding entries changed its times, and a read-only
    // folder could not have taken them.
    const UniqueFd source(::open(from.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    const UniqueFd copy(::open(to.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!source.valid() || !copy.valid() || ::fstat(source.get(), &info) != 0)
        return IoStatus::fromErrno(to, errno);
    return finishCopy(source.get(), copy.get(), info, to);
}

IoStatus copyLink(const std::string& from, const std::string& to, const struct stat& info, bool& made)
{
    std::vector<char> target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4096) + 1);
    const ssize_t length = ::readlink(from.c_str(), target.data(), target.size());
    if (length < 0)
        return IoStatus::fromErrno(from, errno);
    if (static_cast<std::size_t>(length) >= target.size())
        return IoStatus::failure(from + ": the link changed while it was copied");
    if (::symlink(std::string(target.data(), static_cast<std::size_t>(length)).c_str(), to.c_str()) != 0)
        return IoStatus::fromErrno(to, errno);
    made = true;
    if (::lchown(to.c_str(), info.st_uid, info.st_gid) != 0)
        [[maybe_unused]] int ignored = ::lchown(to.c_str(), static_cast<uid_t>(-1), info.st_gid);
    const timespec times[2] = { info.st_atim, info.st_mtim };
    ::utimensat(AT_FDCWD, to.c_str(), times, AT_SYMLINK_NOFOLLOW);
    return IoStatus::success();
}

IoStatus copyFifo(const std::string& to, const struct stat& info, bool& made)
{
    if (::mkfifo(to.c_str(), info.st_mode & 07777) != 0)
        return IoStatus::fromErrno(to, errno);
    made = true;
    ::chmod(to.c_str(), info.st_mode & 07777);
    const timespec times[2] = { info.st_atim, info.st_mtim };
    ::utimensat(AT_FDCWD, to.c_str(), times, 0);
    return IoStatus::success();
}

IoStatus copyItem(const std::string& from, const std::string& to, bool& made)
{
    struct stat info {};
    if (::lstat(from.c_str(), &info) != 0)
        return IoStatus::fromErrno(from, errno);
    switch (info.st_mode & S_IFMT) {
    case S_IFREG:
        return copyFile(from, to, made);
    case S_IFDIR:
        return copyFolder(from, to, made);
    case S_IFLNK:
        return copyLink(from, to, info, made);
    case S_IFIFO:
        return copyFifo(to, info, made);
    default:
        return IoStatus::failure(from + ": not a file, folder or link");
    }
}

}

IoStatus copyTree(const std::string& from, const std::string& to)
{
    bool made = false;
    IoStatus copied = copyItem(from, to, made);
    if (!copied && made)
        removeTree(to);
    return copied;
}

IoStatus removeTree(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return IoStatus::fromErrno(path, errno);
    if (!S_ISDIR(info.st_mode))
        return ::unlink(path.c_str()) == 0 ? IoStatus::success() : IoStatus::fromErrno(path, errno);

    IoStatus first = IoStatus::success();
    if (const auto names = entriesOf(path)) {
        for (const std::string& name : *names) {
            IoStatus removed = removeTree(joinPath(path, name));
            if (!removed && first)
                first = std::move(removed);
        }
    }
    if (::rmdir(path.c_str()) != 0 && first)
        first = IoStatus::fromErrno(path, errno);
    return first;
}

}
