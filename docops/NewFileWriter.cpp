#include "docops/NewFileWriter.h"

#include "docops/AtomicReplacement.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ikw::docops {

namespace {

constexpr int kMaxNameAttempts = 1000;

enum class Placed { Yes, NameTaken, Failed };

Placed placeWithoutReplacing(const std::string& temporary, const std::string& path)
{
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return Placed::Yes;
    if (errno == EEXIST)
        return Placed::NameTaken;
    if (errno != EINVAL && errno != ENOSYS)
        return Placed::Failed;
    // File systems without the flag: a hard link fails on a taken name just the same.
    if (::link(temporary.c_str(), path.c_str()) != 0)
        return errno == EEXIST ? Placed::NameTaken : Placed::Failed;
    ::unlink(temporary.c_str());
    return Placed::Yes;
}

}

std::optional<std::string> writeNewPdf(std::string_view bytes, const std::string& folder, const std::string& stem)
{
    FileSystem& fileSystem = realFileSystem();
    removeStaleRewriteFilesIn(folder);
    const std::string temporary = replacementTemporaryPath(joinPath(folder, stem + ".pdf"), "split");
    // Private while it is written; a new file's ordinary mode once it is whole.
    if (!fileSystem.writePrivateFile(temporary, bytes))
        return std::nullopt;
    if (::chmod(temporary.c_str(), defaultNewFileMode()) != 0) {
        fileSystem.removeFile(temporary);
        return std::nullopt;
    }
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        const std::string name = attempt == 1 ? stem + ".pdf" : stem + " (" + std::to_string(attempt) + ").pdf";
        const std::string path = joinPath(folder, name);
        switch (placeWithoutReplacing(temporary, path)) {
        case Placed::Yes:
            return path;
        case Placed::NameTaken:
            continue;
        case Placed::Failed:
            break;
        }
        break;
    }
    fileSystem.removeFile(temporary);
    return std::nullopt;
}

}
