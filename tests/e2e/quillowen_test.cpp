// Whole games of Quillowen in the real program under a real X server, with a
// fixed seed, real key presses, the game's trace, screen captures and the
// sound the mixer played, as SDL's disk driver wrote it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <vorlan/value.h>

#include "game/round.h"
#include "gfx2d/image_file.h"
#include "platform/audio_device.h"
#include "support/run_process.h"
#include "support/subprocess.h"
#include "support/temp_folder.h"
#include "tests/game/start_cell_seed.h"
#include "value/random.h"

namespace vorlan::test {
namespace {

void pauseMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// A seed whose first round satisfies `wanted`, found with the game's own
// set-up on a fresh generator, as the program starts with VORLAN_SEED.
template <typename Wanted>
uint32_t seedWhere(Wanted wanted) {
    for (uint32_t seed = 1; seed < 5000; ++seed) {
        randomGenerator = {};
        seedGenerator(seed);
        quillowen::Round round;
        if (quillowen::setUpRound(round) && wanted(round)) return seed;
    }
    return 0;
}

class Game {
  public:
    explicit Game(uint32_t seed) : audio_(temp_.file("audio.raw")) {
        setenv("VORLAN_SEED", std::to_string(seed).c_str(), 1);
        setenv("QUILLOWEN_TRACE", "1", 1);
        setenv("SDL_DISKAUDIOFILE", audio_.c_str(), 1);
        process_ = std::make_unique<Subprocess>(
            std::vector<std::string>{(buildBin() / "quillowen").string()});
        unsetenv("VORLAN_SEED");
        unsetenv("QUILLOWEN_TRACE");
    }

    void start() {
        ASSERT_TRUE(process_->waitForLine("Init OK", 20000));
        window_ = runCommand("xdotool search --sync --onlyvisible --pid " +
                             std::to_string(process_->pid()) + " | head -1");
        ASSERT_FALSE(window_.empty());
        runCommand("xdotool windowfocus --sync " + window_);
        pauseMs(200);
    }

    // The rest of the first trace line after `from` that starts with
    // `prefix`; nothing when none came in time.
    std::optional<std::string> waitForTrace(const std::string& prefix, double timeoutMs,
                                            size_t from = 0) {
        for (double waited = 0; waited <= timeoutMs; waited += 20) {
            const std::string& out = process_->output();
            for (size_t at = out.find(prefix, from); at != std::string::npos;
                 at = out.find(prefix, at + 1)) {
                size_t end = out.find('\n', at);
                if ((at == 0 || out[at - 1] == '\n') && end != std::string::npos) {
                    return out.substr(at + prefix.size(), end - at - prefix.size());
                }
            }
            process_->drain(20);
        }
        return std::nullopt;
    }
    size_t traceLength() const { return process_->output().size(); }

    void hold(const std::string& key, int ms) {
        runCommand("xdotool keydown " + key + "; sleep " + std::to_string(ms / 1000.0) +
                   "; xdotool keyup " + key);
    }
    void keyDownOnly(const std::string& key) { runCommand("xdotool keydown " + key); }

    // The window's 320 x 240 pixels, taken from a capture of the whole screen.
    PixelBuffer capture() {
        std::string geometry = runCommand("xwininfo -id " + window_ +
                                          " | awk '/Absolute upper-left X/{x=$4} /Absolute "
                                          "upper-left Y/{y=$4} END{print x\"+\"y}'");
        std::string file = temp_.file("screen.png").string();
        runCommand("import -window root -crop 320x240+" + geometry + " +repage PNG24:" + file);
        PixelBuffer screen;
        EXPECT_TRUE(decodeImageFile(screen, file.c_str(), -1));
        return screen;
    }

    // Escape ends the game; the sound it played is then complete.
    void quit() {
        hold("Escape", 200);
        EXPECT_EQ(process_->waitForExit(8000), 0);
    }

