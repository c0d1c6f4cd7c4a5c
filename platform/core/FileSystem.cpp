#include "platform/core/FileSystem.h"

#include "platform/core/Identifiers.h"
#include "platform/core/Paths.h"
#include "platform/core/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
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

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

mode_t defaultNewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
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

    IoStatus replaceFile(const std::string& path, std::string_view data, const ReplaceOptions& options) override
    {
        const std::string temporary = temporarySiblingPath(path);
        struct stat existing {};
        const bool hasExisting = ::stat(path.c_str(), &existing) == 0;
        const mode_t mode = hasExisting ? (existing.st_mode & 07777) : options.newFileMode.value_or(defaultNewFileMode());
        // Created with the final mode so that a private file is never more open than it will be.
        UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 0777));
        if (fd.get() < 0)
            return IoStatus::fromErrno(temporary, errno);
        const auto fail = [&](int error) {
            ::unlink(temporary.c_str());
            return IoStatus::fromErrno(path, error);
        };
        if (!writeAll(fd.get(), data))
            return fail(errno);
        ::fchmod(fd.get(), mode);
        if (hasExisting)
            copyFileMetadata(path, fd.get());
        if (::fsync(fd.get()) != 0)
            return fail(errno);
        if (::close(fd.release()) != 0)
            return fail(errno);
        if (::rename(temporary.c_str(), path.c_str()) != 0)
            return fail(errno);
        syncFolderOf(path);
        return IoStatus::success();
    }

    IoStatus commitReplacement(const std::string& temporaryPath, const std::string& path) override
    {
        UniqueFd fd(::open(temporaryPath.c_str(), O_RDWR | O_CLOEXEC));
        if (fd.get() < 0)
            return IoStatus::fromErrno(temporaryPath, errno);
        if (::access(path.c_str(), F_OK) == 0)
            copyFileMetadata(path, fd.get());
        if (::fsync(fd.get()) != 0)
            return IoStatus::fromErrno(temporaryPath, errno);
        if (::rename(temporaryPath.c_str(), path.c_str()) != 0)
            return IoStatus::fromErrno(path, errno);
        syncFolderOf(path);
        return IoStatus::success();
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

}
