#include "platform/core/FileMoves.h"
#include "platform/core/WriteAll.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"
#include "platform/core/UniqueFd.h"
#include "platform/core/UniqueName.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ikw {

namespace {

PlaceResult placed(const std::string& path) { return { PlaceResult::Outcome::placed, path, {} }; }

PlaceResult failed(const std::string& what, int error)
{
    if (error == EEXIST)
        return { PlaceResult::Outcome::nameTaken, {}, what + ": a file with this name exists" };
    return { PlaceResult::Outcome::failed, {}, what + ": " + std::strerror(error) };
}

// Claims `to` for the file at `from` by a hard link, then drops the old name. link() never
// replaces, which makes it the fallback for file systems without RENAME_NOREPLACE.
PlaceResult linkThenUnlink(const std::string& from, const std::string& to)
{
    if (::link(from.c_str(), to.c_str()) != 0)
        return failed(to, errno);
    if (::unlink(from.c_str()) != 0) {
        const int error = errno;
        ::unlink(to.c_str());
        return failed(from, error);
    }
    return placed(to);
}

// In the kernel where it can (no trip through user space; a clone where the file system shares
// blocks), else through a buffer.
bool copyBytes(int from, int to)
{
    for (;;) {
        const ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, std::size_t { 1 } << 30, 0);
        if (n == 0)
            return true;
        if (n > 0)
            continue;
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != EBADF)
            return false;
        break; // this pair of files cannot: the bytes copied so far stay, the rest goes by hand
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (!writeAll(to, std::string_view(buffer, static_cast<std::size_t>(n))))
            return false;
    }
}

PlaceResult moveAcrossFileSystems(const std::string& from, const std::string& to)
{
    PlaceResult copied = copyWithoutReplacing(from, to);
    if (!copied)
        return copied;
    if (::unlink(from.c_str()) != 0) {
        const int error = errno;
        ::unlink(to.c_str());
        return failed(from, error);
    }
    return copied;
}

template<typename Place>
PlaceResult placeUnderUniqueName(std::string_view folder, std::string_view name, Place place)
{
    for (int number = 1; number <= kMostNumberedNames; ++number) {
        PlaceResult result = place(joinPath(folder, numberedName(name, number)));
        if (result.outcome != PlaceResult::Outcome::nameTaken)
            return result;
    }
    return { PlaceResult::Outcome::failed, {}, std::string(folder) + ": no free name for " + std::string(name) };
}

}

PlaceResult moveWithoutReplacing(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return placed(to);
    switch (errno) {
    case EINVAL:
    case ENOSYS:
    case ENOTSUP:
        return linkThenUnlink(from, to);
    case EXDEV:
        return moveAcrossFileSystems(from, to);
    default:
        return failed(errno == EEXIST ? to : from, errno);
    }
}

PlaceResult copyWithoutReplacing(const std::string& from, const std::string& to, CopyFlush flush)
{
    UniqueFd source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!source.valid() || ::fstat(source.get(), &info) != 0)
        return failed(from, errno);
    if (!S_ISREG(info.st_mode))
        return { PlaceResult::Outcome::failed, {}, from + ": not a regular file" };
    struct stat existing {};
    if (::lstat(to.c_str(), &existing) == 0)
        return failed(to, EEXIST);

    const std::string temporary = temporarySiblingPath(to);
    UniqueFd copy(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!copy.valid())
        return failed(to, errno);
    const auto fail = [&](int error) {
        ::unlink(temporary.c_str());
        return failed(to, error);
    };
    if (!copyBytes(source.get(), copy.get()))
        return fail(errno);
    // The copy belongs to whoever copies; it keeps the permission bits and the times.
    ::fchmod(copy.get(), info.st_mode & 0777);
    const timespec times[2] = { info.st_atim, info.st_mtim };
    ::futimens(copy.get(), times);
    if ((flush == CopyFlush::toDisk && ::fsync(copy.get()) != 0) || ::close(copy.release()) != 0)
        return fail(errno);

    PlaceResult result = moveWithoutReplacing(temporary, to);
    if (!result)
        ::unlink(temporary.c_str());
    return result;
}

PlaceResult moveToUniqueName(const std::string& from, std::string_view folder, std::string_view name)
{
    return placeUnderUniqueName(folder, name, [&](const std::string& to) { return moveWithoutReplacing(from, to); });
}

PlaceResult copyToUniqueName(const std::string& from, std::string_view folder, std::string_view name)
{
    return placeUnderUniqueName(folder, name, [&](const std::string& to) { return copyWithoutReplacing(from, to); });
}

}
