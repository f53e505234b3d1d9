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
    // The largest replies kept; anything longer is a failed attempt. The notice and the news
    // are the files our server serves, of 1 MB at most; a histogram is 500 counts.
    static constexpr qsizetype maxFileBytes = qsizetype(1) << 20;
    static constexpr qsizetype maxHistogramBytes = qsizetype(64) << 10;
    // A counter's reply is a number and is dropped anyway.
    static constexpr qsizetype maxCounterReplyBytes = qsizetype(4) << 10;
    // How long the two counter requests of one game may take together.
    static constexpr std::chrono::seconds reportDeadline{10};

    ServerAccess(HttpClient &http, Clock &clock, QString baseUrl,
                 std::chrono::milliseconds fetchDeadline = std::chrono::seconds(30));

    const QString &baseUrl() const { return m_baseUrl; }

    // GET `address`; the reply is dropped and failures are not reported.
    void sendRequest(const QString &address);
    // Fetches baseUrl + "kokki/" + name (appended as it is) until a reply with a body comes,
    // at most maxAttempts times, without pause, and never past the fetch deadline. A reply of
    // more than maxFileBytes is a failed attempt. Returns the body, or an empty text when none
    // came.
    QString fetchServerFile(const QString &name);
    // The notice: the same as fetchServerFile("oshirase.txt").
    QString fetchNotice();
    // The region's score histogram, regionKey + ".csv", fetched as fetchServerFile does but
    // with no more than maxHistogramBytes kept.
    QString fetchHistogram(const QString &regionKey);

    enum class ReportOutcome
    {
        Counted,    // both requests answered 200
        Refused,    // an answer that sending again would not change (404, 400)
        Unanswered, // no answer in time, 503 or 429: worth sending again later
    };

    // The two counter requests of a finished game, in the order the server expects them: the
    // region's game counter, then the score's, each with "?r=" + reportId when one is given so
    // that the server counts the game once however often it is sent. Both together take at
    // most reportDeadline: the second gets only the time the first left, and is not sent when
    // none is left or the first was not counted.
    ReportOutcome reportGame(const QString &regionKey, int score, const QString &reportId = {});

    // Attempts made by the last fetch; for the tests and the log.
    int lastAttempts() const { return m_lastAttempts; }

private:
    QString fetch(const QString &address, qsizetype maxBytes);
    // The time from now until `deadline` (on m_clock), rounded up to whole milliseconds; zero
    // or less when it has passed.
    std::chrono::milliseconds timeLeft(double deadline) const;

    HttpClient &m_http;
    Clock &m_clock;
    QString m_baseUrl;
    std::chrono::milliseconds m_fetchDeadline;
    int m_lastAttempts = 0;
};
