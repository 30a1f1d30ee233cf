#include "platform/video_sound.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <deque>
#include <mutex>

#include "platform/audio_device.h"

namespace vorlan::platform {

namespace {

constexpr size_t kMostQueued = kDeviceRate * kDeviceChannels;

std::mutex queueLock;
std::deque<int16_t> queued;
bool mixing = false;

// Runs on the mixer thread after every channel and the music are mixed.
void addQueuedSound(void*, Uint8* stream, int length) {
    auto* out = reinterpret_cast<int16_t*>(stream);
    size_t count = static_cast<size_t>(length) / sizeof(int16_t);
    std::lock_guard<std::mutex> hold(queueLock);
    size_t take = std::min(count, queued.size());
    for (size_t i = 0; i < take; ++i) {
        int sum = out[i] + queued[i];
        out[i] = static_cast<int16_t>(std::clamp(sum, -32768, 32767));
    }
    queued.erase(queued.begin(), queued.begin() + static_cast<std::ptrdiff_t>(take));
}

}  // namespace

void startVideoSound() {
    if (!audioDeviceOpen() || mixing) return;
    {
        std::lock_guard<std::mutex> hold(queueLock);
        queued.clear();
        mixing = true;
    }
    Mix_SetPostMix(addQueuedSound, nullptr);
}

void queueVideoSound(const int16_t* frames, size_t frameCount) {
    std::lock_guard<std::mutex> hold(queueLock);
    if (!mixing) return;
    size_t count = frameCount * kDeviceChannels;
    if (queued.size() + count > kMostQueued) return;
    queued.insert(queued.end(), frames, frames + count);
}

size_t queuedVideoSound() {
    std::lock_guard<std::mutex> hold(queueLock);
    return queued.size() / kDeviceChannels;
}

void stopVideoSound() {
    if (!mixing) return;
    // Mix_SetPostMix waits for the mixer, so the queue is free afterwards.
    if (audioDeviceOpen()) Mix_SetPostMix(nullptr, nullptr);
    std::lock_guard<std::mutex> hold(queueLock);
    queued.clear();
    mixing = false;
}

}  // namespace vorlan::platform
