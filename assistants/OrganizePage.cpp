#include "assistants/OrganizePage.h"

#include "assistants/FolderDocuments.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"
#include "review/EngineLocator.h"
#include "review/EnginePageURL.h"

namespace ikw::assistants {

std::string organizeHTMLPath()
{
    return enginePath("app/organize.html", "organize.html");
}

std::optional<std::string> organizeURL(const std::string& folder, const std::string& theme)
{
    return enginePageURL(organizeHTMLPath(), { { "folder", folder }, { "theme", theme } });
}

Json organizeInitPayload(const std::string& folder, const std::string& version)
{
    Json payload { { "folder", folder }, { "ver", version } };
    if (!folder.empty() && realFileSystem().isDirectory(folder)) {
        payload["name"] = folderDisplayName(folder);
        payload["files"] = organizeDocList(folder);
    } else {
        payload["err"] = "That folder could not be opened.";
    }
    return payload;
}

std::string folderDisplayName(const std::string& folder)
{
    std::string_view path = folder;
    while (path.size() > 1 && path.ends_with('/'))
        path.remove_suffix(1);
    return path == "/" ? std::string(path) : lastPathComponent(path);
}

}
