// Process-wide settings and state of the application frame. Settings are
// fixed before start-up; the rest changes while the program runs.
#pragma once

#include <vorlan/app.h>

namespace vorlan {

extern RuntimeSettings runtimeSettings;

// Where the process stands: operations that find no runtime say which.
enum class RuntimePhase { NotStarted, Configuring, Running, ShutDown };

struct FrameState {
    RuntimePhase phase = RuntimePhase::NotStarted;
    bool escQuits = true;
    bool autoPause = true;
    bool paused = false;
    // Alt+Enter seen by the pump; presentFrame switches between window and
    // fullscreen, between two frames.
    bool fullscreenToggleAsked = false;
    RtString applicationTitle;
    RtString commandLine;
};

extern FrameState frameState;

// Error state: all 0 after start-up.
struct ErrorState {
    double errorNumber = 0;
    double errorLine = 0;
    double currentLine = 0;
    double currentModule = 0;
    // The process's exit code: 1 after a fatal runtime error or a failed
    // start, else 0.
    int exitStatus = 0;
};

extern ErrorState errorState;

}  // namespace vorlan
