// Sound and video against the libraries they wrap, measured in the same run:
//   - a 10-second 16-bit stereo WAV: loadSound against Mix_LoadWAV;
//   - 16 one-second sounds at once: CPU per second of audio with playSound
//     (per-play gains) against plain Mix_PlayChannel, on the disk driver
//     running flat out;
//   - a 320 x 240 raw video: CPU per frame of playVideo (decode, upload,
//     draw, swap) against GStreamer decoding alone and against showing one
//     ready frame (upload, one textured quad, swap).
// Run under xvfb-run; the ratios are printed after the table.
#include <SDL_mixer.h>
#include <benchmark/benchmark.h>
#include <gst/app/gstappsink.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <vorlan/audio.h>

#include "audio/sound_slots.h"
#include "audio/video_screen.h"
#include "gfx2d/game_window.h"
#include "platform/clock.h"
#include "tests/audio/sound_test_support.h"
#include "tests/audio/test_videos.h"

namespace {

namespace fs = std::filesystem;

constexpr int kVoices = 16;
constexpr int kVideoFrames = 60;

struct Media {
    fs::path folder;
    std::string longWave;
    std::string shortWave;
    std::string video;
};

void writeFile(const fs::path& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

const Media& media() {
    static const Media made = [] {
        Media m;
        m.folder = fs::temp_directory_path() / ("vorlan-audio-bench-" + std::to_string(getpid()));
        fs::create_directories(m.folder);
        m.longWave = (m.folder / "long.wav").string();
        m.shortWave = (m.folder / "short.wav").string();
        m.video = (m.folder / "clip.avi").string();
        writeFile(m.longWave, vorlan::test::waveFile({}, vorlan::test::pcm16(22050 * 10, 2, 1000)));
        writeFile(m.shortWave, vorlan::test::waveFile({}, vorlan::test::pcm16(22050, 2, 1000)));
        vorlan::test::VideoLayout layout;
        layout.width = 320;
        layout.height = 240;
        layout.frames = kVideoFrames;
        layout.framesPerSecond = 30;
        if (!vorlan::test::writeVideo(m.video, layout)) std::abort();
        return m;
    }();
    return made;
}

// The device writes into /dev/null, paced like a sound card for the loads
// (so that they do not wait on a busy mixer) or as fast as it can for the
// mixing figures.
void openDevice(bool flatOut) {
    static bool openFlatOut = false;
    if (vorlan::soundDevice && openFlatOut == flatOut) return;
    vorlan::destroySoundDevice();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    if (flatOut) {
        setenv("SDL_DISKAUDIODELAY", "0", 1);
    } else {
        unsetenv("SDL_DISKAUDIODELAY");
    }
    vorlan::createSoundDevice();
    vorlan::initSound(*vorlan::soundDevice);
    if (!vorlan::soundDevice->open) std::abort();
    openFlatOut = flatOut;
}

void BM_LoadWav_Vorlan(benchmark::State& state) {
    openDevice(false);
    for (auto _ : state) vorlan::loadSound(media().longWave.c_str(), 0, 4);
}
BENCHMARK(BM_LoadWav_Vorlan)->Unit(benchmark::kMillisecond);

void BM_LoadWav_Mixer(benchmark::State& state) {
    openDevice(false);
    for (auto _ : state) Mix_FreeChunk(Mix_LoadWAV(media().longWave.c_str()));
}
BENCHMARK(BM_LoadWav_Mixer)->Unit(benchmark::kMillisecond);

// CPU seconds spent while the mixer plays one second of 16 voices.
template <typename Start, typename Playing>
void mixOneSecond(benchmark::State& state, Start start, Playing playing) {
    for (auto _ : state) {
        double cpu = vorlan::platform::cpuTimeMs();
        for (int v = 0; v < kVoices; ++v) start(v);
        while (playing()) vorlan::platform::sleepMs(1);
        state.SetIterationTime((vorlan::platform::cpuTimeMs() - cpu) / 1000);
    }
}

void BM_Mix16_Vorlan(benchmark::State& state) {
    openDevice(true);
    for (int v = 0; v < kVoices; ++v) vorlan::loadSound(media().shortWave.c_str(), v, 1);
    mixOneSecond(
        state, [](int v) { vorlan::playSound(v, 0.3, 0.9); },
        [] {
            for (int v = 0; v < kVoices; ++v) {
                if (vorlan::soundPlaying(256.0 * v)) return true;
            }
            return false;
        });
}
BENCHMARK(BM_Mix16_Vorlan)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Mix16_Mixer(benchmark::State& state) {
    openDevice(true);
    Mix_Chunk* chunk = Mix_LoadWAV(media().shortWave.c_str());
    mixOneSecond(
        state, [chunk](int v) { Mix_PlayChannel(v * 4, chunk, 0); },
        [] { return Mix_Playing(-1) > 0; });
    Mix_FreeChunk(chunk);
}
BENCHMARK(BM_Mix16_Mixer)->UseManualTime()->Unit(benchmark::kMillisecond);

bool openWindow(benchmark::State& state) {
    if (!vorlan::gameWindow) {
        vorlan::gameWindow = new vorlan::GameWindow();
        if (!vorlan::gameWindow->createSurface(320, 240, 0, 0)) {
            state.SkipWithError("no window (run under xvfb-run)");
            return false;
        }
        vorlan::gameWindow->leaveFullscreen();
    }
    return true;
}

void BM_VideoFrame_Vorlan(benchmark::State& state) {
    if (!openWindow(state)) return;
    // GStreamer loads its plugins on the first video; decoding alone, below,
    // leaves that out too.
    vorlan::playVideo(media().video.c_str());
    for (auto _ : state) {
        double cpu = vorlan::platform::cpuTimeMs();
        vorlan::playVideo(media().video.c_str());
        state.SetIterationTime((vorlan::platform::cpuTimeMs() - cpu) / 1000 / kVideoFrames);
    }
}
BENCHMARK(BM_VideoFrame_Vorlan)->UseManualTime()->Iterations(3)->Unit(benchmark::kMicrosecond);

// The least a shown frame costs: its upload, one textured quad and the swap.
void BM_VideoFrame_ShowOnly(benchmark::State& state) {
    if (!openWindow(state)) return;
    std::vector<uint8_t> frame(320 * 240 * 4, 0x80);
    vorlan::VideoRect rect = vorlan::videoPlacement(320, 240, 320, 240);
    vorlan::VideoScreen screen(320, 240);
    for (auto _ : state) {
        double cpu = vorlan::platform::cpuTimeMs();
        screen.show(frame.data(), rect, 320, 240);
        state.SetIterationTime((vorlan::platform::cpuTimeMs() - cpu) / 1000);
        // At the video's pace, as playback shows them.
        vorlan::platform::sleepMs(1000.0 / 30);
    }
}
BENCHMARK(BM_VideoFrame_ShowOnly)
    ->UseManualTime()
    ->Iterations(kVideoFrames)
    ->Unit(benchmark::kMicrosecond);

// Decoding alone: the same file into RGBA frames as fast as GStreamer can.
void BM_VideoFrame_GStreamer(benchmark::State& state) {
    std::string description =
        "filesrc name=in ! decodebin ! videoconvert ! "
        "video/x-raw,format=RGBA ! appsink name=out sync=false";
    for (auto _ : state) {
        double cpu = vorlan::platform::cpuTimeMs();
        GstElement* pipeline = gst_parse_launch(description.c_str(), nullptr);
        GstElement* in = gst_bin_get_by_name(GST_BIN(pipeline), "in");
        g_object_set(in, "location", media().video.c_str(), nullptr);
        gst_object_unref(in);
        GstElement* out = gst_bin_get_by_name(GST_BIN(pipeline), "out");
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
        while (GstSample* sample = gst_app_sink_pull_sample(GST_APP_SINK(out))) {
            gst_sample_unref(sample);
        }
        gst_object_unref(out);
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
        state.SetIterationTime((vorlan::platform::cpuTimeMs() - cpu) / 1000 / kVideoFrames);
    }
}
BENCHMARK(BM_VideoFrame_GStreamer)->UseManualTime()->Iterations(20)->Unit(benchmark::kMicrosecond);

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !run.error_occurred) {
                times_[run.benchmark_name()] =
                    run.real_accumulated_time / static_cast<double>(run.iterations);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatios() {
        std::printf("\nRatios (same run):\n");
        ratio("10 s WAV load: loadSound / Mix_LoadWAV", "BM_LoadWav_Vorlan", "BM_LoadWav_Mixer");
        ratio("16 voices, CPU per audio second: playSound / Mix_PlayChannel",
              "BM_Mix16_Vorlan/manual_time", "BM_Mix16_Mixer/manual_time");
        const char* play = "BM_VideoFrame_Vorlan/iterations:3/manual_time";
        const char* decode = "BM_VideoFrame_GStreamer/iterations:20/manual_time";
        ratio("320x240 video, CPU per frame: playVideo / GStreamer decoding alone", play, decode);
        // The goal: at most twice the decoding plus showing the frame.
        auto show = times_.find("BM_VideoFrame_ShowOnly/iterations:60/manual_time");
        auto decoding = times_.find(decode);
        if (show != times_.end() && decoding != times_.end()) {
            times_["budget"] = 2 * decoding->second + show->second;
            ratio("320x240 video, CPU per frame: playVideo / (2 x decoding + showing a frame)",
                  play, "budget");
        }
    }

  private:
    void ratio(const char* label, const std::string& own, const std::string& base) const {
        auto a = times_.find(own);
        auto b = times_.find(base);
        if (a == times_.end() || b == times_.end() || b->second <= 0) return;
        std::printf("  %-68s %6.2f  (%.3f ms / %.3f ms)\n", label, a->second / b->second,
                    a->second * 1000, b->second * 1000);
    }
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    gst_init(nullptr, nullptr);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    vorlan::destroySoundDevice();
    std::error_code ignored;
    fs::remove_all(media().folder, ignored);
    return 0;
}
