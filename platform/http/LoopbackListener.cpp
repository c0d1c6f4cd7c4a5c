#include "platform/http/LoopbackListener.h"

#include "platform/core/GObjectRef.h"

#include <gio/gio.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace ikw::http {

namespace {

constexpr std::string_view kHeadEnd = "\r\n\r\n";
// After an answer the peer gets this long to finish sending before the socket closes: closing
// with unread bytes would reset the connection and could discard the answer on the peer's side.
constexpr double kLingerSeconds = 2;
constexpr std::size_t kLingerBytes = 1 << 20;

// A heap value handed to a GLib callback as its user data, taken back (and freed) in the callback.
template<typename T>
gpointer toUserData(T value)
{
    return std::make_unique<T>(std::move(value)).release();
}

template<typename T>
std::unique_ptr<T> fromUserData(gpointer data)
{
    return std::unique_ptr<T>(static_cast<T*>(data));
}

guint milliseconds(double seconds)
{
    return static_cast<guint>(std::clamp(std::ceil(seconds * 1000.0), 0.0, 4.0e9));
}

// A timeout source on the thread's default context, removed when the handle goes.
class TimeoutSource {
public:
    TimeoutSource() = default;
    TimeoutSource(double seconds, GSourceFunc callback, gpointer data, GDestroyNotify destroy)
        : m_source(g_timeout_source_new(milliseconds(seconds)))
    {
        g_source_set_callback(m_source, callback, data, destroy);
        GMainContext* context = g_main_context_ref_thread_default();
        g_source_attach(m_source, context);
        g_main_context_unref(context);
    }
    TimeoutSource(TimeoutSource&& other) noexcept : m_source(std::exchange(other.m_source, nullptr)) {}
    TimeoutSource& operator=(TimeoutSource&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_source = std::exchange(other.m_source, nullptr);
        }
        return *this;
    }
    TimeoutSource(const TimeoutSource&) = delete;
    TimeoutSource& operator=(const TimeoutSource&) = delete;
    ~TimeoutSource() { reset(); }

    void reset()
    {
        if (GSource* source = std::exchange(m_source, nullptr)) {
            g_source_destroy(source);
            g_source_unref(source);
        }
    }

private:
    GSource* m_source = nullptr;
};

}

struct LoopbackListener::Shared {
    HeadHandler handler;
    HeadLimits limits;
};

namespace {

class Connection final : public HeadConnection, public std::enable_shared_from_this<Connection> {
public:
    Connection(GSocketConnection* connection, std::shared_ptr<LoopbackListener::Shared> shared)
        : m_connection(GObjectRef<GSocketConnection>::retain(connection))
        , m_cancellable(GObjectRef<GCancellable>::adopt(g_cancellable_new()))
        , m_shared(std::move(shared))
        , m_chunk(std::max<std::size_t>(m_shared->limits.readSize, 1))
    {
    }
    ~Connection() override { close(); }

    void start()
    {
        m_timeout = TimeoutSource(m_shared->limits.headTimeoutSeconds, onHeadTimeout, toUserData(weak_from_this()), deleteWeak);
        readMore();
    }

    void send(std::string bytes) override
    {
        if (m_state != State::Delivered)
            return;
        m_state = State::Sending;
        m_outgoing = std::move(bytes);
        g_output_stream_write_all_async(g_io_stream_get_output_stream(G_IO_STREAM(m_connection.get())), m_outgoing.data(), m_outgoing.size(),
            G_PRIORITY_DEFAULT, m_cancellable.get(), onWritten, toUserData(shared_from_this()));
    }

    void close() override
    {
        if (m_state == State::Closed)
            return;
        m_state = State::Closed;
        m_timeout.reset();
        g_cancellable_cancel(m_cancellable.get());
        g_socket_close(g_socket_connection_get_socket(m_connection.get()), nullptr);
    }

private:
    enum class State { ReadingHead, Delivered, Sending, Lingering, Closed };

    void readMore()
    {
        g_input_stream_read_async(g_io_stream_get_input_stream(G_IO_STREAM(m_connection.get())), m_chunk.data(), m_chunk.size(),
            G_PRIORITY_DEFAULT, m_cancellable.get(), onRead, toUserData(shared_from_this()));
    }

    void received(gssize count)
    {
        if (m_state == State::Lingering) {
            m_lingered += count > 0 ? static_cast<std::size_t>(count) : 0;
            if (count > 0 && m_lingered <= kLingerBytes)
                readMore();
            else
                close();
            return;
        }
        if (m_state != State::ReadingHead)
            return;
        if (count > 0)
            m_buffer.append(m_chunk.data(), static_cast<std::size_t>(count));
        // The cap counts everything received, even when this read completed the head.
        if (m_buffer.size() > m_shared->limits.maxHeadBytes || count < 0) {
            close();
            return;
        }
        const auto end = m_buffer.find(kHeadEnd);
        if (end != std::string::npos) {
            m_timeout.reset();
            m_state = State::Delivered;
            m_buffer.resize(end);
            auto head = std::move(m_buffer);
            m_buffer = {};
            if (m_shared->handler)
                m_shared->handler(shared_from_this(), std::move(head));
            return;
        }
        if (count == 0) {
            close(); // the peer finished without a complete head
            return;
        }
        readMore();
    }

