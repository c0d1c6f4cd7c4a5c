#include "assistants/AgentBridge.h"

#include "app/AppDelegate.h"
#include "library/LibraryLayer.h"
#include "platform/core/Iso8601.h"
#include "platform/http/RequestHead.h"
#include "platform/http/fake/RawSocketClient.h"
#include "review/ReviewTestFixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <future>
#include <thread>

namespace ikw::assistants {
namespace {

using namespace std::chrono_literals;

// A started bridge over the recording windows; the test thread plays the main thread.
class AgentBridgeTest : public testing::ReviewFixture {
protected:
    AgentBridgeTest()
    {
        start(*bridge);
    }
    ~AgentBridgeTest() override { bridge->stop(); }

    void start(AgentBridge& target)
    {
        target.start(delegate, BridgeServices { .library = [this] { return library; }, .sidecars = {} });
        for (int tries = 0; target.port() == 0 && tries < 500; ++tries)
            std::this_thread::sleep_for(10ms);
        ASSERT_NE(target.port(), 0);
    }

    // Runs `client` on another thread while this one runs the main queue; its result.
    template<typename Client>
    std::string whileServing(Client client)
    {
        std::promise<std::string> result;
        auto answer = result.get_future();
        std::thread thread([&] {
            result.set_value(client());
            queue.post([] { }); // wakes the main queue's wait once the answer is in
        });
        queue.runUntil([&] { return answer.wait_for(0s) == std::future_status::ready; }, 10);
        thread.join();
        return answer.get();
    }

    // Sends the request and returns the whole answer.
    std::string ask(const std::string& request, std::uint16_t port = 0)
    {
        return whileServing([request, port = port ? port : bridge->port()] { return http::exchangeOnce(port, request); });
    }

    // The answer's body, after checking that its head is exactly the bridge's head for it.
    static Json bodyOf(const std::string& answer, int status, const std::string& reason)
    {
        const auto split = answer.find("\r\n\r\n");
        EXPECT_NE(split, std::string::npos) << answer;
        const auto body = split == std::string::npos ? std::string() : answer.substr(split + 4);
        EXPECT_EQ(answer, http::jsonResponse(status, reason, body));
        return parseJson(body).value_or(Json());
    }

    std::string withToken(const std::string& requestLine) const
    {
        return requestLine + "\r\nHost: 127.0.0.1\r\nAuthorization: Bearer " + bridge->token() + "\r\n\r\n";
    }

    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    std::shared_ptr<AppDelegate> delegate = std::make_shared<AppDelegate>();
    std::shared_ptr<AgentBridge> bridge = std::make_shared<AgentBridge>(BridgeOptions {
        .discoveryFile = home.file(".local/share/Inkwarden/agent_bridge.json"),
        .limits = { .readSize = 16384, .maxHeadBytes = 65536, .headTimeoutSeconds = 0.3 },
    });
};

TEST_F(AgentBridgeTest, RequestsAreCheckedBeforeTheyAreRouted)
{
    const auto& token = bridge->token();
    struct Case {
        std::string request;
        int status;
        Json body; // null: a status answer
    };
    const Json unauthorised { { "ok", false }, { "error", "bad or missing token" } };
    const Json badRequest { { "ok", false }, { "error", "bad request" } };
    const Case cases[] = {
        { withToken("GET /status HTTP/1.1"), 200, nullptr },
        { "GET /status?token=" + token + " HTTP/1.1\r\n\r\n", 200, nullptr },
        { "GET /status?token=wrong HTTP/1.1\r\nauthorization: bearer " + token + "\r\n\r\n", 200, nullptr },
        { "GET /status HTTP/1.1\r\nAuthorization:" + token + "\r\n\r\n", 401, unauthorised },
        { "GET /nowhere HTTP/1.1\r\nAuthorization:" + token + "\r\n\r\n", 401, unauthorised },
        { "GET /status HTTP/1.1\r\nAuthorization: Bearer wrong\r\nAuthorization: Bearer " + token + "\r\n\r\n", 401, unauthorised },
        { "GET /status HTTP/1.1\r\n\r\n", 401, unauthorised },
        { withToken("POST /status HTTP/1.1"), 400, badRequest },
        { withToken("get /status HTTP/1.1"), 400, badRequest },
        { withToken("GET"), 400, badRequest },
        { withToken("GET /a%zz HTTP/1.1"), 400, badRequest },
        { withToken("GET  /status HTTP/1.1"), 404, { { "ok", false }, { "error", "unknown endpoint " } } },
        { withToken("GET /status/ HTTP/1.1"), 404, { { "ok", false }, { "error", "unknown endpoint /status/" } } },
        { withToken("GET /Status HTTP/1.1"), 404, { { "ok", false }, { "error", "unknown endpoint /Status" } } },
    };
    for (const auto& entry : cases) {
        const auto answer = ask(entry.request);
        const auto body = bodyOf(answer, entry.status, bridgeReasonPhrase(entry.status));
        if (entry.body.is_null())
            EXPECT_EQ(body["ok"], true) << entry.request;
        else
            EXPECT_EQ(body, entry.body) << entry.request;
    }
    // The unknown endpoint's body as it goes out.
    EXPECT_TRUE(ask(withToken("GET  /status HTTP/1.1")).ends_with("\r\n\r\n{\"error\":\"unknown endpoint \",\"ok\":false}"));
}

TEST_F(AgentBridgeTest, HeadsAreReadUpToTheCapAcrossWritesAndNothingAfterThem)
{
    const std::string start = "GET /status?token=" + bridge->token() + " HTTP/1.1\r\nX-Pad: ";
    const auto headOf = [&](std::size_t total) { return start + std::string(total - start.size() - 4, 'p') + "\r\n\r\n"; };
    bodyOf(ask(headOf(65536)), 200, "OK");
    EXPECT_EQ(ask(headOf(65537)), "");

    const auto split = whileServing([&] {
        http::RawSocketClient client("127.0.0.1", bridge->port());
        for (const std::string& piece : { std::string("GET /sta"), "tus HTTP/1.1\r\nAuthorization: Bearer " + bridge->token(), std::string("\r\n\r\nPOST / HTTP/1.1\r\n\r\n") }) {
            client.send(piece);
            std::this_thread::sleep_for(20ms);
        }
        return client.receiveAll().bytes;
    });
    EXPECT_EQ(bodyOf(split, 200, "OK")["ok"], true);

    // A client that never sends is let go after the read time-out, unanswered.
    http::RawSocketClient silent("127.0.0.1", bridge->port(), 5);
    const auto started = std::chrono::steady_clock::now();
    const auto received = silent.receiveAll();
    EXPECT_TRUE(received.closedByPeer);
    EXPECT_EQ(received.bytes, "");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
}

TEST_F(AgentBridgeTest, StatusAnswersThroughTheMainThreadAndAGoneDelegateMeansShuttingDown)
{
    windows.open(std::nullopt, nullptr);
    const auto status = bodyOf(ask(withToken("GET /status HTTP/1.1")), 200, "OK");
    EXPECT_EQ(status["windows"], 1);
    EXPECT_EQ(status["app"], globals.get().brand.name);

    delegate.reset();
    EXPECT_EQ(bodyOf(ask(withToken("GET /windows HTTP/1.1")), 200, "OK"), (Json { { "ok", false }, { "error", "app is shutting down" } }));
}

TEST_F(AgentBridgeTest, TheDiscoveryFileIsPrivateSortedAndGoneAfterStop)
{
    const auto path = bridge->discoveryFile();
    const auto text = testing::readTestFile(path);
    EXPECT_EQ(testing::fileMode(path), 0600u);
    const auto contents = parseJson(text);
    ASSERT_TRUE(contents);
    EXPECT_EQ(text, toPrettyJson(*contents));
    std::vector<std::string> keys;
    for (const auto& [key, value] : contents->items())
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string> { "app", "build", "pid", "port", "started", "token", "version" }));
    EXPECT_LT(text.find("\"app\""), text.find("\"version\""));
    EXPECT_EQ((*contents)["port"], bridge->port());
    EXPECT_EQ((*contents)["token"], bridge->token());
    EXPECT_TRUE(parseIso8601Utc((*contents)["started"].get<std::string>()));

