// The study list's search over the shipped world list and other names: the exact search beside
// the forgiving one that runs when the exact search finds nothing. The forgiving search's worst
// case is a key found nowhere (every row and every other name is looked at); keys found through
// a country's other name near the end of the list come close to it.
//
// Runs over the shipped data (data/ of the source tree), no window:
//   search_bench [--benchmark_filter=...]

#include "BaseList.h"
#include "NameSearch.h"
#include "OtherNames.h"
#include "StudyRules.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

const QString dataDir = QStringLiteral(FURAMIO_SHIPPED_DATA);

struct World
{
    CountryTable table;
    QStringList rows;
    std::vector<OtherName> otherNames;
};

World *world = nullptr;

void exactSearch(benchmark::State &state, const char *key)
{
    const QString k = QString::fromUtf8(key);
    for (auto _ : state)
        benchmark::DoNotOptimize(StudyRules::findRow(world->rows, world->table.capitals, k));
}

void combinedSearch(benchmark::State &state, const char *key)
{
    NameSearch search(world->otherNames);
    const QString k = QString::fromUtf8(key);
    search.find(world->rows, world->table.capitals, k); // folds the rows once, as a window would
    for (auto _ : state)
        benchmark::DoNotOptimize(search.find(world->rows, world->table.capitals, k));
}

void loadAndFoldOtherNames(benchmark::State &state)
{
    for (auto _ : state) {
        NameSearch search(OtherNames::load(dataDir + '/' + OtherNames::fileName));
        benchmark::DoNotOptimize(search.find(world->rows, world->table.capitals, "x"));
    }
}

} // namespace

// Baselines: the exact search finding Japan, and scanning all rows for nothing.
BENCHMARK_CAPTURE(exactSearch, found_日本, "日本")->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(exactSearch, nothing_ぞぞ, "ぞぞ")->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(combinedSearch, exact_日本, "日本")->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(combinedSearch, folded_ﾀｲ, "ﾀｲ")->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(combinedSearch, other_にほん, "にほん")
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(combinedSearch, other_russia, "russia")
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(combinedSearch, within_連合王国, "連合王国")
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(combinedSearch, nothing_ぞぞ, "ぞぞ")->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(loadAndFoldOtherNames)->Repetitions(3)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    World shipped;
    shipped.rows =
        BaseList::load(BaseList::path(dataDir, QStringLiteral("sekai")), shipped.table).listLines;
    QString error;
    shipped.otherNames = OtherNames::load(dataDir + '/' + OtherNames::fileName, &error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    world = &shipped;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
