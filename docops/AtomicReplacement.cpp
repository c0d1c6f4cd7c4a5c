#include "docops/AtomicReplacement.h"

#include "platform/core/Identifiers.h"
#include "platform/core/Paths.h"

#include <optional>

namespace ikw::docops {

namespace {

bool replaceWith(std::string_view bytes, const std::string& path, std::string_view purpose, FileSystem& fileSystem)
{
    const std::string temporary = replacementTemporaryPath(path, purpose);
    if (!fileSystem.writeFile(temporary, bytes) || !fileSystem.commitReplacement(temporary, path)) {
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

bool atomicWrite(const pdf::Document& document, const std::string& path, FileSystem& fileSystem)
{
    const std::optional<std::string> bytes = document.toBytes();
    return bytes && replaceWith(*bytes, path, "pageop", fileSystem);
}

bool atomicWriteData(std::string_view bytes, const std::string& path, FileSystem& fileSystem)
{
    return replaceWith(bytes, path, "fillform", fileSystem);
}

}
