// The end of a game: updating the record of each flag and its confusions (a world of 198 flags
// all asked before, a 15-question game with misses), beside writing the game's results line
// in the same run. One small file flushed to the disk, and the same work done in memory alone,
// show where the time goes: the update flushes each of its two files before renaming it.
//
// The files go to a scratch folder under TMPDIR; point TMPDIR at the disk to measure:
//   mastery_bench [--benchmark_filter=...]

#include "GameEndFiles.h"
#include "MasteryRecord.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <unistd.h>

#include <benchmark/benchmark.h>

namespace {

using GameEndFiles::baselineResultsLine;
using GameEndFiles::writeFile;

constexpr int worldFlags = 198;
const QDate today(2026, 12, 8);

QByteArray worldRecord()
{
    QByteArray bytes;
    for (int id = 1; id <= worldFlags; ++id)
        bytes += QByteArray::number(id) + ',' + QByteArray::number(10 + id % 7) + ',' +
                 QByteArray::number(id % 9) + ',' + QByteArray::number(12 + id % 5) + ",2026/11/" +
                 QByteArray::number(10 + id % 20) + "\r\n";
    return bytes;
}

// Two or three look-alikes for every flag.
QByteArray worldConfusions()
{
    QByteArray bytes;
    for (int id = 1; id <= worldFlags; ++id)
        for (int step = 1; step <= 2 + id % 2; ++step)
            bytes += QByteArray::number(id) + ',' +
                     QByteArray::number((id + step * 37) % worldFlags + 1) + ',' +
                     QByteArray::number(1 + (id * step) % 4) + "\r\n";
    return bytes;
}

MasteryRecord::GameLog gameWithMisses()
{
    MasteryRecord::GameLog game;
    for (int q = 0; q < 15; ++q) {
        const int asked = 1 + q * 13;
        QList<int> wrong;
        if (q % 3 == 1)
            wrong << asked + 1;
        if (q % 5 == 2)
            wrong << asked + 2 << asked + 3;
        game.append({asked, wrong});
    }
    return game;
}

void updateBothFiles(benchmark::State &state)
{
    QTemporaryDir dir;
    writeFile(MasteryRecord::recordPath(dir.path()), worldRecord());
    writeFile(MasteryRecord::confusionsPath(dir.path()), worldConfusions());
    const MasteryRecord::GameLog game = gameWithMisses();
    for (auto _ : state) {
        if (MasteryRecord::update(dir.path(), game, today))
            state.SkipWithError("the record was not written");
    }
}

// What the disk asks for one small file written and flushed, as each of the two files is.
void baselineOneFileFlushed(benchmark::State &state)
{
    QTemporaryDir dir;
    const QByteArray bytes = worldRecord();
    QFile file(dir.filePath(QStringLiteral("flushed.csv")));
    if (!file.open(QIODevice::WriteOnly))
        std::abort();
    for (auto _ : state) {
        file.resize(0);
        file.seek(0);
        if (file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0)
            state.SkipWithError("the file was not flushed");
    }
}

// Parsing both files, adding the game and making the new bytes, without touching the disk.
void sameWorkInMemory(benchmark::State &state)
{
    const QByteArray record = worldRecord();
    const QByteArray confusions = worldConfusions();
    const MasteryRecord::GameLog game = gameWithMisses();
    for (auto _ : state) {
        MasteryRecord::Record parsed = MasteryRecord::parse(record, confusions);
        MasteryRecord::addGame(parsed, game, today);
        benchmark::DoNotOptimize(MasteryRecord::recordBytes(parsed));
        benchmark::DoNotOptimize(MasteryRecord::confusionBytes(parsed));
    }
}

} // namespace

BENCHMARK(baselineResultsLine)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(baselineOneFileFlushed)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(updateBothFiles)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(sameWorkInMemory)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
