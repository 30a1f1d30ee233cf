#include <gtest/gtest.h>

#include <limits>

#include "audio/music.h"
#include "audio/sound_test_support.h"

namespace vorlan::test {
namespace {

constexpr size_t kPulse = 441;
constexpr size_t kPeriod = 2205;
constexpr int16_t kLevel = 3000;

// One period: a pulse of kLevel, then silence.
std::string writeMusic(const TempFolder& folder) {
    std::string samples = pcm16(kPulse, 2, kLevel) + pcm16(kPeriod - kPulse, 2, 0);
    writeWholeFile(folder.file("tune.wav"), waveFile({}, samples));
    return folder.file("tune.wav").string();
}

struct Pulse {
    size_t length;
    int level;
};

std::vector<Pulse> pulses(const std::vector<int16_t>& heard) {
    std::vector<Pulse> found;
    for (size_t i = 0; i + 1 < heard.size(); i += 2) {
        if (heard[i] == 0) continue;
        if (i == 0 || heard[i - 2] == 0) found.push_back({0, heard[i]});
        ++found.back().length;
    }
    return found;
}

TEST(Music, LoopsWithoutEndAtTheSetVolume) {
    struct Case {
        double volume;
        int level;
    };
    const Case cases[] = {{1, kLevel},
                          {0.5, kLevel / 2},
                          {2, kLevel},
                          {-1, 0},
                          {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.volume);
        TempFolder folder;
        DiskAudio audio(folder);
        playMusic(writeMusic(folder).c_str());
        setMusicVolume(c.volume);
        audio.waitFrames(4 * kPeriod);
        std::vector<Pulse> found = pulses(audio.finish());
        closeMusic();
        if (c.level == 0) {
            // A few frames may have been mixed before the volume changed.
            EXPECT_LE(found.size(), 1u);
            continue;
        }
        ASSERT_GE(found.size(), 3u);
        // Whole pulses after the first: the loop neither drops nor adds.
        for (size_t i = 1; i + 1 < found.size(); ++i) EXPECT_EQ(found[i].length, kPulse) << i;
        EXPECT_NEAR(found.back().level, c.level, 2);
    }
}

TEST(Music, PlayingAgainStopsTheOldMusicFirstAndRestoresTheVolume) {
    TempFolder folder;
    DiskAudio audio(folder);
    std::string tune = writeMusic(folder);
    playMusic(tune.c_str());
    setMusicVolume(0.5);
    stopMusic();
    // Without music the volume is left alone; the next music starts at 1.
    setMusicVolume(0.25);
    playMusic(tune.c_str());
    audio.waitFrames(2 * kPeriod);
    playMusic(folder.file("missing.ogg").c_str());
    size_t stoppedAt = audio.framesWritten();
    audio.waitFrames(2 * kPeriod);
    std::vector<int16_t> heard = audio.finish();
    closeMusic();
    std::vector<Pulse> found = pulses(heard);
    ASSERT_GE(found.size(), 1u);
    EXPECT_NEAR(found.back().level, kLevel, 2);
    // Beyond the buffers in flight when the missing file stopped it.
    EXPECT_EQ(peak(heard, 0, stoppedAt + 4096), 0);
}

}  // namespace
}  // namespace vorlan::test
