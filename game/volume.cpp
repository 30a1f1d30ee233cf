#include <vorlan/app.h>
#include <vorlan/fonts.h>
#include <vorlan/input.h>
#include <vorlan/sprites.h>

#include <algorithm>
#include <cmath>

#include "game/round.h"

namespace quillowen {

double soundVolume = 1.0;

namespace {

using vorlan::kKeyPageDown, vorlan::kKeyPageUp;

constexpr double kShownMs = 1000;
// 2 dB a step of ten: VOL 50 is -10 dB, VOL 10 -18 dB.
constexpr double kDecibelsPerPercent = 0.2;

vorlan::RtString shownText;
double shownUntil = -1;

bool volumeKeyHeld() {
    return vorlan::keyDown(kKeyPageUp) != 0 || vorlan::keyDown(kKeyPageDown) != 0;
}

double shownPercent() {
    return std::trunc(soundVolume * 100);
}

// On a dark box with the HUD's white edge: bare, the letters are lost on a
// sunlit hedge.
void showVolume() {
    const double width = vorlan::textWidth(shownText);
    vorlan::fillRect(27, 92, width + 10, 16, 16777215);
    vorlan::fillRect(28, 93, width + 8, 14, 0);
    vorlan::printText(shownText, 32, 96);
}

}  // namespace

double playVolume() {
    const double percent = shownPercent();
    if (percent <= 0) return 0;
    const double decibels = std::round((percent - 100) * kDecibelsPerPercent);
    // The runtime's volume counts whole decibels: 1 is 0 dB, each hundredth
    // less 1 dB less. Half a hundredth over, so that its truncation of
    // volume * 100 lands on the step.
    return std::min(1.0, (100 + decibels + 0.5) / 100);
}

bool adjustVolume(const Round& round, FrameDrawer drawFrame) {
    // Every press is a step, even two between frames; Page Down wins.
    const double up = vorlan::keyHit(kKeyPageUp), down = vorlan::keyHit(kKeyPageDown);
    if (up == 0 && down == 0) {
        if (vorlan::elapsedMs() < shownUntil) showVolume();
        return false;
    }
    const double step = down != 0 ? -0.09999 : 0.10001;
    for (double n = down != 0 ? down : up; n > 0; --n) {
        soundVolume = std::clamp(soundVolume + step, 0.0, 1.0);
        trace("volume %.0f", shownPercent());
    }
    shownText = "VOL: ";
    shownText += vorlan::numberToText(shownPercent());
    // The game holds while the key is down, but keeps presenting whole
    // frames: the quit keys and the close box stay live, the frame rate
    // paces the wait, and the screen never shows an empty frame.
    showVolume();
    vorlan::presentFrame();
    while (volumeKeyHeld()) {
        drawFrame(round);
        showVolume();
        vorlan::presentFrame();
    }
    // A tap would flash it for a tenth of a second.
    shownUntil = vorlan::elapsedMs() + kShownMs;
    trace("resume");
    return true;
}

}  // namespace quillowen
