#pragma once

// The hand-off URL by which the file-manager extension gives the application the items the user
// chose: "qeliz://finder?action=…&count=…&path=…&path=…". GLib only.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::finderext {

struct UrlQueryItem {
    std::string name;
    std::string value;
};

inline constexpr std::string_view kHandoffScheme = "qeliz";
inline constexpr std::string_view kHandoffHost = "finder";
// The most `path` items one URL carries; `count` still tells the size of the whole selection.
inline constexpr std::size_t kMaxPaths = 200;

// "scheme://host?name=value&…" with every name and value escaped down to RFC 3986's unreserved
// characters, so that "&", "=", "#", "%", "+", spaces and every other byte come back unchanged.
std::string composeUrl(std::string_view scheme, std::string_view host, const std::vector<UrlQueryItem>& items);

// The hand-off URL for `action` ("open" or "share") over local paths, in selection order: `count`
// is the number of paths, followed by the first kMaxPaths of them. Nothing for no paths.
std::optional<std::string> handoffUrl(std::string_view action, const std::vector<std::string>& paths);

}
