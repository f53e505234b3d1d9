#include "GameRules.h"

#include "NumberText.h"
#include "RandomSource.h"
#include "Regions.h"

#include <algorithm>
#include <cmath>

namespace GameRules {

int rowFromDraw(double draw, int rowCount)
{
    // nearbyint rounds halves to even in the default rounding mode.
    return static_cast<int>(std::nearbyint(draw * rowCount));
}

int eligibleRows(int rowCount, const RowMarks &asked)
{
    const int rows = std::clamp(rowCount, 0, rowBound);
    int eligible = 0;
    for (int r = 1; r <= rows; ++r)
        eligible += asked[static_cast<size_t>(r)] == 0 ? 1 : 0;
    return eligible;
}

Board drawBoard(RandomSource &random, int rowCount, const RowMarks &asked, RowMarks &onBoard)
{
    const int rows = std::clamp(rowCount, 0, rowBound);
    onBoard.fill(0);
    Board board{};
    int stillFree = eligibleRows(rows, asked);
    random.reseed();
    for (int k = 1; k <= cardsPerBoard && stillFree > 0; ++k) {
        const int r = drawFreeRow(random, rows, asked, onBoard);
        onBoard[static_cast<size_t>(r)] = 1;
        board[static_cast<size_t>(k)] = r;
        --stillFree;
    }
    return board;
}

bool isFreeRow(int row, int rowCount, const RowMarks &asked, const RowMarks &onBoard)
{
    if (row < 1 || row > std::clamp(rowCount, 0, rowBound))
        return false;
    const auto slot = static_cast<size_t>(row);
    return asked[slot] == 0 && onBoard[slot] == 0;
}

int drawFreeRow(RandomSource &random, int rowCount, const RowMarks &asked, const RowMarks &onBoard)
{
    for (;;) {
        const int r = rowFromDraw(random.next(), rowCount);
        if (isFreeRow(r, rowCount, asked, onBoard))
            return r;
    }
}

int drawAnswerPosition(RandomSource &random)
{
    random.reseed();
    const int position = static_cast<int>(std::floor(random.next() * cardsPerBoard)) + 1;
    return std::clamp(position, 1, cardsPerBoard);
}

int elapsedTenths(double startSeconds, double nowSeconds)
{
    // The small allowance keeps 60.0 s from becoming 599 tenths through binary fractions.
    const double tenths = std::floor((nowSeconds - startSeconds) * 10.0 + 1e-6);
    if (!(tenths > 0.0))
        return 0;
    return tenths > 1e9 ? 1000000000 : static_cast<int>(tenths);
}

int score(int scoreBase, int elapsedTenths, int misses)
{
    if (scoreBase <= 0)
        return 0;
    long long raw = static_cast<long long>(scoreBase) - elapsedTenths -
                    static_cast<long long>(tenthsPerMiss) * misses;
    raw = std::clamp(raw, 0LL, static_cast<long long>(scoreBase));
    return static_cast<int>(raw * Regions::topScore / scoreBase);
}

QString dateTimeText(const QDateTime &at)
{
    return at.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString summary(int score, int elapsedTenths, int misses, const QDateTime &endedAt)
{
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("総得点： ") + NumberText::format(score) + QStringLiteral("   ") +
           dateTimeText(endedAt) + crlf + crlf + QStringLiteral("時間： ") +
           NumberText::display(elapsedTenths / 10.0) + QStringLiteral("秒") + crlf +
           QStringLiteral("ミス回数： ") + QString::number(misses);
}

QString resultsLine(int score, int elapsedTenths, int misses, const QDateTime &endedAt)
{
    return NumberText::format(score) + QLatin1Char(',') + NumberText::format(elapsedTenths / 10.0) +
           QLatin1Char(',') + NumberText::format(misses) + QLatin1Char(',') + dateTimeText(endedAt);
}

} // namespace GameRules
