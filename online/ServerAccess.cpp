#include "ServerAccess.h"

#include "AppState.h"
#include "Clock.h"
#include "HttpClient.h"
#include "WaitCursor.h"

ServerAccess::ServerAccess(AppState &state, HttpClient &http, Clock &clock, QString baseUrl,
                           std::chrono::milliseconds fetchDeadline)
    : m_state(state), m_http(http), m_clock(clock), m_baseUrl(std::move(baseUrl)),
      m_fetchDeadline(fetchDeadline)
{
}

void ServerAccess::sendRequest()
{
    const QString address = m_state.requestUrl;
    WaitCursor wait;
    m_http.get(address);
}

void ServerAccess::fetchServerFile(const QString &name)
{
    fetch(m_baseUrl + QStringLiteral("kokki/") + name);
}

void ServerAccess::fetchNotice()
{
    fetch(m_baseUrl + QStringLiteral("kokki/oshirase.txt"));
}

void ServerAccess::fetch(const QString &address)
{
    WaitCursor wait;
    m_state.serverReply.clear();
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
            m_state.serverReply = response.body;
        if (!m_state.serverReply.isEmpty())
            break;
    }
}
