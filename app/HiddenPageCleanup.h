#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {

// Hidden generated pages (".welcome-*", ".loading-*", ".panel-*") older than this are gone at launch.
inline constexpr std::chrono::hours kHiddenPageLifetime { 24 };

// Removes the stale hidden pages of the reviews folder (only regular files directly inside it);
// returns how many went. A page still on screen is younger than a day or already loaded.
int removeStaleHiddenPages(const std::string& folder, std::filesystem::file_time_type now = std::filesystem::file_time_type::clock::now());

// Whether a file name is one of the hidden files a rewrite writes beside a document before it
// takes the document's place: ".ikw-<purpose>-<UUID>.pdf".
bool isRewriteFileName(std::string_view name);

// Removes the hidden rewrite files in `folder` last written before `since` (regular files only):
// what a rewrite that was killed left behind. Rewrites running now wrote after `since`. Returns
// how many went.
int removeStaleRewriteFiles(const std::string& folder, std::filesystem::file_time_type since);

// The folders whose stale rewrite files the launch removes: those of the recent documents and the
// recent folders themselves, each once.
std::vector<std::string> recentDocumentFolders(const std::vector<std::string>& files, const std::vector<std::string>& folders);

}
