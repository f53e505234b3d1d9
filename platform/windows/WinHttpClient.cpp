#include "WinHttpClient.h"

#include <QUrl>

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr DWORD maxRedirects = 5;
constexpr DWORD readChunk = 16 * 1024;

struct HandleCloser
{
    void operator()(void *handle) const { WinHttpCloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

std::wstring wide(const QString &text)
{
    return text.toStdWString();
}

// What is left of the deadline as WinHTTP takes it: whole milliseconds, at least one, since
// zero would mean "wait for ever".
int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 1, INT_MAX));
}

QString header(HINTERNET request, DWORD which)
{
    DWORD size = 0;
    WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER,
                        &size, WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0)
        return {};
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (!WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &size,
                             WINHTTP_NO_HEADER_INDEX))
        return {};
    value.resize(size / sizeof(wchar_t));
    return QString::fromStdWString(value);
}

bool isLoopback(const QString &host)
{
    return host == QLatin1String("127.0.0.1") || host == QLatin1String("::1") ||
           host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0;
}

} // namespace

WinHttpClient::WinHttpClient(milliseconds connectTimeout, milliseconds transferTimeout)
    : m_connectTimeout(connectTimeout), m_transferTimeout(transferTimeout)
{
}

HttpResponse WinHttpClient::get(const QString &url, milliseconds limit, qsizetype maxBody)
{
    HttpResponse response;
    if (limit <= milliseconds::zero() || maxBody < 0 || givenUp())
        return response;
    const Clock::time_point deadline = Clock::now() + std::min(m_transferTimeout, limit);
    const int connectMs = static_cast<int>(std::min(m_connectTimeout, limit).count());

    const QUrl address(url, QUrl::TolerantMode);
    const QString scheme = address.scheme().toLower();
    const bool secure = scheme == QLatin1String("https");
    if (!address.isValid() || address.host().isEmpty() ||
        (!secure && scheme != QLatin1String("http")))
        return response;
    const auto port = static_cast<INTERNET_PORT>(
        address.port(secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT));
    QString target = QString::fromLatin1(
        address.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment));
    if (target.isEmpty())
        target = QStringLiteral("/");

    // A server on this machine is never reached through a proxy.
    const DWORD access = isLoopback(address.host()) ? WINHTTP_ACCESS_TYPE_NO_PROXY
                                                    : WINHTTP_ACCESS_TYPE_DEFAULT_PROXY;
    const Handle session(
        WinHttpOpen(L"furamio", access, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session)
        return response;
    const int left = remainingMs(deadline);
    WinHttpSetTimeouts(session.get(), connectMs, connectMs, left, left);
    const Handle connection(WinHttpConnect(session.get(), wide(address.host()).c_str(), port, 0));
    if (!connection)
        return response;
    const Handle request(WinHttpOpenRequest(connection.get(), L"GET", wide(target).c_str(), nullptr,
                                            WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                            secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request)
        return response;
    DWORD redirects = maxRedirects;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &redirects,
                     sizeof redirects);

    if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                            WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr) || Clock::now() >= deadline)
        return response;

    DWORD status = 0;
    DWORD statusSize = sizeof status;
    WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize,
                        WINHTTP_NO_HEADER_INDEX);
    // A reply that announces its length is refused before any of its body is read.
    bool lengthKnown = false;
    const qlonglong announced =
        header(request.get(), WINHTTP_QUERY_CONTENT_LENGTH).trimmed().toLongLong(&lengthKnown);
    if (lengthKnown && announced > maxBody)
        return response;
    const QString contentType = header(request.get(), WINHTTP_QUERY_CONTENT_TYPE);

    // The body grows only up to its limit and only until the deadline: an endless or a slow
    // reply costs no more than either.
    QByteArray body;
    for (;;) {
        if (Clock::now() >= deadline)
            return response;
        DWORD wait = static_cast<DWORD>(remainingMs(deadline));
        WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_TIMEOUT, &wait, sizeof wait);
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request.get(), &available))
            return response;
        if (available == 0)
            break;
        if (available > static_cast<quint64>(maxBody - body.size()))
            return response;
        const qsizetype at = body.size();
        body.resize(at + std::min(available, readChunk));
        DWORD got = 0;
        if (!WinHttpReadData(request.get(), body.data() + at, static_cast<DWORD>(body.size() - at),
                             &got))
            return response;
        body.truncate(at + got);
    }
    response.transferred = true;
    response.status = static_cast<int>(status);
    response.body = decodeBody(body, contentType.toLatin1());
    return response;
}
