#include "ServerAccess.h"

#include "Clock.h"
#include "HttpClient.h"

ServerAccess::ServerAccess(HttpClient &http, Clock &clock, QString baseUrl,
                           std::chrono::milliseconds fetchDeadline)
    : m_http(http), m_clock(clock), m_baseUrl(std::move(baseUrl)), m_fetchDeadline(fetchDeadline)
{
}

void ServerAccess::sendRequest(const QString &address)
{
    m_http.get(address);
}

QString ServerAccess::fetchServerFile(const QString &name)
{
    return fetch(m_baseUrl + QStringLiteral("kokki/") + name);
}

QString ServerAccess::fetchNotice()
{
    return fetchServerFile(QStringLiteral("oshirase.txt"));
}

void ServerAccess::reportGame(const QString &regionKey, int score)
{
    sendRequest(m_baseUrl + QStringLiteral("countx/") + regionKey + QStringLiteral("/count.php"));
    // The score goes into the path as plain digits, with a minus sign when below zero.
    sendRequest(m_baseUrl + QStringLiteral("count1/counter") + regionKey + QLatin1Char('/') +
                QString::number(score) + QStringLiteral("/count.php"));
}

QString ServerAccess::fetch(const QString &address)
{
    QString reply;
    m_lastAttempts = 0;
    // A server that accepts and never answers would otherwise hold the window for
    // maxAttempts times the per-attempt time-out. Each attempt gets at most the time left, so
    // one begun just before the deadline does not run its whole time-out past it.
    const double deadline =
        m_clock.monotonicSeconds() + std::chrono::duration<double>(m_fetchDeadline).count();
    for (int attempt = 1; attempt <= maxAttempts; ++attempt) {
        const double left = deadline - m_clock.monotonicSeconds();
        if (left <= 0.0)
            break;
        ++m_lastAttempts;
        const auto limit =
            std::chrono::ceil<std::chrono::milliseconds>(std::chrono::duration<double>(left));
        const HttpResponse response = m_http.get(address, limit);
        if (response.transferred)
            reply = response.body;
        if (!reply.isEmpty())
            break;
    }
    return reply;
}
