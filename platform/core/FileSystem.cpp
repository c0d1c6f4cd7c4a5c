#include "platform/core/FileSystem.h"
#include "platform/core/WriteAll.h"

#include "platform/core/Identifiers.h"
#include "platform/core/Paths.h"
#include "platform/core/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace ikw {

IoStatus IoStatus::fromErrno(const std::string& what, int error)
{
    return failure(what + ": " + std::strerror(error));
}

const std::string& IoStatus::message() const
{
    static const std::string empty;
    return m_error ? *m_error : empty;
}

namespace {

// Creates `path` (which must not exist) readable by its owner only and writes `data` to it;
// the open file, or -1 with errno set. A failed write removes the file again.
UniqueFd createPrivateFile(const std::string& path, std::string_view data)
{
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (fd.get() < 0)
        return fd;
    if (!writeAll(fd.get(), data)) {
        const int error = errno;
        ::unlink(path.c_str());
        errno = error;
        return UniqueFd();
    }
    return fd;
}

void syncFolderOf(const std::string& path)
{
    const std::string folder = parentPath(path);
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

class RealFileSystem final : public FileSystem {
public:
    std::optional<std::string> readFile(const std::string& path) const override
    {
        UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (fd.get() < 0)
            return std::nullopt;
        struct stat info {};
        if (::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode))
            return std::nullopt;
        std::string data;
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return std::nullopt;
            if (n == 0)
                return data;
            data.append(buffer, static_cast<std::size_t>(n));
        }
    }

    IoStatus writeFile(const std::string& path, std::string_view data) override
    {
        UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
        if (fd.get() < 0)
            return IoStatus::fromErrno(path, errno);
        if (!writeAll(fd.get(), data))
            return IoStatus::fromErrno(path, errno);
        if (::close(fd.release()) != 0)
            return IoStatus::fromErrno(path, errno);
        return IoStatus::success();
    }

    IoStatus writePrivateFile(const std::string& path, std::string_view data) override
    {
        UniqueFd fd = createPrivateFile(path, data);
        if (fd.get() < 0)
            return IoStatus::fromErrno(path, errno);
        if (::close(fd.release()) != 0)
            return IoStatus::fromErrno(path, errno);
        return IoStatus::success();
    }

    IoStatus replaceFile(const std::string& path, std::string_view data, const ReplaceOptions& options) override
    {
        const std::string target = resolveSymlinks(path);
        const std::string temporary = temporarySiblingPath(target);
        UniqueFd fd = createPrivateFile(temporary, data);
        if (fd.get() < 0)
            return IoStatus::fromErrno(temporary, errno);
        if (::access(target.c_str(), F_OK) != 0)
            ::fchmod(fd.get(), options.newFileMode.value_or(defaultNewFileMode()));
        return commitOpenFile(std::move(fd), temporary, target);
    }

    IoStatus commitReplacement(const std::string& temporaryPath, const std::string& path) override
    {
        UniqueFd fd(::open(temporaryPath.c_str(), O_RDWR | O_CLOEXEC));
        if (fd.get() < 0)
            return IoStatus::fromErrno(temporaryPath, errno);
        const std::string target = resolveSymlinks(path);
        if (::access(target.c_str(), F_OK) != 0)
            ::fchmod(fd.get(), defaultNewFileMode());
        return commitOpenFile(std::move(fd), temporaryPath, target);
    }

    IoStatus createDirectories(const std::string& path) override
    {
        if (path.empty())
            return IoStatus::failure("empty path");
        // Each prefix ending before a "/", then the whole path.
        for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
            const std::string prefix = path.substr(0, slash);
            if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST)
                return IoStatus::fromErrno(prefix, errno);
            if (slash == std::string::npos)
                break;
        }
        return isDirectory(path) ? IoStatus::success() : IoStatus::failure(path + ": not a folder");
    }

    IoStatus rename(const std::string& from, const std::string& to) override
    {
        if (::rename(from.c_str(), to.c_str()) != 0)
            return IoStatus::fromErrno(from, errno);
        return IoStatus::success();
    }

    IoStatus removeFile(const std::string& path) override
    {
        if (::unlink(path.c_str()) != 0)
            return IoStatus::fromErrno(path, errno);
        return IoStatus::success();
    }

    bool exists(const std::string& path) const override
    {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0;
    }

    bool isDirectory(const std::string& path) const override
    {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }

