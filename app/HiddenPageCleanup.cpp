#include "app/HiddenPageCleanup.h"

#include <array>
#include <string_view>
#include <system_error>

namespace ikw {

namespace {

bool isGeneratedPageName(std::string_view name)
{
    constexpr std::array<std::string_view, 3> prefixes { ".welcome-", ".loading-", ".panel-" };
    for (const auto prefix : prefixes) {
        if (name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix)
            return true;
    }
    return false;
}

}

int removeStaleHiddenPages(const std::string& folder, std::filesystem::file_time_type now)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error)
        return 0;
    int removed = 0;
    for (const auto& entry : entries) {
        if (!isGeneratedPageName(entry.path().filename().string()) || !entry.is_regular_file(error) || entry.is_symlink(error))
            continue;
        const auto modified = entry.last_write_time(error);
        if (error || now - modified < kHiddenPageLifetime)
            continue;
        if (fs::remove(entry.path(), error))
            ++removed;
    }
    return removed;
}

}
