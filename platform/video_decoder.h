// Video files decoded by GStreamer into RGBA frames for the game window and
// 22050 Hz stereo sound for the mixer. GStreamer starts on the first video.
#pragma once

#include <cstdint>
#include <string>

namespace vorlan::platform {

struct VideoDecoder;

// Opens and prerolls the file. Null when GStreamer cannot start or the
// file decodes to neither pictures nor sound; `why` then gives the cause
// (the decoders that are missing, or GStreamer's error). A file that opens
// with a missing decoder for one of its streams names it in `why` too.
VideoDecoder* openVideo(const char* path, std::string* why = nullptr);
void closeVideo(VideoDecoder* video);

// The picture size; 0 × 0 for a file with sound only.
void videoSize(const VideoDecoder* video, int& width, int& height);

// Starts playback on the system clock; the sound goes to the mixer.
bool startVideo(VideoDecoder* video);
// Back to the first frame after the end, for looping.
bool rewindVideo(VideoDecoder* video);

// Waits up to `timeoutMs` for the next frame due; its RGBA rows (width × 4
// bytes each, top first) stay valid until the next call. Null when none.
const uint8_t* nextVideoFrame(VideoDecoder* video, double timeoutMs);

enum class VideoState { Playing, Ended, Failed };
VideoState videoState(VideoDecoder* video);

}  // namespace vorlan::platform
