#pragma once

#include "ServerAccess.h"

#include <QList>
#include <QString>

// Games whose counter report has not been answered (no answer, 503 or 429), kept in
// "miokuri.csv" in the data folder and sent again after the notice at the next start: one line
// per game, "regionKey,score,reportId" (e.g. "europe,295,0f3a9c4d2b7e1a60"), code page 932 (the
// lines are plain ASCII), CR LF, rewritten whole through DataFile. At most maxGames are kept,
// the newest. Each game carries its report id from its first sending on, so the server counts
// it once even when a reply was lost after the count.
class PendingReports
{
public:
    static constexpr int maxGames = 50;

    struct Game
    {
        QString regionKey;
        int score = 0;
        QString reportId;
        bool operator==(const Game &) const = default;
    };

    PendingReports(ServerAccess &server, QString dataPath);

    static QString path(const QString &dataPath);
    // 16 hex digits in lower case from the system's random source.
    static QString newReportId();

    // Keeps a finished game under a new report id before anything is sent, so that it is
    // sent at the next start however this run ends (終了, the window closed, the session
    // ended, the program killed) until its reports have been answered.
    Game hold(const QString &regionKey, int score);
    // A held game's reports went out with this outcome: it goes from the file unless they
    // got no answer (or 503).
    void settle(const Game &game, ServerAccess::ReportOutcome outcome);
    // Holds a finished game, reports it and settles it.
    void report(const QString &regionKey, int score);
    // Sends the kept games again, oldest first. A game goes from the file once both its
    // requests were answered 200, or when the server refused it for good (404, 400); a 429
    // only means "not this minute". The rest wait for the next start, and after the first
    // game that is not taken none is tried. Returns how many were counted.
    int sendAgain();

    // The kept games, oldest first; lines that are not a game are passed over.
    QList<Game> games() const;

private:
    // Replaces the file with `games` (the newest maxGames), or removes it when there is none.
    void keep(QList<Game> games) const;

    ServerAccess &m_server;
    QString m_dataPath;
};
