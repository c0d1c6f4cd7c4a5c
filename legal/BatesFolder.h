#pragma once

#include "platform/core/Json.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a production page is told about the folder it numbers: its inputs, their pages and the
// numbers its audit manifest already handed out. Blocking (every PDF is opened): run it off the
// main thread.
namespace ikw::legal {

inline constexpr std::string_view batesOutputFolderName = "Bates-Stamped";
inline constexpr std::string_view folderNotOpenedMessage = "That folder could not be opened.";

// The folder's "Bates-Stamped" subfolder, where copies, manifest and load file go.
std::string batesOutputDir(const std::string& folder);

// The folder a page action means: its `folder` item as sent (present but empty stays empty),
// else the window's first source, else the empty text.
std::string resolveBatesFolder(const std::optional<std::string>& folderItem, const std::vector<std::string>& sourcePaths);

// Full paths of the folder's direct entries that a run stamps: no dot-names, one of the accepted
// extensions in any letter case (a subfolder named "x.pdf" included), sorted by the code points
// of their composed (NFC) forms, so "B.pdf" precedes "a.pdf" and "10.pdf" precedes "2.pdf". A
// folder that cannot be listed has none.
std::vector<std::string> batesInputList(const std::string& folder);

// The pages of a PDF (none when it is not a regular file or does not open), 1 for anything else.
std::int64_t batesPageCount(const std::vector<std::string>& paths);

// The page's init object: `folder`, `ver`, then `name`, `count` and `pages`, and from a manifest
// with assigned ranges `existingMax`, `suggestedStart` and the last run's `prefix`; only
// `folder`, `ver` and `err` for a folder that is empty, not absolute, missing or no directory.
Json batesSummary(const std::string& folder, const std::string& version);

}
