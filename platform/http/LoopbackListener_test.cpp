#include "platform/http/LoopbackListener.h"

#include "platform/http/ContextThread.h"
#include "platform/http/RequestHead.h"
#include "platform/http/fake/RawSocketClient.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <future>

namespace ikw::http {
namespace {

// Runs `work` on the thread and waits for its result.
template<typename Work>
auto onThread(ContextThread& thread, Work work)
{
    std::packaged_task<decltype(work())()> task(std::move(work));
    auto result = task.get_future();
    thread.post([&task] { task(); });
    return result.get();
}

// A listener on its own thread that answers every head with its length, or keeps the connection
// without answering when the head asks for that.
class LoopbackListenerTest : public ::testing::Test {
protected:
    explicit LoopbackListenerTest(HeadLimits limits = { .readSize = 16384, .maxHeadBytes = 65536, .headTimeoutSeconds = 0.3 })
    {
        listener = onThread(thread, [this, limits] {
            return LoopbackListener::create([this](std::shared_ptr<HeadConnection> connection, std::string head) {
                ++heads;
                if (head.find("drop") != std::string::npos)
                    return; // the last reference goes without an answer
                connection->send(jsonResponse(200, "OK", "{\"length\":" + std::to_string(head.size()) + "}"));
            }, limits);
        });
    }
    ~LoopbackListenerTest() override
    {
        onThread(thread, [this] { listener.reset(); return 0; });
    }

    static std::string answerFor(std::size_t headLength)
    {
        const std::string body = "{\"length\":" + std::to_string(headLength) + "}";
        return jsonResponse(200, "OK", body);
    }

    ContextThread thread { "listener-test" };
    std::unique_ptr<LoopbackListener> listener;
    std::atomic<int> heads = 0;
};

TEST_F(LoopbackListenerTest, ListensOnLoopbackOnlyAtTheBoundPort)
{
    ASSERT_TRUE(listener);
    EXPECT_EQ(listener->address(), "127.0.0.1");
    EXPECT_GT(listener->port(), 0);
    RawSocketClient elsewhere("127.0.0.2", listener->port());
    EXPECT_FALSE(elsewhere.connected());
    EXPECT_EQ(elsewhere.connectError(), ECONNREFUSED);
    EXPECT_EQ(exchangeOnce(listener->port(), "GET / HTTP/1.1\r\n\r\n"), answerFor(14));
}

TEST_F(LoopbackListenerTest, HeadsUpToTheCapAreAnsweredAndLargerOnesCloseSilently)
{
    const auto headOf = [](std::size_t total) { return "GET /" + std::string(total - 9, 'a') + "\r\n\r\n"; };
    ASSERT_EQ(headOf(65536).size(), 65536u);
    EXPECT_EQ(exchangeOnce(listener->port(), headOf(65536)), answerFor(65532));

    // One byte over: closed with nothing sent, with the blank line as the last bytes and without one.
    for (const std::string& request : { headOf(65537), std::string(65537, 'a') }) {
        RawSocketClient client("127.0.0.1", listener->port());
        client.send(request);
        const auto received = client.receiveAll();
        EXPECT_EQ(received.bytes, "");
        EXPECT_TRUE(received.closedByPeer);
    }
    EXPECT_EQ(heads, 1);
}

TEST_F(LoopbackListenerTest, AHeadSplitOverWritesIsReassembledAndWhatFollowsItIsNotPartOfIt)
{
    RawSocketClient client("127.0.0.1", listener->port());
    for (const char* piece : { "GET /status HT", "TP/1.1\r\nContent-Length: 5\r", "\n\r\nhello and more" }) {
        client.send(piece);
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // separate segments
    }
    const auto received = client.receiveAll();
    EXPECT_EQ(received.bytes, answerFor(std::string("GET /status HTTP/1.1\r\nContent-Length: 5").size()));
    EXPECT_TRUE(received.closedByPeer);
}

TEST_F(LoopbackListenerTest, ConnectionsWithoutACompleteHeadCloseWithoutAnAnswer)
{
    // Silent past the head time-out.
    RawSocketClient silent("127.0.0.1", listener->port(), 3);
    const auto started = std::chrono::steady_clock::now();
    const auto timedOut = silent.receiveAll();
    EXPECT_TRUE(timedOut.closedByPeer);
    EXPECT_EQ(timedOut.bytes, "");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));

    // The peer ends its side halfway through a head.
    RawSocketClient halfway("127.0.0.1", listener->port());
    halfway.send("GET /status HTTP/1.1\r\n");
    halfway.finishSending();
    const auto ended = halfway.receiveAll();
    EXPECT_TRUE(ended.closedByPeer);
    EXPECT_EQ(ended.bytes, "");
    EXPECT_EQ(heads, 0);
}

TEST_F(LoopbackListenerTest, AConnectionLeftUnansweredClosesAndACancelledListenerTakesNoMore)
{
    RawSocketClient dropped("127.0.0.1", listener->port());
    dropped.send("GET /drop HTTP/1.1\r\n\r\n");
    const auto received = dropped.receiveAll();
    EXPECT_TRUE(received.closedByPeer);
    EXPECT_EQ(received.bytes, "");
    EXPECT_EQ(heads, 1);

    const auto port = listener->port();
    onThread(thread, [this] { listener->cancel(); return 0; });
    RawSocketClient late("127.0.0.1", port);
    EXPECT_FALSE(late.connected());
}

}
}
