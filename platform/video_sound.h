// A video's sound, mixed after the sound effects and the music.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorlan::platform {

// Starts adding queued sound to the mixer's output; nothing without a
// device.
void startVideoSound();
// Queues interleaved stereo frames at the device rate; safe from any
// thread. Sound more than a second ahead of the mixer is dropped.
void queueVideoSound(const int16_t* frames, size_t frameCount);
// Frames queued and not yet mixed.
size_t queuedVideoSound();
void stopVideoSound();

}  // namespace vorlan::platform
