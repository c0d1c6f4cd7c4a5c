#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ikw::http {

// The head's bytes as UTF-8 text (each invalid sequence becomes U+FFFD), split at every CR LF.
// The first line is the request line; an empty head gives one empty line.
std::vector<std::string> headLines(std::string_view head);

// The request line split at every single space, empty pieces kept: "GET  /x" gives
// "GET", "" and "/x".
std::vector<std::string> requestLinePieces(std::string_view requestLine);

// A request target read as an RFC 3986 reference: the percent-decoded path and the query items in
// order, names and values percent-decoded ("+" stays a plus; a name without "=" has the value "").
struct RequestTarget {
    std::string path;
    std::vector<std::pair<std::string, std::string>> queryItems;

    // Name to value; the last of a repeated name wins.
    std::map<std::string, std::string> queryMap() const;
};

// Nothing when the target is not a valid reference.
std::optional<RequestTarget> parseRequestTarget(std::string_view target);

// A complete HTTP/1.1 answer with a JSON body that closes the connection:
// "HTTP/1.1 <status> <reason>", Content-Type, Content-Length and "Connection: close".
std::string jsonResponse(int status, std::string_view reason, std::string_view body);

}
