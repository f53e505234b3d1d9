#include "PendingReports.h"

PendingReports::PendingReports(ServerAccess &server, KeptReports kept)
    : m_server(server), m_kept(std::move(kept))
{
}

void PendingReports::settle(const Game &game, ServerAccess::ReportOutcome outcome)
{
    if (outcome != ServerAccess::ReportOutcome::Unanswered)
        m_kept.release(game);
}

void PendingReports::report(const QString &regionKey, int score)
{
    const Game game = hold(regionKey, score);
    settle(game, m_server.reportGame(game.regionKey, game.score, game.reportId));
}

int PendingReports::sendAgain()
{
    const QList<Game> kept = m_kept.games();
    QList<Game> left;
    int counted = 0;
    bool answering = true;
    for (const Game &game : kept) {
        if (!answering) {
            left.append(game);
            continue;
        }
        switch (m_server.reportGame(game.regionKey, game.score, game.reportId)) {
        case ServerAccess::ReportOutcome::Counted:
            ++counted;
            break;
        case ServerAccess::ReportOutcome::Refused:
            break;
        case ServerAccess::ReportOutcome::Unanswered:
            answering = false;
            left.append(game);
            break;
        }
    }
    if (left != kept)
        m_kept.keep(left);
    return counted;
}
