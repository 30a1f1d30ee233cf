// Looping music on SDL2_mixer's music stream (every format the mixer
// decodes). Plays only while the sound device is open.
#pragma once

#include <string>

namespace vorlan::platform {

// Stops any music, then loops the file endlessly. False when the file
// cannot be opened or there is no device; `why` then holds the mixer's
// reason when it gave one.
bool startMusicLoop(const char* path, std::string* why = nullptr);
void stopMusicLoop();
// 0 silent to 1000 normal.
void setMusicLevel(int level);
bool musicLoopPlaying();

}  // namespace vorlan::platform
