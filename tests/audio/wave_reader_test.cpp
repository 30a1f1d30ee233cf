#include <gtest/gtest.h>

#include "audio/sound_test_support.h"

namespace vorlan::test {
namespace {

std::string pcm8(size_t frames, int channels, uint8_t value) {
    return std::string(frames * static_cast<size_t>(channels), static_cast<char>(value));
}

std::string pcm24(size_t frames) {
    return std::string(frames * 3, '\x10');
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
    WaveLayout fmt18;
    fmt18.formatSize = 18;
    WaveLayout fmt40;
    fmt40.formatSize = 40;
    fmt40.tag = 0xFFFE;
    WaveLayout list;
    list.before = {{"LIST", std::string("INFOISFT\x05\0\0\0Lavf5\0", 17)}};
    WaveLayout factList = fmt18;
    factList.before = {{"fact", std::string("\xE8\x03\0\0", 4)}, {"odd ", "abc"}};
    WaveLayout truncated;
    truncated.cut = 10;
    WaveLayout hugeData;
    hugeData.dataSize = 0xFFFFFFFF;
    WaveLayout partialFrame;
    partialFrame.dataSize = 4000 - 3;
    WaveLayout mono8;
    mono8.channels = 1;
    mono8.bits = 8;
    WaveLayout stereo8;
    stereo8.bits = 8;
    WaveLayout mono11k;
    mono11k.channels = 1;
    mono11k.rate = 11025;
    WaveLayout stereo44k;
    stereo44k.rate = 44100;
    WaveLayout floats;
    floats.tag = 3;
    floats.bits = 32;
    WaveLayout floatsExtensible = fmt40;
    floatsExtensible.subFormat = 3;
    WaveLayout bits24;
    bits24.bits = 24;
    bits24.channels = 1;
    WaveLayout sixChannels;
    sixChannels.channels = 6;
    WaveLayout noData;
    noData.dataSize = 0;
    const WaveCase cases[] = {
        {"format chunk of 16", {}, stereo, 1000, 1234, 1234},
        {"format chunk of 18", fmt18, stereo, 1000, 1234, 1234},
        {"extensible PCM, 40", fmt40, stereo, 1000, 1234, 1234},
        {"LIST chunk", list, stereo, 1000, 1234, 1234},
        {"fact and an odd chunk", factList, stereo, 1000, 1234, 1234},
        {"partial last frame", partialFrame, stereo, 999, 1234, 1234},
        {"8-bit mono", mono8, pcm8(1000, 1, 0x90), 1000, 0x1000, 0x1000},
        {"8-bit stereo", stereo8, pcm8(1000, 2, 0x70), 1000, -0x1000, -0x1000},
        {"11025 Hz mono", mono11k, pcm16(1000, 1, -700), 2000, -700, -700},
        {"44100 Hz stereo", stereo44k, stereo, 500, 1234, 1234},
        {"truncated data", truncated, stereo, 0, 0, 0},
        {"data size 0xFFFFFFFF", hugeData, stereo, 0, 0, 0},
        {"no sample data", noData, "", 0, 0, 0},
        {"float", floats, pcm16(1000, 4, 0), 0, 0, 0},
        {"extensible float", floatsExtensible, stereo, 0, 0, 0},
        {"24-bit", bits24, pcm24(1000), 0, 0, 0},
        {"6 channels", sixChannels, pcm16(1000, 6, 5), 0, 0, 0},
    };
    TempFolder folder;
    DiskAudio audio(folder);
    for (const WaveCase& c : cases) {
        SCOPED_TRACE(c.what);
        writeWholeFile(folder.file("case.wav"), waveFile(c.layout, c.samples));
        loadSound(folder.file("case.wav").c_str(), 9, 2);
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
    std::string good = waveFile({}, pcm16(100, 2, 500));
    std::string notRiff = good;
    notRiff[0] = 'X';
    std::string notWave = good;
    notWave[8] = 'X';
    const std::string files[] = {"",      good.substr(0, 11), good.substr(0, 30), notRiff,
                                 notWave, good.substr(0, 44)};
    TempFolder folder;
    DiskAudio audio(folder);
    for (const std::string& bytes : files) {
        // A good sound first, so that a refused load must empty the slot.
        writeWholeFile(folder.file("good.wav"), good);
        loadSound(folder.file("good.wav").c_str(), 4, 1);
        ASSERT_EQ(soundSlots[4].count, 1);
        writeWholeFile(folder.file("bad.wav"), bytes);
        loadSound(folder.file("bad.wav").c_str(), 4, 1);
        EXPECT_EQ(soundSlots[4].count, 0) << bytes.size();
    }
    loadSound(folder.file("missing.wav").c_str(), 4, 1);
    EXPECT_EQ(playSound(4, 0, 1), -1);
    // Names written with backslashes find the file as well.
    std::string backslashed = folder.file("good.wav").string();
    backslashed[backslashed.rfind('/')] = '\\';
    loadSound(backslashed.c_str(), 4, 1);
    EXPECT_EQ(soundSlots[4].count, 1);
}

}  // namespace
}  // namespace vorlan::test
