#include "review/EnginePageURL.h"

#include <glib.h>

namespace ikw {

namespace {

std::string escapeValue(const std::string& value)
{
    gchar* escaped = g_uri_escape_string(value.c_str(), "/:", FALSE);
    std::string result(escaped);
    g_free(escaped);
    return result;
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
