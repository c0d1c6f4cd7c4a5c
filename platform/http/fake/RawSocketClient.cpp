#include "platform/http/fake/RawSocketClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>

namespace ikw::http {

RawSocketClient::RawSocketClient(const std::string& ipv4Address, std::uint16_t port, double timeoutSeconds)
    : m_timeoutSeconds(timeoutSeconds)
{
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (!fd.valid() || ::inet_pton(AF_INET, ipv4Address.c_str(), &address.sin_addr) != 1) {
        m_connectError = EINVAL;
        return;
    }
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        m_connectError = errno;
        return;
    }
    m_fd = std::move(fd);
}

bool RawSocketClient::send(std::string_view bytes)
{
    while (m_fd.valid() && !bytes.empty()) {
        const auto sent = ::send(m_fd.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return m_fd.valid();
}

void RawSocketClient::finishSending()
{
    if (m_fd.valid())
        ::shutdown(m_fd.get(), SHUT_WR);
}

RawSocketClient::Received RawSocketClient::receiveAll()
{
    Received received;
    if (!m_fd.valid())
        return received;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(m_timeoutSeconds);
    char buffer[16384];
    while (received.bytes.size() < (1u << 20)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            return received;
        pollfd ready { m_fd.get(), POLLIN, 0 };
        if (::poll(&ready, 1, static_cast<int>(left)) <= 0)
            continue;
        const auto count = ::recv(m_fd.get(), buffer, sizeof buffer, 0);
        if (count <= 0) {
            received.closedByPeer = count == 0 || errno == ECONNRESET;
            return received;
        }
        received.bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return received;
}

std::string exchangeOnce(std::uint16_t port, std::string_view request, double timeoutSeconds)
{
    RawSocketClient client("127.0.0.1", port, timeoutSeconds);
    if (!client.send(request))
        return {};
    return client.receiveAll().bytes;
}

}
