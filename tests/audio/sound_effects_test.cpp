#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "audio/sound_test_support.h"

namespace vorlan::test {
namespace {

constexpr size_t kFrames = 2205;  // 0.1 s at the device rate
constexpr int16_t kLevel = 4000;

// Writes a stereo sound of one constant level and returns its name.
std::string writeSound(const TempFolder& folder, const char* name, size_t frames = kFrames,
                       int16_t level = kLevel) {
    writeWholeFile(folder.file(name), waveFile({}, pcm16(frames, 2, level)));
    return folder.file(name).string();
}

struct CopyCase {
    double count;
    std::vector<double> handles;  // of consecutive plays, slot 5
};

TEST(SoundCopies, PlaysRotateThroughTheCopiesAndOverlap) {
    const CopyCase cases[] = {
        {1, {1280, -1, -1}},
        {2, {1280, 1281, 1280}},
        {0, {1280, -1}},
        {-5, {1280, -1}},
        {9, {1280, 1281, 1282, 1283, 1280}},
    };
    for (const CopyCase& c : cases) {
        SCOPED_TRACE(c.count);
        TempFolder folder;
        DiskAudio audio(folder);
        loadSound(writeSound(folder, "beep.wav").c_str(), 5, c.count);
        std::vector<double> handles;
        for (size_t i = 0; i < c.handles.size(); ++i) handles.push_back(playSound(5, 0, 1));
        EXPECT_EQ(handles, c.handles);
        for (double h : handles) waitUntilQuiet(h);
        std::vector<int16_t> heard = audio.finish();
        int overlapping = 0;
        for (double h : c.handles) overlapping += h >= 0;
        // Each started copy adds its level while the others still play;
        // a copy cut off and restarted does not add again.
        int copies = std::min<int>(overlapping, std::clamp<int>(static_cast<int>(c.count), 1, 4));
        EXPECT_EQ(peak(heard, 0), copies * kLevel);
        if (copies == 1) {
            EXPECT_EQ(framesAt(heard, kLevel, kLevel), kFrames);
        }
    }
}

struct GainCase {
    double pan;
    double volume;
    double leftDb;  // attenuation of each side; below -99 is silence
    double rightDb;
};

double expectedLevel(double db) {
    return db < -99 ? 0 : 16000 * std::pow(10.0, db / 20);
}

TEST(SoundGain, VolumeAndPanFollowTheDecibelLaw) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const GainCase cases[] = {
        {0, 1, 0, 0},   {0, 0.9, -10, -10},   {0, 0.5, -50, -50},    {0, 0, -100, -100},
        {0, 1.5, 0, 0}, {-1, 1, 0, -100},     {0.5, 1, -50, 0},      {-2, 0.9, -10, -100},
        {nan, 1, 0, 0}, {0, nan, -100, -100}, {0.25, 0.9, -35, -10},
    };
    for (const GainCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "pan " << c.pan << " volume " << c.volume);
        TempFolder folder;
        DiskAudio audio(folder);
        loadSound(writeSound(folder, "tone.wav", kFrames, 16000).c_str(), 0, 1);
        double handle = playSound(0, c.pan, c.volume);
        ASSERT_EQ(handle, 0);
        waitUntilQuiet(handle);
        std::vector<int16_t> heard = audio.finish();
        EXPECT_NEAR(peak(heard, 0), expectedLevel(c.leftDb), 2);
        EXPECT_NEAR(peak(heard, 1), expectedLevel(c.rightDb), 2);
    }
}

TEST(SoundSlots, SlotNumbersAndHandlesStayInsideTheTable) {
    TempFolder folder;
    DiskAudio audio(folder);
    std::string name = writeSound(folder, "beep.wav");
    loadSound(name.c_str(), 200, 1);
    loadSound(name.c_str(), -1, 1);
    EXPECT_EQ(playSound(200, 0, 1), 256 * 127);
    EXPECT_EQ(playSound(127, 0, 1), -1);  // the same single copy, still playing
    EXPECT_EQ(soundPlaying(256 * 127), 1);
    const double nothing[] = {-1,
                              -1000,
                              256 * 127 + 4,
                              256.0 * 256,
                              256.0 * 300 + 1,
                              1e300,
                              std::numeric_limits<double>::quiet_NaN()};
    for (double handle : nothing) EXPECT_EQ(soundPlaying(handle), 0) << handle;
    EXPECT_EQ(playSound(-1, 0, 1), -1);
    // -1 loaded nothing anywhere; -0.5 truncates to the empty slot 0.
    EXPECT_EQ(soundSlots[0].count, 0);
    EXPECT_EQ(playSound(-0.5, 0, 1), -1);
    EXPECT_EQ(playSound(3, 0, 1), -1);  // never loaded
    stopAllSounds();
    EXPECT_EQ(soundPlaying(256 * 127), 0);
}

TEST(SoundSlots, StopAllSoundsCutsEveryCopyAndKeepsTheSounds) {
    TempFolder folder;
    DiskAudio audio(folder);
    std::string name = writeSound(folder, "long.wav", 22050 * 2);
    loadSound(name.c_str(), 1, 2);
    loadSound(name.c_str(), 2, 1);
    double handles[] = {playSound(1, 0, 1), playSound(1, 0, 1), playSound(2, 0, 1)};
    audio.waitFrames(2048);
    stopAllSounds();
    for (double h : handles) EXPECT_EQ(soundPlaying(h), 0) << h;
    double again = playSound(2, 0, 1);
    EXPECT_EQ(again, 512);
    stopAllSounds();
    std::vector<int16_t> heard = audio.finish();
    EXPECT_EQ(peak(heard, 0), 3 * kLevel);
    EXPECT_LT(framesAt(heard, 3 * kLevel, 3 * kLevel), size_t{22050});
}

TEST(SoundSlots, ReloadingAPlayingSlotHaltsItFirst) {
    TempFolder folder;
    DiskAudio audio(folder);
    loadSound(writeSound(folder, "long.wav", 22050 * 2).c_str(), 7, 1);
    double first = playSound(7, 0, 1);
    audio.waitFrames(2048);
    loadSound(writeSound(folder, "short.wav", kFrames, 1000).c_str(), 7, 1);
    EXPECT_EQ(soundPlaying(first), 0);
    double second = playSound(7, 0, 1);
    EXPECT_EQ(second, 7 * 256);
    waitUntilQuiet(second);
    std::vector<int16_t> heard = audio.finish();
    EXPECT_EQ(framesAt(heard, 1000, 1000), kFrames);
    EXPECT_LT(framesAt(heard, kLevel, kLevel), size_t{22050});
}

TEST(SoundSlots, WithoutADeviceLoadsFailAndPlaysGiveMinusOne) {
    TempFolder folder;
    std::string name = writeSound(folder, "beep.wav");
    std::string driver = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    createSoundDevice();
    initSound(*soundDevice);
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
    EXPECT_FALSE(soundDevice->open);
    loadSound(name.c_str(), 0, 1);
    EXPECT_EQ(soundSlots[0].count, 0);
    EXPECT_EQ(playSound(0, 0, 1), -1);
    destroySoundDevice();
    // Before start-up and after shutdown the operations do nothing.
    loadSound(name.c_str(), 0, 1);
    EXPECT_EQ(playSound(0, 0, 1), -1);
    EXPECT_EQ(soundPlaying(0), 0);
    stopAllSounds();
}

}  // namespace
}  // namespace vorlan::test
