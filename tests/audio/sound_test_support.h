// WAV files built byte by byte, and a sound device whose output SDL's disk
// driver writes to a file of its own, read back as stereo frames.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <vorlan/audio.h>

#include "audio/sound_slots.h"
#include "audio/test_waves.h"
#include "platform/clock.h"
#include "support/temp_folder.h"

namespace vorlan::test {

// Opens the sound device with its output in a file of the test's folder.
class DiskAudio {
  public:
    explicit DiskAudio(const TempFolder& folder, const char* name = "out.raw")
        : path_(folder.file(name)) {
        setenv("SDL_DISKAUDIOFILE", path_.c_str(), 1);
        createSoundDevice();
        initSound(*soundDevice);
    }
    ~DiskAudio() { destroySoundDevice(); }

    // Stereo frames written so far.
    size_t framesWritten() const {
        std::error_code ignored;
        return std::filesystem::file_size(path_, ignored) / 4;
    }
    // Waits until `more` frames beyond the present ones have been mixed.
    void waitFrames(size_t more) const {
        size_t target = framesWritten() + more;
        for (int i = 0; i < 4000 && framesWritten() < target; ++i) platform::sleepMs(5);
    }
    // Closes the device and gives everything it played, interleaved L/R.
    std::vector<int16_t> finish() {
        waitFrames(4096);
        destroySoundDevice();
        std::string bytes = readWholeFile(path_);
        std::vector<int16_t> frames(bytes.size() / 2);
        for (size_t i = 0; i < frames.size(); ++i) {
            frames[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                             static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
        }
        return frames;
    }

  private:
    std::filesystem::path path_;
};

// Frames whose left and right samples are both within ±2 of the levels.
inline size_t framesAt(const std::vector<int16_t>& s, int left, int right) {
    size_t n = 0;
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        if (std::abs(s[i] - left) <= 2 && std::abs(s[i + 1] - right) <= 2) ++n;
    }
    return n;
}

inline int peak(const std::vector<int16_t>& s, size_t channel) {
    int best = 0;
    for (size_t i = channel; i < s.size(); i += 2) best = std::max(best, std::abs(int{s[i]}));
    return best;
}

// Polls until nothing of the handle plays any more.
inline void waitUntilQuiet(double handle) {
    for (int i = 0; i < 4000 && soundPlaying(handle) != 0; ++i) platform::sleepMs(5);
}

}  // namespace vorlan::test
