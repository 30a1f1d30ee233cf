#include <vorlan/audio.h>
#include <vorlan/input.h>

#include <string>

#include "audio/video_screen.h"
#include "core/event_pump.h"
#include "core/warnings.h"
#include "files/media_archive.h"
#include "gfx2d/game_window.h"
#include "platform/clock.h"
#include "platform/temp_dir.h"
#include "platform/video_decoder.h"
#include "platform/video_sound.h"
#include "platform/window.h"

namespace vorlan {

namespace {

constexpr double kFrameWaitMs = 5;
// Between pictures the loop sleeps on the decoder: reading the input and
// the window's messages once a picture, or every 40 ms, keeps a key press
// quick to answer without polling.
constexpr double kPictureWaitMs = 40;

// What ends a video: a newly typed character key or a held mouse button.
bool videoInterrupted() {
    return keyCharPressed() != 0 || anyMouseButton() != 0;
}

// A key already down when the video starts must not end it at once.
void waitForQuietInput() {
    for (;;) {
        pumpMessages();
        if (!videoInterrupted()) return;
        platform::sleepMs(kFrameWaitMs);
    }
}

// The sound of the last pictures is still queued when the pictures end.
void finishSound() {
    for (int wait = 0; wait < 200 && platform::queuedVideoSound() > 0; ++wait) {
        if (videoInterrupted()) return;
        pumpMessages();
        platform::sleepMs(kFrameWaitMs);
    }
}

void runVideo(platform::VideoDecoder* video, bool looped) {
    int width = 0;
    int height = 0;
    platform::videoSize(video, width, height);
    // Into the game's surface, which the window shows at its scale.
    int clientWidth = gameWindow->screenWidth;
    int clientHeight = gameWindow->screenHeight;
    VideoRect rect = videoPlacement(width, height, clientWidth, clientHeight);
    VideoScreen screen(width, height);
    waitForQuietInput();
    platform::startVideoSound();
    if (!platform::startVideo(video)) {
        platform::stopVideoSound();
        return;
    }
    for (;;) {
        if (const uint8_t* frame = platform::nextVideoFrame(video, kPictureWaitMs)) {
            screen.show(frame, rect, clientWidth, clientHeight);
        }
        // Reading the input pumps the window's messages too.
        if (videoInterrupted()) break;
        platform::VideoState state = platform::videoState(video);
        if (state == platform::VideoState::Failed) break;
        if (state == platform::VideoState::Ended && !(looped && platform::rewindVideo(video))) {
            finishSound();
            break;
        }
    }
    platform::stopVideoSound();
}

void playVideoFile(const RtString& fileName, bool looped) {
    // The pictures need the game window.
    if (!gameWindow) return warnRuntimeAbsent(looped ? "playVideoLooped" : "playVideo");
    if (!gameWindow->contextReady) return;
    RtString resolved;
    if (!resolveMediaName(fileName.cStr(), resolved)) {
        return warnFailedFile("play video", fileName.cStr(), "", notFoundCause(fileName.cStr()));
    }
    std::string why;
    platform::VideoDecoder* video =
        platform::openVideo(platform::nativePath(resolved.cStr()).c_str(), &why);
    if (!video) return warnFailedFile("play video", fileName.cStr(), "", why);
    if (!why.empty()) warnFailedFile("play all of video", fileName.cStr(), "", why);
    runVideo(video, looped);
    platform::closeVideo(video);
}

}  // namespace

void playVideo(const RtString& fileName) {
    playVideoFile(fileName, false);
}

void playVideoLooped(const RtString& fileName) {
    playVideoFile(fileName, true);
}

}  // namespace vorlan
