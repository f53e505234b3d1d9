// The two things a player does over and over in the study views: scrolling the gallery by one
// flag and picking a country. A scroll step only moves widgets (the pictures were decoded at
// start-up); a pick reads three pictures from disk. Beside them, in the same run, the disk work
// a scroll step avoids (reading one flag file, decoding one picture).
//
// Runs over the shipped data (data/ of the source tree) with the main window off screen:
//   study_bench [--benchmark_filter=...]

#include "Fonts.h"
#include "PicturePaths.h"
#include "ShippedProgram.h"
#include "StudyView.h"

#include <QApplication>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

using Program = ShippedProgram;

Program *program = nullptr;

void baselineReadOneFlagFile(benchmark::State &state)
{
    int id = 1;
    for (auto _ : state) {
        QFile file(PicturePaths::flag(program->config.appPath, QString::number(id)));
        file.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(file.readAll());
        id = id % 198 + 1;
    }
}

void baselineDecodeOnePicture(benchmark::State &state)
{
    int id = 1;
    for (auto _ : state) {
        QImage image;
        QImageReader(PicturePaths::flag(program->config.appPath, QString::number(id))).read(&image);
        benchmark::DoNotOptimize(image);
        id = id % 198 + 1;
    }
}

void galleryScrollStep(benchmark::State &state)
{
    auto *scroll = program->form->findChild<QScrollBar *>(QStringLiteral("VScroll2"));
    int value = 1;
    for (auto _ : state) {
        value = value % 191 + 1;
        scroll->setValue(value); // the change runs the layout
    }
}

void galleryScrollStepAndPaint(benchmark::State &state)
{
    auto *scroll = program->form->findChild<QScrollBar *>(QStringLiteral("VScroll2"));
    int value = 1;
    for (auto _ : state) {
        value = value % 191 + 1;
        scroll->setValue(value);
        program->form->repaint();
    }
}

void pickFromGallery(benchmark::State &state)
{
    StudyView *study = program->form->studyView();
    int cell = 1;
    for (auto _ : state) {
        study->showFlag(cell);
        cell = cell % 198 + 1;
    }
}

} // namespace

BENCHMARK(baselineReadOneFlagFile)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(galleryScrollStep)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(galleryScrollStepAndPaint)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(baselineDecodeOnePicture)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(pickFromGallery)->Repetitions(9)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    useOffscreenUnlessSet();
    QApplication app(argc, argv);
    Fonts::installSubstitutes();
    Program shipped;
    program = &shipped;
    if (!shipped.load())
        return 1;
    shipped.form->enter(Form1::Mode::StudyByFlag);
    QCoreApplication::processEvents();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
