// One round's frame, set-up and commit hit test, against the 16.7 ms a
// frame has at 60 frames a second. Runs in a real OpenGL window.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <vorlan/value.h>

#include "game/media.h"
#include "game/round.h"
#include "gfx2d/game_window.h"

namespace {

// A window with the game's media in its slots, as the game has it.
struct GameWindow {
    GameWindow() {
        vorlan::gameWindow = new vorlan::GameWindow();
        ready = vorlan::gameWindow->createSurface(320, 240, 0, 0);
        if (ready) {
            vorlan::gameWindow->setup2D(0, 0, 0, 0);
            quillowen::loadPictures();
        }
        vorlan::seedGenerator(7);
    }
    bool ready = false;
};

GameWindow& window() {
    static GameWindow w;
    return w;
}

void BM_RoundFrame(benchmark::State& state) {
    if (!window().ready) return state.SkipWithError("no OpenGL window");
    quillowen::Round round;
    quillowen::setUpRound(round);
    for (auto _ : state) {
        quillowen::drawRoundFrame(round);
        glFinish();
    }
}
// The drawing runs on the OpenGL driver's threads: wall time is what counts.
BENCHMARK(BM_RoundFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RoundSetUp(benchmark::State& state) {
    for (auto _ : state) {
        quillowen::Round round;
        benchmark::DoNotOptimize(quillowen::setUpRound(round));
    }
}
BENCHMARK(BM_RoundSetUp)->Unit(benchmark::kMillisecond);

void BM_CommitHitTest(benchmark::State& state) {
    if (!window().ready) return state.SkipWithError("no OpenGL window");
    quillowen::Round round;
    quillowen::setUpRound(round);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            quillowen::figureAtCentre(round.field, round.scrollX, round.scrollY));
    }
}
BENCHMARK(BM_CommitHitTest)->Unit(benchmark::kMillisecond);

}  // namespace
