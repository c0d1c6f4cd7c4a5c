#include "platform/http/UrlCheck.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace ikw::http {

namespace {

using UrlHandle = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

std::optional<std::string> partOf(CURLU* url, CURLUPart part)
{
    char* text = nullptr;
    if (curl_url_get(url, part, &text, 0) != CURLUE_OK || !text)
        return std::nullopt;
    std::string copy(text);
    curl_free(text);
    return copy;
}

std::string lowered(std::string text)
{
    std::ranges::transform(text, text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}

std::optional<UrlOrigin> parseUrlOrigin(std::string_view url)
{
    // curl_url_set reads a C string: a NUL inside would silently cut the URL short.
    if (url.find('\0') != std::string_view::npos)
        return std::nullopt;
    const UrlHandle handle(curl_url(), curl_url_cleanup);
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, std::string(url).c_str(), 0) != CURLUE_OK)
        return std::nullopt;
    auto scheme = partOf(handle.get(), CURLUPART_SCHEME);
    auto host = partOf(handle.get(), CURLUPART_HOST);
    if (!scheme || !host)
        return std::nullopt;
    return UrlOrigin { lowered(std::move(*scheme)), std::move(*host) };
}

bool isLoopbackHost(std::string_view host)
{
    const std::string name = lowered(std::string(host));
    return name == "127.0.0.1" || name == "[::1]" || name == "::1" || name == "localhost";
}

}
