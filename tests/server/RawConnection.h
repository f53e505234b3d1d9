#pragma once

#include <chrono>
#include <string>

// One client socket to the server on loopback, for requests no well-behaved client would make:
// bytes sent one at a time, broken framing, half-closed sending sides.
class RawConnection
{
public:
    // `from`: the loopback address to connect from (any of 127.0.0.0/8), so that one test can
    // be many clients; the system's choice when empty.
    explicit RawConnection(int port, const std::string &from = {});
    ~RawConnection();
    RawConnection(const RawConnection &) = delete;
    RawConnection &operator=(const RawConnection &) = delete;

    bool connected() const { return m_fd >= 0; }
    // False once the server no longer takes bytes.
    bool send(const std::string &bytes);
    void shutdownWrite();

    // Everything the server sends until it closes the connection or `patience` passes without
    // a byte; closed() tells which.
    std::string readToEnd(std::chrono::milliseconds patience = std::chrono::seconds(20));
    // One reply, by its Content-Length, leaving the connection open.
    std::string readReply(std::chrono::milliseconds patience = std::chrono::seconds(20));
    // True when the server closed its side within `patience` (replies in between are read and
    // dropped).
    bool waitForClose(std::chrono::milliseconds patience);
    bool closed() const { return m_closed; }

    static std::string statusLine(const std::string &reply)
    {
        return reply.substr(0, reply.find("\r\n"));
    }
    static std::string body(const std::string &reply)
    {
        const size_t end = reply.find("\r\n\r\n");
        return end == std::string::npos ? std::string() : reply.substr(end + 4);
    }

private:
    // Appends what arrives within `patience` to m_pending; false on close or silence.
    bool receive(std::chrono::milliseconds patience);

    int m_fd = -1;
    bool m_closed = false;
    std::string m_pending;
};

// Lets this process hold as many sockets as the system allows.
void raiseDescriptorLimit();
