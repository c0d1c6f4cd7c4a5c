#pragma once

#include "platform/http/HttpClient.h"

#include <functional>
#include <map>
#include <mutex>
#include <vector>

namespace ikw::http {

// Answers requests from a table set up by the test and records every request it was sent.
class FakeHttpClient final : public HttpClient {
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;

    // The answer to `method` on exactly `url`.
    void answer(std::string method, std::string url, HttpResponse response);
    // Answers whatever the table does not; without one such requests fail as transport errors.
    void setFallback(Handler handler);

    std::vector<HttpRequest> requests() const;

    HttpResponse send(const HttpRequest& request) override;

    static HttpResponse ok(std::string body, int status = 200);
    static HttpResponse unreachable(std::string text = "could not connect");

private:
    mutable std::mutex m_mutex;
    std::map<std::pair<std::string, std::string>, HttpResponse> m_answers;
    Handler m_fallback;
    std::vector<HttpRequest> m_requests;
};

}
