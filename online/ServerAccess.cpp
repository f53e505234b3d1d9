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
    m_http.get(address, std::chrono::milliseconds::max(), maxCounterReplyBytes);
}

QString ServerAccess::fetchServerFile(const QString &name)
{
    return fetch(m_baseUrl + QStringLiteral("kokki/") + name, maxFileBytes);
}

QString ServerAccess::fetchNotice()
{
    return fetchServerFile(QStringLiteral("oshirase.txt"));
}

QString ServerAccess::fetchHistogram(const QString &regionKey)
{
    return fetch(m_baseUrl + QStringLiteral("kokki/") + regionKey + QStringLiteral(".csv"),
                 maxHistogramBytes);
}

ServerAccess::ReportOutcome ServerAccess::reportGame(const QString &regionKey, int score,
                                                     const QString &reportId)
{
    // The player waits for both: a server that holds the first request must not get a second
    // full time-out for the second.
    const double deadline =
        m_clock.monotonicSeconds() + std::chrono::duration<double>(reportDeadline).count();
    const QString query = reportId.isEmpty() ? QString() : QStringLiteral("?r=") + reportId;
    // The score goes into the path as plain digits, with a minus sign when below zero.
    const QString addresses[] = {
        m_baseUrl + QStringLiteral("countx/") + regionKey + QStringLiteral("/count.php") + query,
        m_baseUrl + QStringLiteral("count1/counter") + regionKey + QLatin1Char('/') +
            QString::number(score) + QStringLiteral("/count.php") + query};
    for (const QString &address : addresses) {
        const std::chrono::milliseconds left = timeLeft(deadline);
        if (left <= std::chrono::milliseconds::zero() || HttpClient::givenUp())
            return ReportOutcome::Unanswered;
        const HttpResponse response = m_http.get(address, left, maxCounterReplyBytes);
        // 503 is what our server says when its disk is full or its database needs the
        // operator, 429 when this address sent more reports this minute than it takes: the
        // report is fine, the time is not.
        if (!response.transferred || response.status == 503 || response.status == 429)
            return ReportOutcome::Unanswered;
        if (response.status != 200)
            return ReportOutcome::Refused;
    }
    return ReportOutcome::Counted;
}

std::chrono::milliseconds ServerAccess::timeLeft(double deadline) const
{
    const double left = deadline - m_clock.monotonicSeconds();
    if (left <= 0.0)
        return std::chrono::milliseconds::zero();
    return std::chrono::ceil<std::chrono::milliseconds>(std::chrono::duration<double>(left));
}

QString ServerAccess::fetch(const QString &address, qsizetype maxBytes)
{
    QString reply;
    m_lastAttempts = 0;
    // A server that accepts and never answers would otherwise hold the window for
    // maxAttempts times the per-attempt time-out. Each attempt gets at most the time left, so
    // one begun just before the deadline does not run its whole time-out past it.
    const double deadline =
        m_clock.monotonicSeconds() + std::chrono::duration<double>(m_fetchDeadline).count();
    for (int attempt = 1; attempt <= maxAttempts; ++attempt) {
        const std::chrono::milliseconds left = timeLeft(deadline);
        if (left <= std::chrono::milliseconds::zero() || HttpClient::givenUp())
            break;
        ++m_lastAttempts;
        const HttpResponse response = m_http.get(address, left, maxBytes);
        if (response.transferred)
            reply = response.body;
        if (!reply.isEmpty())
            break;
    }
    return reply;
}
