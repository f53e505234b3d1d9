// One board of the practice game's look-alike rule, beside the scored game's random board in
// the same run. Both over the shipped world list (198 rows) half-way through a game, with the
// program's own random source, so reseeding from the clock is paid as in play. The look-alike
// side also pays for turning the table's flag IDs into rows, as the game does for every board.
//
//   look_alike_bench [--benchmark_filter=...]

#include "BaseList.h"
#include "CountryTable.h"
#include "GameRules.h"
#include "LookAlikeBoard.h"
#include "SimilarityTable.h"
#include "SystemRandom.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

const QString shippedDir = QStringLiteral(FURAMIO_SHIPPED_DATA);
constexpr int answeredSoFar = 7;

struct Shipped
{
    CountryTable table;
    int rowCount = 0;
    LookAlikeBoard::RowsByFlag rowOf{};
    SimilarityTable similar;
    GameRules::RowMarks asked{};
    std::vector<int> confused;

    explicit Shipped(const char *regionKey)
    {
        rowCount = BaseList::load(BaseList::path(shippedDir, QString::fromLatin1(regionKey)), table)
                       .recordCount;
        rowOf = LookAlikeBoard::rowsByFlag(table.flagIds, rowCount);
        similar = SimilarityTable::load(SimilarityTable::path(shippedDir));
        // Every few rows answered, and a few confusions on record, as in a game under way.
        for (int i = 1; i <= answeredSoFar; ++i)
            asked[static_cast<size_t>(i * 5)] = 1;
        for (int r = 2; r <= 8 && r <= rowCount; r += 3)
            confused.push_back(table.flagIds[static_cast<size_t>(r)].toInt());
    }
};

Shipped *world = nullptr;
Shipped *europe = nullptr;

// What both boards pay to reseed from the clock (twice a board), so the rules' own share shows.
void reseedTwice(benchmark::State &state)
{
    SystemRandom random;
    for (auto _ : state) {
        random.reseed();
        random.reseed();
        benchmark::DoNotOptimize(random.next());
    }
}

void randomBoard(benchmark::State &state)
{
    SystemRandom random;
    GameRules::RowMarks onBoard{};
    for (auto _ : state) {
        const GameRules::Board board =
            GameRules::drawBoard(random, world->rowCount, world->asked, onBoard);
        const int answer = GameRules::drawAnswerPosition(random);
        benchmark::DoNotOptimize(board);
        benchmark::DoNotOptimize(answer);
    }
}

void lookAlikeBoard(benchmark::State &state, Shipped *region)
{
    SystemRandom random;
    GameRules::RowMarks onBoard{};
    for (auto _ : state) {
        const int askedRow = LookAlikeBoard::drawAskedRow(random, region->rowCount, region->asked);
        const int flagId = region->table.flagIds[static_cast<size_t>(askedRow)].toInt();
        const std::vector<int> candidates = LookAlikeBoard::candidateRows(
            flagId, region->confused, region->similar.similarTo(flagId), region->rowOf);
        const LookAlikeBoard::Draw draw = LookAlikeBoard::draw(
            random, askedRow, candidates, region->rowCount, region->asked, onBoard);
        benchmark::DoNotOptimize(draw);
    }
}

void lookAlikeBoardWorld(benchmark::State &state)
{
    lookAlikeBoard(state, world);
}

// Europe holds few of most flags' look-alikes, so more of each board is made up at random.
void lookAlikeBoardEurope(benchmark::State &state)
{
    lookAlikeBoard(state, europe);
}

} // namespace

BENCHMARK(reseedTwice)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(randomBoard)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(lookAlikeBoardWorld)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(lookAlikeBoardEurope)->Repetitions(9)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    Shipped shippedWorld("sekai");
    Shipped shippedEurope("europe");
    if (shippedWorld.similar.isEmpty() || shippedWorld.rowCount < GameRules::minimumRows) {
        std::fprintf(stderr, "shipped data not found under %s\n", qPrintable(shippedDir));
        return 1;
    }
    world = &shippedWorld;
    europe = &shippedEurope;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
