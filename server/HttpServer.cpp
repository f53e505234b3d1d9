#include "HttpServer.h"

#include "ClientAddress.h"
#include "RequestHandler.h"
#include "RequestLog.h"

#include <microhttpd.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <netdb.h>
#include <strings.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

struct HttpServer::Connection
{
    int fd = -1;
    std::string peer;
    // Guarded by the server's m_connectionsMutex.
    std::chrono::steady_clock::time_point deadline;
    bool answering = false;
    bool endSeen = false;      // the client closed its side at the last look
    bool overCap = false;      // came while maxConnections others were open: answered 503
    bool ofOneAddress = false; // counted among its address's connections
    bool turnedAway = false;   // its address had maxPerAddress open already: closed at once
    // The request in flight; only one at a time per connection.
    std::string target;
    std::string method;
    std::string client;
    std::chrono::steady_clock::time_point start;
    int status = 0;
    size_t bytes = 0;
};

namespace {

using Clock = std::chrono::steady_clock;

// What the header block of a request says about itself.
struct HeaderSurvey
{
    size_t bytes = 0;
    size_t count = 0;
    size_t plainBytes = 0; // the header lines as "Name: value" CR LF would take
    int contentLengths = 0;
    int hosts = 0;
    bool blankInName = false;
    // A control character (NUL included) in a name or value, which is also what is left of a
    // folded line: a reader in front may have taken the line another way.
    bool controlCharacter = false;
    bool contentLengthIsNumber = true;
    bool hasBody = false;
    bool transferEncoding = false;
    bool knownTransferCoding = true;
    std::string forwardedFor;
};

bool isDigits(const char *text)
{
    if (*text == '\0')
        return false;
    for (; *text; ++text)
        if (*text < '0' || *text > '9')
            return false;
    return true;
}

// Bytes below the blank and DEL; a tab is allowed inside a value only.
bool hasControlCharacter(const char *text, size_t size, bool tabAllowed)
{
    for (size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && !(tabAllowed && c == '\t')) || c == 0x7f)
            return true;
    }
    return false;
}

MHD_Result surveyHeader(void *cls, MHD_ValueKind, const char *key, size_t keySize,
                        const char *value, size_t valueSize)
{
    auto &survey = *static_cast<HeaderSurvey *>(cls);
    if (!key)
        return MHD_YES;
    const char *text = value ? value : "";
    // The sizes are the bytes that came; a NUL among them shortens the C string.
    survey.controlCharacter =
        survey.controlCharacter || std::strlen(key) != keySize || std::strlen(text) != valueSize ||
        hasControlCharacter(key, keySize, false) || hasControlCharacter(text, valueSize, true);
    survey.bytes += keySize + valueSize + 4;
    survey.plainBytes += keySize + 2 + valueSize + 2;
    ++survey.count;
    // "Content-Length : 5" is no Content-Length to us, but may be one to a proxy in front.
    survey.blankInName = survey.blankInName || std::strpbrk(key, " \t") != nullptr;
    if (strcasecmp(key, "Host") == 0) {
        ++survey.hosts;
    } else if (strcasecmp(key, "Content-Length") == 0) {
        ++survey.contentLengths;
        survey.contentLengthIsNumber = survey.contentLengthIsNumber && isDigits(text);
        survey.hasBody = survey.hasBody || std::strspn(text, "0") != std::strlen(text);
    } else if (strcasecmp(key, "Transfer-Encoding") == 0) {
        survey.transferEncoding = true;
        survey.knownTransferCoding = survey.knownTransferCoding && strcasecmp(text, "chunked") == 0;
    } else if (strcasecmp(key, "X-Forwarded-For") == 0) {
        if (!survey.forwardedFor.empty())
            survey.forwardedFor += ',';
        survey.forwardedFor += text;
    }
    return MHD_YES;
}

std::string addressText(const sockaddr *address)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address && address->sa_family == AF_INET) {
        const auto *v4 = reinterpret_cast<const sockaddr_in *>(address);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    } else if (address && address->sa_family == AF_INET6) {
        const auto *v6 = reinterpret_cast<const sockaddr_in6 *>(address);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        return ClientAddress::canonical(text);
    }
    return text;
}

// The kernel caps the queue at its own maximum (net.core.somaxconn); asking for more takes
// whatever that maximum is, so a burst waits in the queue instead of being turned away.
constexpr int listenQueue = INT_MAX;

int listenOn(const std::string &host, int port, std::string *error)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo *found = nullptr;
    const std::string service = std::to_string(port);
    const int lookup = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (lookup != 0) {
        *error = gai_strerror(lookup);
        return -1;
    }
    int fd = -1;
    for (addrinfo *a = found; a && fd < 0; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0)
            continue;
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (bind(fd, a->ai_addr, a->ai_addrlen) != 0 || listen(fd, listenQueue) != 0) {
            *error = std::strerror(errno);
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    return fd;
}

