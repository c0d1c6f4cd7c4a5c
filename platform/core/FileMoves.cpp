#include "platform/core/FileMoves.h"
#include "platform/core/WriteAll.h"

#include "platform/core/FileSystem.h"
#include "platform/core/FileTree.h"
#include "platform/core/Log.h"
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

// Another file system cannot take the item by a rename: it is copied whole under a hidden name
// beside the target, claimed under the target's name, and only then is the source removed. A
// failed copy leaves the source as it was and no partial copy behind.
PlaceResult moveAcrossFileSystems(const std::string& from, const std::string& to)
{
    struct stat source {}, existing {};
    if (::lstat(from.c_str(), &source) != 0)
        return failed(from, errno);
    if (::lstat(to.c_str(), &existing) == 0)
        return failed(to, EEXIST);
    const std::string temporary = temporarySiblingPath(to);
    if (const IoStatus copied = copyTree(from, temporary); !copied)
        return { PlaceResult::Outcome::failed, {}, copied.message() };
    PlaceResult claimed = moveWithoutReplacing(temporary, to);
    if (!claimed) {
        removeTree(temporary);
        return claimed;
    }
    if (!S_ISDIR(source.st_mode)) {
        if (::unlink(from.c_str()) != 0) {
            const int error = errno;
            ::unlink(to.c_str());
            return failed(from, error);
        }
        return claimed;
    }
    // A folder cannot be taken away in one step. Once its copy is whole, what cannot be removed
    // of the source stays behind rather than the copy being thrown away.
    if (const IoStatus removed = removeTree(from); !removed)
        logLine("Moved " + from + " to " + to + ", but part of the original stays: " + removed.message());
    return claimed;
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
    if (!copyAll(source.get(), copy.get()))
        return fail(errno);
    // The copy belongs to whoever copies; it keeps the permission bits, the times and the user's
    // own attributes (a document's id travels with it).
    ::fchmod(copy.get(), info.st_mode & 0777);
    copyUserAttributes(source.get(), copy.get());
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
