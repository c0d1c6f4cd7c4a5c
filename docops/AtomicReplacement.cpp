#include "docops/AtomicReplacement.h"

#include "app/HiddenPageCleanup.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Paths.h"

#include <optional>

namespace ikw::docops {

namespace {

// Every rewrite of this process writes after this moment.
const std::filesystem::file_time_type kProcessStart = std::filesystem::file_time_type::clock::now();

bool replaceWith(std::string_view bytes, const std::string& path, std::string_view purpose, FileSystem& fileSystem)
{
    const std::string target = resolveSymlinks(path);
    removeStaleRewriteFilesIn(parentPath(target));
    const std::string temporary = replacementTemporaryPath(target, purpose);
    if (!fileSystem.writePrivateFile(temporary, bytes) || !fileSystem.commitReplacement(temporary, target)) {
        // Never fall back to writing over the user's file: a half-written target is worse than
        // a failed operation.
        fileSystem.removeFile(temporary);
        return false;
    }
    return true;
}

}

std::string replacementTemporaryPath(const std::string& path, std::string_view purpose)
{
    return joinPath(parentPath(path), ".ikw-" + std::string(purpose) + "-" + makeUuid() + ".pdf");
}

void removeStaleRewriteFilesIn(const std::string& folder)
{
    removeStaleRewriteFiles(folder, kProcessStart);
}

bool atomicWrite(const pdf::EditableDocument& document, const std::string& path, FileSystem& fileSystem)
{
    const std::optional<std::string> bytes = document.toBytes();
    return bytes && replaceWith(*bytes, path, "pageop", fileSystem);
}

bool atomicWriteData(std::string_view bytes, const std::string& path, FileSystem& fileSystem)
{
    return replaceWith(bytes, path, "fillform", fileSystem);
}

}
