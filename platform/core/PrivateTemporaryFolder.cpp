#include "platform/core/PrivateTemporaryFolder.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Identifiers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ikw {

namespace {

constexpr int kMostNameAttempts = 100;

// Makes sure `path` is a real folder of this user that nobody else can enter.
bool claimPrivateFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    // O_NOFOLLOW: a symbolic link planted in the folder's place is refused, not followed.
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || info.st_uid != ::geteuid())
        return false;
    return (info.st_mode & 077) == 0 || ::fchmod(fd.get(), 0700) == 0;
}

bool isFolder(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string randomName(std::string_view prefix, std::string_view suffix)
{
    return std::string(prefix) + randomHex(8) + std::string(suffix);
}

}

std::optional<std::string> privateTemporaryFolder(const Paths& paths, std::string_view name)
{
    if (isFolder(paths.runtimeDir)) {
        const std::string folder = joinPath(paths.runtimeDir, name);
        if (claimPrivateFolder(folder))
            return folder;
    }
    const std::string parent = paths.caches(name);
    if (!realFileSystem().createDirectories(parent))
        return std::nullopt;
    const std::string folder = joinPath(parent, "tmp");
    if (!claimPrivateFolder(folder))
        return std::nullopt;
    return folder;
}

std::optional<TemporaryFile> createTemporaryFile(const std::string& folder, std::string_view prefix, std::string_view suffix)
{
    for (int attempt = 0; attempt < kMostNameAttempts; ++attempt) {
        std::string path = joinPath(folder, randomName(prefix, suffix));
        UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd.valid())
            return TemporaryFile { std::move(path), std::move(fd) };
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> createTemporaryFolder(const std::string& folder, std::string_view prefix)
{
    for (int attempt = 0; attempt < kMostNameAttempts; ++attempt) {
        std::string path = joinPath(folder, randomName(prefix, {}));
        if (::mkdir(path.c_str(), 0700) == 0)
            return path;
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

}
