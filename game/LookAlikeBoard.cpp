#include "LookAlikeBoard.h"

#include "RandomSource.h"

#include <algorithm>
#include <cmath>

using GameRules::Board;
using GameRules::cardsPerBoard;
using GameRules::rowBound;
using GameRules::RowMarks;

namespace LookAlikeBoard {

namespace {

bool inRange(int value)
{
    return value >= 1 && value <= rowBound;
}

// Index into [0, count) from one draw; never count itself, even if a draw reached 1.
int pick(RandomSource &random, int count)
{
    const int i = static_cast<int>(std::floor(random.next() * count));
    return std::clamp(i, 0, count - 1);
}

} // namespace

RowsByFlag rowsByFlag(const std::array<QString, rowBound + 1> &flagIdsByRow, int rowCount)
{
    RowsByFlag rows{};
    const int count = std::clamp(rowCount, 0, rowBound);
    for (int r = 1; r <= count; ++r) {
        bool ok = false;
        const int id = flagIdsByRow[static_cast<size_t>(r)].trimmed().toInt(&ok);
        if (ok && inRange(id) && rows[static_cast<size_t>(id)] == 0)
            rows[static_cast<size_t>(id)] = r;
    }
    return rows;
}

std::vector<int> candidateRows(int askedFlagId, const std::vector<int> &confusedFlagIds,
                               const std::vector<int> &similarFlagIds, const RowsByFlag &rowOfFlag)
{
    std::vector<int> rows;
    RowMarks taken{};
    for (const auto *flags : {&confusedFlagIds, &similarFlagIds}) {
        for (const int id : *flags) {
            if (!inRange(id) || id == askedFlagId)
                continue;
            const int r = rowOfFlag[static_cast<size_t>(id)];
            if (r == 0 || taken[static_cast<size_t>(r)] != 0)
                continue;
            taken[static_cast<size_t>(r)] = 1;
            rows.push_back(r);
        }
    }
    return rows;
}

Draw draw(RandomSource &random, int askedRow, const std::vector<int> &candidates, int rowCount,
          const RowMarks &asked, RowMarks &onBoard)
{
    const int rows = std::clamp(rowCount, 0, rowBound);
    onBoard.fill(0);
    Draw result;
    if (askedRow < 1 || askedRow > rows)
        return result;
    onBoard[static_cast<size_t>(askedRow)] = 1;

    std::array<int, cardsPerBoard> others{};
    int count = 0;
    for (const int r : candidates) {
        if (count == cardsPerBoard - 1)
            break;
        if (!GameRules::isFreeRow(r, rows, asked, onBoard))
            continue;
        onBoard[static_cast<size_t>(r)] = 1;
        others[static_cast<size_t>(count++)] = r;
    }

    random.reseed();
    // Rows still free for the random part; the asked row counts only if it was free too.
    int stillFree = GameRules::eligibleRows(rows, asked) - count -
                    (asked[static_cast<size_t>(askedRow)] == 0 ? 1 : 0);
    while (count < cardsPerBoard - 1 && stillFree > 0) {
        const int r = GameRules::drawFreeRow(random, rows, asked, onBoard);
        onBoard[static_cast<size_t>(r)] = 1;
        others[static_cast<size_t>(count++)] = r;
        --stillFree;
    }

    // Look-alikes in a fixed order would always sit in the same places; shuffle them.
    for (int i = count - 1; i > 0; --i)
        std::swap(others[static_cast<size_t>(i)], others[static_cast<size_t>(pick(random, i + 1))]);

    result.answerPosition = pick(random, count + 1) + 1;
    for (int k = 1, next = 0; k <= count + 1; ++k)
        result.board[static_cast<size_t>(k)] =
            k == result.answerPosition ? askedRow : others[static_cast<size_t>(next++)];
    return result;
}

int drawAskedRow(RandomSource &random, int rowCount, const RowMarks &asked)
{
    const int rows = std::clamp(rowCount, 0, rowBound);
    if (GameRules::eligibleRows(rows, asked) == 0)
        return 0;
    random.reseed();
    const RowMarks none{};
    return GameRules::drawFreeRow(random, rows, asked, none);
}

} // namespace LookAlikeBoard
