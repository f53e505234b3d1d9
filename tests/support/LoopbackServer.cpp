#include "LoopbackServer.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <memory>
#include <thread>

struct LoopbackServer::Impl
{
    httplib::Server server;
    std::thread thread;
    mutable std::mutex mutex;
    mutable std::condition_variable streamEnded;
    QStringList paths;
    QList<qint64> streamed;
    int streamsBegun = 0;
    Handler handler;

    void stream(httplib::Response &response, const LoopbackReply &reply);
};

void LoopbackServer::Impl::stream(httplib::Response &response, const LoopbackReply &reply)
{
    {
        std::lock_guard lock(mutex);
        ++streamsBegun;
    }
    auto sent = std::make_shared<qint64>(0);
    const qint64 total = reply.streamed;
    response.set_chunked_content_provider(
        reply.contentType.toStdString(),
        [sent, total](size_t, httplib::DataSink &sink) {
            static const std::string piece(64 * 1024, 'x');
            const auto length = static_cast<size_t>(
                std::min<qint64>(total - *sent, static_cast<qint64>(piece.size())));
            if (!sink.write(piece.data(), length))
                return false;
            *sent += static_cast<qint64>(length);
            if (*sent >= total)
                sink.done();
            return true;
        },
        [this, sent](bool) {
            std::lock_guard lock(mutex);
            streamed.append(*sent);
            streamEnded.notify_all();
        });
}

LoopbackServer::LoopbackServer(Handler handler) : m_impl(std::make_unique<Impl>())
{
    // A client that hangs up on a streamed reply must fail the server's write, not end the
    // test process.
    std::signal(SIGPIPE, SIG_IGN);
    m_impl->handler = std::move(handler);
    m_impl->server.Get(".*", [this](const httplib::Request &request, httplib::Response &response) {
        int number = 0;
        QString path = QString::fromStdString(request.path);
        {
            std::lock_guard lock(m_impl->mutex);
            m_impl->paths.append(path);
            number = static_cast<int>(m_impl->paths.size());
        }
        const LoopbackReply reply = m_impl->handler(path, number);
        response.status = reply.status;
        if (reply.streamed > 0)
            m_impl->stream(response, reply);
        else
            response.set_content(reply.body.toStdString(), reply.contentType.toStdString());
    });
    m_port = m_impl->server.bind_to_any_port("127.0.0.1");
    m_impl->thread = std::thread([this] { m_impl->server.listen_after_bind(); });
    while (!m_impl->server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LoopbackServer::~LoopbackServer()
{
    m_impl->server.stop();
    m_impl->thread.join();
}

QString LoopbackServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(m_port);
}

QStringList LoopbackServer::paths() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->paths;
}

int LoopbackServer::requestCount() const
{
    std::lock_guard lock(m_impl->mutex);
    return static_cast<int>(m_impl->paths.size());
}

QList<qint64> LoopbackServer::streamedBytes() const
{
    std::unique_lock lock(m_impl->mutex);
    // Bounded, so a stream that never ends fails the test instead of hanging it.
    m_impl->streamEnded.wait_for(lock, std::chrono::seconds(30), [this] {
        return m_impl->streamed.size() >= m_impl->streamsBegun;
    });
    return m_impl->streamed;
}

int LoopbackServer::closedPort()
{
    // Bind an ephemeral port and let it go again: nothing listens there afterwards.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

LoopbackServer LoopbackServer::quietGameServer()
{
    return LoopbackServer([](const QString &path, int) {
        if (path.endsWith("oshirase.txt"))
            return LoopbackReply{200, "<no news>"};
        if (path.startsWith("/kokki/"))
            return LoopbackReply{200, QByteArray("0\r\n").repeated(500)};
        return LoopbackReply{200, "1\r\n"};
    });
}
