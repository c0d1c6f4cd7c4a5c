#include "review/EnginePageURL.h"

#include "platform/core/UriEscape.h"

#include <glib.h>

namespace ikw {

namespace {

std::string escapeValue(const std::string& value)
{
    return uriEscaped(value, "/:");
}

}

std::optional<std::string> enginePageURL(const std::string& pagePath, const std::vector<PageQueryItem>& items)
{
    gchar* pageUri = g_filename_to_uri(pagePath.c_str(), nullptr, nullptr);
    if (!pageUri)
        return std::nullopt;
    std::string url(pageUri);
    g_free(pageUri);
    char separator = '?';
    for (const auto& [name, value] : items) {
        url += separator;
        url += name;
        url += '=';
        url += escapeValue(value);
        separator = '&';
    }
    return url;
}

}
