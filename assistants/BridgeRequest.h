#pragma once

#include "platform/core/Json.h"

#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ikw::assistants {

using BridgeQuery = std::map<std::string, std::string>;

// A request that may be routed: its decoded path and query.
struct BridgeRequest {
    std::string path;
    BridgeQuery query;
};

// A request answered without routing: 400 or 401 with the server's own error text.
struct BridgeRefusal {
    int status;
    std::string error;
};

// The per-launch bearer token: 64 lower-case hex digits from two random UUIDs.
std::string makeBridgeToken();
// Exact comparison in constant time for tokens of one length.
bool sameToken(std::string_view offered, std::string_view token);

// The token of the first line whose lower-cased text begins with "authorization:": the last
// space-separated piece of that line as received, "" without such a line. Lines after the
// request line only; the scheme word before the token is not looked at.
std::string authorizationToken(const std::vector<std::string>& headLines);

// Reads a request head: a request line of at least two pieces whose method is exactly "GET", a
// target that parses, and the token in the query ("token") or else in the authorization line.
// The path is not looked at before the token is checked.
std::variant<BridgeRequest, BridgeRefusal> readBridgeRequest(std::string_view head, std::string_view token);

// "OK", "Not Found", "Unauthorized", and "Bad Request" for every other status.
const char* bridgeReasonPhrase(int status);
// The whole answer: the head and the body serialised with sorted keys ("{}" when it cannot be).
std::string bridgeResponse(int status, const Json& body);
// The server's own error body: {"error": message, "ok": false}.
Json bridgeError(const std::string& message);

}
