#include "GameRules.h"
#include "Fakes.h"
#include "NumberText.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace GameRules;

namespace {

// Every board of a board draw is twelve different rows, none answered, all within the region.
void expectSoundBoard(const Board &board, int rows, const RowMarks &asked, const RowMarks &onBoard)
{
    std::set<int> seen;
    for (int k = 1; k <= cardsPerBoard; ++k) {
        const int r = board[static_cast<size_t>(k)];
        ASSERT_GE(r, 1);
        ASSERT_LE(r, rows);
        EXPECT_EQ(asked[static_cast<size_t>(r)], 0) << "answered row " << r << " came back";
        EXPECT_EQ(onBoard[static_cast<size_t>(r)], 1);
        EXPECT_TRUE(seen.insert(r).second) << "row " << r << " twice on one board";
    }
    EXPECT_EQ(std::count(onBoard.begin(), onBoard.end(), 1), cardsPerBoard);
}

class BoardDraw : public ::testing::Test
{
protected:
    ScriptedRandom random;
    RowMarks asked{};
    RowMarks onBoard{};
};

} // namespace

TEST_F(BoardDraw, RoundsHalvesToEvenSoTheEndsComeOutLessOften)
{
    EXPECT_EQ(rowFromDraw(0.625, 4), 2); // 2.5
    EXPECT_EQ(rowFromDraw(0.875, 4), 4); // 3.5
    EXPECT_EQ(rowFromDraw(0.125, 4), 0); // 0.5
    EXPECT_EQ(rowFromDraw(0.0, 26), 0);
    EXPECT_EQ(rowFromDraw(0.99999, 26), 26);
    EXPECT_EQ(rowFromDraw(0.5, 49), 24); // 24.5
}

TEST_F(BoardDraw, ZeroIsRejectedAndEveryBoardIsSound)
{
    // 0 and the same row twice are drawn first; both must be passed over.
    random.values = {0.0, 1.0 / 40, 1.0 / 40, 0.0};
    Board board = drawBoard(random, 40, asked, onBoard);
    EXPECT_EQ(board[1], 1);
    EXPECT_NE(board[2], 1);
    expectSoundBoard(board, 40, asked, onBoard);
    EXPECT_GE(random.reseeds, 1);

    for (int round = 0; round < 300; ++round) {
        asked.fill(0);
        for (int r = 1; r <= 14; ++r)
            asked[static_cast<size_t>(r * 3)] = 1;
        board = drawBoard(random, 60, asked, onBoard);
        expectSoundBoard(board, 60, asked, onBoard);
    }
}

TEST_F(BoardDraw, AWholeGameInTwentySixRowsEndsOnTheTwelveRowsLeft)
{
    for (int question = 1; question <= questionsPerGame; ++question) {
        ASSERT_EQ(eligibleRows(26, asked), 26 - (question - 1));
        const Board board = drawBoard(random, 26, asked, onBoard);
        expectSoundBoard(board, 26, asked, onBoard);
        if (question == questionsPerGame) {
            std::set<int> onIt(board.begin() + 1, board.end());
            std::set<int> left;
            for (int r = 1; r <= 26; ++r)
                if (asked[static_cast<size_t>(r)] == 0)
                    left.insert(r);
            EXPECT_EQ(onIt, left);
        }
        const int answer = board[static_cast<size_t>(drawAnswerPosition(random))];
        asked[static_cast<size_t>(answer)] = 1;
    }
}

TEST_F(BoardDraw, TooFewRowsLeaveTheBoardShortInsteadOfHanging)
{
    const Board board = drawBoard(random, 8, asked, onBoard);
    EXPECT_EQ(std::count_if(board.begin() + 1, board.end(), [](int r) { return r > 0; }), 8);
    EXPECT_EQ(board[12], 0);
}

TEST_F(BoardDraw, TheAskedCardCanBeAnyOfTheTwelve)
{
    random.values = {0.0, 0.999999, 0.5};
    EXPECT_EQ(drawAnswerPosition(random), 1);
    EXPECT_EQ(drawAnswerPosition(random), 12);
    EXPECT_EQ(drawAnswerPosition(random), 7);
    std::set<int> positions;
    for (int i = 0; i < 2000; ++i)
        positions.insert(drawAnswerPosition(random));
    EXPECT_EQ(positions.size(), 12u);
    EXPECT_EQ(*positions.begin(), 1);
    EXPECT_EQ(*positions.rbegin(), 12);
}

