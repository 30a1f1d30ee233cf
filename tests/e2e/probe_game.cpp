// A small game for driving the runtime from outside. Its command line says
// what to do:
//   debug      run in debug mode (end report in the log)
//   noesc      Escape does not quit
//   error9     raise runtime error 9 after 10 frames
//   ret        return from gameMain after 10 frames
//   where      print the working directory and elapsedMs at the start
//   still      present no frame for 4 s, so the start-up screen stays shown
// It prints "frame N" every 30 frames so a driver can see frames advance.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>

#include <vorlan/vorlan.h>

namespace {

bool hasWord(const char* word) {
    return std::strstr(vorlan::commandLine().cStr(), word);
}

}  // namespace

void vorlan::configureRuntime(RuntimeSettings& settings) {
    if (hasWord("debug")) settings.debugMode = 1;
}

void vorlan::gameMain() {
    if (hasWord("noesc")) setEscQuits(0);
    if (hasWord("still")) {
        std::puts("still");
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::seconds(4));
    }
    if (hasWord("where")) {
        std::printf("cwd %s\nelapsed %f\n", std::filesystem::current_path().c_str(), elapsedMs());
        std::fflush(stdout);
    }
    for (long frame = 1;; ++frame) {
        if (frame % 30 == 0) {
            std::printf("frame %ld\n", frame);
            std::fflush(stdout);
        }
        if (frame == 10 && hasWord("error9")) {
            raiseError(9);
            endProgram();
        }
        if (frame == 10 && hasWord("ret")) return;
        presentFrame();
    }
}
