#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>

struct MHD_Daemon;
class ClientAddress;
class RequestHandler;

// The HTTP side of furamio-server: an event loop per thread over all connections, so a
// connection that is slow, idle or half-sent costs a socket and a little memory but never a
// thread, and cannot hold up anyone else.
//
// Limits every connection lives under:
// - a request must have arrived whole within requestDeadline of the connection's start or of
//   the previous reply on it, and its reply must have been taken within replyDeadline, else
//   the connection is dropped; a file's text is shared by all its readers, never copied;
// - the request line and headers must fit in connectionMemory, so an endless header block is
//   refused while it is being read, and a header block over largestHeaderBlock is refused;
// - a request with unclear framing (Content-Length twice, not a number, together with
//   Transfer-Encoding, or a transfer coding we do not know), a second Host, a header name
//   with blanks in it (before its colon), a control character (NUL included) in a header's
//   name or value, or a header block that is not plain "Name: value" lines each ended by
//   CR LF (a folded line, a bare LF) is refused with 400 and the connection closed, since a
//   proxy in front could read it another way;
// - every error reply closes the connection, so nothing behind a refused request is read;
// - at most maxConnections are served at once: one beyond them is answered 503 as soon as its
//   request is in (or dropped after overCapPatience), and past a margin above that the library
//   closes new connections at once. When a burst has passed, the memory its connections held
//   is handed back to the system;
// - one address holds at most maxPerAddress connections (0: no limit); more are closed as they
//   come, before anything is read, and do not count against maxConnections. A trusted proxy
//   is not limited here: it limits each of its clients itself.
class HttpServer
{
public:
    static constexpr std::chrono::seconds requestDeadline{10};
    // The program waits 30 s for a file at most; a reply still being taken after that is of no
    // use to anyone.
    static constexpr std::chrono::seconds replyDeadline{30};
    static constexpr size_t largestHeaderBlock = 16 * 1024;
    static constexpr size_t mostHeaders = 100;
    static constexpr size_t connectionMemory = 32 * 1024;
    static constexpr std::chrono::seconds overCapPatience{1};
    // Connections that must have closed since the highest count before memory is handed back:
    // a few MB, so a trim is never made for a handful.
    static constexpr size_t trimAfterClosing = 256;

    HttpServer(RequestHandler &handler, const ClientAddress &clients, unsigned threads,
               unsigned maxConnections, unsigned maxPerAddress);
    ~HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    // Listens on host:port (port 0 picks a free one). False with the reason in *error.
    bool start(const std::string &host, int port, std::string *error);
    int port() const { return m_port; }
    void stop();

    struct Connection;

private:
    void watch();
    void forget(Connection *connection);

    friend struct HttpCallbacks;

    RequestHandler &m_handler;
    const ClientAddress &m_clients;
    unsigned m_threads;
    unsigned m_maxConnections;
    unsigned m_maxPerAddress;
    int m_port = 0;
    MHD_Daemon *m_daemon = nullptr;

    std::mutex m_connectionsMutex;
    std::unordered_set<Connection *> m_connections;
    std::unordered_map<std::string, size_t> m_perAddress; // open connections of each address
    size_t m_peakConnections = 0; // the most open at once since memory was last handed back

    std::mutex m_watchMutex;
    std::condition_variable m_watchWake;
    bool m_stopping = false;
    std::thread m_watchdog;
};
