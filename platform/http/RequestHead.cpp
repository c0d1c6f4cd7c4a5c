#include "platform/http/RequestHead.h"

#include <glib.h>

#include <memory>

namespace ikw::http {

namespace {

// Valid runs are kept, and every byte that starts no valid sequence becomes one U+FFFD.
std::string repairedUtf8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const gchar* end = nullptr;
        g_utf8_validate_len(bytes.data(), bytes.size(), &end);
        const auto valid = static_cast<std::size_t>(end - bytes.data());
        text.append(bytes.substr(0, valid));
        if (valid == bytes.size())
            break;
        text.append("\xEF\xBF\xBD");
        bytes.remove_prefix(valid + 1);
    }
    return text;
}

std::vector<std::string> splitAt(std::string_view text, std::string_view separator)
{
    std::vector<std::string> pieces;
    for (;;) {
        const auto at = text.find(separator);
        pieces.emplace_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return pieces;
        text.remove_prefix(at + separator.size());
    }
}

struct GFreeDeleter {
    void operator()(gchar* text) const { g_free(text); }
};
using GString = std::unique_ptr<gchar, GFreeDeleter>;

// The query was checked by the parser, so every escape in it is well formed.
std::string decodedComponent(std::string_view text)
{
    GBytes* bytes = g_uri_unescape_bytes(text.data(), static_cast<gssize>(text.size()), nullptr, nullptr);
    if (!bytes)
        return repairedUtf8(text);
    gsize size = 0;
    const auto* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
    std::string decoded = repairedUtf8(std::string_view(data ? data : "", size));
    g_bytes_unref(bytes);
    return decoded;
}

}

std::vector<std::string> headLines(std::string_view head)
{
    return splitAt(repairedUtf8(head), "\r\n");
}

std::vector<std::string> requestLinePieces(std::string_view requestLine)
{
    return splitAt(requestLine, " ");
}

std::optional<RequestTarget> parseRequestTarget(std::string_view target)
{
    const std::string text(target);
    gchar* path = nullptr;
    gchar* query = nullptr;
    // Strict parsing; the query stays encoded so that its items are split before decoding.
    if (!g_uri_split(text.c_str(), G_URI_FLAGS_ENCODED_QUERY, nullptr, nullptr, nullptr, nullptr, &path, &query, nullptr, nullptr))
        return std::nullopt;
    const GString ownedPath(path), ownedQuery(query);
    RequestTarget parsed;
    parsed.path = repairedUtf8(path ? path : "");
    if (query) {
        for (const auto& item : splitAt(query, "&")) {
            const auto equals = item.find('=');
            parsed.queryItems.emplace_back(decodedComponent(std::string_view(item).substr(0, equals)),
                equals == std::string::npos ? std::string() : decodedComponent(std::string_view(item).substr(equals + 1)));
        }
    }
    return parsed;
}

std::map<std::string, std::string> RequestTarget::queryMap() const
{
    std::map<std::string, std::string> map;
    for (const auto& [name, value] : queryItems)
        map[name] = value;
    return map;
}

std::string jsonResponse(int status, std::string_view reason, std::string_view body)
{
    std::string response = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) + "\r\n";
    response += "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size());
    response += "\r\nConnection: close\r\n\r\n";
    response += body;
    return response;
}

}
