#pragma once

#include <QByteArray>
#include <QList>
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
    // When above zero, the body is this many filler bytes instead, sent in pieces without a
    // length for as long as the client keeps reading them.
    qint64 streamed = 0;
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
    // For each streamed reply, in the order they ended, the bytes the server managed to send.
    // Waits until every streamed reply begun so far has ended (a client that stops reading
    // makes the server's next write fail).
    QList<qint64> streamedBytes() const;

    // A port nothing listens on.
    static int closedPort();
    // Our server as a game needs it, with nobody else about: no news, histograms of 500
    // zeros, and counters that answer.
    static LoopbackServer quietGameServer();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    int m_port = 0;
};
