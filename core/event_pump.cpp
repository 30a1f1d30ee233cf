#include "core/event_pump.h"

#include "core/runtime_state.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/window.h"

namespace vorlan {

namespace {

void setPaused(bool paused) {
    if (runtimeSettings.debugMode != 0 || !frameState.autoPause) return;
    frameState.paused = paused;
    if (paused) {
        RtString caption = concat(frameState.applicationTitle, " <pause>");
        platform::setWindowTitle(caption.cStr());
    } else {
        platform::setWindowTitle(frameState.applicationTitle.cStr());
    }
}

void handleWindowEvent(platform::WindowEvent event) {
    switch (event) {
        case platform::WindowEvent::FocusLost:
            setPaused(true);
            break;
        case platform::WindowEvent::FocusGained:
            setPaused(false);
            break;
        case platform::WindowEvent::ToggleFullscreen:
            frameState.fullscreenToggleAsked = true;
            break;
        case platform::WindowEvent::Close:
            endProgram();
    }
}

}  // namespace

double clockMs() {
    return platform::nowMs();
}

int pumpMessages() {
    platform::pumpEvents(handleWindowEvent);
    return 1;
}

}  // namespace vorlan
