#include "finder-extension/HandoffUrl.h"

#include <glib.h>

#include <algorithm>
#include <memory>

namespace ikw::finderext {

namespace {

// Everything but ALPHA, DIGIT, "-", ".", "_" and "~" is percent-encoded, byte by byte.
std::string escaped(std::string_view text)
{
    const std::string copy(text);
    const std::unique_ptr<char, decltype(&g_free)> result(g_uri_escape_string(copy.c_str(), nullptr, FALSE), g_free);
    return result ? std::string(result.get()) : std::string();
}

}

std::string composeUrl(std::string_view scheme, std::string_view host, const std::vector<UrlQueryItem>& items)
{
    std::string url = std::string(scheme) + "://" + std::string(host);
    char separator = '?';
    for (const auto& item : items) {
        url += separator;
        url += escaped(item.name) + "=" + escaped(item.value);
        separator = '&';
    }
    return url;
}

std::optional<std::string> handoffUrl(std::string_view action, const std::vector<std::string>& paths)
{
    if (paths.empty())
        return std::nullopt;
    std::vector<UrlQueryItem> items {
        { "action", std::string(action) },
        { "count", std::to_string(paths.size()) },
    };
    const auto carried = std::min(paths.size(), kMaxPaths);
    std::transform(paths.begin(), paths.begin() + static_cast<std::ptrdiff_t>(carried), std::back_inserter(items),
        [](const std::string& path) { return UrlQueryItem { "path", path }; });
    return composeUrl(kHandoffScheme, kHandoffHost, items);
}

}
