#include "assistants/AgentBridge.h"

#include "app/AppDelegate.h"
#include "app/Globals.h"
#include "assistants/BridgeFile.h"
#include "library/LibraryLayer.h"
#include "platform/core/Log.h"

#include <chrono>
#include <future>

namespace ikw::assistants {

namespace {

// How long stop() waits for the network thread before it deletes the file itself.
constexpr auto kStopWait = std::chrono::seconds(2);

}

// A connection waiting for its answer while the main thread works. It is answered, and let go,
// on the network thread only; with the bridge gone it closes unanswered.
class AgentBridge::PendingAnswer {
public:
    PendingAnswer(std::shared_ptr<http::HeadConnection> connection, std::weak_ptr<http::ContextThread> netQueue)
        : m_connection(std::move(connection))
        , m_netQueue(std::move(netQueue))
    {
    }
    ~PendingAnswer()
    {
        if (auto queue = m_netQueue.lock())
            queue->post([connection = std::move(m_connection)] { });
    }
    PendingAnswer(const PendingAnswer&) = delete;
    PendingAnswer& operator=(const PendingAnswer&) = delete;

    std::shared_ptr<http::HeadConnection> take() { return std::exchange(m_connection, {}); }

private:
    std::shared_ptr<http::HeadConnection> m_connection;
    std::weak_ptr<http::ContextThread> m_netQueue;
};

AgentBridge& AgentBridge::shared()
{
    static const auto bridge = std::make_shared<AgentBridge>(BridgeOptions { .discoveryFile = bridgeFilePath(globals().paths) });
    return *bridge;
}

AgentBridge::AgentBridge(BridgeOptions options)
    : m_options(std::move(options))
    , m_token(makeBridgeToken())
{
}

AgentBridge::~AgentBridge()
{
    // The listener belongs to the network thread; it goes there before the thread ends.
    m_netQueue->post([listener = std::shared_ptr<http::LoopbackListener>(std::move(m_listener))] { });
}

void AgentBridge::start(std::weak_ptr<AppDelegate> app, BridgeServices services)
{
    m_app = std::move(app);
    m_services = std::move(services);
    m_netQueue->post([weak = weak_from_this()] {
        if (auto self = weak.lock())
            self->listen();
    });
}

void AgentBridge::listen()
{
    m_listener.reset();
    m_port = 0;
    std::weak_ptr<AgentBridge> weak = weak_from_this();
    m_listener = http::LoopbackListener::create(
        [weak](std::shared_ptr<http::HeadConnection> connection, std::string head) {
            if (auto self = weak.lock())
                self->route(connection, head);
            else
                connection->close();
        },
        m_options.limits);
    if (!m_listener) {
        logLine("AgentBridge: could not create listener");
        return;
    }
    writeBridgeFile(*m_options.fileSystem, m_options.discoveryFile, m_listener->port(), m_token);
    m_port = m_listener->port(); // ready: the file is written

}

void AgentBridge::stop()
{
    auto done = std::make_shared<std::promise<void>>();
    auto finished = done->get_future();
    m_netQueue->post([weak = weak_from_this(), done] {
        if (auto self = weak.lock()) {
            if (self->m_listener)
                self->m_listener->cancel();
            self->m_listener.reset();
            self->m_port = 0;
            self->m_options.fileSystem->removeFile(self->m_options.discoveryFile);
        }
        done->set_value();
    });
    if (finished.wait_for(kStopWait) != std::future_status::ready)
        m_options.fileSystem->removeFile(m_options.discoveryFile);
    // Documents being read for an answer finish while the main queue still takes their replies.
    m_documentQueue->waitUntilIdle();
}

void AgentBridge::route(const std::shared_ptr<http::HeadConnection>& connection, const std::string& head)
{
    if (!m_listener) {
        connection->close(); // stopped: the application is quitting, and its main thread takes no more work
        return;
    }
    auto request = readBridgeRequest(head, m_token);
    if (const auto* refusal = std::get_if<BridgeRefusal>(&request)) {
        respond(connection, refusal->status, bridgeError(refusal->error));
        return;
    }
    auto answer = std::make_shared<PendingAnswer>(connection, m_netQueue);
    mainQueue().post([weak = weak_from_this(), request = std::get<BridgeRequest>(std::move(request)), answer]() mutable {
        if (auto self = weak.lock())
            self->dispatch(request, std::move(answer));
        // Without the bridge the connection closes unanswered.
    });
}

void AgentBridge::answerLater(PendingAnswer& answer, int status, Json body)
{
    m_netQueue->post([weak = weak_from_this(), connection = answer.take(), status, body = std::move(body)] {
        if (auto self = weak.lock(); self && connection)
            self->respond(connection, status, body);
    });
}

BridgeReply AgentBridge::replyOn(std::shared_ptr<PendingAnswer> answer)
{
    return [weak = weak_from_this(), answer = std::move(answer)](Json body) {
        if (auto self = weak.lock())
            self->answerLater(*answer, 200, std::move(body));
    };
}

void AgentBridge::dispatch(const BridgeRequest& request, std::shared_ptr<PendingAnswer> answer)
{
    const auto library = m_services.library ? m_services.library() : nullptr;
    const auto& path = request.path;
    const auto& query = request.query;
    if (m_app.expired() || !library) {
        answerLater(*answer, 200, bridgeError("app is shutting down"));
    } else if (path == "/status") {
        answerLater(*answer, 200, statusReply(library->windows()));
    } else if (path == "/windows") {
        handleWindows(library->windows(), replyOn(std::move(answer)));
    } else if (path == "/open") {
        handleOpen(*library, query, replyOn(std::move(answer)));
    } else if (path == "/goto") {
        handleGoto(library->windows(), query, replyOn(std::move(answer)));
    } else if (path == "/annotations") {
        handleAnnotations(BridgeEndpointContext { *library, m_services.sidecars, *m_documentQueue }, query, replyOn(std::move(answer)));
    } else {
        answerLater(*answer, 404, bridgeError("unknown endpoint " + path));
    }
}

void AgentBridge::respond(const std::shared_ptr<http::HeadConnection>& connection, int status, const Json& body)
{
    connection->send(bridgeResponse(status, body));
}

}
