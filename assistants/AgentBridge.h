#pragma once

#include "assistants/BridgeEndpoints.h"
#include "assistants/BridgeRequest.h"
#include "library/LibraryActions.h"
#include "platform/core/FileSystem.h"
#include "platform/core/WorkQueue.h"
#include "platform/http/ContextThread.h"
#include "platform/http/LoopbackListener.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace ikw {
class AppDelegate;
}

namespace ikw::assistants {

// What the bridge reaches the application through, looked up on the main thread per request.
struct BridgeServices {
    library::LibraryLookup library; // the windows and openers; nothing once they are gone
    AnnotationSidecars sidecars;
};

struct BridgeOptions {
    std::string discoveryFile; // agent_bridge.json
    http::HeadLimits limits {};
    FileSystem* fileSystem = &realFileSystem();
};

// A small HTTP/JSON server on 127.0.0.1 through which local agents list the windows, open
// documents, turn a reader's page and read annotations. Every request carries the per-launch
// token, which leaves the process only through the discovery file (never through the log).
//
// The listener, every connection, head parsing, the token check and every answer run on
// `netQueue`, one thread with a GLib context of its own; routing and the operations run on the
// main thread. Closures that outlive a call hold the bridge weakly.
class AgentBridge : public std::enable_shared_from_this<AgentBridge> {
public:
    // The process's bridge, made on first use and kept for the whole run.
    static AgentBridge& shared();

    explicit AgentBridge(BridgeOptions options);
    ~AgentBridge();
    AgentBridge(const AgentBridge&) = delete;
    AgentBridge& operator=(const AgentBridge&) = delete;

    // Listens for the delegate (kept weakly), replacing and cancelling an earlier listener; writes
    // the discovery file once listening. Main thread; needs the bridge owned by a shared pointer.
    void start(std::weak_ptr<AppDelegate> app, BridgeServices services);
    // Stops listening and deletes the discovery file; returns once both are done. Requests that
    // arrive afterwards on connections already open are closed unanswered. Main thread.
    void stop();

    const std::string& token() const { return m_token; }
    const std::string& discoveryFile() const { return m_options.discoveryFile; }
    // The listening port once the discovery file is written, 0 when not listening. Any thread.
    std::uint16_t port() const { return m_port; }

private:
    class PendingAnswer;

    void listen();
    void route(const std::shared_ptr<http::HeadConnection>& connection, const std::string& head);
    void dispatch(const BridgeRequest& request, std::shared_ptr<PendingAnswer> answer);
    // Main thread: hands the answer to the network thread, where respond() writes it.
    void answerLater(PendingAnswer& answer, int status, Json body);
    BridgeReply replyOn(std::shared_ptr<PendingAnswer> answer);
    void respond(const std::shared_ptr<http::HeadConnection>& connection, int status, const Json& body);

    const BridgeOptions m_options;
    const std::string m_token;
    std::weak_ptr<AppDelegate> m_app; // main thread
    BridgeServices m_services;        // main thread
    std::unique_ptr<WorkQueue> m_documentQueue = makeSerialQueue("ikw.agent.bridge.documents");
    std::shared_ptr<http::ContextThread> m_netQueue = std::make_shared<http::ContextThread>("ikw.agent.bridge");
    std::unique_ptr<http::LoopbackListener> m_listener; // netQueue only
    std::atomic<std::uint16_t> m_port = 0;
};

}
