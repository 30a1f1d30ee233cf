// A sound device whose output SDL's disk driver writes to a file of the
// test's own (tests run in parallel), read back as stereo frames.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <vorlan/audio.h>

#include "audio/sound_slots.h"
#include "audio/test_waves.h"
#include "platform/clock.h"
#include "support/temp_folder.h"

namespace vorlan::test {

class DiskAudio {
  public:
    explicit DiskAudio(const TempFolder& folder, const char* name = "out.raw")
        : path_(folder.file(name)) {
        setenv("SDL_DISKAUDIOFILE", path_.c_str(), 1);
        createSoundDevice();
        initSound(*soundDevice);
    }
    ~DiskAudio() { destroySoundDevice(); }

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
        std::vector<int16_t> samples(bytes.size() / 2);  // little-endian, as the host
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
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

inline int peak(const std::vector<int16_t>& s, size_t channel, size_t fromFrame = 0) {
    int best = 0;
    for (size_t i = 2 * fromFrame + channel; i < s.size(); i += 2)
        best = std::max(best, std::abs(int{s[i]}));
    return best;
}

inline void waitUntilQuiet(double handle) {
    for (int i = 0; i < 4000 && soundPlaying(handle) != 0; ++i) platform::sleepMs(5);
}

}  // namespace vorlan::test