    void written()
    {
        if (m_state != State::Sending)
            return;
        m_outgoing.clear();
        m_state = State::Lingering;
        GSocket* socket = g_socket_connection_get_socket(m_connection.get());
        if (!g_socket_shutdown(socket, FALSE, TRUE, nullptr)) {
            close();
            return;
        }
        m_timeout = TimeoutSource(kLingerSeconds, onHeadTimeout, toUserData(weak_from_this()), deleteWeak);
        readMore();
    }

    static void onRead(GObject* stream, GAsyncResult* result, gpointer data)
    {
        const auto self = fromUserData<std::shared_ptr<Connection>>(data);
        const gssize count = g_input_stream_read_finish(G_INPUT_STREAM(stream), result, nullptr);
        (*self)->received(count);
    }

    static void onWritten(GObject* stream, GAsyncResult* result, gpointer data)
    {
        const auto self = fromUserData<std::shared_ptr<Connection>>(data);
        if (g_output_stream_write_all_finish(G_OUTPUT_STREAM(stream), result, nullptr, nullptr))
            (*self)->written();
        else
            (*self)->close();
    }

    static gboolean onHeadTimeout(gpointer data)
    {
        if (auto self = static_cast<std::weak_ptr<Connection>*>(data)->lock())
            self->close();
        return G_SOURCE_REMOVE;
    }

    static void deleteWeak(gpointer data) { fromUserData<std::weak_ptr<Connection>>(data); }

    GObjectRef<GSocketConnection> m_connection;
    GObjectRef<GCancellable> m_cancellable;
    std::shared_ptr<LoopbackListener::Shared> m_shared;
    std::vector<char> m_chunk;
    std::string m_buffer;
    std::string m_outgoing;
    std::size_t m_lingered = 0;
    TimeoutSource m_timeout;
    State m_state = State::ReadingHead;
};

gboolean onIncoming(GSocketService*, GSocketConnection* connection, GObject*, gpointer data)
{
    const auto& shared = *static_cast<std::shared_ptr<LoopbackListener::Shared>*>(data);
    std::make_shared<Connection>(connection, shared)->start();
    return TRUE;
}

void deleteShared(gpointer data, GClosure*)
{
    fromUserData<std::shared_ptr<LoopbackListener::Shared>>(data);
}

}

struct LoopbackListener::Bound {
    GObjectRef<GSocketService> service;
    gulong incoming;
    std::uint16_t port;
    std::string address;
};

std::unique_ptr<LoopbackListener> LoopbackListener::create(HeadHandler handler, HeadLimits limits)
{
    auto service = GObjectRef<GSocketService>::adopt(g_socket_service_new());
    const auto requested = GObjectRef<GSocketAddress>::adopt(g_inet_socket_address_new_from_string("127.0.0.1", 0));
    GSocketAddress* effective = nullptr;
    // One address on the loopback interface: never every interface, as adding a bare port would.
    if (!requested || !g_socket_listener_add_address(G_SOCKET_LISTENER(service.get()), requested.get(), G_SOCKET_TYPE_STREAM,
            G_SOCKET_PROTOCOL_TCP, nullptr, &effective, nullptr))
        return nullptr;
    const auto bound = GObjectRef<GSocketAddress>::adopt(effective);
    auto* inet = G_INET_SOCKET_ADDRESS(bound.get());
    gchar* text = g_inet_address_to_string(g_inet_socket_address_get_address(inet));
    std::string address = text ? text : "";
    g_free(text);

    auto shared = std::make_shared<Shared>(Shared { std::move(handler), limits });
    const gulong incoming = g_signal_connect_data(service.get(), "incoming", G_CALLBACK(onIncoming), toUserData(std::move(shared)), deleteShared, GConnectFlags {});
    g_socket_service_start(service.get());
    return std::make_unique<LoopbackListener>(Bound { std::move(service), incoming, g_inet_socket_address_get_port(inet), std::move(address) });
}

LoopbackListener::LoopbackListener(Bound bound)
    : m_service(std::move(bound.service))
    , m_incoming(bound.incoming)
    , m_port(bound.port)
    , m_address(std::move(bound.address))
{
}

LoopbackListener::~LoopbackListener()
{
    cancel();
    g_signal_handler_disconnect(m_service.get(), m_incoming);
}

void LoopbackListener::cancel()
{
    g_socket_service_stop(m_service.get());
    g_socket_listener_close(G_SOCKET_LISTENER(m_service.get()));
}

}
