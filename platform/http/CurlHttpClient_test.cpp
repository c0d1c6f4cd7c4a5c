#include "platform/http/CurlHttpClient.h"

#include "platform/core/Json.h"
#include "platform/http/fake/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <netinet/in.h>

#include <thread>

namespace ikw::http {
namespace {

using namespace std::chrono_literals;

class CurlHttpClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!m_server.running())
            GTEST_SKIP() << m_server.failure();
    }

    HttpRequest request(const std::string& path, std::string method = "GET")
    {
        HttpRequest request;
        request.method = std::move(method);
        request.url = m_server.url(path);
        request.timeout = 10s;
        request.idleTimeout = 10s;
        return request;
    }

    LoopbackHttpServer m_server;
    CurlHttpClient m_client;
};

TEST_F(CurlHttpClientTest, ReturnsStatusHeadersAndBody)
{
    const struct {
        const char* path;
        int status;
        const char* body;
    } cases[] = {
        { "/status/200?body=hello", 200, "hello" },
        { "/status/201", 201, "" },
        { "/status/401?body=%7B%22error%22%3A%22revoked%22%7D", 401, "{\"error\":\"revoked\"}" },
        { "/status/500?body=oops", 500, "oops" },
        { "/missing", 404, "no such path" },
    };
    for (const auto& c : cases) {
        const HttpResponse response = m_client.send(request(c.path));
        ASSERT_TRUE(response.answered()) << c.path << ": " << response.transportError;
        EXPECT_EQ(response.status, c.status) << c.path;
        EXPECT_EQ(response.body, c.body) << c.path;
    }
    const HttpResponse response = m_client.send(request("/status/200"));
    EXPECT_EQ(response.header("x-TEST"), "one");
    EXPECT_EQ(response.header("Content-Length"), "0");
    EXPECT_EQ(response.header("X-Absent"), std::nullopt);
}

TEST_F(CurlHttpClientTest, SendsMethodHeadersAndBody)
{
    for (const char* method : { "POST", "PUT", "DELETE", "PATCH" }) {
        HttpRequest post = request("/echo", method);
        post.headers = { { "Content-Type", "application/json" }, { "Authorization", "Bearer abc" } };
        post.body = method == std::string("DELETE") ? "" : "{\"code\":\"X1\"}";
        const HttpResponse response = m_client.send(post);
        ASSERT_EQ(response.status, 200) << method << ": " << response.transportError;
        const auto echo = parseJson(response.body);
        ASSERT_TRUE(echo) << response.body;
        EXPECT_EQ((*echo)["method"], method);
        EXPECT_EQ((*echo)["body"], post.body);
        EXPECT_EQ((*echo)["headers"]["authorization"], "Bearer abc");
        EXPECT_EQ((*echo)["headers"]["content-type"], "application/json");
        EXPECT_FALSE((*echo)["headers"].contains("expect"));
    }
}

TEST_F(CurlHttpClientTest, FollowsRedirectsOverPlainHttp)
{
    const HttpResponse response = m_client.send(request("/redirect?to=/status/200%3Fbody%3Dthere"));
    EXPECT_EQ(response.status, 200) << response.transportError;
    EXPECT_EQ(response.body, "there");
    EXPECT_EQ(response.header("Location"), std::nullopt) << "headers are the final answer's";

    // A POST answered with 303 goes on as a GET, as browsers do.
    HttpRequest post = request("/redirect?code=303&to=/echo", "POST");
    post.body = "data";
    const auto echo = parseJson(m_client.send(post).body);
    ASSERT_TRUE(echo);
    EXPECT_EQ((*echo)["method"], "GET");
}

TEST_F(CurlHttpClientTest, CarriesALargeBodyBothWays)
{
    constexpr int kSize = 24 * 1024 * 1024 + 7;
    // What is checked here is that every byte arrives, not how fast: a busy machine gets time.
    const auto unhurried = [this](const std::string& path, const char* method) {
        HttpRequest slow = request(path, method);
        slow.timeout = 120s;
        slow.idleTimeout = 60s;
        return slow;
    };
    const HttpResponse response = m_client.send(unhurried("/large?bytes=" + std::to_string(kSize), "GET"));
    ASSERT_EQ(response.status, 200) << response.transportError;
    ASSERT_EQ(response.body.size(), static_cast<std::size_t>(kSize));
    for (std::size_t at : { std::size_t(0), std::size_t(255), std::size_t(256), std::size_t(kSize - 1), std::size_t(12345678) })
        EXPECT_EQ(static_cast<unsigned char>(response.body[at]), at % 256) << at;

    HttpRequest upload = unhurried("/echo", "POST");
    upload.body.assign(3 * 1024 * 1024, 'u');
    const auto echo = parseJson(m_client.send(upload).body);
    ASSERT_TRUE(echo);
    EXPECT_EQ((*echo)["body"].get<std::string>().size(), upload.body.size());
}

