#include "review/PageLink.h"

#include <glib.h>

#include <memory>

namespace ikw {

namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The authority of "scheme://authority/...", up to the first '/', '?' or '#'; nothing without "//"
// or with an empty authority.
std::optional<std::string> authorityOf(std::string_view url, std::size_t schemeLength)
{
    std::string_view rest = url.substr(schemeLength + 1);
    if (!rest.starts_with("//"))
        return std::nullopt;
    rest.remove_prefix(2);
    const std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    if (authority.empty())
        return std::nullopt;
    return std::string(authority);
}

// The file a file URL names: its query and fragment are not part of the path (a reader page is
// "reader.html?pdf=...").
std::optional<std::string> localPathOf(std::string_view url)
{
    url = url.substr(0, url.find_first_of("?#"));
    const std::unique_ptr<gchar, decltype(&g_free)> path(g_filename_from_uri(std::string(url).c_str(), nullptr, nullptr), g_free);
    if (!path)
        return std::nullopt;
    return std::string(path.get());
}

}

std::optional<std::string_view> urlSchemeOf(std::string_view url)
{
    const std::size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || !isAsciiLetter(url.front()))
        return std::nullopt;
    const std::string_view scheme = url.substr(0, colon);
    for (const char c : scheme) {
        if (!(isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))
            return std::nullopt;
    }
    return scheme;
}

PageLink classifyPageLink(std::string_view url)
{
    PageLink link;
    if (url.empty())
        return link;
    link.kind = PageLink::Kind::Other;
    const auto scheme = urlSchemeOf(url);
    if (!scheme)
        return link;
    if (*scheme == kActionScheme) {
        link.kind = PageLink::Kind::Action;
        link.host = authorityOf(url, scheme->size());
    } else if (*scheme == "file") {
        link.kind = PageLink::Kind::File;
        link.filePath = localPathOf(url);
    } else if (*scheme == "http" || *scheme == "https") {
        link.kind = PageLink::Kind::Web;
    }
    return link;
}

}