    std::vector<double> playedSound() const {
        std::string bytes = readWholeFile(audio_);
        std::vector<double> mono(bytes.size() / 4);
        for (size_t i = 0; i < mono.size(); ++i) {
            auto sample = [&](size_t at) {
                return double(int16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8));
            };
            mono[i] = (sample(4 * i) + sample(4 * i + 2)) / 2;
        }
        return mono;
    }

    std::string log() const { return readWholeFile(temp_.file("ErrorLog.txt")); }
    Subprocess& process() { return *process_; }

  private:
    TempFolder temp_;
    std::filesystem::path audio_;
    std::unique_ptr<Subprocess> process_;
    std::string window_;
};

// Mean difference per colour channel between the screen and a picture.
double distance(const PixelBuffer& screen, const char* picture) {
    PixelBuffer expected;
    EXPECT_TRUE(decodeImageFile(expected, (buildBin() / picture).c_str(), -1));
    if (screen.width() != 320 || screen.height() != 240 || expected.width() != 320) return 1e9;
    double sum = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320 * 4; ++x) {
            if (x % 4 != 3) sum += std::abs(screen.row(y)[x] - expected.row(y)[x]);
        }
    }
    return sum / (320 * 240 * 3);
}

// The result picture fades in over 1.5 s; the closest capture of that time
// must be the picture, and far from the other one.
void expectResultPicture(Game& game, const char* shown, const char* other) {
    double near = 1e9, far = 0;
    for (auto start = std::chrono::steady_clock::now();
         std::chrono::steady_clock::now() - start < std::chrono::milliseconds(1700);) {
        PixelBuffer screen = game.capture();
        double d = distance(screen, shown);
        if (d < near) near = d, far = distance(screen, other);
    }
    EXPECT_LT(near, 20) << shown;
    EXPECT_GT(far, 3 * near) << shown;
}

// --- Sound: each of the game's sounds is told by a note only it has. ----

std::vector<double> waveSamples(const char* name) {
    std::string bytes = readWholeFile(buildBin() / name);
    std::vector<double> samples;
    for (size_t at = 44; at + 1 < bytes.size(); at += 2) {
        samples.push_back(double(int16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8)));
    }
    return samples;
}

// Strength of one frequency in a Hann-windowed stretch of samples.
double strengthAt(const std::vector<double>& s, size_t start, double hz) {
    constexpr size_t kWindow = 2048;
    const double w = 2 * M_PI * hz / platform::kDeviceRate;
    double re = 0, im = 0;
    for (size_t i = 0; i < kWindow && start + i < s.size(); ++i) {
        double hann = 0.5 - 0.5 * std::cos(2 * M_PI * i / kWindow);
        re += s[start + i] * hann * std::cos(w * i);
        im += s[start + i] * hann * std::sin(w * i);
    }
    return std::hypot(re, im);
}

double strongest(const std::vector<double>& s, double hz) {
    double best = 0;
    for (size_t at = 0; at < s.size(); at += 1024) best = std::max(best, strengthAt(s, at, hz));
    return best;
}

struct Marker {
    double hz = 0, strength = 0;
};

// The note (220 to 2200 Hz) strongest in this sound relative to the others.
Marker markerOf(const char* name) {
    const char* all[] = {"fail.wav", "win.wav", "wenvoke.wav"};
    Marker best;
    double bestRatio = 0;
    for (int note = -12; note <= 28; ++note) {
        double hz = 440 * std::pow(2.0, note / 12.0);
        double own = strongest(waveSamples(name), hz), others = 1;
        for (const char* other : all) {
            if (std::string(other) != name)
                others = std::max(others, strongest(waveSamples(other), hz));
        }
        if (own / others > bestRatio) bestRatio = own / others, best = {hz, own};
    }
    return best;
}

bool heard(const std::vector<double>& played, const char* sound) {
    Marker m = markerOf(sound);
    return strongest(played, m.hz) > 0.3 * m.strength;
}

