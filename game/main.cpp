// Quillowen: find the girl among her look-alikes before the snail reaches
// her. The runtime calls gameMain once it has started.
#include <vorlan/vorlan.h>

#include "game/field.h"
#include "game/media.h"
#include "game/round.h"
#include "game/score.h"

namespace {

constexpr double kResultMs = 2000;

// Takes every key press and click since the last call; true when there was
// any.
bool anyPress() {
    bool pressed = false;
    for (int key = 1; key < 256; ++key) pressed = vorlan::keyHit(key) != 0 || pressed;
    for (int button : {vorlan::kMouseLeft, vorlan::kMouseRight, vorlan::kMouseMiddle}) {
        pressed = vorlan::mouseHit(button) != 0 || pressed;
    }
    return pressed;
}

// The result picture stays after its fade until the player presses a key,
// or for two seconds: the next maze would otherwise cut in at once. Presses
// during the fade do not count.
void holdResult() {
    anyPress();
    quillowen::trace("result shown");
    const double shownAt = vorlan::elapsedMs();
    for (;;) {
        const bool pressed = anyPress();
        const double held = vorlan::elapsedMs() - shownAt;
        if (pressed || held >= kResultMs) {
            // By the game's own clock: a busy machine delays whoever watches.
            quillowen::trace("result held %.0f ms", held);
            return quillowen::trace(pressed ? "result ended by a key" : "result ended by time");
        }
        vorlan::presentFrame();
    }
}

}  // namespace

void vorlan::configureRuntime(vorlan::RuntimeSettings& settings) {
    settings.title = "Quillowen";
}

void vorlan::gameMain() {
    using namespace quillowen;
    setFrameLimit(60);
    setPointerMode(1);
    FIELD_SIZE = 50;
    loadPictures();
    loadSounds();
    soundVolume = 1.0;
    loadBestRun();
    for (double round = 1;; ++round) {
        trace("round %.0f", round);
        playSound(kSoundRoundStart, 0, playVolume());
        const double result = runRound();
        countRound(result);
        if (result == 0) {
            playSound(kSoundFail, 0, playVolume());
            fadeToBackground("failed.png");
        } else {
            playSound(kSoundWin, 0, playVolume());
            fadeToBackground("win.png");
        }
        holdResult();
        clearScreen();
    }
}