// Every connection needs a descriptor; the usual soft limit of 1024 would turn players away
// long before memory or time runs short.
rlim_t raiseDescriptorLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 1024;
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    return limit.rlim_cur;
}

} // namespace

// The library calls these with the server as cls.
struct HttpCallbacks
{
    // The request context while a request without a body waits for its second call.
    static inline char answerWhenComplete = 0;

    static void notifyConnection(void *cls, MHD_Connection *mhd, void **socketContext,
                                 MHD_ConnectionNotificationCode code)
    {
        auto &server = *static_cast<HttpServer *>(cls);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            auto *connection = new HttpServer::Connection;
            const MHD_ConnectionInfo *fd =
                MHD_get_connection_info(mhd, MHD_CONNECTION_INFO_CONNECTION_FD);
            const MHD_ConnectionInfo *peer =
                MHD_get_connection_info(mhd, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
            connection->fd = fd ? fd->connect_fd : -1;
            connection->peer = addressText(peer ? peer->client_addr : nullptr);
            connection->deadline = Clock::now() + HttpServer::requestDeadline;
            *socketContext = connection;
            std::lock_guard lock(server.m_connectionsMutex);
            // A proxy's connections carry many clients; it limits each of them itself.
            if (server.m_maxPerAddress > 0 && !server.m_clients.trusted(connection->peer)) {
                size_t &open = server.m_perAddress[connection->peer];
                if (open >= server.m_maxPerAddress) {
                    // Closed before anything is read, and not counted against the cap, so that
                    // one address cannot take the room every other player needs.
                    connection->turnedAway = true;
                    if (connection->fd >= 0)
                        shutdown(connection->fd, SHUT_RDWR);
                    connection->fd = -1;
                    return;
                }
                ++open;
                connection->ofOneAddress = true;
            }
            if (server.m_connections.size() >= server.m_maxConnections) {
                connection->overCap = true;
                connection->deadline = Clock::now() + HttpServer::overCapPatience;
            }
            server.m_connections.insert(connection);
            server.m_peakConnections =
                std::max(server.m_peakConnections, server.m_connections.size());
        } else if (*socketContext) {
            // Called before the library closes the socket, so the watchdog never shuts down a
            // descriptor that was handed on to a new connection.
            server.forget(static_cast<HttpServer::Connection *>(*socketContext));
            *socketContext = nullptr;
        }
    }

