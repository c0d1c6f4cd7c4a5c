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
    // This runs on a worker: every call takes an error code, none may throw (a range-for would
    // advance the iterator with the throwing increment).
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    int removed = 0;
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        std::error_code entryError;
        if (!isGeneratedPageName(entry.path().filename().native()) || !entry.is_regular_file(entryError) || entry.is_symlink(entryError))
            continue;
        const auto modified = entry.last_write_time(entryError);
        if (entryError || now - modified < kHiddenPageLifetime)
            continue;
        if (fs::remove(entry.path(), entryError))
            ++removed;
    }
    return removed;
}

}
