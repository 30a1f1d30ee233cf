// Quillowen: find the girl among her look-alikes before the snail reaches
// her. The runtime calls gameMain once it has started.
#include <vorlan/vorlan.h>

#include "game/field.h"
#include "game/media.h"
#include "game/round.h"

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
    for (double round = 1;; ++round) {
        trace("round %.0f", round);
        playSound(kSoundRoundStart, 0, soundVolume);
        if (runRound() == 0) {
            playSound(kSoundFail, 0, soundVolume);
            fadeToBackground("failed.png");
        } else {
            playSound(kSoundWin, 0, soundVolume);
            fadeToBackground("win.png");
        }
        clearScreen();
    }
}
