#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ikw {

// The scheme of the page-to-native actions: "qeliz://<action>?<items>".
inline constexpr std::string_view kActionScheme = "qeliz";

// What a navigation's URL is to the page bridge. Schemes are compared exactly as written, so
// "QELIZ:" or "HTTP:" are neither an action nor a web address.
struct PageLink {
    enum class Kind {
        None,   // no URL at all
        Action, // the action scheme; `host` is the action's name, nothing when the URL has none
        File,   // a local file; `filePath` is its decoded path (nothing when it is not one)
        Web,    // "http" or "https"
        Other,  // about:, data:, blob:, the resource schemes, anything else
    };
    Kind kind = Kind::None;
    std::optional<std::string> host;
    std::optional<std::string> filePath;
};

PageLink classifyPageLink(std::string_view url);

// The part of `url` before its first ':' when that is a well-formed scheme, as written.
std::optional<std::string_view> urlSchemeOf(std::string_view url);

}
