#pragma once

#include "ResultsFile.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

// What the benchmarks of a game's end share: a file laid out as the case needs, and the
// results line every game appends, the baseline its record's update is measured beside.
namespace GameEndFiles {

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

inline void baselineResultsLine(benchmark::State &state)
{
    const QString line = QStringLiteral(" 412, 38.6, 3,2026/12/08 21:30:05");
    const QString regionKey = QStringLiteral("sekai");
    // Kept short of the cut, which a results file meets once in five hundred games.
    constexpr int linesBeforeRestart = 400;
    QTemporaryDir dir;
    int lines = 0;
    for (auto _ : state) {
        if (++lines > linesBeforeRestart) {
            state.PauseTiming();
            QFile::remove(ResultsFile::path(dir.path(), regionKey));
            lines = 1;
            state.ResumeTiming();
        }
        if (ResultsFile::append(dir.path(), regionKey, line))
            state.SkipWithError("the results line was not written");
    }
}

} // namespace GameEndFiles
