#include "GameDetails.h"
#include "ResultsFile.h"

#include <gtest/gtest.h>

TEST(GameDetails, TextOfAPastGame)
{
    PastGame game;
    game.score = 295;
    game.seconds = 38.6;
    game.misses = 2;
    game.date = "2026/12/06 21:30:05";
    EXPECT_EQ(
        GameDetails::text(game),
        QStringLiteral("2026/12/06 21:30:05\r\n総合点：295　ミス回数： 2\r\n実時間:0分38.6秒   "));
    game.seconds = 75;
    EXPECT_TRUE(GameDetails::text(game).endsWith(QStringLiteral("実時間:1分15秒   ")));
    game.seconds = 60.1;
    EXPECT_TRUE(GameDetails::text(game).endsWith(QStringLiteral("実時間:1分0.1秒   ")));
    game.seconds = 135.3;
    EXPECT_TRUE(GameDetails::text(game).endsWith(QStringLiteral("実時間:2分15.3秒   ")));
    EXPECT_EQ(GameDetails::title("12"), "<成績> 12回目");
}
