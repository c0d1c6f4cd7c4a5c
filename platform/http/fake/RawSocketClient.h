#pragma once

#include "platform/core/UniqueFd.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ikw::http {

// A blocking TCP client for tests of loopback servers. Every wait is bounded by the time-out given
// at construction, so a server that never answers fails the test instead of hanging it.
class RawSocketClient {
public:
    RawSocketClient(const std::string& ipv4Address, std::uint16_t port, double timeoutSeconds = 5);

    bool connected() const { return m_fd.valid(); }
    int connectError() const { return m_connectError; } // errno of a failed connect

    bool send(std::string_view bytes);
    // Ends this side of the stream: the peer reads end of file.
    void finishSending();

    struct Received {
        std::string bytes;
        bool closedByPeer = false; // end of stream or a reset, before the time-out
    };
    // Everything the peer sends until it closes the connection (at most 1 MiB).
    Received receiveAll();

private:
    UniqueFd m_fd;
    int m_connectError = 0;
    double m_timeoutSeconds;
};

// Connects, sends the request and reads the whole answer ("" when nothing came).
std::string exchangeOnce(std::uint16_t port, std::string_view request, double timeoutSeconds = 5);

}
