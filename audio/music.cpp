#include "audio/music.h"

#include <vorlan/audio.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "audio/sound_slots.h"
#include "core/warnings.h"
#include "files/media_archive.h"
#include "platform/audio_device.h"
#include "platform/music_stream.h"
#include "platform/temp_dir.h"

namespace vorlan {

namespace {

// The resolved name of the playing music; made on the first playMusic.
RtString* musicFile = nullptr;
// Set from a playMusic whose name resolved until the music is stopped,
// also when the file itself could not be played.
bool musicOpen = false;

}  // namespace

void playMusic(const RtString& fileName) {
    stopMusic();
    if (!musicFile) musicFile = new RtString;
    if (!resolveMediaName(fileName.cStr(), *musicFile)) {
        return warnFailedFile("play music", fileName.cStr(), "", notFoundCause(fileName.cStr()));
    }
    musicOpen = true;
    std::string why;
    if (!platform::audioDeviceOpen()) {
        warnFailedFile("play music", fileName.cStr(), "", noAudioDeviceCause());
    } else if (!platform::startMusicLoop(platform::nativePath(musicFile->cStr()).c_str(), &why)) {
        warnFailedFile("play music", fileName.cStr(), "",
                       "no installed decoder plays it (SDL_mixer: " + why + ")");
    }
    platform::setMusicLevel(1000);
}

void stopMusic() {
    platform::stopMusicLoop();
    musicOpen = false;
}

void setMusicVolume(double volume) {
    if (!musicOpen) return;
    // NaN is treated as silence, like a sound's volume.
    double level = std::isnan(volume) ? 0 : std::clamp(volume, 0.0, 1.0);
    platform::setMusicLevel(static_cast<int>(level * 1000));
}

void closeMusic() {
    stopMusic();
    delete musicFile;
    musicFile = nullptr;
}

}  // namespace vorlan
