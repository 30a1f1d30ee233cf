// Whole games of Quillowen in the real program under a real X server, with a
// fixed seed, real key presses, the game's trace, screen captures and the
// sound the mixer played, as SDL's disk driver wrote it.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "e2e/program_window.h"
#include "game/round.h"
#include "platform/audio_device.h"
#include "support/run_process.h"
#include "tests/game/field_walk.h"

namespace vorlan::test {
namespace {

// A seed whose first round satisfies `wanted`, as the program draws it.
template <typename Wanted>
uint32_t seedWhere(Wanted wanted) {
    for (uint32_t seed = 1; seed < 5000; ++seed) {
        quillowen::test::seedFresh(seed);
        quillowen::Round round;
        if (quillowen::setUpRound(round) && wanted(round)) return seed;
    }
    return 0;
}

// 16-bit samples from byte `from` on, each frame's channels averaged.
std::vector<double> samplesOf(const std::string& bytes, size_t from, int channels) {
    std::vector<double> samples;
    for (size_t at = from; at + 2 * channels <= bytes.size(); at += 2 * channels) {
        double sum = 0;
        for (size_t k = at; k < at + 2 * channels; k += 2) {
            sum += int16_t(uint8_t(bytes[k]) | uint8_t(bytes[k + 1]) << 8);
        }
        samples.push_back(sum / channels);
    }
    return samples;
}

class Game : public ProgramRun {
  public:
    explicit Game(uint32_t seed)
        : ProgramRun(buildBin() / "quillowen", {},
                     {"VORLAN_SEED=" + std::to_string(seed), "QUILLOWEN_TRACE=1"}) {}

    void start() {
        ASSERT_TRUE(started());
        focus();
    }

    // The rest of each trace line after byte `from` that starts with `prefix`.
    std::vector<std::string> traces(const std::string& prefix, size_t from = 0) {
        std::vector<std::string> found;
        const std::string& out = process().output();
        for (size_t at = out.find(prefix, from); at != std::string::npos;
             at = out.find(prefix, at + 1)) {
            size_t end = out.find('\n', at);
            if ((at == 0 || out[at - 1] == '\n') && end != std::string::npos) {
                found.push_back(out.substr(at + prefix.size(), end - at - prefix.size()));
            }
        }
        return found;
    }
    // The first of them; nothing when none came in time.
    std::optional<std::string> waitForTrace(const std::string& prefix, double timeoutMs,
                                            size_t from = 0) {
        for (double waited = 0; waited <= timeoutMs; waited += 20) {
            if (auto found = traces(prefix, from); !found.empty()) return found.front();
            process().drain(20);
        }
        return std::nullopt;
    }
    size_t traceLength() { return process().output().size(); }

