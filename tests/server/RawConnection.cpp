#include "RawConnection.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

RawConnection::RawConnection(int port, const std::string &from)
{
    m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd >= 0 && !from.empty()) {
        sockaddr_in source{};
        source.sin_family = AF_INET;
        inet_pton(AF_INET, from.c_str(), &source.sin_addr);
        if (bind(m_fd, reinterpret_cast<sockaddr *>(&source), sizeof source) != 0) {
            close(m_fd);
            m_fd = -1;
        }
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (m_fd >= 0 && connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        close(m_fd);
        m_fd = -1;
    }
}

RawConnection::~RawConnection()
{
    if (m_fd >= 0)
        close(m_fd);
}

bool RawConnection::send(const std::string &bytes)
{
    size_t sent = 0;
    while (m_fd >= 0 && sent < bytes.size()) {
        const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return m_fd >= 0;
}

void RawConnection::shutdownWrite()
{
    if (m_fd >= 0)
        shutdown(m_fd, SHUT_WR);
}

bool RawConnection::receive(std::chrono::milliseconds patience)
{
    if (m_fd < 0 || m_closed)
        return false;
    pollfd ready{m_fd, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(patience.count())) <= 0)
        return false;
    char buffer[65536];
    const ssize_t got = recv(m_fd, buffer, sizeof buffer, 0);
    if (got <= 0) {
        m_closed = true;
        return false;
    }
    m_pending.append(buffer, static_cast<size_t>(got));
    return true;
}

std::string RawConnection::readToEnd(std::chrono::milliseconds patience)
{
    while (receive(patience)) {
    }
    return std::exchange(m_pending, {});
}

std::string RawConnection::readReply(std::chrono::milliseconds patience)
{
    for (;;) {
        const size_t headEnd = m_pending.find("\r\n\r\n");
        if (headEnd != std::string::npos) {
            const size_t field = m_pending.find("Content-Length: ");
            const size_t length =
                field < headEnd ? std::strtoull(m_pending.c_str() + field + 16, nullptr, 10) : 0;
            if (m_pending.size() >= headEnd + 4 + length) {
                std::string reply = m_pending.substr(0, headEnd + 4 + length);
                m_pending.erase(0, reply.size());
                return reply;
            }
        }
        if (!receive(patience))
            return std::exchange(m_pending, {});
    }
}

bool RawConnection::waitForClose(std::chrono::milliseconds patience)
{
    const auto end = std::chrono::steady_clock::now() + patience;
    while (!m_closed && std::chrono::steady_clock::now() < end) {
        receive(std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now()));
        m_pending.clear();
    }
    return m_closed;
}

void raiseDescriptorLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}
