#pragma once

#include <QDateTime>
#include <QString>

#include <array>

class RandomSource;

// The rules of the flag-matching game, away from the windows: how a board is drawn, where the
// asked card lies, and how time and misses become a score.
namespace GameRules {

inline constexpr int questionsPerGame = 15;
inline constexpr int cardsPerBoard = 12;
inline constexpr int rowBound = 200;
// Every board needs twelve rows not answered yet, and the last board comes after fourteen
// answers.
inline constexpr int minimumRows = questionsPerGame - 1 + cardsPerBoard;
inline constexpr int tenthsPerMiss = 7;

// Indexed by row number 1..rowBound; 1 marks the row.
using RowMarks = std::array<int, rowBound + 1>;
// Row shown on card k, k = 1..12; slot 0 is never used.
using Board = std::array<int, cardsPerBoard + 1>;

// The row a uniform draw in [0, 1) names: draw × rowCount rounded to the nearest whole number,
// halves to the even neighbour. 0 can come out, and rowCount only half as often as the rest.
int rowFromDraw(double draw, int rowCount);

// How many rows a board can still be drawn from.
int eligibleRows(int rowCount, const RowMarks &asked);

// Draws twelve different rows none of which is marked as asked, marking them in onBoard (which
// is cleared first). The caller makes sure eligibleRows() is at least twelve; with fewer the
// board is left short (zeros) rather than drawn forever.
Board drawBoard(RandomSource &random, int rowCount, const RowMarks &asked, RowMarks &onBoard);

// Whether `row` may still go on the board being drawn: a row of the list, not answered yet and
// not on the board already.
bool isFreeRow(int row, int rowCount, const RowMarks &asked, const RowMarks &onBoard);

// Draws rows until one is free. The caller makes sure one is.
int drawFreeRow(RandomSource &random, int rowCount, const RowMarks &asked, const RowMarks &onBoard);

// The card, 1 to 12, that carries the asked country.
int drawAnswerPosition(RandomSource &random);

// Whole tenths of a second between two readings of the clock; never negative.
int elapsedTenths(double startSeconds, double nowSeconds);

// 0 to Regions::topScore: the time allowance left after the elapsed time and seven tenths per miss,
// as a share of the allowance.
int score(int scoreBase, int elapsedTenths, int misses);

// The summary shown after a game: four lines joined by CR LF.
QString summary(int score, int elapsedTenths, int misses, const QDateTime &endedAt);

// One line of a results file, without its line end: score, seconds, misses, date and time.
QString resultsLine(int score, int elapsedTenths, int misses, const QDateTime &endedAt);

// Dates in the results files and the summary read the same in every locale.
QString dateTimeText(const QDateTime &at);

} // namespace GameRules
