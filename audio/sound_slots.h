// The sound device and its slot table: the internal side of the sound
// effect operations, for start-up, shutdown and the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorlan {

namespace platform {
struct SoundSamples;
}

constexpr int kSoundSlotCount = 256;
// The operations address slots 0 to 127; other numbers address nothing.
constexpr int kHighestSoundSlot = 127;
constexpr int kCopiesPerSlot = 4;

struct SoundDevice {
    // False when the platform had no device: every load then fails and
    // every play gives -1.
    bool open = false;
};

struct SoundSlot {
    int32_t count = 0;    // copies in use, 0 when empty
    int32_t current = 0;  // the copy handed out last
    SoundDevice* device = nullptr;
    // One set of samples shared by every copy; copy b plays on mixer
    // channel firstChannel + b.
    platform::SoundSamples* samples = nullptr;
    int32_t firstChannel = 0;
};

// Null before start-up and after shutdown.
extern SoundDevice* soundDevice;
extern SoundSlot* soundSlots;

// Creates the device and the 256 empty slots.
void createSoundDevice();
// Opens the platform's device once the main window exists.
void initSound(SoundDevice& device);
// Nothing to do here: the mixer is not tied to a window.
void setSoundWindow(SoundDevice& device);
// Empties every slot, last to first, closes the device and frees both.
void destroySoundDevice();
// "no audio device", with the platform's reason when it gave one.
std::string noAudioDeviceCause();

// Left and right gains for a play: volume 0..1 and pan -1..1 become
// attenuation in hundredths of a decibel, 1 dB a step; -100 dB is silence.
struct SoundGains {
    float left = 1;
    float right = 1;
};
SoundGains soundGains(double pan, double volume);

// Copy index of the slot to play next, or -1 (a single copy still playing).
int pickBuffer(SoundSlot& slot);

// The device-format frames a slot holds, or null when it is empty.
const int16_t* soundSlotFrames(int slot, size_t& frameCount);

}  // namespace vorlan
