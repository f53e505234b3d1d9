#pragma once

#include <QString>

#include <chrono>

class Clock;
class HttpClient;

// Requests to our server. Every call blocks until it is done.
class ServerAccess
{
public:
    static constexpr int maxAttempts = 100;

    ServerAccess(HttpClient &http, Clock &clock, QString baseUrl,
                 std::chrono::milliseconds fetchDeadline = std::chrono::seconds(30));

    const QString &baseUrl() const { return m_baseUrl; }

    // GET `address`; the reply is dropped and failures are not reported.
    void sendRequest(const QString &address);
    // Fetches baseUrl + "kokki/" + name (appended as it is) until a reply with a body comes,
    // at most maxAttempts times, without pause, and never past the fetch deadline. Returns the
    // body, or an empty text when none came.
    QString fetchServerFile(const QString &name);
    // The notice: the same as fetchServerFile("oshirase.txt").
    QString fetchNotice();

    // The two counter requests of a finished game, in the order the server expects them: the
    // region's game counter, then the score's.
    void reportGame(const QString &regionKey, int score);

    // Attempts made by the last fetch; for the tests and the log.
    int lastAttempts() const { return m_lastAttempts; }

private:
    QString fetch(const QString &address);

    HttpClient &m_http;
    Clock &m_clock;
    QString m_baseUrl;
    std::chrono::milliseconds m_fetchDeadline;
    int m_lastAttempts = 0;
};
