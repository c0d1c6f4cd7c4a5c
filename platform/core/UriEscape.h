#pragma once

#include <string>
#include <string_view>

namespace ikw {

// `text` percent-encoded for a URI: every byte but the unreserved characters and those listed in
// `reservedAllowed` (GLib's G_URI_RESERVED_CHARS_* sets, or nullptr for none) is escaped.
std::string uriEscaped(std::string_view text, const char* reservedAllowed = nullptr);

}
