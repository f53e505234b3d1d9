#pragma once

#include <QString>

#include <chrono>

struct AppState;
class Clock;
class HttpClient;

// Requests to our server. Every call blocks until it is done; the replies land in
// AppState::serverReply.
class ServerAccess
{
public:
    static constexpr int maxAttempts = 100;

    ServerAccess(AppState &state, HttpClient &http, Clock &clock, QString baseUrl,
                 std::chrono::milliseconds fetchDeadline = std::chrono::seconds(30));

    const QString &baseUrl() const { return m_baseUrl; }

    // GET requestUrl; the reply is dropped and failures are not reported.
    void sendRequest();
    // Fetches baseUrl + "kokki/" + name (appended as it is) until a reply with a body comes,
    // at most maxAttempts times, without pause, and never past the fetch deadline.
    // serverReply is the body, or empty when none came.
    void fetchServerFile(const QString &name);
    // The notice: the same as fetchServerFile("oshirase.txt").
    void fetchNotice();

    // Attempts made by the last fetch; for the tests and the log.
    int lastAttempts() const { return m_lastAttempts; }

private:
    void fetch(const QString &address);

    AppState &m_state;
    HttpClient &m_http;
    Clock &m_clock;
    QString m_baseUrl;
    std::chrono::milliseconds m_fetchDeadline;
    int m_lastAttempts = 0;
};