bool silent(const std::vector<double>& played, const char* sound) {
    Marker m = markerOf(sound);
    return strongest(played, m.hz) < 0.05 * m.strength;
}

// --- Whole games ---------------------------------------------------------

TEST(Quillowen, CommittingAtOnceLosesWithTheFailPictureAndSound) {
    Game game(1);
    game.start();
    ASSERT_TRUE(game.waitForTrace("route ", 5000));
    // Left and Right together cancel out (but for the moment between the
    // two presses); Right alone then moves 4 pixels a frame.
    auto scrolls = [&](size_t from) {
        std::vector<double> xs;
        const std::string& out = game.process().output();
        for (size_t at = out.find("\nscroll ", from); at != std::string::npos;
             at = out.find("\nscroll ", at + 1)) {
            xs.push_back(std::atof(out.c_str() + at + 8));
        }
        return xs;
    };
    size_t from = game.traceLength();
    game.hold("Left Right", 400);
    game.process().drain(200);
    std::vector<double> both = scrolls(from);
    EXPECT_LE(both.size(), 2u);
    from = game.traceLength();
    game.hold("Right", 300);
    game.process().drain(200);
    std::vector<double> right = scrolls(from);
    ASSERT_GT(right.size(), 5u);
    for (size_t i = 1; i < right.size(); ++i) EXPECT_EQ(right[i] - right[i - 1], 4) << i;
    game.hold("a", 150);
    EXPECT_EQ(game.waitForTrace("commit ", 5000), "0");
    expectResultPicture(game, "failed.png", "win.png");
    EXPECT_TRUE(game.waitForTrace("round 2", 5000));
    game.quit();
    std::vector<double> played = game.playedSound();
    EXPECT_TRUE(heard(played, "wenvoke.wav"));
    EXPECT_TRUE(heard(played, "fail.wav"));
    EXPECT_TRUE(silent(played, "win.wav"));
    EXPECT_EQ(game.log().find("cannot load"), std::string::npos) << game.log();
}

// Scrolls with the arrow keys until the view is within reach of the target,
// reading where it got to from the trace.
void scrollTo(Game& game, double targetX, double targetY) {
    double x = 0, y = 32 * 50 - 120;
    size_t from = 0;
    for (int moves = 0; moves < 24; ++moves) {
        double dx = targetX - x, dy = targetY - y;
        if (std::abs(dx) <= 4 && std::abs(dy) <= 8) return;
        bool horizontal = std::abs(dx) > 4;
        double d = horizontal ? dx : dy;
        std::string key = horizontal ? (d > 0 ? "Right" : "Left") : (d > 0 ? "Down" : "Up");
        // 240 pixels a second; short taps for the last few frames.
        game.hold(key, std::max(10, int((std::abs(d) - 6) / 240 * 1000)));
        game.process().drain(150);
        while (auto line = game.waitForTrace("scroll ", 0, from)) {
            std::sscanf(line->c_str(), "%lf %lf", &x, &y);
            from = game.process().output().find("scroll " + *line, from) + 1;
        }
    }
    ADD_FAILURE() << "could not scroll to " << targetX << "," << targetY;
}

TEST(Quillowen, ScrollingToHerAndCommittingWins) {
    // Far enough along the route to have time, near enough to scroll to.
    uint32_t seed = seedWhere([](const quillowen::Round& r) {
        double travel = std::abs(32 * (r.figureX + r.figureY) - 160) +
                        std::abs(32 * (r.figureY - r.figureX + 52) - 180 - 1480);
        return quillowen::routeLength(r) >= 40 && travel < 1000;
    });
    ASSERT_NE(seed, 0u);
    Game game(seed);
    game.start();
    double fx = 0, fy = 0;
    auto figure = game.waitForTrace("figure ", 5000);
    ASSERT_TRUE(figure);
    ASSERT_EQ(std::sscanf(figure->c_str(), "%lf %lf", &fx, &fy), 2);
    // The probe then lies on her apron, 60 rows above her cell's anchor.
    scrollTo(game, 32 * (fx + fy) - 160, 32 * (fy - fx + 52) - 60 - 120);
    game.hold("w", 150);
    EXPECT_EQ(game.waitForTrace("commit ", 5000), "1");
    expectResultPicture(game, "win.png", "failed.png");
    game.quit();
    std::vector<double> played = game.playedSound();
    EXPECT_TRUE(heard(played, "win.wav"));
    EXPECT_TRUE(silent(played, "fail.wav"));
}

