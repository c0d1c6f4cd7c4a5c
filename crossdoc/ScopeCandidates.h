#pragma once

#include "crossdoc/FolderWalk.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace ikw::crossdoc {

// How the files of a search scope (folders and files) are gathered.
struct ScopeRules {
    // The folders add files while the list holds fewer than this; the given files are not capped.
    std::size_t maxFiles = 0;
    // Which given files and which files found in the folders join the list.
    std::function<bool(const std::string& path)> acceptGiven;
    std::function<bool(const std::string& path)> acceptFound;
    // Optional: told of each file as it joins the list; Stop ends the gathering there.
    std::function<WalkStep(const std::string& path)> onAdded {};
    // Optional: told of each folder just before the walk reads its entries.
    std::function<void(const std::string& folder)> onListing {};
};

// The scope's files in order, each path once (its first appearance wins): the given files first,
// then what each folder's walk finds (walkFolder), until the list holds `maxFiles` or onAdded
// stops it.
std::vector<std::string> collectScope(const std::vector<std::string>& folders, const std::vector<std::string>& givenFiles,
    const ScopeRules& rules);

}
