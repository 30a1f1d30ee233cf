// Showing the game's 320 x 240 surface in the window, against today's
// direct path (the game drawing straight into a window of its own size):
//   - ScalingPass: the surface shown in the window at scale 1 and 3, copied
//     on the processor (as on this software renderer) or drawn with OpenGL
//     (as on any other); nothing to do on the direct path;
//   - Present: that pass and the buffer swap, as presentFrame makes them;
//   - GameFrame: one round frame of Quillowen drawn, shown and the next back
//     buffer prepared, against the 16.7 ms a frame has at 60 frames a second.
// Arguments: the scale (0: the direct path) and 1 for drawn with OpenGL.
// Every iteration ends in glFinish; the software rasterizer draws on the
// calling thread (LP_NUM_THREADS=0 unless set), so CPU time is all the work.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "game/media.h"
#include "game/round.h"
#include "gfx2d/game_window.h"

namespace {

using vorlan::gameWindow;

// The game window at `scale` (0: drawn straight), with the game's pictures.
bool useWindow(const benchmark::State& state) {
    static int64_t current = -1;
    int scale = static_cast<int>(state.range(0));
    bool drawn = state.range(1) != 0;
    if (scale * 2 + drawn == current) return gameWindow != nullptr;
    delete gameWindow;
    gameWindow = new vorlan::GameWindow();
    vorlan::SurfaceOptions options{
        .scale = scale == 0 ? 1 : scale, .offscreen = scale != 0, .copyOnSoftwareRenderer = !drawn};
    if (!gameWindow->createSurface(320, 240, 0, 0, options) ||
        gameWindow->drawsOffscreen() != (scale != 0)) {
        std::fprintf(stderr, "no OpenGL window with framebuffer objects (run under xvfb-run)\n");
        std::exit(1);
    }
    quillowen::loadPictures();
    current = scale * 2 + drawn;
    return true;
}

quillowen::Round& round() {
    static quillowen::Round r = [] {
        quillowen::Round made;
        quillowen::setUpRound(made);
        return made;
    }();
    return r;
}

void BM_ScalingPass(benchmark::State& state) {
    useWindow(state);
    quillowen::drawRoundFrame(round());
    for (auto _ : state) {
        bool copied = gameWindow->showSurface();
        glFinish();
        benchmark::DoNotOptimize(copied);
    }
}
BENCHMARK(BM_ScalingPass)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({3, 0})
    ->Args({1, 1})
    ->Args({3, 1})
    ->Unit(benchmark::kMicrosecond);

void BM_Present(benchmark::State& state) {
    useWindow(state);
    quillowen::drawRoundFrame(round());
    for (auto _ : state) {
        gameWindow->presentSurface();
        glFinish();
    }
}
BENCHMARK(BM_Present)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({3, 0})
    ->Args({1, 1})
    ->Args({3, 1})
    ->Unit(benchmark::kMicrosecond);

void BM_GameFrame(benchmark::State& state) {
    useWindow(state);
    for (auto _ : state) {
        quillowen::drawRoundFrame(round());
        gameWindow->presentSurface();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        vorlan::prepareBackBuffer();
        glFinish();
    }
}
BENCHMARK(BM_GameFrame)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({3, 0})
    ->Args({1, 1})
    ->Args({3, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("LP_NUM_THREADS", "0", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete gameWindow;
    return 0;
}
