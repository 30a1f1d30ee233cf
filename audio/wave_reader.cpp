#include "audio/wave_reader.h"

#include <cstring>

namespace vorlan {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// The first bytes of the PCM sub-format GUID; the rest is the fixed
// "audio media" suffix shared by every sub-format.
constexpr uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t read16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool readFormat(const uint8_t* body, uint32_t size, WaveFormat& format, const char*& why) {
    why = "a WAV sound of a kind not supported (only PCM is)";
    if (size < 16) return false;
    uint16_t tag = read16(body);
    if (tag == kFormatExtensible) {
        // cbSize (2), valid bits (2), channel mask (4), then the GUID.
        if (size < 40 || std::memcmp(body + 24, kPcmSubFormat, 16) != 0) return false;
    } else if (tag != kFormatPcm) {
        return false;
    }
    format.channels = read16(body + 2);
    uint32_t rate = read32(body + 4);
    format.blockSize = read16(body + 12);
    format.bitsPerSample = read16(body + 14);
    why = "a WAV sound of a kind not supported (only 1 or 2 channels of 8 or 16 bits are)";
    if (format.channels != 1 && format.channels != 2) return false;
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16) return false;
    why = "a broken WAV sound (its format does not add up)";
    if (format.blockSize != format.channels * format.bitsPerSample / 8) return false;
    // The device converts from anything sensible; a zero or absurd rate is
    // a broken header, not a sound.
    if (rate == 0 || rate > 384000) return false;
    format.sampleRate = static_cast<int32_t>(rate);
    return true;
}

}  // namespace

bool parseWave(const uint8_t* bytes, size_t size, WaveData& result, const char** why) {
    const char* ignored = nullptr;
    const char*& reason = why ? *why : ignored;
    result = WaveData{};
    reason = "not a WAV sound";
    if (!bytes || size < 12) return false;
    if (std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) {
        return false;
    }
    reason = "a broken WAV sound (cut short, or no sound data)";
    bool haveFormat = false;
    size_t at = 12;
    while (size - at >= 8) {
        const uint8_t* header = bytes + at;
        uint32_t chunkSize = read32(header + 4);
        at += 8;
        size_t left = size - at;
        if (std::memcmp(header, "data", 4) == 0) {
            if (!haveFormat || chunkSize > left) return false;
            size_t usable = chunkSize - chunkSize % static_cast<uint32_t>(result.format.blockSize);
            // A buffer needs at least one frame.
            if (usable == 0) return false;
            result.samples = bytes + at;
            result.byteCount = usable;
            return true;
        }
        if (chunkSize > left) return false;
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (!readFormat(bytes + at, chunkSize, result.format, reason)) return false;
            reason = "a broken WAV sound (cut short, or no sound data)";
            haveFormat = true;
        }
        at += chunkSize;
        // Chunks of odd size carry a pad byte; a file may end right there.
        if ((chunkSize & 1) != 0 && at < size) ++at;
    }
    return false;
}

}  // namespace vorlan
