#pragma once

#include "platform/core/Json.h"

#include <optional>
#include <string>

namespace ikw::assistants {

// The engine's organize page: the per-user engine's copy when there is one, else the bundle's.
std::string organizeHTMLPath();
// The organize page's URL for `folder`, with its items `folder` and then `theme` ("dark" or
// "light"); nothing when the page path makes no file URL.
std::optional<std::string> organizeURL(const std::string& folder, const std::string& theme);

// What the organize page is told when it is ready: `folder` as the page sent it and the
// application's version, then the folder's `name` and its document `files`, or `err` when the
// folder is missing or no folder.
Json organizeInitPayload(const std::string& folder, const std::string& version);

// The name a folder shows under (its last component, a trailing "/" ignored).
std::string folderDisplayName(const std::string& folder);

}
