#include <vorlan/app.h>
#include <vorlan/fonts.h>
#include <vorlan/input.h>

#include <algorithm>
#include <cmath>

#include "game/round.h"

namespace quillowen {

double soundVolume = 1.0;

namespace {

using vorlan::kKeyPageDown, vorlan::kKeyPageUp;

bool volumeKeyHeld() {
    return vorlan::keyDown(kKeyPageUp) != 0 || vorlan::keyDown(kKeyPageDown) != 0;
}

}  // namespace

bool adjustVolume(const Round& round, FrameDrawer drawFrame) {
    double step = 0;
    if (vorlan::keyDown(kKeyPageUp) != 0) step = 0.10001;
    if (vorlan::keyDown(kKeyPageDown) != 0) step = -0.09999;
    if (step == 0) return false;
    soundVolume = std::clamp(soundVolume + step, 0.0, 1.0);
    const double percent = std::trunc(soundVolume * 100);
    trace("volume %.0f", percent);
    vorlan::RtString text = "VOL: ";
    text += vorlan::numberToText(percent);
    // The game holds while the key is down, but keeps presenting whole
    // frames: the quit keys and the close box stay live, the frame rate
    // paces the wait, and the screen never shows an empty frame.
    vorlan::printText(text, 32, 96);
    vorlan::presentFrame();
    while (volumeKeyHeld()) {
        drawFrame(round);
        vorlan::printText(text, 32, 96);
        vorlan::presentFrame();
    }
    return true;
}

}  // namespace quillowen
