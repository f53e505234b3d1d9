#pragma once

#include "KeptReports.h"
#include "ServerAccess.h"

// Sends the counter reports of finished games, keeping each in the player's KeptReports from
// before it is sent until it has been answered.
class PendingReports
{
public:
    using Game = KeptReports::Game;
    static constexpr int maxGames = KeptReports::maxGames;

    PendingReports(ServerAccess &server, KeptReports kept);

    // Keeps a finished game under a new report id before anything is sent.
    Game hold(const QString &regionKey, int score) { return m_kept.hold(regionKey, score); }
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

    QList<Game> games() const { return m_kept.games(); }

private:
    ServerAccess &m_server;
    KeptReports m_kept;
};