    // Escape ends the game; the sound it played is then complete.
    void quit() {
        holdKeys("Escape", 200);
        EXPECT_EQ(process().waitForExit(8000), 0);
    }
    std::vector<double> playedSound() const { return samplesOf(readWholeFile(audioFile()), 0, 2); }
};

// The result picture fades in over 1.5 s; the closest capture of that time
// must be the picture, and far from the other one.
void expectResultPicture(Game& game, const char* shown, const char* other) {
    const WindowPicture picture = pictureFile(buildBin() / shown, game.temp().path());
    const WindowPicture otherPicture = pictureFile(buildBin() / other, game.temp().path());
    ASSERT_EQ(picture.width, 320);
    double near = 255, far = 0;
    for (auto start = std::chrono::steady_clock::now();
         std::chrono::steady_clock::now() - start < std::chrono::milliseconds(1700);) {
        WindowPicture screen = game.capture();
        double d = meanDifference(screen, picture);
        if (d < near) near = d, far = meanDifference(screen, otherPicture);
    }
    EXPECT_LT(near, 20) << shown;
    EXPECT_GT(far, 3 * near) << shown;
}

// The strongest a frequency gets in Hann-windowed stretches of the samples.
double strongest(const std::vector<double>& s, double hz) {
    constexpr size_t kWindow = 2048;
    const double w = 2 * M_PI * hz / platform::kDeviceRate;
    double best = 0;
    for (size_t start = 0; start < s.size(); start += 1024) {
        double re = 0, im = 0;
        for (size_t i = 0; i < kWindow && start + i < s.size(); ++i) {
            double hann = 0.5 - 0.5 * std::cos(2 * M_PI * i / kWindow);
            re += s[start + i] * hann * std::cos(w * i);
            im += s[start + i] * hann * std::sin(w * i);
        }
        best = std::max(best, std::hypot(re, im));
    }
    return best;
}

// How loud the game played one of its sounds, against the sound's file: each
// is told by the note (220 to 2200 Hz) strongest in it relative to the others.
double levelOf(const std::vector<double>& played, const std::string& sound) {
    auto wave = [](const std::string& name) {
        return samplesOf(readWholeFile(buildBin() / name), 44, 1);
    };
    std::vector<std::vector<double>> others;
    for (const char* other : {"fail.wav", "win.wav", "wenvoke.wav"}) {
        if (other != sound) others.push_back(wave(other));
    }
    const std::vector<double> own = wave(sound);
    double markerHz = 0, markerStrength = 1, bestRatio = 0;
    for (int note = -12; note <= 28; ++note) {
        double hz = 440 * std::pow(2.0, note / 12.0), strength = strongest(own, hz), rival = 1;
        for (const auto& other : others) rival = std::max(rival, strongest(other, hz));
        if (strength / rival > bestRatio)
            bestRatio = strength / rival, markerHz = hz, markerStrength = strength;
    }
    return strongest(played, markerHz) / markerStrength;
}

constexpr double kHeard = 0.3, kSilent = 0.05;

TEST(Quillowen, CommittingAtOnceLosesWithTheFailPictureAndSound) {
    // This seed first draws her on the snail's start, where no route leads.
    uint32_t seed = quillowen::test::seedPuttingHerOnTheStart();
    ASSERT_NE(seed, 0u);
    Game game(seed);
    game.start();
    ASSERT_TRUE(game.waitForTrace("route ", 5000));
    EXPECT_EQ(runCommand("xdotool getwindowname " + game.window()), "Quillowen");
    // Left and Right together cancel out, but for the moments between the
    // two presses and the two releases: 24 frames, a few scrolls at most.
    // Right alone then moves 4 pixels a frame.
    size_t from = game.traceLength();
    holdKeys("Left Right", 400);
    game.process().drain(200);
    EXPECT_LT(game.traces("scroll ", from).size(), 6u);
    from = game.traceLength();
    holdKeys("Right", 300);
    game.process().drain(200);
    std::vector<std::string> right = game.traces("scroll ", from);
    ASSERT_GT(right.size(), 5u);
    for (size_t i = 1; i < right.size(); ++i) {
        EXPECT_EQ(std::stod(right[i]) - std::stod(right[i - 1]), 4) << i;
    }
    EXPECT_TRUE(game.waitForTrace("snail 2 ", 4000)) << "the snail's first step ended the game";
    holdKeys("a", 150);
    EXPECT_EQ(game.waitForTrace("commit ", 5000), "0");
    expectResultPicture(game, "failed.png", "win.png");
    EXPECT_TRUE(game.waitForTrace("round 2", 5000));
    game.quit();
    std::vector<double> played = game.playedSound();
    EXPECT_GT(levelOf(played, "wenvoke.wav"), kHeard);
    EXPECT_GT(levelOf(played, "fail.wav"), kHeard);
    EXPECT_LT(levelOf(played, "win.wav"), kSilent);
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
        holdKeys(key, std::max(10, int((std::abs(d) - 6) / 240 * 1000)));
        game.process().drain(150);
        for (const std::string& line : game.traces("scroll ", from)) {
            std::sscanf(line.c_str(), "%lf %lf", &x, &y);
        }
        from = game.traceLength();
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
    holdKeys("w", 150);
    EXPECT_EQ(game.waitForTrace("commit ", 5000), "1");
    expectResultPicture(game, "win.png", "failed.png");
    game.quit();
    std::vector<double> played = game.playedSound();
    EXPECT_GT(levelOf(played, "win.wav"), kHeard);
    EXPECT_LT(levelOf(played, "fail.wav"), kSilent);
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
    EXPECT_GT(levelOf(game.playedSound(), "fail.wav"), kHeard);
}

TEST(Quillowen, TenPageDownsSilenceTheGameWhoseQuitKeysStillWork) {
    Game game(2);
    game.start();
    // The round's first frames are its slowest: a press then may fall
    // between two of them.
    ASSERT_TRUE(game.waitForTrace("snail 1 ", 5000));
    std::string shown;
    for (int press = 1; press <= 10; ++press) {
        size_t from = game.traceLength();
        // One step a press however long it is held. Press and release each
        // last long enough for a slow frame to see them.
        holdKeys("Next", 200);
        shown += game.waitForTrace("volume ", 10000, from).value_or("?") + " ";
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    EXPECT_EQ(shown, "90 80 70 60 50 40 30 20 10 0 ");
    holdKeys("a", 150);
    EXPECT_EQ(game.waitForTrace("commit ", 5000), "0");
    EXPECT_TRUE(game.waitForTrace("round 2", 5000));

    // While the key is held the game shows the volume and waits.
    runCommand("xdotool keydown Next; sleep 0.3");
    WindowPicture screen = game.capture();
    int lettering = 0;
    for (int y = 96; y < 104 && screen.height == 240; ++y) {
        for (int x = 32; x < 32 + 8 * 7; ++x) {
            Colour p = screen.at(x, y);
            lettering += p.red > 230 && p.green > 190 && p.blue > 80;
        }
    }
    EXPECT_GT(lettering, 40) << "no volume shown";
    // Escape still ends the game in the middle of that wait.
    game.quit();
    runCommand("xdotool keyup Next");
    std::vector<double> played = game.playedSound();
    EXPECT_GT(levelOf(played, "wenvoke.wav"), kHeard);
    EXPECT_LT(levelOf(played, "fail.wav"), kSilent);
}

}  // namespace
}  // namespace vorlan::test
