#include "GameSession.h"
#include "BaseList.h"
#include "CardKeys.h"
#include "Fakes.h"
#include "GameSetup.h"
#include "PracticeGame.h"
#include "Regions.h"
#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

using namespace GameRules;

namespace {

const QDate today(2026, 12, 8);

// Row r carries flag 100 + r, so that a row number taken for a flag ID shows.
GameSession::Rows rowsOf(int count)
{
    GameSession::Rows rows;
    for (int r = 1; r <= count; ++r) {
        rows.flagIds.append(QString::number(100 + r));
        rows.names.append(QStringLiteral("国%1").arg(r));
    }
    return rows;
}

std::array<QString, rowBound + 1> idsByRow(int count)
{
    std::array<QString, rowBound + 1> ids{};
    for (int r = 1; r <= count; ++r)
        ids[static_cast<size_t>(r)] = QString::number(100 + r);
    return ids;
}

enum class Boards
{
    Scored,
    Weakest,
    LookAlike
};

std::unique_ptr<BoardSource> boardsFor(Boards kind, int rows, RandomSource &random)
{
    if (kind == Boards::Scored)
        return std::make_unique<RandomBoards>(rows);
    MasteryRecord::Record record;
    for (int r = 1; r <= rows; ++r)
        record.flags[100 + r] = {4, r % 4, 4 - r % 4, today};
    return std::make_unique<PracticeGame>(
        PracticeGame::Options{kind == Boards::Weakest, kind == Boards::LookAlike}, idsByRow(rows),
        rows, record, SimilarityTable(), today, random);
}

struct WholeGame
{
    const char *name;
    Boards boards;
    int rows;
    std::map<int, int> wrongPicks; // by question
    double seconds;
    int expectedScore;
};

} // namespace

TEST(GameSession, AWholeGameOfFifteenAnswersIsScoredWithItsMisses)
{
    // The allowance is 1000 tenths; each miss costs seven of them.
    const WholeGame games[] = {
        {"scored, smallest region, no miss", Boards::Scored, minimumRows, {}, 30.0, 350},
        {"scored, misses on the first and last", Boards::Scored, 198, {{1, 2}, {15, 1}}, 60.5, 187},
        {"weakest flags", Boards::Weakest, 30, {{3, 1}}, 10.0, 446},
        {"look-alike boards", Boards::LookAlike, minimumRows, {{2, 2}}, 0.0, 493},
        {"over the allowance", Boards::Scored, minimumRows, {{5, 1}}, 200.0, 0},
    };
    for (const WholeGame &c : games) {
        SCOPED_TRACE(c.name);
        ScriptedRandom random;
        GameSession game(rowsOf(c.rows), 1000, boardsFor(c.boards, c.rows, random), random);
        game.startClock(500.0);
        std::set<int> answered;
        int misses = 0;
        while (!game.over()) {
            const int question = game.questionNumber();
            ASSERT_LE(question, questionsPerGame);
            std::set<int> onBoard;
            for (int k = 1; k <= cardsPerBoard; ++k) {
                const int row = game.rowAt(k);
                ASSERT_GE(row, 1);
                ASSERT_LE(row, c.rows);
                EXPECT_FALSE(game.answered(row));
                EXPECT_TRUE(onBoard.insert(row).second) << "row " << row << " twice";
            }
            const int right = game.answerPosition();
            ASSERT_GE(right, 1);
            EXPECT_EQ(game.askedName(), QStringLiteral("国%1").arg(game.askedRow()));
            const int wrong = right % cardsPerBoard + 1;
            const auto wrongs = c.wrongPicks.find(question);
            for (int i = 0; wrongs != c.wrongPicks.end() && i < wrongs->second; ++i) {
                EXPECT_EQ(game.pick(wrong), GameSession::Pick::Wrong);
                EXPECT_EQ(game.answerPosition(), right) << "a miss changed the board";
                ++misses;
            }
            const QString askedFlag = game.flagIdAt(right);
            const QString wrongFlag = game.flagIdAt(wrong);
            answered.insert(game.askedRow());
            EXPECT_EQ(game.pick(right), GameSession::Pick::Right);
            const MasteryRecord::Question &logged = game.log()[question - 1];
            EXPECT_EQ(logged.askedFlagId, askedFlag.toInt());
            EXPECT_EQ(
                logged.wrongClicks,
                QList<int>(wrongs == c.wrongPicks.end() ? 0 : wrongs->second, wrongFlag.toInt()));
        }
        EXPECT_EQ(answered.size(), size_t(questionsPerGame));
        EXPECT_EQ(game.log().size(), questionsPerGame);
        EXPECT_EQ(game.misses(), misses);
        EXPECT_EQ(game.pick(1), GameSession::Pick::Ignored);
        const GameSession::Result result = game.result(500.0 + c.seconds);
        EXPECT_EQ(result.elapsedTenths, static_cast<int>(c.seconds * 10));
        EXPECT_EQ(result.misses, misses);
        EXPECT_EQ(result.score, c.expectedScore);
    }
}

