#pragma once

#include "GameRules.h"
#include "GameSession.h"
#include "LookAlikeBoard.h"
#include "MasteryRecord.h"
#include "SimilarityTable.h"

#include <QDate>
#include <QString>

#include <array>
#include <vector>

class RandomSource;

// What a practice game asks and lays out. A practice game is played, timed and scored like the
// scored game, but it is never recorded as a result nor rated, so its boards may be made hard:
// it can ask the player's weakest flags of the region, and it can put each asked flag beside
// the flags it is taken for.
class PracticeGame : public BoardSource
{
public:
    struct Options
    {
        bool weakest = false;   // ask the region's weakest flags
        bool lookAlike = false; // fill the boards with look-alikes
        bool any() const { return weakest || lookAlike; }
    };

    // The summary of a practice game begins with this, so that nobody takes it for a result.
    static QString summaryMark();

    // The game's region: the flag ID of each row (field 1 of its list, rows 1..rowCount). The
    // record and the look-alikes are those of the game's start; the weakest flags are put in
    // random order here.
    PracticeGame(Options options, const std::array<QString, GameRules::rowBound + 1> &flagIdsByRow,
                 int rowCount, MasteryRecord::Record record, SimilarityTable similar,
                 const QDate &today, RandomSource &random);

    // The board of question `question` (1-based). The asked row comes from the deck of weakest
    // flags or, past its end or without it, at random among the rows not answered yet. Its
    // eleven companions are its look-alikes when asked for, else drawn at random; either way
    // no row twice and no answered row. answerPosition is 0 when no row is left to ask.
    LookAlikeBoard::Draw drawBoard(RandomSource &random, int question,
                                   const GameRules::RowMarks &asked,
                                   GameRules::RowMarks &onBoard) const override;

    // The rows of the weakest flags in the order they are asked; empty unless asked for.
    const std::vector<int> &deck() const { return m_deck; }
    // The flag ID a row carries; 0 for a row outside the region or without a valid ID.
    int flagIdOfRow(int row) const;

private:
    Options m_options;
    int m_rowCount = 0;
    std::array<int, GameRules::rowBound + 1> m_flagOfRow{};
    LookAlikeBoard::RowsByFlag m_rowOfFlag{};
    MasteryRecord::Record m_record;
    SimilarityTable m_similar;
    std::vector<int> m_deck;
};