TEST(Scoring, TimeAndMissesAgainstTheAllowance)
{
    EXPECT_EQ(score(1500, 600, 2), 295); // 886 × 500 / 1500 = 295.33
    EXPECT_EQ(score(1500, 0, 0), 500);
    EXPECT_EQ(score(1500, 0, 10), 476); // misses alone
    EXPECT_EQ(score(1500, 1500, 0), 0); // the allowance used up
    EXPECT_EQ(score(1500, 1490, 5), 0); // below nothing is still nothing
    EXPECT_EQ(score(3000, 99999, 99), 0);
    EXPECT_EQ(score(2500, 1, 0), 499); // rounded down
}

TEST(Scoring, ElapsedTenthsAreWholeAndNeverNegative)
{
    EXPECT_EQ(elapsedTenths(1000.0, 1060.0), 600);
    EXPECT_EQ(elapsedTenths(0.1, 0.4), 3); // binary fractions do not lose a tenth
    EXPECT_EQ(elapsedTenths(5.0, 5.0999), 0);
    EXPECT_EQ(elapsedTenths(86399.0, 86401.5), 25);
    EXPECT_EQ(elapsedTenths(10.0, 9.0), 0);
}

TEST(NumberText, LeadingBlankPointAndNoLeadingZeroInEveryLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(NumberText::format(295), " 295");
    EXPECT_EQ(NumberText::format(38.6), " 38.6");
    EXPECT_EQ(NumberText::format(60.0), " 60");
    EXPECT_EQ(NumberText::format(0.5), " .5");
    EXPECT_EQ(NumberText::format(-3), "-3");
    EXPECT_EQ(NumberText::format(-0.5), "-.5");
    EXPECT_EQ(NumberText::format(0), " 0");
    EXPECT_EQ(NumberText::format(0.0), " 0");
    EXPECT_EQ(NumberText::format(1234567.0), " 1234567");
    EXPECT_EQ(NumberText::display(38.6), "38.6");
    EXPECT_EQ(NumberText::display(0.5), "0.5");
    EXPECT_EQ(NumberText::display(60.0), "60");
    EXPECT_EQ(NumberText::display(-3), "-3");
    EXPECT_EQ(GameRules::resultsLine(295, 600, 2, QDateTime(QDate(2026, 12, 6), QTime(21, 30, 5))),
              " 295, 60, 2,2026/12/06 21:30:05");
    QLocale::setDefault(before);
}

TEST(NumberText, TheLeadingNumberOfAText)
{
    EXPECT_EQ(NumberText::leadingNumber(" 295"), 295.0);
    EXPECT_EQ(NumberText::leadingNumber("295"), 295.0);
    EXPECT_EQ(NumberText::leadingNumber(" 38.6,x"), 38.6);
    EXPECT_EQ(NumberText::leadingNumber("-3 points"), -3.0);
    EXPECT_EQ(NumberText::leadingNumber(" .5"), 0.5);
    EXPECT_EQ(NumberText::leadingNumber("abc"), 0.0);
    EXPECT_EQ(NumberText::leadingNumber(""), 0.0);
    EXPECT_EQ(NumberText::leadingNumber(QString(400, QLatin1Char('9'))), 0.0);
}

TEST(Summary, FourLinesWithTheScoreTimeAndMisses)
{
    const QDateTime at(QDate(2026, 12, 6), QTime(21, 30, 5));
    // The blank inside the date does not break: a line too long for the box wraps before it.
    EXPECT_EQ(summary(295, 600, 2, at),
              "総得点：  295   2026/12/06\u00A021:30:05\r\n\r\n時間： 60秒\r\nミス回数： 2");
    EXPECT_EQ(summary(0, 386, 0, QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5))),
              "総得点：  0   2027/01/02\u00A003:04:05\r\n\r\n時間： 38.6秒\r\nミス回数： 0");
    EXPECT_EQ(resultsLine(0, 5, 11, at), " 0, .5, 11,2026/12/06 21:30:05");
}
