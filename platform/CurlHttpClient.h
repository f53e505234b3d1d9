#pragma once

#include "HttpClient.h"

#include <chrono>

class CurlHttpClient : public HttpClient
{
public:
    CurlHttpClient(std::chrono::milliseconds connectTimeout = std::chrono::seconds(3),
                   std::chrono::milliseconds transferTimeout = std::chrono::seconds(10));

    using HttpClient::get;
    HttpResponse get(const QString &url, std::chrono::milliseconds limit,
                     qsizetype maxBody) override;

private:
    std::chrono::milliseconds m_connectTimeout;
    std::chrono::milliseconds m_transferTimeout;
};
