// Feeds arbitrary bytes to the WAV chunk walk.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "audio/wave_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vorlan::WaveData wave;
    if (!vorlan::parseWave(data, size, wave)) return 0;
    const vorlan::WaveFormat& f = wave.format;
    // An accepted file names a format the device converts, and whole frames
    // that lie inside the input.
    if (f.channels < 1 || f.channels > 2 || (f.bitsPerSample != 8 && f.bitsPerSample != 16) ||
        f.blockSize != f.channels * f.bitsPerSample / 8 || f.sampleRate <= 0) {
        std::abort();
    }
    if (wave.byteCount == 0 || wave.byteCount % static_cast<size_t>(f.blockSize) != 0) std::abort();
    if (wave.samples < data || wave.samples + wave.byteCount > data + size) std::abort();
    uint32_t sum = 0;
    for (size_t i = 0; i < wave.byteCount; ++i) sum += wave.samples[i];
    return sum == UINT32_MAX ? 1 : 0;
}
