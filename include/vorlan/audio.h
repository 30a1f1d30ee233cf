// Sound effects in numbered slots, looping music, and video in the window.
#pragma once

#include <vorlan/rt_string.h>

namespace vorlan {

// --- Sound effects --------------------------------------------------------

// Loads a WAV file (PCM, 8 or 16 bits, mono or stereo) into a slot (0 to
// 127) with 1 to 4 copies that can overlap. A failed load leaves the slot
// empty and names the file and the cause on standard error and in the log;
// a slot number outside 0 to 127 loads nothing and touches no slot.
void loadSound(const RtString& fileName, double slot, double copies);
// Plays the slot's next copy once; pan -1 left to 1 right, volume 0 to 1 in
// 1 dB steps down to -100 dB. Returns the handle 256 * slot + copy, or -1
// when nothing was played (empty slot, a slot number outside 0 to 127, or a
// single copy still playing).
double playSound(double slot, double pan, double volume);
// 1 while the copy behind the handle plays, else 0.
double soundPlaying(double handle);
// Stops every copy of every slot; the sounds stay loaded.
void stopAllSounds();

// --- Music and video ------------------------------------------------------

// Stops the current music, then loops the file (WAV, OGG Vorbis, Opus, MP3,
// ...) until stopMusic or the next playMusic. A file that is not found or
// that no installed decoder plays gives silence and a line naming it.
void playMusic(const RtString& fileName);
// Stops the music; nothing when none plays.
void stopMusic();
// 1 is normal; clamped to 0..1. Without music it does nothing.
void setMusicVolume(double volume);
// Plays a video in the game window, blocking until it ends, a character
// key is typed or a mouse button is pressed. A file that is not found or
// that no installed decoder plays returns at once with a line naming it.
void playVideo(const RtString& fileName);
// The same, repeating the video until a key or a mouse button ends it.
void playVideoLooped(const RtString& fileName);

}  // namespace vorlan
