#include "finder/IkwFinderRequest.h"

#include "review/UrlQuery.h"

#include <glib.h>

#include <algorithm>
#include <iostream>
#include <memory>

namespace ikw::finder {

namespace {

std::string asciiLower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return g_ascii_tolower(c); });
    return lower;
}

bool hasFinderSchemeAndHost(std::string_view url)
{
    const std::string text(url);
    const std::unique_ptr<GUri, decltype(&g_uri_unref)> uri(g_uri_parse(text.c_str(), G_URI_FLAGS_ENCODED, nullptr), g_uri_unref);
    if (!uri || !g_uri_get_scheme(uri.get()) || !g_uri_get_host(uri.get()))
        return false;
    return asciiLower(g_uri_get_scheme(uri.get())) == "qeliz" && asciiLower(g_uri_get_host(uri.get())) == "finder";
}

const QueryItem* firstNamed(const std::vector<QueryItem>& items, std::string_view name)
{
    const auto it = std::find_if(items.begin(), items.end(), [name](const QueryItem& item) { return item.name == name; });
    return it == items.end() ? nullptr : &*it;
}

// A relative path would resolve against wherever the application happens to run.
bool isUsablePath(const std::optional<std::string>& value)
{
    return value && value->starts_with('/') && value->find('\0') == std::string::npos;
}

}

std::optional<IkwFinderRequest> IkwFinderRequest::parse(std::string_view url)
{
    if (!hasFinderSchemeAndHost(url))
        return std::nullopt;
    // Items whose name or value is not UTF-8 or holds NUL are already left out here.
    const auto items = queryItems(url);
    IkwFinderRequest request;
    for (const auto& item : items) {
        if (item.name == "path" && isUsablePath(item.value))
            request.paths.push_back(*item.value);
    }
    if (request.paths.empty())
        return std::nullopt;

    const auto* action = firstNamed(items, "action");
    request.action = action && action->value && asciiLower(*action->value) == "share" ? "share" : "open";
    if (const auto* count = firstNamed(items, "count"); count && count->value)
        request.declaredCount = parseQueryInteger(*count->value);
    return request;
}

bool IkwFinderRequest::selftest()
{
    return runFinderUrlSelftest(&IkwFinderRequest::parse, std::cout, std::cerr);
}

}
