// Whole games of Quillowen in the real program under a real X server, with a
// fixed seed, real key presses, the game's trace, screen captures and the
// sound the mixer played, as SDL's disk driver wrote it.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "e2e/program_window.h"
#include "game/round.h"
#include "platform/audio_device.h"
#include "support/run_process.h"
#include "support/temp_folder.h"
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

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void keyDown(const std::string& keys) {
    runCommand("xdotool keydown " + keys);
}
void keyUp(const std::string& keys) {
    runCommand("xdotool keyup " + keys);
}

class Game : public ProgramRun {
  public:
    explicit Game(uint32_t seed, const std::string& dataHome = "")
        : ProgramRun(buildBin() / "quillowen", {}, environment(seed, dataHome)) {}

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
    // The `count`-th of them; nothing when it did not come in time.
    std::optional<std::string> waitForTrace(const std::string& prefix, double timeoutMs,
                                            size_t from = 0, size_t count = 1) {
        for (auto start = Clock::now();; process().drain(20)) {
            if (auto found = traces(prefix, from); found.size() >= count) return found[count - 1];
            if (msSince(start) > timeoutMs) return std::nullopt;
        }
    }
    size_t traceLength() { return process().output().size(); }
    // Holds the key until the game answers with a trace line that starts
    // with `prefix`; that line's rest.
    std::optional<std::string> pressUntil(const std::string& key, const std::string& prefix) {
        size_t from = traceLength();
        keyDown(key);
        auto found = waitForTrace(prefix, 20000, from);
        keyUp(key);
        return found;
    }
    // Once the result picture shows (its sound is over by then) leaves it
    // with a key for the next round; where the sound played so far ends.
    size_t nextRound() {
        size_t from = traceLength();
        EXPECT_TRUE(waitForTrace("result shown", 20000, from));
        size_t sound = soundPlayed();
        EXPECT_EQ(pressUntil("space", "result ended by "), "a key");
        EXPECT_TRUE(waitForTrace("round ", 20000, from));
        return sound;
    }

    // Escape ends the game; the sound it played is then complete.
    void quit() {
        keyDown("Escape");
        EXPECT_EQ(process().waitForExit(20000), 0);
        keyUp("Escape");
    }
    // The sound played so far, and the same from a byte of the file on.
    size_t soundPlayed() const { return std::filesystem::file_size(audioFile()) / 4 * 4; }
    std::vector<double> playedSound(size_t from = 0, size_t to = SIZE_MAX) const {
        return samplesOf(readWholeFile(audioFile()).substr(0, to), from, 2);
    }

  private:
    static std::vector<std::string> environment(uint32_t seed, const std::string& dataHome) {
        std::vector<std::string> env = {"VORLAN_SEED=" + std::to_string(seed), "QUILLOWEN_TRACE=1"};
        if (!dataHome.empty()) env.push_back("XDG_DATA_HOME=" + dataHome);
        return env;
    }
};

