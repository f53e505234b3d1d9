#pragma once

#include <QString>

struct HttpResponse
{
    bool transferred = false; // a reply arrived (whatever its status)
    int status = 0;
    QString body; // decoded by the charset the server declared
};

// One synchronous GET without a body. Implementations never throw and never block for longer
// than their own time-outs.
class HttpClient
{
public:
    virtual ~HttpClient() = default;
    virtual HttpResponse get(const QString &url) = 0;
};
