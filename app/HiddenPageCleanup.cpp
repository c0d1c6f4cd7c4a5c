#include "app/HiddenPageCleanup.h"

#include "platform/core/Paths.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>
#include <system_error>

namespace ikw {

namespace {

bool isGeneratedPageName(std::string_view name)
{
    constexpr std::array<std::string_view, 4> prefixes { ".welcome-", ".loading-", ".panel-", ".history-" };
    for (const auto prefix : prefixes) {
        if (name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix)
            return true;
    }
    return false;
}

bool isUuidText(std::string_view text)
{
    if (text.size() != 36)
        return false;
    for (std::size_t index = 0; index < text.size(); ++index) {
        const bool dash = index == 8 || index == 13 || index == 18 || index == 23;
        if (dash ? text[index] != '-' : !std::isxdigit(static_cast<unsigned char>(text[index])))
            return false;
    }
    return true;
}

// Removes the regular files (never links or folders) of `folder` whose name passes and whose last
// write passes; returns how many went.
template<typename NameTest, typename AgeTest>
int removeFilesIn(const std::string& folder, NameTest nameTest, AgeTest ageTest)
{
    namespace fs = std::filesystem;
    // This runs on a worker: every call takes an error code, none may throw (a range-for would
    // advance the iterator with the throwing increment).
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    int removed = 0;
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        std::error_code entryError;
        if (!nameTest(entry.path().filename().native()) || entry.is_symlink(entryError) || !entry.is_regular_file(entryError))
            continue;
        const auto modified = entry.last_write_time(entryError);
        if (entryError || !ageTest(modified))
            continue;
        if (fs::remove(entry.path(), entryError))
            ++removed;
    }
    return removed;
}

}

bool isRewriteFileName(std::string_view name)
{
    constexpr std::string_view prefix = ".ikw-";
    constexpr std::string_view suffix = ".pdf";
    constexpr std::size_t uuidLength = 36;
    if (!name.starts_with(prefix) || !name.ends_with(suffix) || name.size() < prefix.size() + 2 + uuidLength + suffix.size())
        return false;
    const std::string_view stem = name.substr(0, name.size() - suffix.size());
    const std::string_view purpose = stem.substr(prefix.size(), stem.size() - prefix.size() - uuidLength);
    return purpose.size() >= 2 && purpose.back() == '-' && isUuidText(stem.substr(stem.size() - uuidLength));
}

int removeStaleRewriteFiles(const std::string& folder, std::filesystem::file_time_type since)
{
    return removeFilesIn(folder, isRewriteFileName, [since](auto modified) { return modified < since; });
}

std::vector<std::string> recentDocumentFolders(const std::vector<std::string>& files, const std::vector<std::string>& folders)
{
    std::vector<std::string> result = folders;
    for (const std::string& file : files)
        result.push_back(parentPath(file));
    std::erase_if(result, [](const std::string& folder) { return !folder.starts_with('/'); });
    std::sort(result.begin(), result.end());
    result.erase(std::unique(result.begin(), result.end()), result.end());
    return result;
}

int removeStaleHiddenPages(const std::string& folder, std::filesystem::file_time_type now)
{
    return removeFilesIn(folder, isGeneratedPageName, [now](auto modified) { return now - modified >= kHiddenPageLifetime; });
}

}
