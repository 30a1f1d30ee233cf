#include <vorlan/audio.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/sound_slots.h"
#include "audio/wave_reader.h"
#include "core/warnings.h"
#include "files/media_archive.h"
#include "platform/audio_device.h"
#include "platform/temp_dir.h"
#include "value/number_conversion.h"

namespace vorlan {

SoundDevice* soundDevice = nullptr;
SoundSlot* soundSlots = nullptr;

namespace {

constexpr int kSilence = -10000;
// Files larger than this are not sound effects; refusing them early keeps a
// hostile size from turning into a huge allocation.
constexpr long kLargestWaveFile = 256L * 1024 * 1024;

// Slot number as the operations see it: truncated; -1 for a number outside
// 0..127, which addresses nothing (taking the nearest slot would replace a
// sound the game loaded).
int operationSlot(double slot) {
    // Tested on the double: NaN or a huge number must not truncate into range.
    return slot > -1 && slot < kHighestSoundSlot + 1 ? static_cast<int>(slot) : -1;
}

int channelOf(const SoundSlot& slot, int copy) {
    return slot.firstChannel + copy;
}

void emptySlot(SoundSlot& slot) {
    if (slot.samples) {
        for (int b = 0; b < slot.count; ++b) platform::haltChannel(channelOf(slot, b));
        platform::freeSoundSamples(slot.samples);
        slot.samples = nullptr;
    }
    slot.count = 0;
}

bool readWholeFile(const char* path, std::vector<uint8_t>& bytes, std::string& why) {
    std::FILE* file = std::fopen(path, "rbe");
    if (!file) {
        why = fileErrorCause(errno);
        return false;
    }
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(file) : -1;
    why = size > kLargestWaveFile ? "too large for a sound effect" : "cannot be read";
    ok = ok && size >= 0 && size <= kLargestWaveFile && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(static_cast<size_t>(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    std::fclose(file);
    return ok;
}

platform::SoundSamples* readWaveFile(const char* path, std::string& why) {
    std::vector<uint8_t> bytes;
    WaveData wave;
    const char* waveWhy = nullptr;
    if (!readWholeFile(path, bytes, why)) return nullptr;
    if (!parseWave(bytes.data(), bytes.size(), wave, &waveWhy)) {
        why = waveWhy;
        return nullptr;
    }
    size_t offset = static_cast<size_t>(wave.samples - bytes.data());
    why = "its samples cannot be converted for the sound device";
    return platform::makeSoundSamples(std::move(bytes), offset, wave.byteCount,
                                      wave.format.channels, wave.format.sampleRate,
                                      wave.format.bitsPerSample);
}

// "" when loaded, else the cause for a person.
std::string loadSlot(SoundSlot& slot, SoundDevice* device, const char* path, int32_t count) {
    emptySlot(slot);
    slot.current = 0;
    slot.device = device;
    count = std::clamp(count, 1, kCopiesPerSlot);
    if (!device || !device->open) return noAudioDeviceCause();
    std::string why;
    slot.samples = readWaveFile(path, why);
    if (!slot.samples) return why;
    slot.count = count;
    return "";
}

int playSlot(SoundSlot& slot, const SoundGains& gains) {
    if (!slot.device || !slot.device->open || slot.count == 0) return -1;
    int copy = pickBuffer(slot);
    if (copy < 0) return -1;
    if (!platform::playOnChannel(channelOf(slot, copy), slot.samples, gains.left, gains.right)) {
        return -1;
    }
    return copy;
}

float gainOf(int hundredthsOfDecibel) {
    if (hundredthsOfDecibel <= kSilence) return 0;
    return static_cast<float>(std::pow(10.0, hundredthsOfDecibel / 2000.0));
}

}  // namespace

std::string noAudioDeviceCause() {
    const std::string& reason = platform::audioDeviceFailure();
    return reason.empty() ? "no audio device" : "no audio device (" + reason + ")";
}

void createSoundDevice() {
    if (soundDevice) return;
    soundDevice = new SoundDevice;
    soundSlots = new SoundSlot[kSoundSlotCount];
    for (int i = 0; i <= kHighestSoundSlot; ++i) soundSlots[i].firstChannel = i * kCopiesPerSlot;
}

void initSound(SoundDevice& device) {
    device.open = platform::openAudioDevice((kHighestSoundSlot + 1) * kCopiesPerSlot);
}

void setSoundWindow(SoundDevice&) {}

void destroySoundDevice() {
    if (soundSlots) {
        for (int i = kSoundSlotCount - 1; i >= 0; --i) emptySlot(soundSlots[i]);
        delete[] soundSlots;
        soundSlots = nullptr;
    }
    if (soundDevice) {
        if (soundDevice->open) platform::closeAudioDevice();
        delete soundDevice;
        soundDevice = nullptr;
    }
}

SoundGains soundGains(double pan, double volume) {
    // A NaN volume is silence, a NaN pan the centre.
    if (std::isnan(volume)) volume = 0;
    if (std::isnan(pan)) pan = 0;
    int level = static_cast<int>(std::clamp(volume * 100, 0.0, 100.0)) * 100 + kSilence;
    int balance = static_cast<int>(std::clamp(pan, -1.0, 1.0) * 10000);
    // Panning to one side attenuates the other by the pan amount.
    return {gainOf(level - std::max(balance, 0)), gainOf(level + std::min(balance, 0))};
}

int pickBuffer(SoundSlot& slot) {
    if (slot.count == 0 || !slot.samples) return -1;
    if (platform::channelPlaying(channelOf(slot, slot.current))) {
        if (slot.count == 1) return -1;
        slot.current = (slot.current + 1) % slot.count;
        // The copy whose turn it is gets cut off and restarted.
        platform::haltChannel(channelOf(slot, slot.current));
    }
    return slot.current;
}

const int16_t* soundSlotFrames(int slot, size_t& frameCount) {
    frameCount = 0;
    if (!soundSlots || slot < 0 || slot >= kSoundSlotCount) return nullptr;
    return soundSlots[slot].count
               ? platform::soundSampleFrames(soundSlots[slot].samples, frameCount)
               : nullptr;
}

void loadSound(const RtString& fileName, double slot, double copies) {
    if (!soundSlots) return warnRuntimeAbsent("loadSound");
    int index = operationSlot(slot);
    std::string target = " into sound slot " + numberText(slot);
    if (index < 0) {
        return warnFailedFile("load sound", fileName.cStr(), target,
                              "slot number " + outOfRange(kHighestSoundSlot));
    }
    RtString resolved;
    bool found = resolveMediaName(fileName.cStr(), resolved) != 0;
    std::string path = platform::nativePath(resolved.cStr());
    std::string why =
        loadSlot(soundSlots[index], soundDevice, path.c_str(), truncateToInt32(copies));
    if (why.empty()) return;
    if (!found && soundDevice->open) why = notFoundCause(fileName.cStr());
    warnFailedFile("load sound", fileName.cStr(), target, why);
}

double playSound(double slot, double pan, double volume) {
    if (!soundSlots) {
        warnRuntimeAbsent("playSound");
        return -1;
    }
    int index = operationSlot(slot);
    if (index < 0) {
        warnBadNumber("sound slot", slot, kHighestSoundSlot, "nothing played");
        return -1;
    }
    int copy = playSlot(soundSlots[index], soundGains(pan, volume));
    return copy < 0 ? -1 : 256.0 * index + copy;
}

double soundPlaying(double handle) {
    if (!soundSlots || !(handle >= 0)) return 0;
    int32_t n = truncateToInt32(handle);
    int slot = n / 256;
    int copy = n % 256;
    if (slot >= kSoundSlotCount || copy >= soundSlots[slot].count) return 0;
    return platform::channelPlaying(channelOf(soundSlots[slot], copy)) ? 1 : 0;
}

void stopAllSounds() {
    if (!soundSlots) return;
    for (int i = 0; i <= kHighestSoundSlot; ++i) {
        for (int b = 0; b < soundSlots[i].count; ++b) {
            platform::haltChannel(channelOf(soundSlots[i], b));
        }
    }
}

}  // namespace vorlan
