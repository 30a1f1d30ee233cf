// Text and background costs on the real driver: printing a 40-character
// line (ASCII, and UTF-8 that printing decodes), a full-screen grab (with the texture memory it
// takes, against one tile of the driver's largest texture size), and one cross-fade frame. Every
// measured step ends in glFinish, so the driver's work is counted.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <vorlan/app.h>
#include <vorlan/backgrounds.h>
#include <vorlan/fonts.h>
#include <vorlan/sprites.h>

#include <algorithm>
#include <vector>

#include "core/event_pump.h"
#include "gfx2d/draw_state.h"
#include "gfx2d/game_window.h"
#include "gfx2d/tile_sets.h"

namespace vorlan {
namespace {

bool surface(benchmark::State& state, int32_t width, int32_t height) {
    if (gameWindow && (gameWindow->screenWidth != width || gameWindow->screenHeight != height)) {
        delete gameWindow;
        gameWindow = nullptr;
    }
    if (!gameWindow) {
        gameWindow = new GameWindow();
        if (!gameWindow->createSurface(width, height, 0, 0)) {
            state.SkipWithError("no OpenGL window (run under X)");
            return false;
        }
        loadFont("", 0);
        setAutoPause(0);  // frames go on whichever window has the focus
    }
    return true;
}

void printLine(benchmark::State& state, const char* text) {
    if (!surface(state, 320, 240)) return;
    RtString line = text;
    for (auto _ : state) {
        printText(line, 0, 100);
        flushQuads();
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * 40);
}
BENCHMARK_CAPTURE(printLine, ascii, "The snail is 12 cells away: press W now!")
    ->Name("PrintText40Characters")
    ->Unit(benchmark::kMicrosecond);
// The same 40 characters, ten of them two-byte UTF-8.
BENCHMARK_CAPTURE(printLine, utf8,
                  "Th\xC3\xA9 sn\xC3\xA4il \xC3\xAEs 12 c\xC3\xA9lls \xC3\xA0w\xC3\xA4y: "
                  "pr\xC3\xA9ss W n\xC3\xB6w\xC2\xA1")
    ->Name("PrintText40CharactersUtf8")
    ->Unit(benchmark::kMicrosecond);

void grab(benchmark::State& state) {
    int32_t width = static_cast<int32_t>(state.range(0));
    int32_t height = static_cast<int32_t>(state.range(1));
    if (!surface(state, width, height)) return;
    fillRect(0, 0, width, height, 0x336699);
    for (auto _ : state) {
        grabBackground();
        glFinish();
    }
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    double bytes = static_cast<double>(tileSetBytes(0));
    state.counters["tile_MiB"] = bytes / (1 << 20);
    state.counters["largest_tile_MiB"] = 4.0 * largest * largest / (1 << 20);
    state.counters["memory_ratio"] = 4.0 * largest * largest / bytes;
    freeTileSet(0);
}
BENCHMARK(grab)
    ->Name("GrabBackground")
    ->Args({320, 240})
    ->Args({800, 600})
    ->Args({1280, 1024})
    ->Unit(benchmark::kMicrosecond);

void fadeFrame(benchmark::State& state) {
    if (!surface(state, 320, 240)) return;
    fillRect(0, 0, 320, 240, 0x336699);
    grabTileSet(2);
    fillRect(0, 0, 320, 240, 0x993366);
    grabTileSet(1);
    double f = 0.5;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        drawCrossFade(2, 1, f);
        glFinish();
    }
    glDisable(GL_BLEND);
    freeTileSet(1);
    freeTileSet(2);
}
BENCHMARK(fadeFrame)->Name("CrossFadeFrame")->Unit(benchmark::kMicrosecond);

// Whole fade frames as the fade presents them at 60 frames a second: the
// median and the longest frame against the frame time, and how many frames
// took longer than two frame times.
void presentedFadeFrames(benchmark::State& state) {
    if (!surface(state, 320, 240)) return;
    fillRect(0, 0, 320, 240, 0x336699);
    grabTileSet(2);
    grabTileSet(1);
    constexpr double kFrameTime = 1000.0 / 60;
    setFrameLimit(60);
    presentFrame();  // the first frame of the loop starts on a deadline
    std::vector<double> frames;
    for (auto _ : state) {
        double start = clockMs();
        for (int frame = 0; frame < 90; ++frame) {
            double begin = clockMs();
            drawCrossFade(2, 1, 1.0 - frame / 90.0);
            presentFrame();
            frames.push_back(clockMs() - begin);
        }
        state.SetIterationTime((clockMs() - start) / 1000);
    }
    std::sort(frames.begin(), frames.end());
    state.counters["median_frame_ms"] = frames[frames.size() / 2];
    state.counters["longest_frame_ms"] = frames.back();
    state.counters["frames_over_two_frame_times"] = static_cast<double>(
        frames.end() - std::upper_bound(frames.begin(), frames.end(), 2 * kFrameTime));
    state.counters["frames"] = static_cast<double>(frames.size());
    state.counters["frame_time_ms"] = kFrameTime;
    glDisable(GL_BLEND);
    freeTileSet(1);
    freeTileSet(2);
}
BENCHMARK(presentedFadeFrames)
    ->Name("FadeFramesPresented")
    ->UseManualTime()
    ->Iterations(4)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorlan
