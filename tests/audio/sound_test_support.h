// SDL's disk driver writing to a file of the test's own (tests run in
// parallel), read back as stereo frames; and WAV files built byte by byte.
#pragma once

#include <vorlan/audio.h>

#include "audio/sound_slots.h"
#include "support/bytes.h"
#include "support/eventually.h"
#include "support/temp_folder.h"

namespace vorlan::test {

struct DiskAudio {
    std::filesystem::path path_;

    explicit DiskAudio(const TempFolder& folder) : path_(folder.file("out.raw")) {
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
        eventually([&] { return framesWritten() >= target; }, 30000, 5);
    }
    // Closes the device and gives everything it played, interleaved L/R.
    std::vector<int16_t> finish() {
        waitFrames(4096);
        destroySoundDevice();
        return le16Samples(readWholeFile(path_));
    }
};

// Frames whose left and right samples are both within ±2 of the levels.
inline size_t framesAt(const std::vector<int16_t>& s, int left, int right) {
    size_t n = 0;
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        n += std::abs(s[i] - left) <= 2 && std::abs(s[i + 1] - right) <= 2;
    }
    return n;
}

inline int peak(const std::vector<int16_t>& s, size_t channel, size_t fromFrame = 0) {
    int best = 0;
    for (size_t i = 2 * fromFrame + channel; i < s.size(); i += 2) {
        best = std::max(best, std::abs(int{s[i]}));
    }
    return best;
}

inline void waitUntilQuiet(double handle) {
    eventually([&] { return soundPlaying(handle) == 0; }, 30000, 5);
}

struct WaveLayout {
    uint16_t tag = 1, channels = 2;
    uint32_t rate = 22050;
    uint16_t bits = 16;
    // Format chunk of 16, 18 or 40 bytes; a 40-byte one's sub-format: 1 PCM, 3 float.
    uint32_t formatSize = 16, subFormat = 1;
    std::vector<std::pair<std::string, std::string>> before;  // tags and bodies after "fmt "
    int64_t dataSize = -1;                                    // -1: the real size
    size_t cut = 0;  // bytes dropped from the end of the file
};

// Frames of one constant level per channel.
inline std::string pcm16(size_t frames, int channels, int16_t level) {
    std::string out;
    for (size_t i = 0; i < frames * static_cast<size_t>(channels); ++i) appendLe(out, level, 2);
    return out;
}

inline std::string waveFile(const WaveLayout& w, const std::string& samples) {
    std::string fmt, body = "WAVE";
    uint16_t block = static_cast<uint16_t>(w.channels * w.bits / 8);
    const std::pair<uint32_t, int> fields[] = {
        {w.tag, 2}, {w.channels, 2}, {w.rate, 4},           {w.rate * block, 4},
        {block, 2}, {w.bits, 2},     {w.formatSize - 18, 2}};
    for (auto [value, bytes] : fields) appendLe(fmt, value, bytes);
    if (w.formatSize >= 40) {
        appendLe(fmt, uint64_t{w.channels == 1 ? 4u : 3u} << 16 | w.bits, 6);
        appendLe(fmt, w.subFormat, 4);
        fmt += std::string("\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 12);
    }
    fmt.resize(w.formatSize, '\0');
    auto put = [&](const std::string& tag, const std::string& bytes, uint32_t size) {
        body += tag;
        appendLe(body, size, 4);
        body += bytes;
        if (tag != "data" && bytes.size() % 2) body += '\0';
    };
    put("fmt ", fmt, static_cast<uint32_t>(fmt.size()));
    for (const auto& [tag, bytes] : w.before) put(tag, bytes, static_cast<uint32_t>(bytes.size()));
    put("data", samples, static_cast<uint32_t>(w.dataSize < 0 ? samples.size() : w.dataSize));
    std::string out = "RIFF";
    appendLe(out, body.size(), 4);
    out += body;
    return out.substr(0, out.size() - w.cut);
}

}  // namespace vorlan::test
