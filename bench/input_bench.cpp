// What a key query costs now that every query handles the window's pending
// events (so busy loops over keys see keys released), and what one typed
// key costs on its way from SDL's queue through the runtime's records to
// readKeyChar and keyHit. And splitting a command line for runProgram.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <vorlan/input.h>

#include <string>

#include "foreign/command_line.h"
#include "gfx2d/game_window.h"
#include "input/input_state.h"

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

// A press, its text and its release, as the window system hands them to SDL.
void pushTypedKey(SDL_Scancode key, const char* text) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.scancode = key;
    SDL_PushEvent(&event);
    event = SDL_Event{};
    event.type = SDL_TEXTINPUT;
    SDL_strlcpy(event.text.text, text, sizeof event.text.text);
    SDL_PushEvent(&event);
    event = SDL_Event{};
    event.type = SDL_KEYUP;
    event.key.keysym.scancode = key;
    SDL_PushEvent(&event);
}

void typedKeysThroughTheQueue(benchmark::State& state) {
    if (!windowReady(state)) return;
    constexpr int kKeys = 64;
    for (auto _ : state) {
        for (int i = 0; i < kKeys; ++i) pushTypedKey(SDL_SCANCODE_A, "a");
        int typed = 0;
        while (readKeyChar().length() > 0) ++typed;
        benchmark::DoNotOptimize(keyHit(kKeyA));
        if (typed != kKeys) state.SkipWithError("a typed key was lost");
    }
    state.SetItemsProcessed(state.iterations() * kKeys);
}
BENCHMARK(typedKeysThroughTheQueue);

void splitLine(benchmark::State& state) {
    std::string line = R"("C:\Program Files\tool.exe" -o "out dir\\" a\"b c d "e ""f"" g" )";
    while (line.size() < 1000) line += R"(arg\\\"x "quoted arg" )";
    for (auto _ : state) benchmark::DoNotOptimize(splitCommandLine(line));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(line.size()));
}
BENCHMARK(splitLine);

}  // namespace
}  // namespace vorlan