private:
    // The written temporary file takes the target's mode, owner and attributes, reaches the disk
    // and is renamed over the target (already resolved). On failure it is removed.
    static IoStatus commitOpenFile(UniqueFd fd, const std::string& temporary, const std::string& target)
    {
        const auto fail = [&](const std::string& what, int error) {
            ::unlink(temporary.c_str());
            return IoStatus::fromErrno(what, error);
        };
        if (::access(target.c_str(), F_OK) == 0)
            copyFileMetadata(target, fd.get());
        if (::fsync(fd.get()) != 0)
            return fail(temporary, errno);
        if (::close(fd.release()) != 0)
            return fail(temporary, errno);
        if (::rename(temporary.c_str(), target.c_str()) != 0)
            return fail(target, errno);
        syncFolderOf(target);
        return IoStatus::success();
    }
};

}

FileSystem& realFileSystem()
{
    static RealFileSystem fileSystem;
    return fileSystem;
}

std::string temporarySiblingPath(const std::string& path)
{
    const std::string folder = parentPath(path);
    const std::string name = "." + lastPathComponent(path) + "." + randomHex(8) + ".tmp";
    return folder.empty() ? name : joinPath(folder, name);
}

std::string resolveSymlinks(const std::string& path)
{
    constexpr int kMaxLinks = 40;
    std::string current = path;
    for (int depth = 0; depth < kMaxLinks; ++depth) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::vector<char> target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : PATH_MAX) + 1);
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
            return current;
        const std::string next(target.data(), static_cast<std::size_t>(length));
        current = next.starts_with('/') ? next : joinPath(parentPath(current), next);
    }
    return current;
}

mode_t defaultNewFileMode()
{
    // The umask is read from the process status: setting it to read it back would open a moment
    // in which other threads create files without it.
    if (const auto status = realFileSystem().readFile("/proc/self/status")) {
        const auto at = status->find("\nUmask:");
        if (at != std::string::npos)
            return 0666 & ~static_cast<mode_t>(std::strtoul(status->c_str() + at + 7, nullptr, 8));
    }
    return 0644;
}

void copyFileMetadata(const std::string& from, int fd)
{
    struct stat info {};
    if (::stat(from.c_str(), &info) != 0)
        return;
    // Owner first: changing it may clear set-id bits, which the chmod then restores.
    if (::fchown(fd, info.st_uid, info.st_gid) != 0)
        [[maybe_unused]] int ignored = ::fchown(fd, static_cast<uid_t>(-1), info.st_gid);
    ::fchmod(fd, info.st_mode & 07777);

    const ssize_t listSize = ::listxattr(from.c_str(), nullptr, 0);
    if (listSize <= 0)
        return;
    std::vector<char> names(static_cast<std::size_t>(listSize));
    const ssize_t got = ::listxattr(from.c_str(), names.data(), names.size());
    for (ssize_t offset = 0; offset < got;) {
        const char* name = names.data() + offset;
        offset += static_cast<ssize_t>(std::strlen(name)) + 1;
        const ssize_t valueSize = ::getxattr(from.c_str(), name, nullptr, 0);
        if (valueSize < 0)
            continue;
        std::vector<char> value(static_cast<std::size_t>(valueSize));
        if (::getxattr(from.c_str(), name, value.data(), value.size()) == valueSize)
            ::fsetxattr(fd, name, value.data(), value.size(), 0);
    }
}

void copyUserAttributes(int from, int to)
{
    const ssize_t listSize = ::flistxattr(from, nullptr, 0);
    if (listSize <= 0)
        return;
    std::vector<char> names(static_cast<std::size_t>(listSize));
    const ssize_t got = ::flistxattr(from, names.data(), names.size());
    for (ssize_t offset = 0; offset < got;) {
        const std::string_view name(names.data() + offset);
        offset += static_cast<ssize_t>(name.size()) + 1;
        if (!name.starts_with("user."))
            continue;
        const ssize_t valueSize = ::fgetxattr(from, name.data(), nullptr, 0);
        if (valueSize < 0)
            continue;
        std::vector<char> value(static_cast<std::size_t>(valueSize));
        if (::fgetxattr(from, name.data(), value.data(), value.size()) == valueSize)
            ::fsetxattr(to, name.data(), value.data(), value.size(), 0);
    }
}

}
