#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>

struct LoopbackReply
{
    int status = 200;
    QByteArray body;
    QByteArray contentType = "text/plain";
};

// A real HTTP server on 127.0.0.1 in the test process, answering each GET with what the
// handler says and recording the paths it was asked for.
class LoopbackServer
{
public:
    using Handler = std::function<LoopbackReply(const QString &path, int requestNumber)>;

    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();

    QString baseUrl() const; // http://127.0.0.1:port/
    int port() const { return m_port; }
    QStringList paths() const;
    int requestCount() const;

    // A port nothing listens on.
    static int closedPort();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    int m_port = 0;
};
