#include "LookAlikeBoard.h"
#include "BaseList.h"
#include "CountryTable.h"
#include "Fakes.h"
#include "SimilarityTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace GameRules;
using LookAlikeBoard::Draw;

namespace {

const QString shippedDir = QStringLiteral(FURAMIO_DATA_DIR);

// Twelve different rows of the region, none answered, the asked one at the answer position,
// and onBoard marking exactly the rows laid out.
void expectSoundBoard(const Draw &draw, int askedRow, int rows, const RowMarks &asked,
                      const RowMarks &onBoard)
{
    ASSERT_GE(draw.answerPosition, 1);
    ASSERT_LE(draw.answerPosition, cardsPerBoard);
    EXPECT_EQ(draw.board[static_cast<size_t>(draw.answerPosition)], askedRow);
    std::set<int> seen;
    for (int k = 1; k <= cardsPerBoard; ++k) {
        const int r = draw.board[static_cast<size_t>(k)];
        ASSERT_GE(r, 1) << "card " << k << " left empty";
        ASSERT_LE(r, rows);
        EXPECT_EQ(asked[static_cast<size_t>(r)], 0) << "answered row " << r << " came back";
        EXPECT_EQ(onBoard[static_cast<size_t>(r)], 1);
        EXPECT_TRUE(seen.insert(r).second) << "row " << r << " twice on one board";
    }
    EXPECT_EQ(std::count(onBoard.begin(), onBoard.end(), 1), cardsPerBoard);
}

bool holds(const Draw &draw, int row)
{
    return std::find(draw.board.begin() + 1, draw.board.end(), row) != draw.board.end();
}

// The shipped region lists and look-alike table, as the game reads them.
struct Region
{
    explicit Region(const char *key)
    {
        count =
            BaseList::load(BaseList::path(shippedDir, QString::fromLatin1(key)), table).recordCount;
        rowOf = LookAlikeBoard::rowsByFlag(table.flagIds, count);
    }
    int flagOf(const char *name) const
    {
        for (int r = 1; r <= count; ++r) {
            const int id = table.flagIds[static_cast<size_t>(r)].toInt();
            if (table.countryNames[static_cast<size_t>(id)] == QString::fromUtf8(name))
                return id;
        }
        ADD_FAILURE() << "no " << name << " in the region";
        return 0;
    }
    int rowOfName(const char *name) const { return rowOf[static_cast<size_t>(flagOf(name))]; }
    std::vector<int> candidatesFor(const char *name, const std::vector<int> &confused = {}) const
    {
        const int id = flagOf(name);
        return LookAlikeBoard::candidateRows(id, confused, similar.similarTo(id), rowOf);
    }

    CountryTable table;
    int count = 0;
    LookAlikeBoard::RowsByFlag rowOf{};
    SimilarityTable similar = SimilarityTable::load(SimilarityTable::path(shippedDir));
};

} // namespace

TEST(LookAlikeBoard, ChadInTheWorldMeetsRomaniaAndItsOtherLookAlikes)
{
    const Region world("sekai");
    const int chad = world.rowOfName("チャド");
    const std::vector<int> candidates = world.candidatesFor("チャド");
    ASSERT_GE(candidates.size(), static_cast<size_t>(cardsPerBoard - 1));
    ScriptedRandom random;
    RowMarks asked{};
    RowMarks onBoard{};
    std::set<int> positions;
    for (int round = 0; round < 200; ++round) {
        const Draw draw =
            LookAlikeBoard::draw(random, chad, candidates, world.count, asked, onBoard);
        expectSoundBoard(draw, chad, world.count, asked, onBoard);
        EXPECT_TRUE(holds(draw, world.rowOfName("ルーマニア")));
        for (int i = 0; i < cardsPerBoard - 1; ++i)
            EXPECT_TRUE(holds(draw, candidates[static_cast<size_t>(i)]));
        positions.insert(draw.answerPosition);
    }
    EXPECT_EQ(positions.size(), static_cast<size_t>(cardsPerBoard)) << "some card never asked";
}

