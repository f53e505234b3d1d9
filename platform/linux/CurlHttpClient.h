#pragma once

#include "HttpClient.h"

#include <chrono>

class CurlHttpClient : public HttpClient
{
public:
    CurlHttpClient(std::chrono::milliseconds connectTimeout = defaultConnectTimeout,
                   std::chrono::milliseconds transferTimeout = defaultTransferTimeout);

    using HttpClient::get;
    HttpResponse get(const QString &url, std::chrono::milliseconds limit,
                     qsizetype maxBody) override;

private:
    std::chrono::milliseconds m_connectTimeout;
    std::chrono::milliseconds m_transferTimeout;
};
