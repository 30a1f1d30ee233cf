#include "app/startup.h"

#include <vorlan/fonts.h>
#include <vorlan/input.h>
#include <vorlan/sprites.h>
#include <vorlan/value.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/frame_loop.h"
#include "audio/music.h"
#include "audio/sound_slots.h"
#include "core/errors.h"
#include "core/runtime_state.h"
#include "files/file_channels.h"
#include "files/media_archive.h"
#include "foreign/library_table.h"
#include "gfx2d/fonts.h"
#include "gfx2d/game_window.h"
#include "gfx2d/png_decoder.h"
#include "gfx2d/window_scale.h"
#include "input/input_state.h"
#include "net/session.h"
#include "platform/clock.h"
#include "platform/program_path.h"
#include "platform/window.h"
#include "value/number_conversion.h"
#include "value/random.h"

namespace vorlan {

namespace {

// The folder of the program file: relative names of the game are looked up
// beside the program, wherever it was started from.
std::string programFolder() {
    std::string path = platform::programPath();
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// The built-in font first, so that font 0 exists whatever the file does;
// then the font file beside the program, when there is one.
void showLoadingScreen() {
    double width = 0, height = 0;
    getScreenSize(width, height);
    loadStartupFont();
    double cellWidth = 0, cellHeight = 0;
    getFontSize(cellWidth, cellHeight);
    const RtString text = "Loading...";
    printText(text, (width - text.length() * cellWidth) * 0.5, (height - cellHeight) * 0.5);
    presentFrame();
}

}  // namespace

// A game may define its own; this one keeps the defaults.
__attribute__((weak)) void configureRuntime(RuntimeSettings&) {}

const RtString& commandLine() {
    return frameState.commandLine;
}

void setEscQuits(double enabled) {
    frameState.escQuits = truthOf(enabled);
}

void setAutoPause(double enabled) {
    frameState.autoPause = truthOf(enabled);
}

int startRuntime(const char* title, int showCommand) {
    const RuntimeSettings& s = runtimeSettings;
    if (s.screenWidth <= 0 || s.screenHeight <= 0 || s.scale < 0) {
        // Refused before anything is made.
        std::fprintf(stderr,
                     "%s: window size %d x %d at scale %d refused: the width and height must be "
                     "1 or more, the scale 0 (automatic) or more\n",
                     title ? title : "", s.screenWidth, s.screenHeight, s.scale);
        std::exit(1);
    }
    frameState.autoPause = true;
    // The old log goes before the window is made, so that the window's own
    // diagnostics (software OpenGL) survive into the new log.
    deleteErrorLog();

    gameWindow = new GameWindow();
    SurfaceOptions surface;
    surface.scale = scaleSetting(s.scale);
    surface.offscreen = !directDrawingAsked();
    if (!gameWindow->createSurface(s.screenWidth, s.screenHeight, 0, s.multisampleSamples,
                                   surface)) {
        return 0;
    }
    startFramePacing(s.frameRate);
    platform::setWindowTitle(title);
    frameState.applicationTitle = title;

    createInputState();
    createSoundDevice();

    // The clock in milliseconds, truncated to 32 bits, unless a replay asks
    // for a seed of its own.
    seedGenerator(startupSeed(static_cast<uint32_t>(static_cast<uint64_t>(platform::nowMs()))));

    if (s.fullScreen == 0) {
        gameWindow->leaveFullscreen();
    } else {
        gameWindow->enterFullscreen();
    }
    initSound(*soundDevice);
    setSoundWindow(*soundDevice);

    initInput(s.exclusiveMouse != 0);

    std::string folder = programFolder();
    if (!folder.empty()) platform::changeDirectory(folder);
    // A game can ship as one file: its media archive appended to the program.
    initMediaArchives(platform::programPath().c_str());

    setFont(0);
    clearScreen();
    restartFrameClock();
    swapAndWait();
    gameWindow->setup2D(0, 0, 0, 0);
    showLoadingScreen();
    frameState.paused = false;

    restartFrameClock();
    if (showCommand == 0) {
        gameWindow->hideSurface();
        platform::hideWindow();
    }
    setPointerMode(s.exclusiveMouse == 0 ? 1 : 0);
    std::puts("Init OK");
    std::fflush(stdout);
    return 0;
}

void shutdownRuntime() {
    frameState.phase = RuntimePhase::ShutDown;
    // Pending INI and data changes reach the disk before anything else goes.
    shutdownFiles();
    closeMusic();
    delete gameWindow;
    gameWindow = nullptr;
    shutdownInput();
    destroyInputState();
    destroySoundDevice();
    closeNetworkSession();
    shutdownMediaArchives();
    releasePngReadContext();
    // Last: anything above may still call into a foreign library.
    closeForeignLibraries();
}

}  // namespace vorlan
