#include "assistants/BridgeRequest.h"

#include "platform/core/Identifiers.h"
#include "platform/core/Text.h"
#include "platform/http/RequestHead.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cctype>

namespace ikw::assistants {

namespace {

std::string lowerAscii(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string withoutDashes(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '-'), text.end());
    return text;
}

}

std::string makeBridgeToken()
{
    return lowerAscii(withoutDashes(makeUuid()) + withoutDashes(makeUuid()));
}

bool sameToken(std::string_view offered, std::string_view token)
{
    return offered.size() == token.size() && CRYPTO_memcmp(offered.data(), token.data(), token.size()) == 0;
}

std::string authorizationToken(const std::vector<std::string>& headLines)
{
    for (std::size_t at = 1; at < headLines.size(); ++at) {
        const auto& line = headLines[at];
        if (!lowerAscii(line).starts_with("authorization:"))
            continue;
        const auto pieces = split(line, ' ', false);
        return pieces.empty() ? std::string() : pieces.back();
    }
    return {};
}

std::variant<BridgeRequest, BridgeRefusal> readBridgeRequest(std::string_view head, std::string_view token)
{
    const BridgeRefusal badRequest { 400, "bad request" };
    const auto lines = http::headLines(head);
    const auto pieces = http::requestLinePieces(lines.front());
    if (pieces.size() < 2 || pieces[0] != "GET")
        return badRequest;
    const auto target = http::parseRequestTarget(pieces[1]);
    if (!target)
        return badRequest;
    BridgeRequest request { target->path, target->queryMap() };
    const auto queryToken = request.query.find("token");
    const bool authorised = (queryToken != request.query.end() && sameToken(queryToken->second, token))
        || sameToken(authorizationToken(lines), token);
    if (!authorised)
        return BridgeRefusal { 401, "bad or missing token" };
    return request;
}

const char* bridgeReasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    case 401:
        return "Unauthorized";
    default:
        return "Bad Request";
    }
}

std::string bridgeResponse(int status, const Json& body)
{
    std::string text;
    try {
        text = toJson(body);
    } catch (const std::exception&) {
        text = "{}";
    }
    return http::jsonResponse(status, bridgeReasonPhrase(status), text);
}

Json bridgeError(const std::string& message)
{
    return Json { { "ok", false }, { "error", message } };
}

}
