#pragma once

#include "BaseList.h"
#include "GameSession.h"
#include "MasteryRecord.h"
#include "PracticeGame.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class RandomSource;

// A game as the player chose it on the game panel: its region's list read into a table of the
// game's own, boards at random or a practice game's, and the record of each flag for the latter.
// The window prepares it with what the player's files hold; the panel draws what comes out.
namespace GameSetup {

// What the player chose: a region (its index among Regions) and the practice boxes.
struct Choice
{
    int regionIndex = 0;
    PracticeGame::Options practice;
};

// What a game is built from beside the choice.
struct Sources
{
    QString appPath; // the lists and the look-alikes
    // The record of each flag as it is now; asked only for a practice game.
    std::function<MasteryRecord::Record()> record;
    QDate today;
    RandomSource &random; // must outlive the game
};

// A game under way: what the panel plays and, once it is over, reports.
struct Game
{
    QString regionKey;
    // One of the two boxes was ticked: neither recorded as a result nor rated.
    bool practice = false;
    std::unique_ptr<GameSession> session;
};

// A game ready to play, or the sentence that tells the player why there is none.
struct Prepared
{
    Game game; // no session when refused
    // The region's list as read; none when it could not be read.
    std::optional<BaseListLoad> list;
    QString refusal;
};

// Reads the chosen region's list and builds the game's session. The game draws from its own
// table for the whole game, so that nothing loaded meanwhile changes what it draws.
Prepared prepare(const Choice &choice, const Sources &sources);

} // namespace GameSetup

// A game that is over, played out or left: the one report the panel makes of it, which the main
// window passes on to the player's files, the day's review count and the rating.
struct FinishedGame
{
    QString regionKey;
    bool practice = false;
    // Every question answered; else the game was left and only the answers given count.
    bool playedOut = false;
    GameSession::Result result; // of a game played out
    QDateTime endedAt;          // of a game played out
    // Each question answered with the flags picked wrongly for it.
    MasteryRecord::GameLog questions;

    // A scored game played out: its line goes to the results and it is rated. A practice
    // game's score is not comparable with the players' scores.
    bool rated() const { return playedOut && !practice; }
    // The summary the panel shows, marked as practice where it is.
    QString summary() const;
    // The results file's line of a rated game.
    QString resultsLine() const;

    // `game` played out, read at `nowSeconds` on the monotonic clock and `endedAt` local time.
    static FinishedGame playedOutOf(const GameSetup::Game &game, double nowSeconds,
                                    const QDateTime &endedAt);
    // `game` left before its end; none when no question was answered yet.
    static std::optional<FinishedGame> leftOf(const GameSetup::Game &game);
};
