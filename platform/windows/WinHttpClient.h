#pragma once

#include "HttpClient.h"

#include <chrono>

// The plain GET over the system's own HTTP service (WinHTTP), with the same time-outs and
// size limit as the Linux client: a connection gets `connectTimeout`, the whole request
// `transferTimeout`, and neither more than the caller's limit.
class WinHttpClient : public HttpClient
{
public:
    WinHttpClient(std::chrono::milliseconds connectTimeout = defaultConnectTimeout,
                  std::chrono::milliseconds transferTimeout = defaultTransferTimeout);

    using HttpClient::get;
    HttpResponse get(const QString &url, std::chrono::milliseconds limit,
                     qsizetype maxBody) override;

private:
    std::chrono::milliseconds m_connectTimeout;
    std::chrono::milliseconds m_transferTimeout;
};
