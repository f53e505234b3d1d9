#pragma once

#include "CountryTable.h"
#include "GameRules.h"
#include "LookAlikeBoard.h"
#include "MasteryRecord.h"

#include <QString>
#include <QStringList>

#include <memory>

class RandomSource;

// Where a game's boards come from: the scored game draws each at random, a practice game picks
// its questions and their neighbours, a later kind of game may ask rows of its own choosing.
class BoardSource
{
public:
    virtual ~BoardSource() = default;
    // The board of question `question` (1-based): twelve different rows none of which is marked
    // in `asked`, and the card of the asked one (0 when no row is left to ask). onBoard is
    // cleared and marks the rows laid out.
    virtual LookAlikeBoard::Draw drawBoard(RandomSource &random, int question,
                                           const GameRules::RowMarks &asked,
                                           GameRules::RowMarks &onBoard) const = 0;
};

// The scored game's boards: twelve rows at random among those not answered yet, and the asked
// one on a card at random.
class RandomBoards : public BoardSource
{
public:
    explicit RandomBoards(int rowCount) : m_rowCount(rowCount) {}
    LookAlikeBoard::Draw drawBoard(RandomSource &random, int question,
                                   const GameRules::RowMarks &asked,
                                   GameRules::RowMarks &onBoard) const override;

private:
    int m_rowCount;
};

// A running game without its windows: the rows it draws from, the boards, the flags answered,
// the misses, the clock readings and the log of wrong picks. The window draws what it says and
// hands it the player's clicks. Its clock is its own business: a game that is not timed never
// starts it and never asks for a score.
class GameSession
{
public:
    // The region's rows as the game copies them at its start, so that nothing read meanwhile
    // changes what it draws: flag ID and country name of row r at index r - 1.
    struct Rows
    {
        QStringList flagIds;
        QStringList names;
        int count() const { return static_cast<int>(flagIds.size()); }
    };
    // The first `rowCount` rows of a table (at most GameRules::rowBound).
    static Rows rowsOf(const CountryTable &table, int rowCount);

    struct Result
    {
        int score = 0;
        int elapsedTenths = 0;
        int misses = 0;
    };
    enum class Pick
    {
        Right,   // the asked flag: the next board is laid out, or the game is over
        Wrong,   // another flag: a miss, logged against the question
        Ignored, // no card there, or the game is over
    };

    // `scoreBase` is the region's time allowance in tenths (0 scores nothing). `random` must
    // outlive the session. The first board is laid out at once.
    GameSession(Rows rows, int scoreBase, std::unique_ptr<BoardSource> boards, RandomSource &random,
                int questions = GameRules::questionsPerGame);

    // The player's time runs from this reading of the monotonic clock.
    void startClock(double seconds) { m_startSeconds = seconds; }
    // A click on card k (1..12).
    Pick pick(int k);

    bool over() const { return m_question > m_questions; }
    // 1 to the number of questions; one past it once the game is over.
    int questionNumber() const { return m_question; }
    int questionCount() const { return m_questions; }
    int misses() const { return m_misses; }
    // The score as it stands at a later reading of the clock: the allowance less the time
    // since startClock() and seven tenths per miss.
    Result result(double nowSeconds) const;

    // The board now: the row on card k, 0 for no card or k outside 1..12.
    int rowAt(int k) const;
    // The flag ID on card k, empty for none; what a keyboard or a reader of the screen names.
    QString flagIdAt(int k) const { return flagIdOfRow(rowAt(k)); }
    // The card that carries the asked flag, 1..12 (0 when no row was left to ask).
    int answerPosition() const { return m_answerPosition; }
    int askedRow() const { return rowAt(m_answerPosition); }
    // The name of the country asked now.
    QString askedName() const { return nameOfRow(askedRow()); }

    const Rows &rows() const { return m_rows; }
    int rowCount() const { return m_rows.count(); }
    QString flagIdOfRow(int row) const;
    QString nameOfRow(int row) const;
    // Whether the flag on a row has been answered in this game.
    bool answered(int row) const;
    // Each question asked so far with the flags picked wrongly for it.
    const MasteryRecord::GameLog &log() const { return m_log; }

private:
    void layOutBoard();

    Rows m_rows;
    int m_scoreBase;
    std::unique_ptr<BoardSource> m_boards;
    RandomSource &m_random;
    int m_questions;
    int m_question = 1;
    int m_misses = 0;
    double m_startSeconds = 0.0;
    GameRules::Board m_board{};
    GameRules::RowMarks m_onBoard{};
    GameRules::RowMarks m_answered{};
    int m_answerPosition = 0;
    MasteryRecord::GameLog m_log;
};
