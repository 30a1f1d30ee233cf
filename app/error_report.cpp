#include "core/errors.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/startup.h"
#include "core/runtime_state.h"
#include "input/input_state.h"
#include "input/keyboard.h"
#include "platform/debugger.h"
#include "platform/window.h"
#include "value/number_conversion.h"

namespace vorlan {

namespace {

void appendNumberLine(double value) {
    char line[16];
    std::snprintf(line, sizeof line, "%d", truncateToInt32(value));
    appendErrorLog(line);
}

}  // namespace

void endProgram() {
    shutdownRuntime();
    if (runtimeSettings.debugMode != 0) {
        appendErrorLog("-End On Line");
        appendNumberLine(errorState.errorNumber);
        appendNumberLine(errorState.errorLine - 1);
        appendNumberLine(errorState.currentLine);
        appendNumberLine(errorState.currentModule);
    }
    std::fflush(stdout);
    std::exit(errorState.exitStatus);
}

void debugBreak(double value) {
    int32_t number = truncateToInt32(value);
    if (!platform::debuggerAttached()) return;
    char text[32] = {};
    std::snprintf(text, sizeof text, "BP%x", static_cast<uint32_t>(number));
    platform::hideWindow();
    platform::sendDebugString(text);
    frameState.paused = false;
    readKeyboard();
    markNewFrame();
}

void debugOutput(const char* text) {
    if (!platform::debuggerAttached()) return;
    std::string message = "TX";
    message += text ? text : "";
    platform::sendDebugString(message.c_str());
}

void openConsole() {
    // A Linux process already has standard input and output from its
    // terminal (or whatever launched it); there is no console to allocate.
}

}  // namespace vorlan
