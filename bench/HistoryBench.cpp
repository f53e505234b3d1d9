// The results window off screen on a 1920×1080 screen: reading a full results file (501 games)
// and drawing it, and one drag move, each beside a baseline measured in the same run (reading
// the file's bytes alone; delivering the same mouse move to a bare window).

#include "Fonts.h"
#include "Form2.h"
#include "HistoryGraph.h"
#include "OffscreenScreens.h"
#include "PlayerData.h"
#include "ResultsFile.h"
#include "TestServices.h"
#include "Twips.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

struct Program : TestServices
{
    Program()
    {
        QByteArray data;
        for (int n = 1; n <= ResultsFile::maxGames; ++n) {
            data += " " + QByteArray::number((n * 37) % 501) + ", " +
                    QByteArray::number(30 + n % 90) + "." + QByteArray::number(n % 10) + ", " +
                    QByteArray::number(n % 9) + ",2026/12/06 21:30:05\r\n";
        }
        QFile file(ResultsFile::path(folder.path(), QStringLiteral("sekai")));
        file.open(QIODevice::WriteOnly);
        file.write(data);
        file.close();
        form2 = std::make_unique<Form2>(services, playerData, nullptr);
        form2->setRegion(QStringLiteral("sekai"), QStringLiteral("世界編"));
    }

    QTemporaryDir folder;
    PlayerData playerData{folder.path(), clock,
                          [this](const QString &text) { messages.show(text); }};
    std::unique_ptr<Form2> form2;
};

Program *program = nullptr;

void sendMove(QWidget *target, int twipsX)
{
    const QPointF at(Twips::toPixels(twipsX), Twips::toPixels(3000));
    QMouseEvent move(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(target, &move);
}

void sendPress(QWidget *target, int twipsX)
{
    const QPointF at(Twips::toPixels(twipsX), Twips::toPixels(3000));
    QMouseEvent press(QEvent::MouseButtonPress, at, target->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

void baselineReadFileBytes(benchmark::State &state)
{
    const QString path = ResultsFile::path(program->folder.path(), QStringLiteral("sekai"));
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(file.readAll());
    }
}

void readAndLayOut(benchmark::State &state)
{
    for (auto _ : state)
        program->form2->loadHistory();
}

void readAndDraw(benchmark::State &state)
{
    Form2 *form2 = program->form2.get();
    QImage canvas(form2->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        form2->loadHistory();
        form2->render(&canvas);
    }
    state.counters["width_px"] = form2->width();
    state.counters["height_px"] = form2->height();
}

void baselineMoveToBareWindow(benchmark::State &state)
{
    QWidget bare;
    bare.resize(program->form2->size());
    bare.show();
    int x = 5850;
    for (auto _ : state) {
        sendMove(&bare, x);
        x = x == 5850 ? 6600 : 5850;
    }
}

// Alternately one game forward and one back, so that every move relabels 30 columns and
// redraws 29 segments.
void dragMove(benchmark::State &state)
{
    Form2 *form2 = program->form2.get();
    form2->loadHistory();
    sendPress(form2, 6000);
    int x = 5850;
    int redrawn = 0;
    for (auto _ : state) {
        const int before = form2->graph().firstShown();
        sendMove(form2, x);
        redrawn += form2->graph().firstShown() != before ? 1 : 0;
        x = x == 5850 ? 6600 : 5850;
    }
    state.counters["moves_that_scrolled"] =
        benchmark::Counter(redrawn, benchmark::Counter::kAvgIterations);
}

void dragMoveAndPaint(benchmark::State &state)
{
    Form2 *form2 = program->form2.get();
    form2->loadHistory();
    sendPress(form2, 6000);
    QImage canvas(form2->size(), QImage::Format_RGB32);
    int x = 5850;
    for (auto _ : state) {
        sendMove(form2, x);
        form2->render(&canvas);
        x = x == 5850 ? 6600 : 5850;
    }
}

} // namespace

BENCHMARK(baselineReadFileBytes)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(readAndLayOut)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(readAndDraw)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(baselineMoveToBareWindow)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(dragMove)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(dragMoveAndPaint)->Repetitions(9)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    QTemporaryDir config;
    // An off-screen 1920×1080 screen, the size the window is meant for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        useOffscreenScreens(config, {{"bench", 1920, 1080}});
    QApplication app(argc, argv);
    Fonts::installSubstitutes();
    Program history;
    program = &history;
    history.form2->show();
    history.form2->activateWindow();
    if (!QTest::qWaitForWindowActive(history.form2.get())) {
        std::fprintf(stderr, "the results window did not become active\n");
        return 1;
    }
    std::printf("results window %dx%d px, %d games\n", history.form2->width(),
                history.form2->height(), history.form2->graph().recordCount());

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