    static HttpServer::Connection *connectionOf(MHD_Connection *mhd)
    {
        const MHD_ConnectionInfo *info =
            MHD_get_connection_info(mhd, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
        return info ? static_cast<HttpServer::Connection *>(info->socket_context) : nullptr;
    }

    // Sees the request target as it came, escapes and query included, before the library
    // splits and decodes it.
    static void *requestLine(void *, const char *uri, MHD_Connection *mhd)
    {
        if (HttpServer::Connection *connection = connectionOf(mhd)) {
            connection->target = uri ? uri : "";
            connection->start = Clock::now();
        }
        return nullptr;
    }

    static void releaseShared(void *body)
    {
        delete static_cast<std::shared_ptr<const std::string> *>(body);
    }

    static MHD_Result send(MHD_Connection *mhd, HttpServer::Connection &connection, Reply reply)
    {
        MHD_Response *response = nullptr;
        if (reply.shared) {
            // Sent from the shared text itself, which the response keeps alive until the
            // library lets go of it.
            auto *keep = new std::shared_ptr<const std::string>(reply.shared);
            response = MHD_create_response_from_buffer_with_free_callback_cls(
                (*keep)->size(), const_cast<char *>((*keep)->data()), &releaseShared, keep);
            if (!response)
                delete keep;
        } else {
            response = MHD_create_response_from_buffer(reply.body.size(), reply.body.data(),
                                                       MHD_RESPMEM_MUST_COPY);
        }
        if (!response)
            return MHD_NO;
        MHD_add_response_header(response, "Content-Type", reply.contentType.c_str());
        for (const auto &[name, value] : reply.headers)
            MHD_add_response_header(response, name.c_str(), value.c_str());
        if (reply.status >= 400)
            MHD_add_response_header(response, "Connection", "close");
        connection.status = reply.status;
        connection.bytes = reply.content().size();
        const MHD_Result queued =
            MHD_queue_response(mhd, static_cast<unsigned>(reply.status), response);
        MHD_destroy_response(response);
        return queued;
    }

    static bool sendingSideClosed(HttpServer &server, const HttpServer::Connection &connection)
    {
        // Under the lock: the watchdog may be shutting this socket down.
        std::lock_guard lock(server.m_connectionsMutex);
        char byte = 0;
        return connection.fd >= 0 && recv(connection.fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
    }

    // Whether the request's header block came as plain lines: "Name: value" each, CR LF
    // after each. The library takes a folded line (one starting with a blank) as more of the
    // line before and bare LF as a line end; a proxy in front may take either another way, and
    // a body smuggled past it would run here as a request of its own. Neither leaves a trace in
    // the names and values the library gives, only in the size of the block.
    static bool plainLines(MHD_Connection *mhd, const HttpServer::Connection &connection,
                           const char *method, const char *version, const HeaderSurvey &survey)
    {
        const MHD_ConnectionInfo *info =
            MHD_get_connection_info(mhd, MHD_CONNECTION_INFO_REQUEST_HEADER_SIZE);
        if (!info)
            return true;
        const size_t requestLine = std::strlen(method ? method : "") + 1 +
                                   connection.target.size() + 1 +
                                   std::strlen(version ? version : "") + 2;
        return info->header_size == requestLine + survey.plainBytes + 2;
    }

    static MHD_Result access(void *cls, MHD_Connection *mhd, const char *, const char *method,
                             const char *version, const char *, size_t *uploadSize,
                             void **requestContext)
    {
        auto &server = *static_cast<HttpServer *>(cls);
        HttpServer::Connection *connection = connectionOf(mhd);
        if (!connection || connection->turnedAway)
            return MHD_NO;
        if (*requestContext == &answerWhenComplete) {
            // The library calls again once the request is whole; a request without a body is
            // answered here, which keeps the connection open for the next one.
            *requestContext = connection;
            return send(mhd, *connection,
                        server.m_handler.handle(connection->method, connection->target,
                                                connection->client));
        }
        if (*requestContext) {
            // Body bytes after the reply was queued; the connection closes after the reply.
            *uploadSize = 0;
            return MHD_YES;
        }
        {
            std::lock_guard lock(server.m_connectionsMutex);
            connection->answering = true;
            connection->deadline = Clock::now() + HttpServer::replyDeadline;
        }
        connection->method = method ? method : "";

        HeaderSurvey survey;
        MHD_get_connection_values_n(mhd, MHD_HEADER_KIND, &surveyHeader, &survey);
        connection->client = server.m_clients.resolve(connection->peer, survey.forwardedFor);
        const bool badFraming = survey.contentLengths > 1 || !survey.contentLengthIsNumber ||
                                (survey.contentLengths > 0 && survey.transferEncoding) ||
                                !survey.knownTransferCoding || survey.hosts > 1 ||
                                survey.blankInName || survey.controlCharacter ||
                                !plainLines(mhd, *connection, method, version, survey);
        *requestContext = connection;
        if (connection->overCap) {
            Reply reply = RequestHandler::plain(503, "server busy\r\n");
            reply.headers.emplace_back("Retry-After", "1");
            return send(mhd, *connection, std::move(reply));
        }
        if (badFraming)
            return send(mhd, *connection, RequestHandler::plain(400, "bad request\r\n"));
        if (survey.bytes > HttpServer::largestHeaderBlock || survey.count > HttpServer::mostHeaders)
            return send(mhd, *connection,
                        RequestHandler::plain(431, "request header fields too large\r\n"));
        if (survey.transferEncoding || survey.hasBody || sendingSideClosed(server, *connection)) {
            // None of our requests has a body. Answering before it is read makes the library
            // close the connection afterwards instead of reading whatever is sent. A client
            // that closed its sending side after the request is answered here too: the library
            // would otherwise wait for more from it and never make the second call.
            return send(mhd, *connection,
                        server.m_handler.handle(connection->method, connection->target,
                                                connection->client));
        }
        *requestContext = &answerWhenComplete;
        return MHD_YES;
    }

    static void completed(void *cls, MHD_Connection *mhd, void **requestContext,
                          MHD_RequestTerminationCode)
    {
        auto &server = *static_cast<HttpServer *>(cls);
        HttpServer::Connection *connection = connectionOf(mhd);
        if (!connection || !*requestContext || *requestContext == &answerWhenComplete) {
            *requestContext = nullptr;
            return;
        }
        *requestContext = nullptr;
        const auto took =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - connection->start);
        RequestLog::write(RequestLog::line(std::chrono::system_clock::now(), connection->client,
                                           connection->method, connection->target,
                                           connection->status, connection->bytes, took));
        std::lock_guard lock(server.m_connectionsMutex);
        connection->answering = false;
        connection->deadline = Clock::now() + HttpServer::requestDeadline;
    }
};

HttpServer::HttpServer(RequestHandler &handler, const ClientAddress &clients, unsigned threads,
                       unsigned maxConnections, unsigned maxPerAddress)
    : m_handler(handler), m_clients(clients), m_threads(threads == 0 ? 1 : threads),
      m_maxConnections(maxConnections == 0 ? 1 : maxConnections), m_maxPerAddress(maxPerAddress)
{
}

HttpServer::~HttpServer()
{
    stop();
}

bool HttpServer::start(const std::string &host, int port, std::string *error)
{
    const rlim_t descriptors = raiseDescriptorLimit();
    const int listenFd = listenOn(host, port, error);
    if (listenFd < 0)
        return false;
    sockaddr_storage bound{};
    socklen_t boundSize = sizeof bound;
    getsockname(listenFd, reinterpret_cast<sockaddr *>(&bound), &boundSize);
    m_port = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6 *>(&bound)->sin6_port
                                               : reinterpret_cast<sockaddr_in *>(&bound)->sin_port);

