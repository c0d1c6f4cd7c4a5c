#pragma once

#include "platform/core/Json.h"
#include "platform/http/CurlHttpClient.h"
#include "services/OakruneFailure.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace ikw::services {

// One answer of the contract-library service: its HTTP status and body (empty when it sent none).
struct OakruneResponse {
    int status = 0;
    std::string body;
};

// One request to the service, relative to its origin.
struct OakruneRequest {
    static constexpr std::size_t jsonReplyLimit = 16u << 20;
    static constexpr std::size_t fileReplyLimit = 512u << 20;

    std::string method;
    std::string path; // appended to the origin as it stands
    std::optional<std::string> bearer;
    std::optional<Json> body; // sent as compact JSON
    std::size_t maxReplyBytes = jsonReplyLimit;
};

// How the live client talks to the service. Only the tests change the defaults.
struct OakruneHttpOptions {
    http::CurlHttpClientOptions client {};
    std::chrono::milliseconds idleTimeout { 30000 }; // no byte moves for this long
    std::chrono::milliseconds totalTimeout { 45000 }; // the whole exchange, transfer included
};

// One blocking exchange with `base` + `request.path`, for background queues. Only https origins,
// or plain http to this machine, are used; the failures are all `offline` ones.
OakruneResult<OakruneResponse> oakruneHttpSend(const std::string& base, const OakruneRequest& request,
    const OakruneHttpOptions& options = {});

// An agreement id as one path segment: everything but unreserved characters percent-encoded, and
// the dots of "." and ".." too, so that no id can reach another resource.
std::string oakrunePathSegment(std::string_view id);

}
