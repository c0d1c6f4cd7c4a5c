#pragma once

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
};

// The scope's files in order, each path once (its first appearance wins): the given files first,
// then what each folder's walk finds (walkFolder), until the list holds `maxFiles`.
std::vector<std::string> collectScope(const std::vector<std::string>& folders, const std::vector<std::string>& givenFiles,
    const ScopeRules& rules);

}
