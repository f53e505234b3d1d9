#include "LoopbackServer.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

struct LoopbackServer::Impl
{
    httplib::Server server;
    std::thread thread;
    mutable std::mutex mutex;
    QStringList paths;
    Handler handler;
};

LoopbackServer::LoopbackServer(Handler handler) : m_impl(std::make_unique<Impl>())
{
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
