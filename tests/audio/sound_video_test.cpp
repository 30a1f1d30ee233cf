// Sounds, music, WAV files and videos: what SDL's disk driver played is measured.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "audio/music.h"
#include "audio/sound_test_support.h"
#include "audio/test_videos.h"
#include "audio/video_screen.h"
#include "platform/video_decoder.h"

// The cases name only the fields they change; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace vorlan::test {
namespace {

constexpr size_t kFrames = 2205;  // 0.1 s at the device rate
constexpr int16_t kLevel = 4000;
const double kNan = std::nan("");

// A stereo sound of one constant level, or one pulse of kFrames / 5 frames
// then silence; gives its name.
std::string writeSound(const TempFolder& folder, const char* name, size_t frames = kFrames,
                       int16_t level = kLevel, bool pulse = false) {
    std::string samples = pulse ? pcm16(frames / 5, 2, level) + pcm16(frames - frames / 5, 2, 0)
                                : pcm16(frames, 2, level);
    writeWholeFile(folder.file(name), waveFile({}, samples));
    return folder.file(name).string();
}

// Lengths and last levels of the runs of sound in what was heard.
std::vector<std::pair<size_t, int>> pulses(const std::vector<int16_t>& heard) {
    std::vector<std::pair<size_t, int>> found;
    for (size_t i = 0; i + 1 < heard.size(); i += 2) {
        if (heard[i] == 0) continue;
        if (i == 0 || heard[i - 2] == 0) found.push_back({0, heard[i]});
        ++found.back().first;
    }
    return found;
}

TEST(Music, LoopsWithoutEndAtTheSetVolumeAndPlayingAgainRestartsAtFull) {
    const std::pair<double, int> cases[] = {
        {1, kLevel}, {0.5, kLevel / 2}, {2, kLevel}, {-1, 0}, {kNan, 0}};
    for (auto [volume, level] : cases) {
        SCOPED_TRACE(volume);
        TempFolder folder;
        DiskAudio audio(folder);
        playMusic(writeSound(folder, "tune.wav", kFrames, kLevel, true).c_str());
        setMusicVolume(volume);
        audio.waitFrames(4 * kFrames);
        auto found = pulses(audio.finish());
        closeMusic();
        if (level == 0) {
            // A few frames may have been mixed before the volume changed.
            EXPECT_LE(found.size(), 1u);
            continue;
        }
        ASSERT_GE(found.size(), 3u);
        // Whole pulses after the first: the loop neither drops nor adds.
        for (size_t i = 1; i + 1 < found.size(); ++i) EXPECT_EQ(found[i].first, kFrames / 5) << i;
        EXPECT_NEAR(found.back().second, level, 2);
    }
    // Playing again stops the old music first and restores the volume.
    TempFolder folder;
    DiskAudio audio(folder);
    std::string tune = writeSound(folder, "tune.wav", kFrames, kLevel, true);
    playMusic(tune.c_str());
    setMusicVolume(0.5);
    stopMusic();
    // Without music the volume is left alone; the next music starts at 1.
    setMusicVolume(0.25);
    playMusic(tune.c_str());
    audio.waitFrames(2 * kFrames);
    playMusic(folder.file("missing.ogg").c_str());
    size_t stoppedAt = audio.framesWritten();
    audio.waitFrames(2 * kFrames);
    std::vector<int16_t> heard = audio.finish();
    closeMusic();
    auto found = pulses(heard);
    ASSERT_GE(found.size(), 1u);
    EXPECT_NEAR(found.back().second, kLevel, 2);
    // Beyond the buffers in flight when the missing file stopped it.
    EXPECT_EQ(peak(heard, 0, stoppedAt + 4096), 0);
}

TEST(SoundCopies, PlaysRotateThroughTheCopiesAndOverlap) {
    struct Case {
        double count;
        std::vector<double> handles;  // of quick plays of slot 5
        int heardCopies;              // copies sounding at once
    };
    const Case cases[] = {{1, {1280, -1, -1}, 1},
                          {2, {1280, 1281, 1280}, 2},
                          {0, {1280, -1}, 1},
                          {-5, {1280, -1}, 1},
                          {9, {1280, 1281, 1282, 1283, 1280}, 4}};
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

TEST(SoundSlots, NumbersOutsideTheTableTouchNoSlotAndStoppingOrReloadingCutsWhatPlays) {
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
    stopAllSounds();
    // Stopping and reloading cut what plays.
    name = writeSound(folder, "long.wav", 22050 * 2);
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

TEST(WaveFiles, TheChunkWalkLoadsEveryOrdinaryFileAndRefusesTheRest) {
    const std::string stereo = pcm16(1000, 2, 1234), good = waveFile({}, stereo);
    const std::string list("INFOISFT\x05\0\0\0Lavf5\0", 17);
    const struct {
        const char* what;
        std::string bytes;
        size_t frames;  // device frames the slot should hold (0: refused)
        int16_t left, right;
    } cases[] = {
        {"format chunk of 16", good, 1000, 1234, 1234},
        {"format chunk of 18", waveFile({.formatSize = 18}, stereo), 1000, 1234, 1234},
        {"extensible PCM, 40", waveFile({.tag = 0xFFFE, .formatSize = 40}, stereo), 1000, 1234,
         1234},
        {"LIST chunk", waveFile({.before = {{"LIST", list}}}, stereo), 1000, 1234, 1234},
        {"fact, odd chunk",
         waveFile({.formatSize = 18, .before = {{"fact", {"\xE8\x03\0\0", 4}}, {"odd ", "abc"}}},
                  stereo),
         1000, 1234, 1234},
        {"partial last frame", waveFile({.dataSize = 4000 - 3}, stereo), 999, 1234, 1234},
        {"8-bit mono", waveFile({.channels = 1, .bits = 8}, std::string(1000, '\x90')), 1000,
         0x1000, 0x1000},
        {"8-bit stereo", waveFile({.bits = 8}, std::string(2000, '\x70')), 1000, -0x1000, -0x1000},
        {"11025 Hz mono", waveFile({.channels = 1, .rate = 11025}, pcm16(1000, 1, -700)), 2000,
         -700, -700},
        {"44100 Hz stereo", waveFile({.rate = 44100}, stereo), 500, 1234, 1234},
        {"truncated data", waveFile({.cut = 10}, stereo)},
        {"data size 0xFFFFFFFF", waveFile({.dataSize = 0xFFFFFFFF}, stereo)},
        {"no sample data", waveFile({.dataSize = 0}, "")},
        {"float", waveFile({.tag = 3, .bits = 32}, pcm16(1000, 4, 0))},
        {"extensible float", waveFile({.tag = 0xFFFE, .formatSize = 40, .subFormat = 3}, stereo)},
        {"24-bit", waveFile({.channels = 1, .bits = 24}, std::string(3000, '\x10'))},
        {"6 channels", waveFile({.channels = 6}, pcm16(1000, 6, 5))},
        {"empty file", ""},
        {"cut in the RIFF header", good.substr(0, 11)},
        {"cut in the format chunk", good.substr(0, 30)},
        {"no RIFF", "X" + good.substr(1)},
        {"no WAVE", good.substr(0, 8) + "X" + good.substr(9)},
    };
    TempFolder folder;
    DiskAudio audio(folder);
    const std::string name = folder.file("case.wav").string(),
                      goodName = writeSound(folder, "good.wav");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        loadSound(goodName.c_str(), 9, 2);  // a refused file must empty the slot
        writeWholeFile(name, c.bytes);
        loadSound(name.c_str(), 9, 2);
        size_t frames = 0;
        const int16_t* data = soundSlotFrames(9, frames);
        EXPECT_EQ(playSound(9, 0, 1) >= 0, c.frames > 0);
        stopAllSounds();
        ASSERT_EQ(data != nullptr, c.frames > 0);
        if (c.frames == 0) continue;
        // Resampling may round the length and soften the edges.
        EXPECT_NEAR(static_cast<double>(frames), static_cast<double>(c.frames), 4);
        std::vector<int16_t> middle(data + frames / 2 * 2, data + frames / 2 * 2 + 2);
        EXPECT_EQ(framesAt(middle, c.left, c.right), 1u);
    }
    // Names written with backslashes find the file as well.
    std::string backslashed = goodName;
    backslashed[backslashed.rfind('/')] = '\\';
    loadSound(backslashed.c_str(), 9, 1);
    EXPECT_EQ(soundSlots[9].count, 1);
    loadSound(folder.file("missing.wav").c_str(), 9, 1);
    EXPECT_EQ(playSound(9, 0, 1), -1);
}

// Every picture in order with its own pixels; past the last one a call still
// waits out its time, so that the playback loop sleeps, not spins.
TEST(VideoDecoder, GivesEveryPictureThenWaitsPastTheEnd) {
    TempFolder folder;
    const VideoLayout layout{.frames = 4, .framesPerSecond = 25};
    const std::string path = folder.file("clip.avi").string();
    ASSERT_TRUE(writeVideo(path, layout));
    platform::VideoDecoder* video = platform::openVideo(path.c_str());
    ASSERT_NE(video, nullptr);
    ASSERT_TRUE(platform::startVideo(video));
    const double deadline = platform::nowMs() + 30000;
    int shown = 0;
    while (shown < layout.frames && platform::nowMs() < deadline) {
        const uint8_t* rgba = platform::nextVideoFrame(video, 50);
        if (!rgba) continue;
        // The first pixel of the top half, the last of the bottom half.
        const uint8_t* last = rgba + (layout.width * layout.height - 1) * 4;
        for (auto [p, want] : {std::pair{rgba, topColour(shown)}, {last, bottomColour()}}) {
            EXPECT_TRUE(p[0] == want.r && p[1] == want.g && p[2] == want.b) << "picture " << shown;
        }
        ++shown;
    }
    EXPECT_EQ(shown, layout.frames);
    while (platform::videoState(video) == platform::VideoState::Playing &&
           platform::nowMs() < deadline) {
        EXPECT_EQ(platform::nextVideoFrame(video, 50), nullptr);
    }
    ASSERT_EQ(platform::videoState(video), platform::VideoState::Ended);
    double start = platform::nowMs();
    EXPECT_EQ(platform::nextVideoFrame(video, 300), nullptr);
    EXPECT_GE(platform::nowMs() - start, 250.0) << "answered at once past the end";
    platform::closeVideo(video);
}

// What the one window size of the end-to-end tests cannot show.
TEST(VideoPlacement, KeepsTheAspectAndCentres) {
    const std::array<int, 8> cases[] = {
        // frame, window, then x, y, width, height
        {320, 240, 640, 360, 80, 0, 480, 360}, {320, 240, 320, 240, 0, 0, 320, 240},
        {100, 50, 320, 240, 0, 40, 320, 160},  {3, 7, 320, 240, 109, 0, 102, 240},
        {0, 0, 320, 240, 0, 0, 0, 0},          {320, 0, 320, 240, 0, 0, 0, 0},
        {320, 240, 0, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        VideoRect r = videoPlacement(c[0], c[1], c[2], c[3]);
        EXPECT_EQ((std::array{c[0], c[1], c[2], c[3], r.x, r.y, r.width, r.height}), c);
    }
}

}  // namespace
}  // namespace vorlan::test
