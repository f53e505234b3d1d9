#pragma once

#include <QString>

#include <atomic>
#include <chrono>

struct HttpResponse
{
    bool transferred = false; // a whole reply arrived (whatever its status)
    int status = 0;
    QString body; // decoded by the charset the server declared
};

// One synchronous GET without a body. Implementations never throw and never block for longer
// than their own time-outs, nor for longer than `limit` when one is given. A reply body of more
// than `maxBody` bytes is not read to its end: the transfer is dropped as soon as it grows past
// that, nothing of it is kept, and the request counts as failed (`transferred` false).
class HttpClient
{
public:
    // The largest file our server serves; a caller that knows better says so.
    static constexpr qsizetype defaultMaxBody = qsizetype(1) << 20;
    // What a connection and a whole request may take, on every system's client.
    static constexpr std::chrono::milliseconds defaultConnectTimeout = std::chrono::seconds(3);
    static constexpr std::chrono::milliseconds defaultTransferTimeout = std::chrono::seconds(10);

    virtual ~HttpClient() = default;
    virtual HttpResponse get(const QString &url, std::chrono::milliseconds limit,
                             qsizetype maxBody) = 0;
    HttpResponse get(const QString &url)
    {
        return get(url, std::chrono::milliseconds::max(), defaultMaxBody);
    }

    // Turns the raw reply into text: CP932 when the server says Shift_JIS (or one of its
    // aliases), Latin-1 when it says so, UTF-8 otherwise.
    static QString decodeBody(const QByteArray &body, const QByteArray &contentType);

    // Requests made afterwards on the calling thread give up once `flag` is set: at once when
    // they have not begun, and those under way as soon as the client can tell (within a second
    // on Linux, at their own time-out on Windows). A program that is ending does not wait
    // for a server that does not answer. Null takes it back.
    static void giveUpWhen(const std::atomic<bool> *flag);
    // Whether the calling thread's requests have been given up.
    static bool givenUp();
};
