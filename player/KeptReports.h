#pragma once

#include <QList>
#include <QString>

// Games whose counter report has not been answered (no answer, 503 or 429), kept in
// "miokuri.csv" in the data folder and sent again after the notice at the next start: one line
// per game, "regionKey,score,reportId" (e.g. "europe,295,0f3a9c4d2b7e1a60"), code page 932 (the
// lines are plain ASCII), CR LF, rewritten whole through DataFile. At most maxGames are kept,
// the newest. Each game carries its report id from its first sending on, so the server counts
// it once even when a reply was lost after the count. Sending them is PendingReports' part.
class KeptReports
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

    explicit KeptReports(QString dataPath);

    static QString path(const QString &dataPath);
    // 16 hex digits in lower case from the system's random source.
    static QString newReportId();

    // Keeps a finished game under a new report id before anything is sent, so that it is
    // sent at the next start however this run ends (終了, the window closed, the session
    // ended, the program killed) until its reports have been answered.
    Game hold(const QString &regionKey, int score) const;
    // Lets go of a game whose reports were answered.
    void release(const Game &game) const;

    // The kept games, oldest first; lines that are not a game are passed over.
    QList<Game> games() const;
    // Replaces the file with `games` (the newest maxGames), or removes it when there is none.
    void keep(QList<Game> games) const;

private:
    QString m_dataPath;
};
