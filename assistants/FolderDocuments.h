#pragma once

#include <set>
#include <string>
#include <vector>

namespace ikw::assistants {

// The names (not paths) of a folder's immediate entries whose lower-cased extension is one of
// `extensions`, in byte order (capitals before small letters). Names beginning with "." are left
// out; sub-folders are not: one named "Old.pdf" is listed. A folder that cannot be read lists
// nothing.
std::vector<std::string> documentNamesIn(const std::string& folder, const std::set<std::string>& extensions);

// The documents the organizer sorts.
const std::set<std::string>& orgDocExts();
std::vector<std::string> organizeDocList(const std::string& folder);

}
