// The process entry of every Vorlan game: starts the runtime and hands
// control to the game's gameMain.
#include <cstdio>
#include <string>

#include "app/startup.h"
#include "core/errors.h"
#include "core/runtime_state.h"
#include "gfx2d/game_window.h"
#include "platform/program_path.h"

namespace vorlan {

void runGame(const char* line, int showCommand) {
    frameState.commandLine = line;
    runtimeSettings = RuntimeSettings{};
    configureRuntime(runtimeSettings);
    const char* chosen = runtimeSettings.title;
    std::string title = chosen && *chosen ? chosen : platform::programName();
    startRuntime(title.c_str(), showCommand);
    if (!gameWindow || !gameWindow->windowOpen) {
        // Nothing of the runtime is there to run the game against.
        std::fprintf(stderr, "%s: cannot open an OpenGL window\n", title.c_str());
        endProgram();
    }
    errorState = ErrorState{};
    gameMain();
    endProgram();
}

}  // namespace vorlan

namespace {

// The arguments after the program name as one line, quoted where needed.
std::string joinArguments(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        std::string argument = argv[i];
        bool quote = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
        if (quote) line += '"';
        line += argument;
        if (quote) line += '"';
    }
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    std::string line = joinArguments(argc, argv);
    vorlan::runGame(line.c_str(), 1);
}