// After its fade the result picture stays alone on screen until a key or
// two seconds: captured clean for 1.5 s at least before the next round
// (whose trace comes after byte `from`), and far from the other picture.
void expectResultPicture(Game& game, const char* shown, const char* other, size_t from) {
    constexpr double kClean = 2;
    const WindowPicture picture = pictureFile(buildBin() / shown, game.temp().path());
    const WindowPicture otherPicture = pictureFile(buildBin() / other, game.temp().path());
    ASSERT_EQ(picture.width, 320);
    std::optional<Clock::time_point> firstClean;
    Clock::time_point lastClean;
    double nearest = 255, far = 0;
    for (auto start = Clock::now(); msSince(start) < 30000;) {
        bool over = !game.traces("round ", from).empty();
        WindowPicture screen = game.capture();
        double d = meanDifference(screen, picture);
        nearest = std::min(nearest, d);
        if (d < kClean) {
            if (!firstClean) firstClean = Clock::now(), far = meanDifference(screen, otherPicture);
            lastClean = Clock::now();
        }
        if (over) break;
        game.process().drain(10);
    }
    ASSERT_LT(nearest, kClean) << shown;
    EXPECT_GT(far, 10 * kClean) << shown;
    using Ms = std::chrono::duration<double, std::milli>;
    EXPECT_GE(Ms(lastClean - *firstClean).count(), 1500) << shown;
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

// The view's x and y from a scroll trace.
std::pair<double, double> viewOf(const std::string& scroll) {
    double x = 0, y = 0;
    std::sscanf(scroll.c_str(), "%lf %lf", &x, &y);
    return {x, y};
}

TEST(Quillowen, CommittingAtOnceLosesWithTheFailPictureAndSound) {
    // This seed first draws her on the snail's start, where no route leads.
    uint32_t seed = quillowen::test::seedPuttingHerOnTheStart();
    ASSERT_NE(seed, 0u);
    Game game(seed);
    game.start();
    auto route = game.waitForTrace("route ", 20000);
    ASSERT_TRUE(route);
    ASSERT_GE(std::stoi(*route), 16) << "too short a round for what follows";
    EXPECT_EQ(runCommand("xdotool getwindowname " + game.window()), "Quillowen");
    // Left and Right together cancel out, but for the moments between the
    // two presses and the two releases: a few scrolls at most while the
    // snail takes two steps.
    size_t from = game.traceLength();
    keyDown("Left Right");
    EXPECT_TRUE(game.waitForTrace("snail ", 20000, from, 2));
    keyUp("Left Right");
    game.process().drain(100);
    EXPECT_LT(game.traces("scroll ", from).size(), 6u);
    // Right alone moves 4 pixels a frame.
    from = game.traceLength();
    keyDown("Right");
    EXPECT_TRUE(game.waitForTrace("scroll ", 20000, from, 8));
    keyUp("Right");
    std::vector<std::string> right = game.traces("scroll ", from);
    for (size_t i = 1; i < right.size(); ++i) {
        EXPECT_EQ(viewOf(right[i]).first - viewOf(right[i - 1]).first, 4) << i;
    }
    // Far to the left the view stops, once the cross-hair is a little past
    // the field's left corner (her anchor's x is 32 * (x + y), the
    // cross-hair's the view's x + 160): held through a whole snail step
    // without a scroll.
    from = game.traceLength();
    keyDown("Left");
    size_t steps = 0, scrollsAtStep = SIZE_MAX;
    for (auto start = Clock::now(); msSince(start) < 30000; game.process().drain(20)) {
        if (game.traces("snail ", from).size() == steps) continue;
        size_t scrolls = game.traces("scroll ", from).size();
        steps = game.traces("snail ", from).size();
        if (scrolls == scrollsAtStep) break;
        scrollsAtStep = scrolls;
    }
    keyUp("Left");
    auto stopped = viewOf(game.traces("scroll ", from).back());
    EXPECT_LT(stopped.first + 160, 0);
    EXPECT_GE(stopped.first + 160, -64);
    // And there the cross-hair is among hedges, not on bare ground.
    WindowPicture screen = game.capture();
    ASSERT_EQ(screen.width, 320);
    int hedge = 0;
    for (int y = 56; y < 184; ++y) {
        for (int x = 96; x < 224; ++x) hedge += screen.at(x, y).green > screen.at(x, y).red;
    }
    EXPECT_GT(hedge, 128 * 128 / 10);
    EXPECT_TRUE(game.waitForTrace("snail 2 ", 0)) << "the snail's first step ended the game";

    from = game.traceLength();
    EXPECT_EQ(game.pressUntil("a", "commit "), "0");
    // Its sound is over once the picture shows; nothing plays while it does.
    ASSERT_TRUE(game.waitForTrace("result shown", 20000, from));
    const size_t resultSound = game.soundPlayed();
    expectResultPicture(game, "failed.png", "win.png", from);
    EXPECT_TRUE(game.waitForTrace("round 2", 20000));
    game.quit();
    std::vector<double> played = game.playedSound(0, resultSound);
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
    for (int moves = 0; moves < 60; ++moves) {
        double dx = targetX - x, dy = targetY - y;
        if (std::abs(dx) <= 4 && std::abs(dy) <= 8) return;
        bool horizontal = std::abs(dx) > 4;
        double d = horizontal ? dx : dy;
        std::string key = horizontal ? (d > 0 ? "Right" : "Left") : (d > 0 ? "Down" : "Up");
        // 240 pixels a second, short of the target; taps for the last few
        // frames. A slow frame only makes it fall shorter.
        holdKeys(key, std::max(10, int((std::abs(d) - 6) / 240 * 1000)));
        // The view has settled once no scroll came for a while.
        for (size_t seen = SIZE_MAX; seen != game.traceLength();) {
            seen = game.traceLength();
            game.process().drain(150);
        }
        for (const std::string& line : game.traces("scroll ", from)) {
            std::tie(x, y) = viewOf(line);
        }
        from = game.traceLength();
    }
    ADD_FAILURE() << "could not scroll to " << targetX << "," << targetY;
}

TEST(Quillowen, ScrollingToHerWinsAndAKeyHeldOnCommitsNothingInTheNextRound) {
    // Far enough along the route to have time, near enough to scroll to.
    uint32_t seed = seedWhere([](const quillowen::Round& r) {
        double travel = std::abs(32 * (r.figureX + r.figureY) - 160) +
                        std::abs(32 * (r.figureY - r.figureX + 52) - 180 - 1480);
        return quillowen::routeLength(r) >= 40 && travel < 1000;
    });
    ASSERT_NE(seed, 0u);
    TempFolder data;
    Game game(seed, data.path().string());
    game.start();
    EXPECT_EQ(game.waitForTrace("score ", 20000), "0/0 run 0 best 0");
    double fx = 0, fy = 0;
    auto figure = game.waitForTrace("figure ", 20000);
    ASSERT_TRUE(figure);
    ASSERT_EQ(std::sscanf(figure->c_str(), "%lf %lf", &fx, &fy), 2);
    // The probe then lies on her apron, 60 rows above her cell's anchor.
    scrollTo(game, 32 * (fx + fy) - 160, 32 * (fy - fx + 52) - 60 - 120);

    // W stays down from the win through the result into the next round.
    size_t from = game.traceLength();
    keyDown("w");
    EXPECT_EQ(game.waitForTrace("commit ", 20000, from), "1");
    ASSERT_TRUE(game.waitForTrace("result shown", 20000, from));
    const size_t resultSound = game.soundPlayed();
    expectResultPicture(game, "win.png", "failed.png", from);
    EXPECT_EQ(game.waitForTrace("result ended by ", 20000, from), "time");
    EXPECT_EQ(game.waitForTrace("score ", 0, from), "1/1 run 1 best 1");
    ASSERT_TRUE(game.waitForTrace("round 2", 20000, from));
    const size_t roundTwo = game.traceLength();
    EXPECT_TRUE(game.waitForTrace("snail ", 20000, roundTwo, 2));
    keyUp("w");
    EXPECT_TRUE(game.traces("commit ", roundTwo).empty()) << "the held key committed";
    // Pressed again, it commits. (A press at once after the release would
    // reach the game as the server's auto-repeat, which no hand can do.)
    EXPECT_TRUE(game.waitForTrace("snail ", 20000, game.traceLength()));
    EXPECT_TRUE(game.pressUntil("w", "commit "));
    game.quit();
    std::vector<double> played = game.playedSound(0, resultSound);
    EXPECT_GT(levelOf(played, "win.wav"), kHeard);
    EXPECT_LT(levelOf(played, "fail.wav"), kSilent);

    // The best run is the player's, in their data folder, for the next game.
    EXPECT_NE(readWholeFile(data.file("quillowen/quillowen.ini")).find("bestRun=1"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(buildBin() / "quillowen.ini"));
    Game again(seed, data.path().string());
    again.start();
    EXPECT_EQ(again.waitForTrace("score ", 20000), "0/0 run 0 best 1");
    again.quit();
}

TEST(Quillowen, WaitingLetsTheSnailArriveAndLoses) {
    uint32_t seed =
        seedWhere([](const quillowen::Round& r) { return quillowen::routeLength(r) <= 6; });
    ASSERT_NE(seed, 0u);
    Game game(seed);
    game.start();
    auto route = game.waitForTrace("route ", 20000);
    ASSERT_TRUE(route);
    const int n = std::stoi(*route);
    auto began = Clock::now();
    size_t from = game.traceLength();
    ASSERT_TRUE(game.waitForTrace("arrived", 30000));
    // The snail shows on rows 1 to n - 1, then takes one more step.
    EXPECT_GE(msSince(began), (n - 1) * 700);
    EXPECT_TRUE(game.waitForTrace("snail " + std::to_string(n - 1) + " ", 0));
    expectResultPicture(game, "failed.png", "win.png", from);
    game.quit();
    EXPECT_GT(levelOf(game.playedSound(), "fail.wav"), kHeard);
}

// Lettering of "VOL: " in the screen's volume corner.
int volumeLettering(const WindowPicture& screen) {
    int lettering = 0;
    for (int y = 96; y < 104 && screen.height == 240; ++y) {
        for (int x = 32; x < 32 + 8 * 7; ++x) {
            Colour p = screen.at(x, y);
            lettering += p.red > 230 && p.green > 190 && p.blue > 80;
        }
    }
    return lettering;
}

TEST(Quillowen, PageDownsQuietenTheGameByEvenStepsAndItsQuitKeysStillWork) {
    Game game(2);
    game.start();
    // A press, then its release seen (a press at once after a release
    // would reach the game as the server's auto-repeat): the volume shown.
    auto pageDown = [&game] {
        size_t from = game.traceLength();
        auto shown = game.pressUntil("Next", "volume ");
        EXPECT_TRUE(game.waitForTrace("resume", 20000, from));
        return shown.value_or("?") + " ";
    };
    // The fail sound at full volume, for what follows to be held against.
    ASSERT_TRUE(game.waitForTrace("snail 1 ", 20000));
    EXPECT_EQ(game.pressUntil("a", "commit "), "0");
    const size_t full = game.nextRound();
    // One step a press however long it is held.
    std::string shown;
    for (int press = 1; press <= 5; ++press) shown += pageDown();
    EXPECT_EQ(shown, "90 80 70 60 50 ");
    // The volume stays on screen for a while after the key is let go.
    EXPECT_GT(volumeLettering(game.capture()), 40) << "no volume shown after the key";
    bool gone = false;
    for (auto start = Clock::now(); !gone && msSince(start) < 20000;) {
        gone = volumeLettering(game.capture()) == 0;
    }
    EXPECT_TRUE(gone) << "the volume stays";
    EXPECT_EQ(game.pressUntil("a", "commit "), "0");
    const size_t fifty = game.nextRound();
    for (int press = 6; press <= 10; ++press) shown += pageDown();
    EXPECT_EQ(shown, "90 80 70 60 50 40 30 20 10 0 ");
    EXPECT_EQ(game.pressUntil("a", "commit "), "0");
    const size_t zero = game.nextRound();

    // While the key is held the game shows the volume and waits.
    size_t from = game.traceLength();
    keyDown("Next");
    EXPECT_EQ(game.waitForTrace("volume ", 20000, from), "0");
    EXPECT_GT(volumeLettering(game.capture()), 40) << "no volume shown";
    // Escape still ends the game in the middle of that wait.
    game.quit();
    keyUp("Next");
    // The fail sound at VOL 100, 50 and 0, each played in the stretch
    // before its mark: VOL 50 is 10 dB below full, VOL 0 silent, and so
    // is the next round's opening sound.
    const double atFull = levelOf(game.playedSound(0, full), "fail.wav");
    const double atFifty = levelOf(game.playedSound(full, fifty), "fail.wav");
    EXPECT_GT(atFull, kHeard);
    EXPECT_NEAR(20 * std::log10(atFifty / atFull), -10, 1);
    EXPECT_LT(levelOf(game.playedSound(fifty, zero), "fail.wav"), kSilent);
    EXPECT_LT(levelOf(game.playedSound(zero), "wenvoke.wav"), kSilent);
}

}  // namespace
}  // namespace vorlan::test
