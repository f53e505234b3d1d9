// The world map window off screen on a 1920×1080 screen over the shipped map and lists, with a
// schedule for every flag both ways: from making the window to its first paint, beside the
// results window's open over a full results file in the same run; and one repaint after a
// resize between the two screen sizes players have most, beside the same for a bare window.

#include "Fonts.h"
#include "Form2.h"
#include "MapCanvas.h"
#include "OffscreenScreens.h"
#include "PlayerData.h"
#include "ResultsFile.h"
#include "ReviewSchedule.h"
#include "TestServices.h"
#include "WorldMapView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

const QString shippedData = QStringLiteral(FURAMIO_SHIPPED_DATA);
const QDate today(2026, 12, 9);
const QSize wide(1920, 1080);
const QSize laptop(1366, 768);

// Every flag asked both ways: the most the schedule file holds.
void writeFullSchedule(const QString &folder)
{
    ReviewSchedule::Schedule schedule;
    for (int id = 1; id <= 198; ++id) {
        for (auto direction :
             {ReviewSchedule::Direction::NameToFlag, ReviewSchedule::Direction::FlagToName}) {
            schedule[{id, direction}] = {
                {1.0 + id % 40, 5.0}, today.addDays(-(id % 7)), today.addDays(id % 9 - 1), 3, 1};
        }
    }
    QFile file(ReviewSchedule::path(folder));
    file.open(QIODevice::WriteOnly);
    file.write(ReviewSchedule::bytes(schedule));
}

// Tells when a widget has been painted once.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget *widget) { widget->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

// Runs the event loop until the paint that `watch` waits for is over.
void untilPainted(PaintWatch &watch)
{
    while (!watch.painted)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
}

struct ResultsFolder : TestServices
{
    ResultsFolder()
    {
        QByteArray data;
        for (int n = 1; n <= ResultsFile::maxGames; ++n)
            data += " " + QByteArray::number((n * 37) % 501) + ", 45.5, " +
                    QByteArray::number(n % 9) + ",2026/12/06 21:30:05\r\n";
        QFile file(ResultsFile::path(folder.path(), QStringLiteral("sekai")));
        file.open(QIODevice::WriteOnly);
        file.write(data);
    }
    QTemporaryDir folder;
    PlayerData playerData{folder.path(), clock,
                          [this](const QString &text) { messages.show(text); }};
};

void baselineResultsWindowToFirstPaint(benchmark::State &state)
{
    ResultsFolder results;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto form2 = std::make_unique<Form2>(results.services, results.playerData, nullptr);
        PaintWatch watch(form2.get());
        form2->setRegion(QStringLiteral("sekai"), QStringLiteral("世界編"));
        form2->show();
        form2->loadHistory();
        untilPainted(watch);
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
    }
}

void worldMapToFirstPaint(benchmark::State &state)
{
    QTemporaryDir dataDir;
    writeFullSchedule(dataDir.path());
    FakeClock clock;
    const PlayerData playerData(dataDir.path(), clock, [](const QString &) {});
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto view = std::make_unique<WorldMapView>(shippedData, playerData);
        PaintWatch watch(view->canvas());
        view->open(today);
        untilPainted(watch);
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
    }
}

// A world map window over a full schedule, at the size it has on a wide screen.
struct FullMap
{
    FullMap()
    {
        writeFullSchedule(dataDir.path());
        view = std::make_unique<WorldMapView>(shippedData, playerData);
        view->reload(today);
        view->resize(wide);
    }
    QTemporaryDir dataDir;
    FakeClock clock;
    PlayerData playerData{dataDir.path(), clock, [](const QString &) {}};
    std::unique_ptr<WorldMapView> view;
};

void showWindow(benchmark::State &state, QWidget &window)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        state.SkipWithError("the window did not come up");
}

// `widget` made `first` and `second` in turn, painted at each.
void resizeInTurn(benchmark::State &state, QWidget &widget, QSize first, QSize second)
{
    bool toFirst = true;
    for (auto _ : state) {
        widget.resize(toFirst ? first : second);
        widget.repaint();
        toFirst = !toFirst;
    }
}

void baselineBareWindowResize(benchmark::State &state)
{
    QWidget bare;
    bare.resize(wide);
    showWindow(state, bare);
    resizeInTurn(state, bare, laptop, wide);
}

void worldMapResize(benchmark::State &state)
{
    FullMap map;
    showWindow(state, *map.view);
    resizeInTurn(state, *map.view, laptop, wide);
    state.counters["canvas_width_px"] = map.view->canvas()->width();
}

// The map alone, to tell its drawing from the rest of the window's.
void worldMapCanvasResize(benchmark::State &state)
{
    FullMap map;
    showWindow(state, *map.view);
    MapCanvas *canvas = map.view->canvas();
    const QSize large = canvas->size();
    const QSize small(large.width() * laptop.width() / wide.width(),
                      large.height() * laptop.height() / wide.height());
    resizeInTurn(state, *canvas, small, large);
}

} // namespace

BENCHMARK(baselineResultsWindowToFirstPaint)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(worldMapToFirstPaint)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(baselineBareWindowResize)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(worldMapResize)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(worldMapCanvasResize)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    QTemporaryDir config;
    // An off-screen 1920×1080 screen, the size the window is meant for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        useOffscreenScreens(config, {{"bench", 1920, 1080}});
    QApplication app(argc, argv);
    Fonts::installSubstitutes();
    Fonts::useScreen();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
