#include "platform/audio_device.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/music_stream.h"
#include "platform/video_sound.h"

namespace vorlan::platform {

struct SoundSamples {
    std::vector<uint8_t> bytes;
    size_t offset = 0;      // where the frames start in bytes
    size_t frameBytes = 0;  // how many bytes of frames follow
    Mix_Chunk* chunk = nullptr;
};

namespace {

struct ChannelGain {
    float left = 1;
    float right = 1;
};

bool deviceOpen = false;
std::string openFailure;
std::vector<ChannelGain> channelGains;

int16_t scaleSample(int16_t sample, float gain) {
    float v = std::nearbyint(static_cast<float>(sample) * gain);
    return static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f));
}

// Runs on the mixer thread over the channel's own samples, before mixing.
void applyGain(int, void* stream, int length, void* userData) {
    const ChannelGain gain = *static_cast<const ChannelGain*>(userData);
    auto* frames = static_cast<int16_t*>(stream);
    int count = length / static_cast<int>(sizeof(int16_t) * kDeviceChannels);
    for (int i = 0; i < count; ++i) {
        frames[2 * i] = scaleSample(frames[2 * i], gain.left);
        frames[2 * i + 1] = scaleSample(frames[2 * i + 1], gain.right);
    }
}

}  // namespace

bool openAudioDevice(int mixerChannels) {
    if (deviceOpen) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        openFailure = SDL_GetError();
        return false;
    }
    if (Mix_OpenAudioDevice(kDeviceRate, AUDIO_S16SYS, kDeviceChannels, 1024, nullptr, 0) != 0) {
        openFailure = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    openFailure.clear();
    Mix_AllocateChannels(mixerChannels);
    channelGains.assign(static_cast<size_t>(mixerChannels), ChannelGain{});
    deviceOpen = true;
    return true;
}

void closeAudioDevice() {
    if (!deviceOpen) return;
    // Music and a video's sound belong to the device and go with it.
    stopMusicLoop();
    stopVideoSound();
    Mix_HaltChannel(-1);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    deviceOpen = false;
}

const std::string& audioDeviceFailure() {
    return openFailure;
}

bool audioDeviceOpen() {
    return deviceOpen;
}

SoundSamples* makeSoundSamples(std::vector<uint8_t>&& file, size_t offset, size_t bytes,
                               int channels, int rate, int bitsPerSample) {
    if (!deviceOpen || bytes == 0 || bytes > 0x3FFFFFFF || offset > file.size() ||
        bytes > file.size() - offset) {
        return nullptr;
    }
    SDL_AudioCVT cvt;
    SDL_AudioFormat format = bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    if (SDL_BuildAudioCVT(&cvt, format, static_cast<Uint8>(channels), rate, AUDIO_S16SYS,
                          kDeviceChannels, kDeviceRate) < 0) {
        return nullptr;
    }
    auto* samples = new SoundSamples;
    if (!cvt.needed && offset % alignof(int16_t) == 0) {
        samples->bytes = std::move(file);
        samples->offset = offset;
    } else {
        samples->bytes.assign(file.data() + offset, file.data() + offset + bytes);
    }
    uint8_t* start = samples->bytes.data() + samples->offset;
    size_t converted = bytes;
    if (cvt.needed) {
        // The conversion works in place and may need more room than it ends with.
        samples->bytes.resize(bytes * static_cast<size_t>(std::max(cvt.len_mult, 1)));
        start = samples->bytes.data();
        cvt.buf = start;
        cvt.len = static_cast<int>(bytes);
        if (SDL_ConvertAudio(&cvt) != 0) {
            delete samples;
            return nullptr;
        }
        converted = static_cast<size_t>(cvt.len_cvt);
    }
    converted -= converted % (sizeof(int16_t) * kDeviceChannels);
    samples->frameBytes = converted;
    samples->chunk = converted ? Mix_QuickLoad_RAW(start, static_cast<Uint32>(converted)) : nullptr;
    if (!samples->chunk) {
        delete samples;
        return nullptr;
    }
    return samples;
}

void freeSoundSamples(SoundSamples* samples) {
    if (!samples) return;
    // Mix_FreeChunk halts the channels that still play the chunk.
    if (deviceOpen) Mix_FreeChunk(samples->chunk);
    delete samples;
}

const int16_t* soundSampleFrames(const SoundSamples* samples, size_t& frameCount) {
    frameCount = samples ? samples->frameBytes / (sizeof(int16_t) * kDeviceChannels) : 0;
    return samples ? reinterpret_cast<const int16_t*>(samples->bytes.data() + samples->offset)
                   : nullptr;
}

bool playOnChannel(int channel, SoundSamples* samples, float leftGain, float rightGain) {
    if (!deviceOpen || !samples || channel < 0 ||
        static_cast<size_t>(channel) >= channelGains.size()) {
        return false;
    }
    Mix_HaltChannel(channel);
    // Effects end with the play they were registered for.
    Mix_UnregisterAllEffects(channel);
    ChannelGain& gain = channelGains[static_cast<size_t>(channel)];
    gain = {leftGain, rightGain};
    if (leftGain != 1.0f || rightGain != 1.0f) {
        if (Mix_RegisterEffect(channel, applyGain, nullptr, &gain) == 0) return false;
    }
    return Mix_PlayChannel(channel, samples->chunk, 0) == channel;
}

bool channelPlaying(int channel) {
    if (!deviceOpen || channel < 0 || static_cast<size_t>(channel) >= channelGains.size()) {
        return false;
    }
    return Mix_Playing(channel) != 0;
}

void haltChannel(int channel) {
    if (!deviceOpen || channel < 0 || static_cast<size_t>(channel) >= channelGains.size()) {
        return;
    }
    Mix_HaltChannel(channel);
}

}  // namespace vorlan::platform
