#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ikw::assistants {

// The map an export leaves in its folder: image file name to library identifier.
inline constexpr const char* kPhotoMapFile = "photokit_map.json";

// The library identifiers of the names the page sent (Base64 of a JSON array of file names), in
// the page's order, names without an entry dropped. Nothing when the folder is no library export
// (no readable map of strings to strings) or the names are not Base64 of an array of strings:
// then the folder belongs to the engine's script.
std::optional<std::vector<std::string>> photoIdentifiersFor(const std::string& folder, const std::string& namesBase64);

}
