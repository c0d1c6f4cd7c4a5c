#pragma once

#include "platform/core/GObjectRef.h"

#include <gio/gio.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace ikw::http {

// How a connection may read its request head.
struct HeadLimits {
    std::size_t readSize = 16384;  // bytes asked for per read
    std::size_t maxHeadBytes = 65536; // more than this received without a complete head closes the connection
    double headTimeoutSeconds = 10; // a head not complete by then closes the connection
};

// One accepted connection whose request head has arrived. It is used on the listener's thread
// only. It answers once: send() writes the bytes and closes; dropping the last reference without
// sending closes without an answer.
class HeadConnection {
public:
    virtual ~HeadConnection() = default;
    virtual void send(std::string bytes) = 0;
    virtual void close() = 0;
};

// Called on the listener's thread with each connection and its head: the bytes before the first
// CR LF CR LF. Whatever follows the blank line is never read as part of the request.
using HeadHandler = std::function<void(std::shared_ptr<HeadConnection> connection, std::string head)>;

// A TCP listener on 127.0.0.1 at a port the system chooses, reading one request head per
// connection. Create, use and destroy it on one thread whose default main context runs (a
// ContextThread): its accepts, reads, writes and time-outs complete there. Connections that are
// already open are not touched by cancel() or by the listener's end.
class LoopbackListener {
public:
    // Nothing when no socket could be bound.
    static std::unique_ptr<LoopbackListener> create(HeadHandler handler, HeadLimits limits = {});
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    // The port read back from the bound address, and that address ("127.0.0.1").
    std::uint16_t port() const { return m_port; }
    const std::string& address() const { return m_address; }

    // Stops accepting and closes the listening socket.
    void cancel();

    struct Shared;
    struct Bound; // what create() made; only create() can make one
    explicit LoopbackListener(Bound bound);

private:
    GObjectRef<GSocketService> m_service;
    gulong m_incoming;
    std::uint16_t m_port;
    std::string m_address;
};

}
