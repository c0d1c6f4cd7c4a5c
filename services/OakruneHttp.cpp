#include "services/OakruneHttp.h"

#include "platform/http/UrlCheck.h"

#include <cstdio>

namespace ikw::services {

namespace {

bool isUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
}

std::string percentEncoded(unsigned char c)
{
    char text[4];
    std::snprintf(text, sizeof text, "%%%02X", c);
    return text;
}

// Only this machine may be spoken to in clear text: the token and whole documents travel.
std::optional<OakruneFailure> refusedOrigin(const std::string& url)
{
    const auto origin = http::parseUrlOrigin(url);
    if (!origin)
        return OakruneFailure::offline("bad URL");
    if (origin->scheme == "https" || (origin->scheme == "http" && http::isLoopbackHost(origin->host)))
        return std::nullopt;
    return OakruneFailure::offline("the service address must use https");
}

http::HttpRequest httpRequestFor(const std::string& url, const OakruneRequest& request, const OakruneHttpOptions& options)
{
    http::HttpRequest out;
    out.method = request.method;
    out.url = url;
    out.timeout = options.totalTimeout;
    out.idleTimeout = options.idleTimeout;
    out.maxBodyBytes = request.maxReplyBytes;
    out.headers.push_back({ "Cache-Control", "no-cache" });
    if (request.bearer)
        out.headers.push_back({ "Authorization", "Bearer " + *request.bearer });
    if (request.body) {
        out.headers.push_back({ "Content-Type", "application/json" });
        out.body = toPlainJson(*request.body);
    }
    return out;
}

OakruneFailure failureOf(const http::HttpResponse& response, const OakruneRequest& request)
{
    switch (response.failure) {
    case http::HttpFailure::timedOut:
    case http::HttpFailure::idleTimedOut:
        return OakruneFailure::offline("timed out");
    case http::HttpFailure::tooLarge:
        return OakruneFailure::offline("the reply is larger than " + std::to_string(request.maxReplyBytes >> 20) + " MB");
    default:
        return OakruneFailure::offline(response.transportError.empty() ? "no response" : response.transportError);
    }
}

}

OakruneResult<OakruneResponse> oakruneHttpSend(const std::string& base, const OakruneRequest& request,
    const OakruneHttpOptions& options)
{
    const std::string url = base + request.path;
    if (auto refused = refusedOrigin(url))
        return *refused;
    http::CurlHttpClient client(options.client);
    const http::HttpResponse response = client.send(httpRequestFor(url, request, options));
    if (!response.answered())
        return failureOf(response, request);
    return OakruneResponse { response.status, response.body };
}

std::string oakrunePathSegment(std::string_view id)
{
    const bool dotsOnly = id == "." || id == "..";
    std::string segment;
    for (const unsigned char c : id)
        segment += isUnreserved(c) && !(dotsOnly && c == '.') ? std::string(1, static_cast<char>(c)) : percentEncoded(c);
    return segment;
}

}
