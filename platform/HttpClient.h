#pragma once

#include <QString>

#include <chrono>

struct HttpResponse
{
    bool transferred = false; // a reply arrived (whatever its status)
    int status = 0;
    QString body; // decoded by the charset the server declared
};

// One synchronous GET without a body. Implementations never throw and never block for longer
// than their own time-outs, nor for longer than `limit` when one is given.
class HttpClient
{
public:
    virtual ~HttpClient() = default;
    virtual HttpResponse get(const QString &url, std::chrono::milliseconds limit) = 0;
    HttpResponse get(const QString &url) { return get(url, std::chrono::milliseconds::max()); }
};
