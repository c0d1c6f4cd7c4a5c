#pragma once

#include "platform/core/UserDefaults.h"

#include <string>
#include <vector>

namespace ikw {

// The user defaults of the running application: <product support folder>/<application id>.json.
UserDefaults appUserDefaults();

// A file or folder the user opened, newest first in the stored list.
struct RecentItem {
    std::string path;
    bool isDir = false;
    double ts = 0; // seconds since 1970

    bool operator==(const RecentItem&) const = default;
};

// The user default "recentItems"; when it is missing or not an array of objects, the older
// "recentFolders" list, each folder one second older than the one before it (from `now`).
std::vector<RecentItem> readRecentItems(const UserDefaults& defaults, double now);

// Stores the items newest first (a stable sort by `ts`), at most kRecentCap of them, under
// "recentItems", and their folders' paths, in the same order, under "recentFolders".
inline constexpr std::size_t kRecentCap = 50;
void writeRecentItems(UserDefaults& defaults, std::vector<RecentItem> items);

// The user default "pinnedFolders" in pin order; empty when missing or malformed.
std::vector<std::string> readPinnedFolders(const UserDefaults& defaults);
// Stores the pins in their order, each path once (its first place kept).
void writePinnedFolders(UserDefaults& defaults, const std::vector<std::string>& paths);

}