TEST(Quillowen, WaitingLetsTheSnailArriveAndLoses) {
    uint32_t seed =
        seedWhere([](const quillowen::Round& r) { return quillowen::routeLength(r) <= 6; });
    ASSERT_NE(seed, 0u);
    Game game(seed);
    game.start();
    auto route = game.waitForTrace("route ", 5000);
    ASSERT_TRUE(route);
    const int n = std::stoi(*route);
    auto began = std::chrono::steady_clock::now();
    ASSERT_TRUE(game.waitForTrace("arrived", 10000));
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
    // The snail shows on rows 1 to n - 1, then takes one more step.
    EXPECT_GE(ms, (n - 1) * 700);
    EXPECT_TRUE(game.waitForTrace("snail " + std::to_string(n - 1) + " ", 0));
    expectResultPicture(game, "failed.png", "win.png");
    game.quit();
    EXPECT_TRUE(heard(game.playedSound(), "fail.wav"));
}

TEST(Quillowen, TenPageDownsSilenceTheGameWhoseQuitKeysStillWork) {
    Game game(2);
    game.start();
    ASSERT_TRUE(game.waitForTrace("route ", 5000));
    std::string shown;
    for (int press = 1; press <= 10; ++press) {
        size_t from = game.traceLength();
        game.hold("Next", 120);
        shown += game.waitForTrace("volume ", 3000, from).value_or("?") + " ";
        pauseMs(80);
    }
    EXPECT_EQ(shown, "90 80 70 60 50 40 30 20 10 0 ");
    game.hold("a", 150);
    EXPECT_EQ(game.waitForTrace("commit ", 5000), "0");
    EXPECT_TRUE(game.waitForTrace("round 2", 5000));

    // While the key is held the game shows the volume and waits.
    game.keyDownOnly("Next");
    pauseMs(300);
    PixelBuffer screen = game.capture();
    int lettering = 0;
    for (int y = 96; y < 104 && screen.height() == 240; ++y) {
        for (int x = 32; x < 32 + 8 * 7; ++x) {
            const uint8_t* p = screen.row(y) + x * 4;
            lettering += p[0] > 230 && p[1] > 190 && p[2] > 80;
        }
    }
    EXPECT_GT(lettering, 40) << "no volume shown";
    // Escape still ends the game in the middle of that wait.
    game.quit();
    runCommand("xdotool keyup Next");
    std::vector<double> played = game.playedSound();
    EXPECT_TRUE(heard(played, "wenvoke.wav"));
    EXPECT_TRUE(silent(played, "fail.wav"));
}

TEST(Quillowen, ASeedPuttingHerOnTheSnailsStartStillPlays) {
    uint32_t seed = quillowen::test::seedPuttingHerOnTheStart();
    ASSERT_NE(seed, 0u);
    Game game(seed);
    game.start();
    auto figure = game.waitForTrace("figure ", 5000);
    ASSERT_TRUE(figure);
    EXPECT_NE(*figure, "1 1");
    // With her on the start there was no route: the first snail step was
    // runtime error 9 and the program ended.
    EXPECT_TRUE(game.waitForTrace("snail 2 ", 4000));
    game.quit();
}

}  // namespace
}  // namespace vorlan::test
