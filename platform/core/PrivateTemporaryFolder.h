#pragma once

#include "platform/core/Paths.h"
#include "platform/core/UniqueFd.h"

#include <optional>
#include <string>
#include <string_view>

namespace ikw {

// This user's private folder for job files, in place of a shared /tmp: `name` under
// $XDG_RUNTIME_DIR, else "<cache folder>/<name>/tmp". Created 0700 on first use; an existing one
// with looser permissions is tightened; one that is a symbolic link or belongs to another user is
// never used. nullopt when no private folder can be had.
std::optional<std::string> privateTemporaryFolder(const Paths& paths, std::string_view name);

struct TemporaryFile {
    std::string path;
    UniqueFd fd; // open for writing
};

// A new file "<prefix><random><suffix>" in `folder`, created exclusively with mode 0600.
std::optional<TemporaryFile> createTemporaryFile(const std::string& folder, std::string_view prefix, std::string_view suffix = {});
// A new folder "<prefix><random>" in `folder`, mode 0700.
std::optional<std::string> createTemporaryFolder(const std::string& folder, std::string_view prefix);

}