TEST(GameSession, ClicksBesideTheCardsAreNoAnswer)
{
    ScriptedRandom random;
    GameSession game(rowsOf(40), 1000, std::make_unique<RandomBoards>(40), random);
    for (const int k : {0, -1, 13})
        EXPECT_EQ(game.pick(k), GameSession::Pick::Ignored) << k;
    EXPECT_EQ(game.rowAt(0), 0);
    EXPECT_EQ(game.flagIdAt(13), QString());
    EXPECT_EQ(game.misses(), 0);
    EXPECT_EQ(game.questionNumber(), 1);
}

TEST(GameSetup, TheChoiceGivesAGameOrTheReasonThereIsNone)
{
    struct Case
    {
        const char *name;
        int rows; // in the region's list; none without one
        PracticeGame::Options practice;
        bool played;
    };
    const Case cases[] = {
        {"scored, smallest region", minimumRows, {}, true},
        {"weakest flags", 40, {true, false}, true},
        {"look-alikes", 40, {false, true}, true},
        {"one country short", minimumRows - 1, {true, true}, false},
        {"no list", 0, {}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir program;
        QByteArray list;
        for (int id = 1; id <= c.rows; ++id)
            list += QByteArray::number(id) + ",x,C" + QByteArray::number(id) + ",x,u\r\n";
        if (c.rows > 0)
            writeBytes(BaseList::path(program.path(), Regions::at(2).key), list);
        int recordReads = 0;
        ScriptedRandom random;
        const GameSetup::Prepared prepared =
            GameSetup::prepare({2, c.practice}, {program.path(),
                                                 [&] {
                                                     ++recordReads;
                                                     return MasteryRecord::Record();
                                                 },
                                                 today, random});
        EXPECT_EQ(prepared.game.regionKey, Regions::at(2).key);
        EXPECT_EQ(prepared.refusal.isEmpty(), c.played);
        ASSERT_EQ(prepared.game.session != nullptr, c.played);
        // Only a practice game asks for the record.
        EXPECT_EQ(recordReads, c.played && c.practice.any() ? 1 : 0);
        if (c.played) {
            EXPECT_EQ(prepared.game.practice, c.practice.any());
            EXPECT_EQ(prepared.game.session->rowCount(), c.rows);
        }
    }
}

TEST(CardKeys, TheTopRowPicksTheTwelveCardsOnEveryKeyboard)
{
    const std::vector<std::pair<int, std::optional<int>>> cases = {
        {Qt::Key_1, 1},
        {Qt::Key_9, 9},
        {Qt::Key_0, 10},
        {Qt::Key_Minus, 11},
        {Qt::Key_Equal, 12},
        {Qt::Key_AsciiCircum, 12}, // JIS layout
        {Qt::Key_A, std::nullopt},
        {Qt::Key_Enter, std::nullopt}};
    for (const auto &[key, position] : cases)
        EXPECT_EQ(CardKeys::positionOf(key), position) << key;
}
