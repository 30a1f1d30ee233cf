// Reading WAV files: the RIFF chunk walk and the checks of the sample
// format. Pure parsing over bytes, so that the fuzz target reaches it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorlan {

struct WaveFormat {
    int32_t channels = 0;       // 1 or 2
    int32_t sampleRate = 0;     // frames per second, > 0
    int32_t bitsPerSample = 0;  // 8 (unsigned) or 16 (signed)
    int32_t blockSize = 0;      // bytes per frame
};

struct WaveData {
    WaveFormat format;
    // The sample bytes inside the parsed buffer; a trailing partial frame is
    // already cut off, and the bytes always lie within the buffer.
    const uint8_t* samples = nullptr;
    size_t byteCount = 0;
};

// Walks the chunks: "RIFF" / "WAVE", a "fmt " chunk of at least 16 bytes,
// any other chunk skipped with its pad byte, up to "data". Only PCM (plain
// or extensible with the PCM sub-format), 8 or 16 bits, 1 or 2 channels and
// a matching block size are accepted. A data chunk that claims more bytes
// than the buffer holds fails, and `why`, when given, says why for a person.
bool parseWave(const uint8_t* bytes, size_t size, WaveData& result, const char** why = nullptr);

}  // namespace vorlan