TEST(LookAlikeBoard, ConfusionsComeFirstAndAnsweredRowsStayOff)
{
    const Region world("sekai");
    const int chad = world.flagOf("チャド");
    const int romania = world.flagOf("ルーマニア");
    const int japan = world.flagOf("日本");
    // Japan was taken for Chad; Romania is named twice, Chad itself and a foreign ID once.
    const std::vector<int> candidates = world.candidatesFor("チャド", {japan, romania, chad, 0});
    ASSERT_GE(candidates.size(), 3u);
    EXPECT_EQ(candidates[0], world.rowOf[static_cast<size_t>(japan)]);
    EXPECT_EQ(candidates[1], world.rowOf[static_cast<size_t>(romania)]);
    EXPECT_EQ(std::count(candidates.begin(), candidates.end(), world.rowOfName("ルーマニア")), 1);
    EXPECT_EQ(std::count(candidates.begin(), candidates.end(), world.rowOfName("チャド")), 0);

    // Answered look-alikes give way to the next ones; decoys that were only shown may return.
    ScriptedRandom random;
    RowMarks asked{};
    for (int i = 0; i < 14; i += 2)
        asked[static_cast<size_t>(candidates[static_cast<size_t>(i)])] = 1;
    RowMarks onBoard{};
    for (int round = 0; round < 100; ++round) {
        const int row = world.rowOfName("チャド");
        const Draw draw =
            LookAlikeBoard::draw(random, row, candidates, world.count, asked, onBoard);
        expectSoundBoard(draw, row, world.count, asked, onBoard);
        EXPECT_TRUE(holds(draw, candidates[1]));
    }
}

TEST(LookAlikeBoard, TooFewLookAlikesInTheRegionAreMadeUpAtRandom)
{
    // Europe holds hardly any of Chad's look-alikes, and Chad is not in Europe; with Romania
    // asked its few European look-alikes are there and the rest is filled up.
    const Region europe("europe");
    const int romania = europe.rowOfName("ルーマニア");
    const std::vector<int> candidates = europe.candidatesFor("ルーマニア");
    ScriptedRandom random;
    RowMarks asked{};
    RowMarks onBoard{};
    const Draw draw =
        LookAlikeBoard::draw(random, romania, candidates, europe.count, asked, onBoard);
    expectSoundBoard(draw, romania, europe.count, asked, onBoard);

    // A made-up region of 26 rows, late in a game, with a candidate list that is nearly all
    // answered, out of range or repeated.
    const int rows = 26;
    for (int round = 0; round < 100; ++round) {
        asked.fill(0);
        for (int r = 1; r <= 14; ++r)
            asked[static_cast<size_t>(r)] = 1;
        const std::vector<int> few = {3, 20, 20, 0, 27, 199, 15, 21};
        const Draw late = LookAlikeBoard::draw(random, 26, few, rows, asked, onBoard);
        expectSoundBoard(late, 26, rows, asked, onBoard);
        EXPECT_TRUE(holds(late, 20) && holds(late, 15) && holds(late, 21));
    }

    // Fewer unanswered rows than cards: a short board, never an endless draw.
    asked.fill(0);
    for (int r = 1; r <= 20; ++r)
        asked[static_cast<size_t>(r)] = 1;
    const Draw shortBoard = LookAlikeBoard::draw(random, 22, {}, rows, asked, onBoard);
    EXPECT_EQ(std::count(onBoard.begin(), onBoard.end(), 1), rows - 20);
    EXPECT_EQ(shortBoard.board[static_cast<size_t>(shortBoard.answerPosition)], 22);
    EXPECT_EQ(shortBoard.board[cardsPerBoard], 0);

    // An asked row outside the region gives no board at all.
    const Draw none = LookAlikeBoard::draw(random, rows + 1, {}, rows, asked, onBoard);
    EXPECT_EQ(none.answerPosition, 0);
    EXPECT_EQ(std::count(onBoard.begin(), onBoard.end(), 1), 0);
}

TEST(LookAlikeBoard, RowsOfFlagsAndRandomQuestions)
{
    std::array<QString, rowBound + 1> ids{};
    ids[1] = QStringLiteral("103");
    ids[2] = QStringLiteral(" 193");
    ids[3] = QStringLiteral("x");
    ids[4] = QStringLiteral("103"); // the first row naming a flag counts
    ids[5] = QStringLiteral("201");
    ids[6] = QStringLiteral("7"); // beyond the row count
    const LookAlikeBoard::RowsByFlag rows = LookAlikeBoard::rowsByFlag(ids, 5);
    EXPECT_EQ(rows[103], 1);
    EXPECT_EQ(rows[193], 2);
    EXPECT_EQ(rows[7], 0);
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](int r) { return r != 0; }), 2);

    ScriptedRandom random;
    RowMarks asked{};
    for (int r = 1; r <= 30; r += 2)
        asked[static_cast<size_t>(r)] = 1;
    for (int round = 0; round < 200; ++round) {
        const int r = LookAlikeBoard::drawAskedRow(random, 30, asked);
        ASSERT_GE(r, 1);
        ASSERT_LE(r, 30);
        EXPECT_EQ(asked[static_cast<size_t>(r)], 0);
    }
    asked.fill(1);
    EXPECT_EQ(LookAlikeBoard::drawAskedRow(random, 30, asked), 0);
}
