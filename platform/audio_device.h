// The sound device on SDL2_mixer: 22050 Hz, 16-bit, stereo, a fixed number
// of mixer channels, and sample blocks converted to that format once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorlan::platform {

constexpr int kDeviceRate = 22050;
constexpr int kDeviceChannels = 2;

// Opens the default output with exactly the device format (SDL may not
// change it) and `mixerChannels` channels. False when there is no device.
bool openAudioDevice(int mixerChannels);
// Why the last open failed, in SDL's words; "" when it did not.
const std::string& audioDeviceFailure();
void closeAudioDevice();
bool audioDeviceOpen();

// Samples converted to the device format, playable on any number of
// channels at once.
struct SoundSamples;

// Converts 8-bit unsigned or 16-bit signed PCM of 1 or 2 channels at any
// rate, found at `offset` in `file`. Samples already in the device format
// are played where they lie, without a copy: the file's bytes are taken
// over. Null when the device is closed or the conversion fails.
SoundSamples* makeSoundSamples(std::vector<uint8_t>&& file, size_t offset, size_t bytes,
                               int channels, int rate, int bitsPerSample);
// Halts every channel that plays them first.
void freeSoundSamples(SoundSamples* samples);
// The converted stereo frames, interleaved left/right.
const int16_t* soundSampleFrames(const SoundSamples* samples, size_t& frameCount);

// Starts the samples once on `channel` from the start, scaled by the two
// gains (applied as floats, so that small gains are not lost to the
// mixer's 128 volume steps). False when the mixer refuses.
bool playOnChannel(int channel, SoundSamples* samples, float leftGain, float rightGain);
bool channelPlaying(int channel);
void haltChannel(int channel);

}  // namespace vorlan::platform
