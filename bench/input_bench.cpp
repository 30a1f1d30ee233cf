// What a key query costs now that every query handles the window's pending
// events (so busy loops over keys see keys released): keyDown against the
// bare keyboard snapshot it adds the event pump to, in the same window.
// And splitting a command line for runProgram.
#include <benchmark/benchmark.h>
#include <vorlan/input.h>

#include <string>

#include "foreign/command_line.h"
#include "gfx2d/game_window.h"
#include "input/input_state.h"
#include "platform/keyboard.h"

namespace vorlan {
namespace {

bool windowReady(benchmark::State& state) {
    if (!gameWindow) {
        gameWindow = new GameWindow();
        if (!gameWindow->createSurface(320, 240, 0, 0)) {
            state.SkipWithError("no OpenGL window (run under X)");
            return false;
        }
        createInputState();
        initInput(false);
    }
    return true;
}

void keyDownWithPump(benchmark::State& state) {
    if (!windowReady(state)) return;
    for (auto _ : state) benchmark::DoNotOptimize(keyDown(200));
}
BENCHMARK(keyDownWithPump);

void snapshotOnly(benchmark::State& state) {
    if (!windowReady(state)) return;
    uint8_t keys[platform::kKeyCount];
    for (auto _ : state) {
        platform::snapshotKeyboard(keys);
        benchmark::DoNotOptimize(keys[200]);
    }
}
BENCHMARK(snapshotOnly);

void splitLine(benchmark::State& state) {
    std::string line = R"("C:\Program Files\tool.exe" -o "out dir\\" a\"b c d "e ""f"" g" )";
    while (line.size() < 1000) line += R"(arg\\\"x "quoted arg" )";
    for (auto _ : state) benchmark::DoNotOptimize(splitCommandLine(line));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(line.size()));
}
BENCHMARK(splitLine);

}  // namespace
}  // namespace vorlan
