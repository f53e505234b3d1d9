#pragma once

#include "GameRules.h"

#include <QString>

#include <array>
#include <vector>

class RandomSource;

// Boards that put an asked flag beside the flags it is taken for, for the practice game. The
// question is chosen first; the other eleven cards come from its look-alikes that the region
// holds, nearest first, and are made up at random where the region has too few. The rules of
// every board still hold: twelve different rows, none of them answered earlier in the game.
namespace LookAlikeBoard {

// Row of the current region's list that carries each flag ID; 0 for flags the region lacks.
using RowsByFlag = std::array<int, GameRules::rowBound + 1>;

// From the flag IDs by row (field 1 of the region's list, rows 1..rowCount). Text that is not a
// flag ID from 1 to 200 names no flag; where two rows name one flag the first row counts.
RowsByFlag rowsByFlag(const std::array<QString, GameRules::rowBound + 1> &flagIdsByRow,
                      int rowCount);

// The rows to put beside askedFlagId, best first: the flags the player has taken for it, then
// its look-alikes, each as a row of the region and each once. Flags the region lacks and the
// asked flag itself are left out.
std::vector<int> candidateRows(int askedFlagId, const std::vector<int> &confusedFlagIds,
                               const std::vector<int> &similarFlagIds, const RowsByFlag &rowOfFlag);

struct Draw
{
    GameRules::Board board{}; // row on card k, k = 1..12
    int answerPosition = 0;   // card of the asked row, 1..12; 0 when the asked row is not in
                              // the region
};

// A board for askedRow: the first eleven usable candidates (within 1..rowCount, not answered,
// not the asked row, not already taken), the rest drawn at random from the unanswered rows, all
// eleven shuffled, and the asked row at a random card. onBoard is cleared and marks the rows
// laid out. With fewer than twelve unanswered rows the board is left short (zeros at the end)
// rather than drawn forever.
Draw draw(RandomSource &random, int askedRow, const std::vector<int> &candidates, int rowCount,
          const GameRules::RowMarks &asked, GameRules::RowMarks &onBoard);

// A question at random among the rows not answered yet, for a game that does not pick its own;
// 0 when every row is answered.
int drawAskedRow(RandomSource &random, int rowCount, const GameRules::RowMarks &asked);

} // namespace LookAlikeBoard
