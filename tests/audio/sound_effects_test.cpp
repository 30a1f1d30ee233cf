#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "audio/sound_test_support.h"

namespace vorlan::test {
namespace {

constexpr size_t kFrames = 2205;  // 0.1 s at the device rate
constexpr int16_t kLevel = 4000;
const double kNan = std::numeric_limits<double>::quiet_NaN();

// A stereo sound of one constant level; gives its name.
std::string writeSound(const TempFolder& folder, const char* name, size_t frames = kFrames,
                       int16_t level = kLevel) {
    writeWholeFile(folder.file(name), waveFile({}, pcm16(frames, 2, level)));
    return folder.file(name).string();
}

TEST(SoundCopies, PlaysRotateThroughTheCopiesAndOverlap) {
    struct Case {
        double count;
        std::vector<double> handles;  // of quick plays of slot 5
        int heardCopies;              // copies sounding at once
    };
    const Case cases[] = {
        {1, {1280, -1, -1}, 1},
        {2, {1280, 1281, 1280}, 2},
        {0, {1280, -1}, 1},
        {-5, {1280, -1}, 1},
        {9, {1280, 1281, 1282, 1283, 1280}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        TempFolder folder;
        DiskAudio audio(folder);
        loadSound(writeSound(folder, "beep.wav").c_str(), 5, c.count);
        std::vector<double> handles;
        for (size_t i = 0; i < c.handles.size(); ++i) handles.push_back(playSound(5, 0, 1));
        EXPECT_EQ(handles, c.handles);
        for (double h : handles) waitUntilQuiet(h);
        std::vector<int16_t> heard = audio.finish();
        EXPECT_EQ(peak(heard, 0), c.heardCopies * kLevel);
        // A single copy still playing is not restarted: exactly one is heard.
        EXPECT_EQ(framesAt(heard, kLevel, kLevel) == kFrames, c.heardCopies == 1);
    }
}

TEST(SoundGain, VolumeAndPanFollowTheDecibelLaw) {
    struct Case {
        double pan, volume;
        double leftDb, rightDb;  // below -99: silence
    };
    const Case cases[] = {
        {0, 1, 0, 0},    {0, 0.9, -10, -10},    {0, 0.5, -50, -50},    {0, 0, -100, -100},
        {0, 1.5, 0, 0},  {-1, 1, 0, -100},      {0.5, 1, -50, 0},      {-2, 0.9, -10, -100},
        {kNan, 1, 0, 0}, {0, kNan, -100, -100}, {0.25, 0.9, -35, -10},
    };
    auto level = [](double db) { return db < -99 ? 0 : 16000 * std::pow(10.0, db / 20); };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pan " << c.pan << " volume " << c.volume);
        TempFolder folder;
        DiskAudio audio(folder);
        loadSound(writeSound(folder, "tone.wav", kFrames, 16000).c_str(), 0, 1);
        double handle = playSound(0, c.pan, c.volume);
        ASSERT_EQ(handle, 0);
        waitUntilQuiet(handle);
        std::vector<int16_t> heard = audio.finish();
        EXPECT_NEAR(peak(heard, 0), level(c.leftDb), 2);
        EXPECT_NEAR(peak(heard, 1), level(c.rightDb), 2);
    }
}

TEST(SoundSlots, NumbersOutsideTheTableTouchNoSlotAndHandlesStayInside) {
    TempFolder folder;
    DiskAudio audio(folder);
    std::string name = writeSound(folder, "beep.wav");
    std::string other = writeSound(folder, "other.wav", kFrames, 1000);
    loadSound(name.c_str(), 127, 1);
    // Numbers that name no slot change nothing, slot 127 least of all.
    for (double slot : {128.0, 200.0, 500.0, -1.0, 1e300, kNan}) {
        loadSound(other.c_str(), slot, 1);
        EXPECT_EQ(playSound(slot, 0, 1), -1) << slot;
    }
    size_t frames = 0;
    const int16_t* kept = soundSlotFrames(127, frames);
    ASSERT_EQ(frames, kFrames);
    EXPECT_EQ(kept[0], kLevel);
    EXPECT_EQ(playSound(127, 0, 1), 256 * 127);
    EXPECT_EQ(soundPlaying(256 * 127), 1);
    for (double handle :
         {-1.0, -1000.0, 256 * 127 + 4.0, 256.0 * 256, 256.0 * 300 + 1, 1e300, kNan}) {
        EXPECT_EQ(soundPlaying(handle), 0) << handle;
    }
    // -1 loaded nothing; -0.5 truncates to slot 0, which is empty.
    for (double slot : {-1.0, -0.5, 3.0}) EXPECT_EQ(playSound(slot, 0, 1), -1) << slot;
}

TEST(SoundSlots, StoppingAndReloadingCutWhatPlays) {
    TempFolder folder;
    DiskAudio audio(folder);
    std::string name = writeSound(folder, "long.wav", 22050 * 2);
    loadSound(name.c_str(), 1, 2);
    loadSound(name.c_str(), 2, 1);
    double handles[] = {playSound(1, 0, 1), playSound(1, 0, 1), playSound(2, 0, 1)};
    audio.waitFrames(2048);
    stopAllSounds();
    for (double h : handles) EXPECT_EQ(soundPlaying(h), 0) << h;
    // Still loaded; reloading it while it plays halts it first.
    EXPECT_EQ(playSound(2, 0, 1), 512);
    loadSound(writeSound(folder, "short.wav", kFrames, 1000).c_str(), 2, 1);
    EXPECT_EQ(soundPlaying(512), 0);
    waitUntilQuiet(playSound(2, 0, 1));
    std::vector<int16_t> heard = audio.finish();
    EXPECT_EQ(peak(heard, 0), 3 * kLevel);
    EXPECT_LT(framesAt(heard, 3 * kLevel, 3 * kLevel), size_t{22050});
    EXPECT_EQ(framesAt(heard, 1000, 1000), kFrames);
}

TEST(SoundSlots, WithoutADeviceLoadsFailAndPlaysGiveMinusOne) {
    TempFolder folder;
    std::string name = writeSound(folder, "beep.wav");
    std::string driver = std::getenv("SDL_AUDIODRIVER");
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    createSoundDevice();
    initSound(*soundDevice);
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
    EXPECT_FALSE(soundDevice->open);
    loadSound(name.c_str(), 0, 1);
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
