// A board change counts in the player's time: from the click on the right card to the next
// board laid out with its twelve flags. Beside it, in the same run, the same twelve cards filled
// by plain decoding from disk, and what the game pays once at Start to avoid that.
//
// Runs over the shipped data (data/ of the source tree) with the main window off screen:
//   game_bench [--benchmark_filter=...]

#include "CardPictures.h"
#include "Controls.h"
#include "Fonts.h"
#include "GamePanel.h"
#include "PicturePaths.h"
#include "ShippedProgram.h"

#include <QApplication>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

struct Program : ShippedProgram
{

    QLabel *card(int k) const { return control<QLabel>(form.get(), QStringLiteral("Image4"), k); }
    GamePanel &game() const { return *form->gamePanel(); }
    void start() const { control<QPushButton>(form.get(), QStringLiteral("Command2"))->click(); }
    // Answers right; a game about to end is started afresh first, outside the measurement.
    void answerRight(benchmark::State &state) const
    {
        if (game().session()->questionNumber() >= 15) {
            state.PauseTiming();
            start();
            state.ResumeTiming();
        }
        QMetaObject::invokeMethod(card(game().answerPosition()), "clicked");
    }
};

Program *program = nullptr;

void rightAnswerToNextBoard(benchmark::State &state)
{
    for (auto _ : state)
        program->answerRight(state);
}

void rightAnswerToNextBoardPainted(benchmark::State &state)
{
    for (auto _ : state) {
        program->answerRight(state);
        for (int k = 1; k <= 12; ++k)
            program->card(k)->repaint();
    }
}

// The same twelve cards filled by decoding their pictures from disk at full size.
void baselineTwelvePicturesFromDisk(benchmark::State &state)
{
    const GamePanel &game = program->game();
    for (auto _ : state) {
        for (int k = 1; k <= 12; ++k) {
            const QString id = game.session()->flagIdAt(k);
            QImage image;
            QImageReader(PicturePaths::flag(program->config.appPath, id)).read(&image);
            program->card(k)->setPixmap(QPixmap::fromImage(image));
        }
    }
}

// Paid once at Start, outside the player's time: every flag of the world at card size.
void startDecodesTheWorldAtCardSize(benchmark::State &state)
{
    QStringList ids;
    for (int id = 1; id <= 198; ++id)
        ids << QString::number(id);
    const QSize size = program->card(1)->size();
    for (auto _ : state) {
        CardPictures pictures;
        pictures.prepare(program->config.appPath, ids, size);
        benchmark::DoNotOptimize(pictures.size());
    }
}

} // namespace

BENCHMARK(baselineTwelvePicturesFromDisk)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(rightAnswerToNextBoard)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(rightAnswerToNextBoardPainted)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(startDecodesTheWorldAtCardSize)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    useOffscreenUnlessSet();
    QApplication app(argc, argv);
    Fonts::installSubstitutes();
    Program shipped;
    program = &shipped;
    if (!shipped.load())
        return 1;
    // The world: the largest region, every flag of it on the cards in turn.
    QMetaObject::invokeMethod(control<QWidget>(shipped.form.get(), QStringLiteral("Label11")),
                              "clicked");
    control<QRadioButton>(shipped.form.get(), QStringLiteral("Option2"), 4)->click();
    shipped.start();
    QCoreApplication::processEvents();
    if (!shipped.game().playing()) {
        std::fprintf(stderr, "the game did not start: %s\n",
                     qPrintable(shipped.messages.shown.join(' ')));
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
