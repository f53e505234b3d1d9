// The day's review over a full schedule (198 flags, both ways: 396 cards), beside the work
// around it in the same run:
// - choosing today's cards from the file (read, parsed, chosen) beside reading its bytes alone;
// - the update after a 15-question game: the same work in memory (parse, grade, new bytes),
//   and the whole update with its one flushed file, beside the results line's append.
//
// The files go to a scratch folder under TMPDIR; point TMPDIR at the disk to measure:
//   review_bench [--benchmark_filter=...]

#include "GameEndFiles.h"
#include "ReviewSchedule.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>


#include <benchmark/benchmark.h>

namespace {

using GameEndFiles::baselineResultsLine;
using GameEndFiles::writeFile;
using namespace ReviewSchedule;

constexpr int worldFlags = 198;
const QDate today(2026, 12, 8);

QList<int> world()
{
    QList<int> ids;
    for (int id = 1; id <= worldFlags; ++id)
        ids.append(id);
    return ids;
}

// Every card asked before; about one in six due today or earlier, the rest spread over weeks.
QByteArray fullSchedule()
{
    Schedule schedule;
    for (int id = 1; id <= worldFlags; ++id) {
        for (const Direction d : {Direction::NameToFlag, Direction::FlagToName}) {
            const int seed = id * 2 + int(d);
            const QDate last = today.addDays(-(1 + seed % 20));
            schedule[CardKey{id, d}] = CardState{{1.0 + seed % 40, 1.0 + seed % 9},
                                                 last,
                                                 last.addDays(2 + seed % 30),
                                                 1 + seed % 12,
                                                 seed % 3};
        }
    }
    return bytes(schedule);
}

QList<Answer> gameAnswers()
{
    QList<Answer> answers;
    for (int q = 0; q < 15; ++q)
        answers.append({CardKey{1 + q * 13, Direction::NameToFlag}, q % 3 != 1});
    return answers;
}

void baselineReadBytes(benchmark::State &state)
{
    QTemporaryDir dir;
    writeFile(path(dir.path()), fullSchedule());
    for (auto _ : state) {
        QFile file(path(dir.path()));
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("the file was not read");
        benchmark::DoNotOptimize(file.readAll());
    }
}

void todaysCardsFromFile(benchmark::State &state)
{
    QTemporaryDir dir;
    writeFile(path(dir.path()), fullSchedule());
    const QList<int> all = world();
    const QList<int> region = all.mid(40, 40);
    for (auto _ : state) {
        const Schedule schedule = read(dir.path());
        benchmark::DoNotOptimize(todaysCards(schedule, today, all, region));
    }
}

// Each run grades the same game into the same full file, so every write changes the bytes.
void updateAfterGame(benchmark::State &state)
{
    QTemporaryDir dir;
    const QByteArray full = fullSchedule();
    const QList<Answer> answers = gameAnswers();
    QDate day = today;
    for (auto _ : state) {
        state.PauseTiming();
        writeFile(path(dir.path()), full);
        day = day.addDays(1);
        state.ResumeTiming();
        if (update(dir.path(), answers, day))
            state.SkipWithError("the schedule was not written");
    }
}

void updateWorkInMemory(benchmark::State &state)
{
    const QByteArray full = fullSchedule();
    const QList<Answer> answers = gameAnswers();
    for (auto _ : state) {
        Schedule schedule = parse(full);
        answerAll(schedule, answers, today);
        benchmark::DoNotOptimize(bytes(schedule));
    }
}

} // namespace

BENCHMARK(baselineReadBytes)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(todaysCardsFromFile)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(baselineResultsLine)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(updateAfterGame)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(updateWorkInMemory)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