TEST_F(CurlHttpClientTest, ABodyOverTheLimitEndsTheTransfer)
{
    const struct {
        const char* path; // announced length (large) or none (chunked)
        std::size_t limit;
        bool fits;
    } cases[] = {
        { "/large?bytes=5000", 5000, true },
        { "/large?bytes=5000", 4999, false },
        { "/large?bytes=5000000", 1000, false },
        { "/chunked?bytes=5000", 5000, true },
        { "/chunked?bytes=5000", 4999, false },
        { "/chunked?bytes=5000000", 1000, false },
    };
    for (const auto& c : cases) {
        HttpRequest limited = request(c.path);
        limited.maxBodyBytes = c.limit;
        const HttpResponse response = m_client.send(limited);
        if (c.fits) {
            EXPECT_TRUE(response.answered()) << c.path << ": " << response.transportError;
            EXPECT_EQ(response.body.size(), 5000u) << c.path;
        } else {
            EXPECT_EQ(response.failure, HttpFailure::tooLarge) << c.path << " limit " << c.limit;
            EXPECT_EQ(response.body, "") << c.path;
        }
    }
}

TEST_F(CurlHttpClientTest, StopsAtTheIdleTimeOutTheTotalTimeOutOrACancel)
{
    HttpRequest stalled = request("/stall");
    stalled.idleTimeout = 300ms;
    auto started = std::chrono::steady_clock::now();
    HttpResponse response = m_client.send(stalled);
    EXPECT_EQ(response.failure, HttpFailure::idleTimedOut);
    EXPECT_EQ(response.status, 0);
    EXPECT_EQ(response.body, "") << "a cut-off body is not an answer";
    EXPECT_NE(response.transportError.find("no data"), std::string::npos) << response.transportError;
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);

    // Bytes keep coming, so only the total time-out ends it.
    HttpRequest drip = request("/drip?bytes=100&interval=0.05");
    drip.idleTimeout = 1s;
    drip.timeout = 500ms;
    response = m_client.send(drip);
    EXPECT_EQ(response.failure, HttpFailure::timedOut);
    EXPECT_NE(response.transportError.find("timed out"), std::string::npos);

    HttpRequest cancelled = request("/stall");
    cancelled.cancellation = std::make_shared<HttpCancellation>();
    started = std::chrono::steady_clock::now();
    std::thread canceller([&] {
        std::this_thread::sleep_for(200ms);
        cancelled.cancellation->cancel();
    });
    response = m_client.send(cancelled);
    canceller.join();
    EXPECT_EQ(response.failure, HttpFailure::cancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_EQ(m_client.send(cancelled).failure, HttpFailure::cancelled) << "a cancelled request does not start again";
}

int unusedLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd); // nothing listens there any more
    return ntohs(address.sin_port);
}

TEST(CurlHttpClient, ReportsWhyNoAnswerArrived)
{
    CurlHttpClient client;
    const std::string refusing = "http://127.0.0.1:" + std::to_string(unusedLoopbackPort()) + "/";
    const struct {
        std::string url;
        HttpHeader header;
        const char* errorPart;
    } cases[] = {
        { refusing, { "Accept", "*/*" }, "onnect" },
        { "not a url", { "Accept", "*/*" }, "" },
        { "ftp://127.0.0.1/file", { "Accept", "*/*" }, "" },
        { refusing, { "X-Note", "a\r\nX-Injected: 1" }, "invalid header" },
        { refusing, { "X-Bad: 1\r\nX", "a" }, "invalid header" },
    };
    for (const auto& c : cases) {
        HttpRequest request;
        request.url = c.url;
        request.headers = { c.header };
        request.timeout = 5s;
        const HttpResponse response = client.send(request);
        EXPECT_EQ(response.failure, HttpFailure::transport) << c.url;
        EXPECT_EQ(response.status, 0);
        EXPECT_NE(response.transportError.find(c.errorPart), std::string::npos) << c.url << ": " << response.transportError;
        EXPECT_FALSE(response.transportError.empty());
    }
}

class CurlHttpsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!writeLoopbackCertificate(m_home.path()))
            GTEST_SKIP() << "openssl cannot make a test certificate";
        m_secure = std::make_unique<LoopbackHttpServer>(m_home.file("cert.pem"), m_home.file("key.pem"));
        if (!m_secure->running() || !m_plain.running())
            GTEST_SKIP() << m_secure->failure() << m_plain.failure();
    }

    HttpRequest request(const std::string& url)
    {
        HttpRequest request;
        request.url = url;
        request.timeout = 10s;
        return request;
    }

    testing::TempHome m_home;
    LoopbackHttpServer m_plain;
    std::unique_ptr<LoopbackHttpServer> m_secure;
};

TEST_F(CurlHttpsTest, VerifiesThePeerAndNeverFallsBackToPlainHttp)
{
    // Not in the system's store: refused.
    const HttpResponse untrusted = CurlHttpClient().send(request(m_secure->url("/status/200")));
    EXPECT_EQ(untrusted.failure, HttpFailure::transport);
    EXPECT_NE(untrusted.transportError.find("certificate"), std::string::npos) << untrusted.transportError;

    CurlHttpClientOptions options;
    options.caFile = m_home.file("cert.pem");
    CurlHttpClient trusting(options);
    EXPECT_EQ(trusting.send(request(m_secure->url("/status/200?body=ok"))).body, "ok");
    EXPECT_EQ(trusting.send(request(m_secure->url("/redirect?to=/status/200%3Fbody%3Dstill"))).body, "still");

    const std::string downgrade = m_secure->url("/redirect?to=") + m_plain.url("/status/200");
    const HttpResponse refused = trusting.send(request(downgrade));
    EXPECT_EQ(refused.failure, HttpFailure::insecureRedirect) << refused.transportError;
    EXPECT_EQ(refused.status, 0);
}

}
}
