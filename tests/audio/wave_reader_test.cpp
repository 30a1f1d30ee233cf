#include <gtest/gtest.h>

#include "audio/sound_test_support.h"

// The cases name only the fields they change; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace vorlan::test {
namespace {

std::string pcm8(size_t frames, int channels, uint8_t value) {
    return std::string(frames * static_cast<size_t>(channels), static_cast<char>(value));
}

struct WaveCase {
    const char* what;
    WaveLayout layout;
    std::string samples;
    // Device frames the slot should hold (0: refused) and their level.
    size_t frames;
    int16_t left;
    int16_t right;
};

TEST(WaveFiles, TheChunkWalkLoadsEveryOrdinaryFileAndRefusesTheRest) {
    const std::string stereo = pcm16(1000, 2, 1234);
    const std::string list("INFOISFT\x05\0\0\0Lavf5\0", 17);
    const std::vector<Chunk> factAndOdd = {{"fact", std::string("\xE8\x03\0\0", 4)},
                                           {"odd ", "abc"}};
    const WaveCase cases[] = {
        {"format chunk of 16", {}, stereo, 1000, 1234, 1234},
        {"format chunk of 18", {.formatSize = 18}, stereo, 1000, 1234, 1234},
        {"extensible PCM, 40", {.tag = 0xFFFE, .formatSize = 40}, stereo, 1000, 1234, 1234},
        {"LIST chunk", {.before = {{"LIST", list}}}, stereo, 1000, 1234, 1234},
        {"fact, odd chunk", {.formatSize = 18, .before = factAndOdd}, stereo, 1000, 1234, 1234},
        {"partial last frame", {.dataSize = 4000 - 3}, stereo, 999, 1234, 1234},
        {"8-bit mono", {.channels = 1, .bits = 8}, pcm8(1000, 1, 0x90), 1000, 0x1000, 0x1000},
        {"8-bit stereo", {.bits = 8}, pcm8(1000, 2, 0x70), 1000, -0x1000, -0x1000},
        {"11025 Hz mono", {.channels = 1, .rate = 11025}, pcm16(1000, 1, -700), 2000, -700, -700},
        {"44100 Hz stereo", {.rate = 44100}, stereo, 500, 1234, 1234},
        {"truncated data", {.cut = 10}, stereo, 0, 0, 0},
        {"data size 0xFFFFFFFF", {.dataSize = 0xFFFFFFFF}, stereo, 0, 0, 0},
        {"no sample data", {.dataSize = 0}, "", 0, 0, 0},
        {"float", {.tag = 3, .bits = 32}, pcm16(1000, 4, 0), 0, 0, 0},
        {"extensible float", {.tag = 0xFFFE, .formatSize = 40, .subFormat = 3}, stereo, 0, 0, 0},
        {"24-bit", {.channels = 1, .bits = 24}, pcm8(3000, 1, 0x10), 0, 0, 0},
        {"6 channels", {.channels = 6}, pcm16(1000, 6, 5), 0, 0, 0},
    };
    TempFolder folder;
    DiskAudio audio(folder);
    const std::string name = folder.file("case.wav").string();
    for (const WaveCase& c : cases) {
        SCOPED_TRACE(c.what);
        writeWholeFile(name, waveFile(c.layout, c.samples));
        loadSound(name.c_str(), 9, 2);
        size_t frames = 0;
        const int16_t* data = soundSlotFrames(9, frames);
        EXPECT_EQ(playSound(9, 0, 1) >= 0, c.frames > 0);
        stopAllSounds();
        if (c.frames == 0) {
            EXPECT_EQ(data, nullptr);
            continue;
        }
        ASSERT_NE(data, nullptr);
        // Resampling may round the length and soften the edges.
        EXPECT_NEAR(static_cast<double>(frames), static_cast<double>(c.frames), 4);
        std::vector<int16_t> middle(data + frames / 2 * 2, data + frames / 2 * 2 + 2);
        EXPECT_EQ(framesAt(middle, c.left, c.right), 1u);
    }
}

TEST(WaveFiles, BrokenHeadersAndMissingFilesLeaveTheSlotEmpty) {
    TempFolder folder;
    DiskAudio audio(folder);
    const std::string good = waveFile({}, pcm16(100, 2, 500));
    const std::string goodName = folder.file("good.wav").string();
    const std::string broken[] = {"", good.substr(0, 11), good.substr(0, 30), "X" + good.substr(1),
                                  good.substr(0, 8) + "X" + good.substr(9)};
    writeWholeFile(goodName, good);
    for (const std::string& bytes : broken) {
        loadSound(goodName.c_str(), 4, 1);
        writeWholeFile(folder.file("bad.wav"), bytes);
        loadSound(folder.file("bad.wav").c_str(), 4, 1);
        EXPECT_EQ(soundSlots[4].count, 0) << bytes.size();
    }
    loadSound(goodName.c_str(), 4, 1);
    loadSound(folder.file("missing.wav").c_str(), 4, 1);
    EXPECT_EQ(playSound(4, 0, 1), -1);
    // Names written with backslashes find the file as well.
    std::string backslashed = goodName;
    backslashed[backslashed.rfind('/')] = '\\';
    loadSound(backslashed.c_str(), 4, 1);
    EXPECT_EQ(soundSlots[4].count, 1);
}

}  // namespace
}  // namespace vorlan::test
