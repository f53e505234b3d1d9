#pragma once

#include "GameSession.h"
#include "LookAlikeBoard.h"

#include <vector>

// The board of one card of the day's review: the asked row beside the rows it is taken for
// (the player's own confusions, then its look-alikes), made up at random where there are too
// few. A 名→旗 card shows the board's flags, a 旗→名 card the names of the same rows.
class ReviewBoard : public BoardSource
{
public:
    // `candidateRows` as LookAlikeBoard::candidateRows gives them for the asked row.
    ReviewBoard(int askedRow, std::vector<int> candidateRows, int rowCount)
        : m_askedRow(askedRow), m_candidateRows(std::move(candidateRows)), m_rowCount(rowCount)
    {
    }

    LookAlikeBoard::Draw drawBoard(RandomSource &random, int, const GameRules::RowMarks &asked,
                                   GameRules::RowMarks &onBoard) const override
    {
        return LookAlikeBoard::draw(random, m_askedRow, m_candidateRows, m_rowCount, asked,
                                    onBoard);
    }

private:
    int m_askedRow;
    std::vector<int> m_candidateRows;
    int m_rowCount;
};
