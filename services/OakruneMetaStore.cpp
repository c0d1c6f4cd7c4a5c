#include "services/OakruneMetaStore.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Log.h"
#include "platform/core/Paths.h"

#include <cstdlib>

namespace ikw::services::OakruneMetaStore {

std::string path()
{
    if (const char* chosen = std::getenv("IKW_OAKRUNE_META"))
        return chosen;
    return Paths::fromEnvironment().mapLibraryPath("~/Library/Application Support/Inkwarden/oakrune.json");
}

std::optional<Json> read()
{
    const std::optional<std::string> text = realFileSystem().readFile(path());
    if (!text)
        return std::nullopt;
    std::optional<Json> value = parseJson(*text);
    if (!value || !value->is_object())
        return std::nullopt;
    return value;
}

void write(const Json& object)
{
    const std::string file = path();
    FileSystem& files = realFileSystem();
    const std::string folder = parentPath(file);
    if (!folder.empty())
        files.createDirectories(folder);
    const IoStatus written = files.replaceFile(file, toPrettyJson(object));
    if (!written)
        logLine("Oakrune connection details could not be saved: " + written.message());
}

void remove()
{
    realFileSystem().removeFile(path());
}

}
