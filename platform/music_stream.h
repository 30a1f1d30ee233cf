// Looping music on SDL2_mixer's music stream (every format the mixer
// decodes). Plays only while the sound device is open.
#pragma once

namespace vorlan::platform {

// Stops any music, then loops the file endlessly. False when the file
// cannot be opened or there is no device.
bool startMusicLoop(const char* path);
void stopMusicLoop();
// 0 silent to 1000 normal.
void setMusicLevel(int level);
bool musicLoopPlaying();

}  // namespace vorlan::platform
