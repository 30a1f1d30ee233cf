#include "platform/music_stream.h"

#include <SDL_mixer.h>

#include <algorithm>

#include "platform/audio_device.h"

namespace vorlan::platform {

namespace {

Mix_Music* music = nullptr;

}  // namespace

bool startMusicLoop(const char* path, std::string* why) {
    stopMusicLoop();
    if (!audioDeviceOpen()) return false;
    music = Mix_LoadMUS(path);
    if (!music || Mix_PlayMusic(music, -1) != 0) {
        if (why) *why = Mix_GetError();
        stopMusicLoop();
        return false;
    }
    return true;
}

void stopMusicLoop() {
    if (!music) return;
    if (audioDeviceOpen()) {
        Mix_HaltMusic();
        Mix_FreeMusic(music);
    }
    music = nullptr;
}

void setMusicLevel(int level) {
    if (!music || !audioDeviceOpen()) return;
    level = std::clamp(level, 0, 1000);
    Mix_VolumeMusic((level * MIX_MAX_VOLUME + 500) / 1000);
}

bool musicLoopPlaying() {
    return music && audioDeviceOpen() && Mix_PlayingMusic() != 0;
}

}  // namespace vorlan::platform
