#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ikw::http {

// The parts of a URL that decide where a request goes, as libcurl's parser reads them.
struct UrlOrigin {
    std::string scheme; // lower case
    std::string host; // as written, an IPv6 address in brackets ("[::1]")
};

// Nothing when libcurl's URL parser refuses the text (no scheme, bad characters, ...).
std::optional<UrlOrigin> parseUrlOrigin(std::string_view url);

// 127.0.0.1, ::1 or localhost (any case).
bool isLoopbackHost(std::string_view host);

}
