// The day's review over a full schedule (198 flags, both ways: 396 cards), beside the work
// around it in the same run:
// - choosing today's cards from the file (read, parsed, chosen) beside reading its bytes alone;
// - opening the review after a 30-day break, every card overdue: the day's limit at work;
// - the update after a 15-question game: the same work in memory (parse, grade, new bytes),
//   and the whole update with its one flushed file, beside the results line's append;
// - saving one answer of the review as it is given: the schedule's file and the record's two,
//   beside the results line's append, and the same work in memory.
//
// The files go to a scratch folder under TMPDIR; point TMPDIR at the disk to measure:
//   review_bench [--benchmark_filter=...]

#include "GameEndFiles.h"
#include "MasteryRecord.h"
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

// The full schedule after a break: every card last seen 30 to 60 days ago and overdue.
QByteArray scheduleAfterBreak()
{
    Schedule schedule;
    for (int id = 1; id <= worldFlags; ++id) {
        for (const Direction d : {Direction::NameToFlag, Direction::FlagToName}) {
            const int seed = id * 2 + int(d);
            const QDate last = today.addDays(-(31 + seed % 30));
            schedule[CardKey{id, d}] = CardState{
                {1.0 + seed % 20, 1.0 + seed % 9}, last, today.addDays(-30), 3, seed % 3, last};
        }
    }
    return bytes(schedule);
}

// A record of every flag of the world, as a player with a full schedule has.
QByteArray fullRecord()
{
    MasteryRecord::Record record;
    for (int id = 1; id <= worldFlags; ++id)
        record.flags[id] = {5 + id % 7, 3, 2 + id % 7, today.addDays(-(id % 20))};
    return MasteryRecord::recordBytes(record);
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

void openReviewAfterBreak(benchmark::State &state)
{
    QTemporaryDir dir;
    writeFile(path(dir.path()), scheduleAfterBreak());
    const QList<int> all = world();
    for (auto _ : state) {
        const Schedule schedule = read(dir.path());
        const TodaysCards cards = todaysCards(schedule, today, all);
        if (cards.cards.size() != maxDuePerDay)
            state.SkipWithError("the day's limit did not hold");
        benchmark::DoNotOptimize(cards);
    }
}

// One answer as the review saves it: the schedule's file, then the record's.
void saveOneAnswer(benchmark::State &state)
{
    QTemporaryDir dir;
    writeFile(path(dir.path()), fullSchedule());
    writeFile(MasteryRecord::recordPath(dir.path()), fullRecord());
    int n = 0;
    for (auto _ : state) {
        const CardKey card{1 + n % worldFlags, Direction::FlagToName};
        const bool right = n % 4 != 0;
        ++n;
        const std::optional<FileError> error = update(dir.path(), {{card, right}}, today);
        MasteryRecord::GameLog question{{card.flagId, {}}};
        if (!right)
            question[0].wrongClicks.append(card.flagId % worldFlags + 1);
        if (error || MasteryRecord::update(dir.path(), question, today))
            state.SkipWithError("the answer was not saved");
    }
}

void saveOneAnswerWorkInMemory(benchmark::State &state)
{
    const QByteArray full = fullSchedule();
    const QByteArray record = fullRecord();
    int n = 0;
    for (auto _ : state) {
        const CardKey card{1 + n % worldFlags, Direction::FlagToName};
        ++n;
        Schedule schedule = parse(full);
        answer(schedule, {card, true}, today);
        benchmark::DoNotOptimize(bytes(schedule));
        MasteryRecord::Record parsed = MasteryRecord::parse(record, {});
        MasteryRecord::addGame(parsed, {{card.flagId, {}}}, today);
        benchmark::DoNotOptimize(MasteryRecord::recordBytes(parsed));
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
BENCHMARK(openReviewAfterBreak)
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
BENCHMARK(saveOneAnswer)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(saveOneAnswerWorkInMemory)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
