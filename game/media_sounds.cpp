#include <vorlan/audio.h>

#include "game/media.h"

namespace quillowen {

namespace {

struct Sound {
    const char* file;
    double slot;
};

const Sound kSounds[] = {
    {"fail.wav", kSoundFail}, {"win.wav", kSoundWin}, {"wenvoke.wav", kSoundRoundStart}};

}  // namespace

void loadSounds() {
    for (const Sound& s : kSounds) vorlan::loadSound(s.file, s.slot, 1);
    // A silent play is the one way to ask whether a slot holds a sound;
    // stopping them all frees the single copies for the first round.
    for (const Sound& s : kSounds) {
        if (vorlan::playSound(s.slot, 0, 0) < 0) logNotLoaded(s.file);
    }
    vorlan::stopAllSounds();
}

}  // namespace quillowen