    const auto port = bridge->port();
    EXPECT_FALSE(http::RawSocketClient("127.0.0.2", port).connected());
    http::RawSocketClient openBeforeStop("127.0.0.1", port);
    ASSERT_TRUE(openBeforeStop.connected());
    bridge->stop();
    EXPECT_FALSE(realFileSystem().exists(path));
    EXPECT_FALSE(http::RawSocketClient("127.0.0.1", port).connected());
    // The application is quitting: a request on a connection opened earlier is not routed.
    openBeforeStop.send(withToken("GET /status HTTP/1.1"));
    const auto late = openBeforeStop.receiveAll();
    EXPECT_TRUE(late.closedByPeer);
    EXPECT_EQ(late.bytes, "");
}

TEST_F(AgentBridgeTest, AnOlderOpenFileBecomesPrivateAndASecondStartReplacesTheListener)
{
    const auto path = bridge->discoveryFile();
    bridge->stop();
    testing::writeTestFile(path, "{\"port\":1}");
    ::chmod(path.c_str(), 0644);

    start(*bridge);
    EXPECT_EQ(testing::fileMode(path), 0600u);
    const auto earlier = bridge->port();
    bridge->start(delegate, BridgeServices { .library = [this] { return library; }, .sidecars = {} });
    for (int tries = 0; (bridge->port() == 0 || bridge->port() == earlier) && tries < 500; ++tries)
        std::this_thread::sleep_for(10ms);
    EXPECT_NE(bridge->port(), earlier);
    EXPECT_FALSE(http::RawSocketClient("127.0.0.1", earlier).connected());
    EXPECT_EQ(parseJson(testing::readTestFile(path)).value_or(Json())["port"], bridge->port());
    EXPECT_EQ(bodyOf(ask(withToken("GET /status HTTP/1.1")), 200, "OK")["ok"], true);
}

TEST(AgentBridgeToken, IsSixtyFourLowerCaseHexDigitsNewForEveryBridge)
{
    const AgentBridge one({}), two({});
    for (const auto* bridge : { &one, &two }) {
        EXPECT_EQ(bridge->token().size(), 64u);
        EXPECT_EQ(bridge->token().find_first_not_of("0123456789abcdef"), std::string::npos);
    }
    EXPECT_NE(one.token(), two.token());
}

}
}
