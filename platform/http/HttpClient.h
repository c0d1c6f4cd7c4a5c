#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::http {

struct HttpHeader {
    std::string name;
    std::string value;

    bool operator==(const HttpHeader&) const = default;
};

// Lets any thread stop a request in flight (or before it starts).
class HttpCancellation {
public:
    void cancel();
    bool isCancelled() const;

    // For the client running the request: `wake` is called on cancel until it is replaced by an
    // empty function.
    void setWake(std::function<void()> wake);

private:
    mutable std::mutex m_mutex;
    bool m_cancelled = false;
    std::function<void()> m_wake;
};

struct HttpRequest {
    std::string method = "GET";
    std::string url;
    std::vector<HttpHeader> headers;
    std::string body;
    // The whole exchange may take this long (zero: no limit).
    std::chrono::milliseconds timeout { 60000 };
    // No byte may take longer than this to move either way (zero: no limit).
    std::chrono::milliseconds idleTimeout { 60000 };
    // The longest answer body accepted, in bytes (after any content decoding); a longer one ends
    // the transfer as `tooLarge`. Nothing: no limit.
    std::optional<std::size_t> maxBodyBytes;
    std::shared_ptr<HttpCancellation> cancellation;
};

enum class HttpFailure {
    none,
    timedOut,
    idleTimedOut,
    cancelled,
    // A redirect from HTTPS to plain HTTP, which is never followed.
    insecureRedirect,
    // The answer's body would pass the request's `maxBodyBytes`.
    tooLarge,
    // Anything else that kept an answer from arriving: no connection, a bad certificate, a
    // malformed URL, ...
    transport,
};

struct HttpResponse {
    int status = 0; // 0 when no answer arrived
    std::vector<HttpHeader> headers; // of the final answer, in order
    std::string body;
    HttpFailure failure = HttpFailure::none;
    std::string transportError; // why no answer arrived; empty when one did

    bool answered() const { return failure == HttpFailure::none; }
    // The first header of this name, compared without regard to case.
    std::optional<std::string> header(std::string_view name) const;
};

// Blocking HTTP exchanges, meant for background queues.
class HttpClient {
public:
    virtual ~HttpClient() = default;
    virtual HttpResponse send(const HttpRequest& request) = 0;
};

}
