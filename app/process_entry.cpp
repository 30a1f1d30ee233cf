// The process entry of every Vorlan game: starts the runtime and hands
// control to the game's gameMain.
#include <string>

#include "app/startup.h"
#include "core/errors.h"
#include "core/runtime_state.h"
#include "core/warnings.h"
#include "gfx2d/game_window.h"
#include "platform/program_path.h"
#include "platform/window.h"

namespace vorlan {

void runGame(const char* line, int showCommand) {
    frameState.commandLine = line;
    runtimeSettings = RuntimeSettings{};
    frameState.phase = RuntimePhase::Configuring;
    configureRuntime(runtimeSettings);
    const char* chosen = runtimeSettings.title;
    std::string title = chosen && *chosen ? chosen : platform::programName();
    startRuntime(title.c_str(), showCommand);
    if (!gameWindow || !gameWindow->windowOpen) {
        // Nothing of the runtime is there to run the game against.
        const std::string& why = platform::windowFailure();
        reportFatal(why.empty() ? "cannot open a window" : "cannot open a window: " + why);
        errorState.exitStatus = 1;
        endProgram();
    }
    frameState.phase = RuntimePhase::Running;
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
