// The update feed: reading the appcast and comparing its version with the running one.
#include "services/KDUpdate.h"

#include "platform/core/Json.h"
#include <cctype>

#include <glib.h>

#include <algorithm>
#include <chrono>

namespace ikw::services::KDUpdate {

namespace {

using namespace std::chrono_literals;

// A URL of scheme exactly "https" with a host: the updater never reads anything over plain HTTP.
bool isHttpsUrl(const std::string& text)
{
    if (!text.starts_with("https://"))
        return false;
    GUri* uri = g_uri_parse(text.c_str(), G_URI_FLAGS_NONE, nullptr);
    if (!uri)
        return false;
    const char* host = g_uri_get_host(uri);
    const bool hasHost = host && *host;
    g_uri_unref(uri);
    return hasHost;
}

std::int64_t buildOf(const Json& value)
{
    if (value.is_number_integer())
        return value.get<std::int64_t>();
    if (value.is_string())
        return parseBuildNumber(value.get<std::string>());
    return 0;
}

std::vector<std::int64_t> numericParts(const std::string& version)
{
    std::vector<std::int64_t> parts;
    std::size_t start = 0;
    while (start <= version.size()) {
        const std::size_t end = std::min(version.find('.', start), version.size());
        if (end > start)
            parts.push_back(parseBuildNumber(std::string_view(version).substr(start, end - start)));
        start = end + 1;
    }
    return parts;
}

}

std::optional<Appcast> parseAppcast(std::string_view json)
{
    const auto parsed = parseJson(json);
    if (!parsed || !parsed->is_object())
        return std::nullopt;
    const Json& object = *parsed;
    const auto text = [&](const char* key) -> std::optional<std::string> {
        const auto found = object.find(key);
        if (found == object.end() || !found->is_string())
            return std::nullopt;
        return found->get<std::string>();
    };

    Appcast appcast;
    const auto version = text("version");
    if (!version)
        return std::nullopt;
    appcast.version = *version;
    const auto url = text("url");
    if (!url || !isHttpsUrl(*url))
        return std::nullopt;
    appcast.url = *url;
    auto sha256 = text("sha256");
    if (!sha256)
        return std::nullopt;
    std::transform(sha256->begin(), sha256->end(), sha256->begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (sha256->size() != 64)
        return std::nullopt;
    appcast.sha256 = *sha256;
    if (const auto build = object.find("build"); build != object.end())
        appcast.build = buildOf(*build);
    if (object.contains("min_macos")) {
        appcast.minMacOS = text("min_macos");
        if (!appcast.minMacOS)
            return std::nullopt;
    }
    appcast.ed25519 = text("ed25519").value_or("");
    return appcast;
}

bool isNewer(const std::string& version, std::int64_t build, const Version& running)
{
    const auto offered = numericParts(version);
    const auto current = numericParts(running.version);
    for (std::size_t index = 0; index < std::max(offered.size(), current.size()); ++index) {
        const std::int64_t mine = index < current.size() ? current[index] : 0;
        const std::int64_t theirs = index < offered.size() ? offered[index] : 0;
        if (mine != theirs)
            return theirs > mine;
    }
    return running.build < build;
}

std::optional<Appcast> fetchAppcast()
{
    const auto updater = state();
    if (!isHttpsUrl(updater->feedBase) || updater->appKey.empty())
        return std::nullopt;
    http::HttpRequest request;
    request.url = updater->feedBase + "/" + updater->appKey + "/appcast.json";
    request.headers.push_back({ "Cache-Control", "no-cache" });
    request.timeout = 20s;
    request.maxBodyBytes = kAppcastMaxBytes;
    const auto body = syncFetch(std::move(request));
    return body ? parseAppcast(*body) : std::nullopt;
}

}
