#include "platform/http/fake/FakeHttpClient.h"

#include <gtest/gtest.h>

namespace ikw::http {
namespace {

HttpRequest requestTo(std::string method, std::string url, std::string body = {})
{
    HttpRequest request;
    request.method = std::move(method);
    request.url = std::move(url);
    request.body = std::move(body);
    return request;
}

TEST(FakeHttpClient, AnswersFromItsTableThenTheFallbackAndRecordsRequests)
{
    FakeHttpClient client;
    client.answer("GET", "https://h/a", FakeHttpClient::ok("A"));
    EXPECT_EQ(client.send(requestTo("GET", "https://h/a")).body, "A");
    EXPECT_EQ(client.send(requestTo("POST", "https://h/a")).failure, HttpFailure::transport);

    client.setFallback([](const HttpRequest& request) { return FakeHttpClient::ok(request.body, 201); });
    const HttpResponse echoed = client.send(requestTo("POST", "https://h/b", "payload"));
    EXPECT_EQ(echoed.status, 201);
    EXPECT_EQ(echoed.body, "payload");

    HttpRequest cancelled = requestTo("GET", "https://h/a");
    cancelled.cancellation = std::make_shared<HttpCancellation>();
    cancelled.cancellation->cancel();
    EXPECT_EQ(client.send(cancelled).failure, HttpFailure::cancelled);

    // The scripted answers keep to the request's body limit, as the real client does.
    HttpRequest limited = requestTo("GET", "https://h/a");
    limited.maxBodyBytes = 0;
    EXPECT_EQ(client.send(limited).failure, HttpFailure::tooLarge);
    limited.maxBodyBytes = 1;
    EXPECT_EQ(client.send(limited).body, "A");

    const auto requests = client.requests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(requests[2].body, "payload");
}

}
}
