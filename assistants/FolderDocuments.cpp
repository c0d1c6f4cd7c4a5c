#include "assistants/FolderDocuments.h"

#include "library/DocumentKinds.h"

#include <algorithm>
#include <filesystem>

namespace ikw::assistants {

std::vector<std::string> documentNamesIn(const std::string& folder, const std::set<std::string>& extensions)
{
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (!name.starts_with('.') && extensions.contains(library::lowerExtension(name)))
            names.push_back(std::move(name));
    }
    // A listing cut short is no listing: a partial one would pass for the whole folder.
    if (error)
        return {};
    std::sort(names.begin(), names.end());
    return names;
}

const std::set<std::string>& orgDocExts()
{
    static const std::set<std::string> table { "pdf", "doc", "docx", "rtf", "txt", "md", "markdown", "odt", "html", "htm" };
    return table;
}

std::vector<std::string> organizeDocList(const std::string& folder)
{
    return documentNamesIn(folder, orgDocExts());
}

}
