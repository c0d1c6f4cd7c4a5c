#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace ikw {

// Hidden generated pages (".welcome-*", ".loading-*", ".panel-*") older than this are gone at launch.
inline constexpr std::chrono::hours kHiddenPageLifetime { 24 };

// Removes the stale hidden pages of the reviews folder (only regular files directly inside it);
// returns how many went. A page still on screen is younger than a day or already loaded.
int removeStaleHiddenPages(const std::string& folder, std::filesystem::file_time_type now = std::filesystem::file_time_type::clock::now());

}
