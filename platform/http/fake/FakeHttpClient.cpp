#include "platform/http/fake/FakeHttpClient.h"

namespace ikw::http {

namespace {

// The scripted answer as the real client would give it: a body over the request's limit is none.
HttpResponse withinLimit(const HttpRequest& request, HttpResponse response)
{
    if (!response.answered() || !request.maxBodyBytes || response.body.size() <= *request.maxBodyBytes)
        return response;
    HttpResponse refused;
    refused.failure = HttpFailure::tooLarge;
    refused.transportError = "the answer is larger than " + std::to_string(*request.maxBodyBytes) + " bytes";
    return refused;
}

}

void FakeHttpClient::answer(std::string method, std::string url, HttpResponse response)
{
    const std::lock_guard guard(m_mutex);
    m_answers[{ std::move(method), std::move(url) }] = std::move(response);
}

void FakeHttpClient::setFallback(Handler handler)
{
    const std::lock_guard guard(m_mutex);
    m_fallback = std::move(handler);
}

std::vector<HttpRequest> FakeHttpClient::requests() const
{
    const std::lock_guard guard(m_mutex);
    return m_requests;
}

HttpResponse FakeHttpClient::send(const HttpRequest& request)
{
    Handler fallback;
    {
        const std::lock_guard guard(m_mutex);
        m_requests.push_back(request);
        if (request.cancellation && request.cancellation->isCancelled()) {
            HttpResponse cancelled;
            cancelled.failure = HttpFailure::cancelled;
            cancelled.transportError = "cancelled";
            return cancelled;
        }
        if (const auto found = m_answers.find({ request.method, request.url }); found != m_answers.end())
            return withinLimit(request, found->second);
        fallback = m_fallback;
    }
    // Outside the lock, so that a handler may block (a test holding an answer back) or call in again.
    return fallback ? withinLimit(request, fallback(request)) : unreachable("no answer for " + request.method + " " + request.url);
}

HttpResponse FakeHttpClient::ok(std::string body, int status)
{
    HttpResponse response;
    response.status = status;
    response.body = std::move(body);
    return response;
}

HttpResponse FakeHttpClient::unreachable(std::string text)
{
    HttpResponse response;
    response.failure = HttpFailure::transport;
    response.transportError = std::move(text);
    return response;
}

}
