// The game's pictures and sounds in their slots. Each loader logs "cannot
// load NAME" for every file that did not load: a missing picture would
// otherwise turn every commit into a loss without a word.
#pragma once

namespace quillowen {

inline constexpr double kSoundFail = 0, kSoundWin = 1, kSoundRoundStart = 2;

void loadPictures();
void loadSounds();

// Appends "cannot load NAME" to the log.
void logNotLoaded(const char* file);

}  // namespace quillowen
