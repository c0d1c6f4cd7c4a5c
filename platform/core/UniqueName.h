#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ikw {

// The name a file takes when `fileName` is already used: number 1 is the name itself, then
// "name 2.ext", "name 3.ext", ... ("name 2" when the name has no extension).
std::string numberedName(std::string_view fileName, int number);

// How many numbered names are tried before giving up.
inline constexpr int kMostNumberedNames = 10000;

// The first numbered name whose path in `folder` is not `taken` (by default: nothing exists there);
// nothing when thousands are all taken.
// A name found this way can be taken by someone else a moment later: to put a file there, use
// moveToUniqueName or copyToUniqueName (FileMoves.h), which never replace.
std::optional<std::string> uniquePathInFolder(std::string_view folder, std::string_view fileName,
    const std::function<bool(const std::string& path)>& taken = {});

}
