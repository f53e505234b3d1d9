#include "CurlHttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>

namespace {

struct Body
{
    QByteArray bytes;
    qsizetype limit = 0;
    bool tooLarge = false;
};

// A reply that would grow past its limit is refused before its bytes are kept: the short
// count makes curl end the transfer, so an endless reply costs no more than the limit.
size_t appendBody(char *data, size_t size, size_t count, void *userData)
{
    auto *body = static_cast<Body *>(userData);
    const size_t length = size * count;
    if (length > static_cast<size_t>(body->limit - body->bytes.size())) {
        body->tooLarge = true;
        return 0;
    }
    body->bytes.append(data, static_cast<qsizetype>(length));
    return length;
}

// Called by curl about once a second while it waits, and more often while bytes come.
int giveUpCheck(void *, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return HttpClient::givenUp() ? 1 : 0;
}

void initialiseOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

CurlHttpClient::CurlHttpClient(std::chrono::milliseconds connectTimeout,
                               std::chrono::milliseconds transferTimeout)
    : m_connectTimeout(connectTimeout), m_transferTimeout(transferTimeout)
{
    initialiseOnce();
}

HttpResponse CurlHttpClient::get(const QString &url, std::chrono::milliseconds limit,
                                 qsizetype maxBody)
{
    HttpResponse response;
    // No time left is no request: curl would read a zero time-out as none at all.
    if (limit <= std::chrono::milliseconds::zero() || maxBody < 0 || givenUp())
        return response;
    const auto connectTimeout = std::min(m_connectTimeout, limit);
    const auto transferTimeout = std::min(m_transferTimeout, limit);
    CURL *curl = curl_easy_init();
    if (!curl)
        return response;

    const QByteArray address = url.toUtf8();
    Body body;
    body.limit = maxBody;
    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // A server on this machine is never reached through a proxy.
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "127.0.0.1,localhost,::1");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(transferTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, giveUpCheck);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    // A reply that announces its length is refused before any of its body is read.
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBody));

    if (curl_easy_perform(curl) == CURLE_OK && !body.tooLarge) {
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        char *contentType = nullptr;
        curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &contentType);
        response.transferred = true;
        response.status = static_cast<int>(status);
        response.body =
            decodeBody(body.bytes, contentType ? QByteArray(contentType) : QByteArray());
    }
    curl_easy_cleanup(curl);
    return response;
}
