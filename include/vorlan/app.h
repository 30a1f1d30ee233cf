// Vorlan application frame: start-up settings, the frame loop, the clock,
// runtime errors and the log.
#pragma once

#include <cstdint>

#include <vorlan/rt_string.h>

namespace vorlan {

// --- Start-up -------------------------------------------------------------

// Settings fixed before the runtime starts.
struct RuntimeSettings {
    // The surface the game draws on, in pixels: 1 or more each.
    int32_t screenWidth = 320;
    int32_t screenHeight = 240;
    // Frames per second.
    int32_t frameRate = 60;
    // Non-zero: fullscreen on the desktop's own mode, the picture at the
    // largest whole scale with black around it. Alt+Enter switches.
    int32_t fullScreen = 0;
    // The window is the surface times this whole number; 0 picks the
    // largest that fits the desktop (panels excluded). VORLAN_SCALE
    // overrides it (VORLAN_SCALE=1: a window of the surface's own size).
    int32_t scale = 0;
    // Samples per pixel (0: none; a multisampled surface is drawn straight
    // into a window of its own size, at scale 1), the captured mouse, and
    // debug mode.
    int32_t multisampleSamples = 0;
    int32_t exclusiveMouse = 0;
    int32_t debugMode = 0;
    // The window caption; nullptr or "" is the program file's name.
    const char* title = nullptr;
};

// Every game defines gameMain; the runtime's own main() starts the runtime
// and then calls it. When it returns, the program ends through endProgram.
void gameMain();

// A game may also define configureRuntime to change the settings before
// the runtime starts; without it the defaults above hold.
void configureRuntime(RuntimeSettings& settings);

// The command line after the program name, as one text.
const RtString& commandLine();

// Escape ends the program from presentFrame while set (initially on).
void setEscQuits(double enabled);
// The program pauses in presentFrame while its window has lost the focus
// (initially on); a game in a network session turns it off.
void setAutoPause(double enabled);

// --- Frames and time ------------------------------------------------------

// Ends the frame: quit keys, buffer swap, wait for the next frame deadline,
// and a fresh back buffer. May end the program.
void presentFrame();
// Frames per second; 0 or negative means a 2 ms frame time.
void setFrameLimit(double framesPerSecond);
// Milliseconds since start-up finished.
double elapsedMs();
// Milliseconds between the last two presentFrame calls (1 when not positive).
double frameDuration();
// Polls briefly (about 75 ms at most) until any key, mouse or joystick input.
void idleUntilInput();

// Surface size in pixels.
void getScreenSize(double& width, double& height);
// Whole-word search of the OpenGL extension string.
bool hasExtension(const char* name);

// --- Errors and the log ---------------------------------------------------

// The runtime error numbers the runtime itself raises.
enum class RuntimeError : int {
    FileFailed = 3,       // a file read or write failed
    OutOfRange = 7,       // an argument out of range, or no storage
    IndexOutOfRange = 9,  // an array index out of range
};

// Records a runtime error number; fatal errors then call endProgram.
double raiseError(double code);
double raiseError(RuntimeError error);
// Records where the game is (a module and a line number of its own); a
// runtime error and the end report in debug mode name that line.
void setCurrentLine(double module, double line);
// Shuts the runtime down and exits with code 0; never returns.
[[noreturn]] void endProgram();
// Appends a line to "ErrorLog.txt" in the temporary directory.
void appendErrorLog(const char* text);
inline void appendErrorLog(const RtString& text) {
    appendErrorLog(text.cStr());
}
// Messages for an attached debugger ("BP" + hex number, "TX" + text);
// nothing without one.
void debugBreak(double number);
// Sends "TX" + text to an attached debugger; nothing without one.
void debugOutput(const char* text);
inline void debugOutput(const RtString& text) {
    debugOutput(text.cStr());
}
// Does nothing: the program already has the standard streams it was
// started with.
void openConsole();

}  // namespace vorlan