    // Room for the database, the log and the listening sockets besides the connections. Past
    // the cap, connections are still taken in to be told 503; beyond the library's own limit
    // it closes them as they come. The library splits its limit evenly between the threads,
    // and a burst does not reach them evenly, so each thread may hold the whole cap.
    const rlim_t overCapMargin = 64;
    const unsigned connections = static_cast<unsigned>(
        std::min<rlim_t>({descriptors > 1064 ? descriptors - 64 : 1000,
                          rlim_t(m_maxConnections) * m_threads + overCapMargin, 1 << 20}));
    const unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD;
    m_daemon = MHD_start_daemon(
        flags, 0, nullptr, nullptr, &HttpCallbacks::access, this, MHD_OPTION_LISTEN_SOCKET,
        listenFd, MHD_OPTION_THREAD_POOL_SIZE, m_threads, MHD_OPTION_CONNECTION_LIMIT, connections,
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, connectionMemory, MHD_OPTION_STRICT_FOR_CLIENT, 1,
        MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned>(requestDeadline.count()),
        MHD_OPTION_NOTIFY_CONNECTION, &HttpCallbacks::notifyConnection, this,
        MHD_OPTION_NOTIFY_COMPLETED, &HttpCallbacks::completed, this, MHD_OPTION_URI_LOG_CALLBACK,
        &HttpCallbacks::requestLine, this, MHD_OPTION_END);
    if (!m_daemon) {
        *error = "the HTTP layer did not start";
        close(listenFd);
        return false;
    }
    m_watchdog = std::thread([this] { watch(); });
    return true;
}

void HttpServer::stop()
{
    if (!m_daemon)
        return;
    {
        std::lock_guard lock(m_watchMutex);
        m_stopping = true;
    }
    m_watchWake.notify_all();
    m_watchdog.join();
    MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
}

void HttpServer::forget(Connection *connection)
{
    {
        std::lock_guard lock(m_connectionsMutex);
        m_connections.erase(connection);
        if (connection->ofOneAddress) {
            const auto found = m_perAddress.find(connection->peer);
            if (found != m_perAddress.end() && --found->second == 0)
                m_perAddress.erase(found);
        }
    }
    delete connection;
}

void HttpServer::watch()
{
    std::unique_lock wait(m_watchMutex);
    while (!m_watchWake.wait_for(wait, std::chrono::milliseconds(250),
                                 [this] { return m_stopping; })) {
        bool trim = false;
        {
            std::lock_guard lock(m_connectionsMutex);
            if (m_peakConnections >= m_connections.size() + trimAfterClosing) {
                trim = true;
                m_peakConnections = m_connections.size();
            }
        }
        // The memory of a burst's connections is freed in small pieces spread over the heap;
        // without this the process keeps its highest size for ever.
        if (trim)
            malloc_trim(0);
        const auto now = Clock::now();
        std::lock_guard lock(m_connectionsMutex);
        for (Connection *connection : m_connections) {
            if (connection->fd < 0)
                continue;
            if (connection->answering) {
                // A reader too slow to take its reply in time gets nothing more of it.
                if (now >= connection->deadline) {
                    shutdown(connection->fd, SHUT_RDWR);
                    connection->fd = -1;
                }
                continue;
            }
            // A client that closed its side with half a request will never finish it, but the
            // library would wait for the rest until the deadline; two looks apart, so a whole
            // request that came with the close is always answered first.
            char byte = 0;
            const bool ended = recv(connection->fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
            const bool giveUp = now >= connection->deadline || (ended && connection->endSeen);
            connection->endSeen = ended;
            if (giveUp) {
                // Shutting the socket down wakes its thread, which then closes it as a
                // connection the client ended; the descriptor stays ours until then.
                shutdown(connection->fd, SHUT_RDWR);
                connection->fd = -1;
            }
        }
    }
}
