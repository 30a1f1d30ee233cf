// Whole games of Quillowen with a fixed seed and real key presses, read from
// the game's trace, screen captures and the file SDL's disk audio driver wrote.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/program_window.h"
#include "game/round.h"
#include "platform/audio_device.h"
#include "platform/clock.h"
#include "support/bytes.h"
#include "tests/game/field_walk.h"

namespace vorlan::test {
namespace {

using platform::nowMs;

// A seed whose first round satisfies `wanted`, as the program draws it.
uint32_t seedWhere(bool (*wanted)(const quillowen::Round&)) {
    for (uint32_t seed = 1; seed < 5000; ++seed) {
        quillowen::test::seedFresh(seed);
        quillowen::Round round;
        if (quillowen::setUpRound(round) && wanted(round)) return seed;
    }
    return 0;
}

class Game : public ProgramRun {
  public:
    // Started and focused; without `dataHome` the run's folder holds the player's data.
    explicit Game(uint32_t seed, const std::string& dataHome = "")
        : ProgramRun(buildBin() / "quillowen", {},
                     {"VORLAN_SEED=" + std::to_string(seed), "QUILLOWEN_TRACE=1",
                      dataHome.empty() ? "QUILLOWEN_TRACE=1" : "XDG_DATA_HOME=" + dataHome}) {
        EXPECT_NE(seed, 0u) << "no seed gives such a round";
        EXPECT_TRUE(started());
        focus();
    }
    // The rest of each whole trace line after byte `from` that starts with `prefix`.
    std::vector<std::string> traces(const std::string& prefix, size_t from = 0) {
        std::vector<std::string> found;
        std::istringstream lines(process().output().substr(from));
        for (std::string line; std::getline(lines, line) && !lines.eof();) {
            if (line.starts_with(prefix)) found.push_back(line.substr(prefix.size()));
        }
        return found;
    }
    // The `count`-th of them; nothing when it did not come in time.
    std::optional<std::string> waitForTrace(const std::string& prefix, double timeoutMs,
                                            size_t from = 0, size_t count = 1) {
        for (double end = nowMs() + timeoutMs;; process().drain(20)) {
            if (auto found = traces(prefix, from); found.size() >= count) return found[count - 1];
            if (nowMs() > end) return std::nullopt;
        }
    }
    size_t traceLength() { return process().output().size(); }
    // Holds the keys until the `count`-th answer starting with `prefix`.
    std::optional<std::string> pressUntil(const std::string& keys, const std::string& prefix,
                                          size_t count = 1) {
        size_t from = traceLength();
        runCommand("xdotool keydown " + keys);
        auto found = waitForTrace(prefix, 20000, from, count);
        runCommand("xdotool keyup " + keys);
        return found;
    }
    size_t soundPlayed() const { return std::filesystem::file_size(audioFile()) / 4 * 4; }
    std::vector<int16_t> playedSound(size_t from = 0, size_t to = SIZE_MAX) const {
        return le16Samples(readWholeFile(audioFile()).substr(0, to), from);
    }
    // Commits at once, a loss: the sound played until the result shows.
    size_t loseAtOnce() {
        const size_t from = traceLength();
        EXPECT_EQ(pressUntil("a", "commit "), "0");
        EXPECT_TRUE(waitForTrace("result shown", 20000, from));
        return soundPlayed();
    }
};

// After its fade the result picture is on screen, clean, before the next
// round's trace after byte `from`, and the game held it 1.5 s at least.
void expectResultPicture(Game& game, const char* shown, size_t from) {
    const Picture picture = loadPicture((buildBin() / shown).string());
    bool seen = false, over = false;
    for (double end = nowMs() + 30000; !over && nowMs() < end; game.process().drain(10)) {
        over = !game.traces("round ", from).empty();
        seen = seen || meanDifference(game.capture(), picture) < 2;
    }
    EXPECT_TRUE(seen) << shown;
    EXPECT_GE(std::stod(game.waitForTrace("result held ", 20000, from).value_or("0")), 1500)
        << shown;
}

// The strongest a frequency gets in Hann windows of the first channel.
double strongest(const std::vector<int16_t>& s, double hz, size_t channels = 1) {
    constexpr size_t kWindow = 2048;
    double best = 0;
    for (size_t start = 0; start * channels < s.size(); start += kWindow / 2) {
        std::complex<double> sum = 0;
        for (size_t i = 0; i < kWindow && (start + i) * channels < s.size(); ++i) {
            const double hann = 0.5 - 0.5 * std::cos(2 * M_PI * i / kWindow);
            sum += std::polar(hann * s[(start + i) * channels],
                              2 * M_PI * hz * i / platform::kDeviceRate);
        }
        best = std::max(best, std::abs(sum));
    }
    return best;
}

// How loud the game played one of its sounds, against the sound's file: each
// is told by the note (220 to 2200 Hz) strongest in it relative to the others.
double levelOf(const std::vector<int16_t>& played, const std::string& sound) {
    auto wave = [](const std::string& n) { return le16Samples(readWholeFile(buildBin() / n), 44); };
    double markerHz = 0, markerStrength = 1, bestRatio = 0;
    for (int note = -12; note <= 28; ++note) {
        const double hz = 440 * std::pow(2.0, note / 12.0), strength = strongest(wave(sound), hz);
        double rival = 1;
        for (const char* other : {"fail.wav", "win.wav", "wenvoke.wav"})
            if (other != sound) rival = std::max(rival, strongest(wave(other), hz));
        if (strength / rival > bestRatio)
            bestRatio = strength / rival, markerHz = hz, markerStrength = strength;
    }
    return strongest(played, markerHz, 2) / markerStrength;
}

constexpr double kHeard = 0.3, kSilent = 0.05;

// Lettering of "VOL: " in the screen's volume corner.
int volumeLettering(const Picture& screen) {
    int lettering = 0;
    for (int i = 0; i < 8 * 56 && screen.height == 240; ++i) {
        const uint8_t* p = screen.at(32 + i % 56, 96 + i / 56);
        lettering += p[0] > 230 && p[1] > 190 && p[2] > 80;
    }
    return lettering;
}

TEST(Quillowen, CommitsAtOnceLoseWithTheFailPictureAndPageDownsQuietenThemByEvenSteps) {
    // This seed first draws her on the snail's start, where no route leads.
    Game game(quillowen::test::seedPuttingHerOnTheStart());
    ASSERT_GE(std::stoi(game.waitForTrace("route ", 20000).value_or("0")), 16) << "too short";
    EXPECT_EQ(runCommand("xdotool getwindowname " + game.window()), "Quillowen");
    // Left and Right cancel out: a few scrolls at most (as the two keys go
    // down and up) while the snail takes two steps.
    size_t from = game.traceLength();
    EXPECT_TRUE(game.pressUntil("Left Right", "snail ", 2));
    game.process().drain(100);
    EXPECT_LT(game.traces("scroll ", from).size(), 6u);
    // Left moves 4 pixels a frame, and stops with the cross-hair (the view's
    // x + 160) a little past the field's left corner: a snail step passes.
    from = game.traceLength();
    runCommand("xdotool keydown Left");
    for (size_t n = SIZE_MAX, k = 1; k < 14 && game.waitForTrace("snail ", 20000, from, k); ++k) {
        if (n == game.traces("scroll ", from).size()) break;
        n = game.traces("scroll ", from).size();
    }
    runCommand("xdotool keyup Left");
    const std::vector<std::string> left = game.traces("scroll ", from);
    ASSERT_GT(left.size(), 8u);
    for (size_t i = 1; i < 8; ++i) EXPECT_EQ(std::stod(left[i - 1]) - std::stod(left[i]), 4) << i;
    EXPECT_LT(std::stod(left.back()) + 160, 0);
    EXPECT_GE(std::stod(left.back()) + 160, -64);

    from = game.traceLength();
    const size_t full = game.loseAtOnce();
    expectResultPicture(game, "failed.png", from);
    // A step a press however long held; each release seen before the next
    // press, which would otherwise reach the game as the server's auto-repeat.
    std::string shown;
    size_t fifty = 0;
    for (int press = 1; press <= 10; ++press) {
        from = game.traceLength();
        shown += game.pressUntil("Next", "volume ").value_or("?") + " ";
        EXPECT_TRUE(game.waitForTrace("resume", 20000, from));
        if (press != 5) continue;
        // The volume stays on screen for a while after the key is let go.
        EXPECT_GT(volumeLettering(game.capture()), 40) << "no volume shown after the key";
        EXPECT_TRUE(eventually([&game] { return volumeLettering(game.capture()) == 0; }))
            << "the volume stays";
        // A key ends the result picture.
        fifty = game.loseAtOnce();
        EXPECT_EQ(game.pressUntil("space", "result ended by "), "a key");
    }
    EXPECT_EQ(shown, "90 80 70 60 50 40 30 20 10 0 ");
    const size_t zero = game.loseAtOnce();
    ASSERT_TRUE(game.waitForTrace("round 4", 20000));

    // While the key is held the game shows the volume and waits.
    from = game.traceLength();
    runCommand("xdotool keydown Next");
    EXPECT_EQ(game.waitForTrace("volume ", 20000, from), "0");
    EXPECT_GT(volumeLettering(game.capture()), 40) << "no volume shown";
    // Escape still ends the game in the middle of that wait.
    EXPECT_EQ(game.quitWithEscape(), 0);
    runCommand("xdotool keyup Next");
    // The fail sound before each mark: VOL 50 is 10 dB below full, VOL 0
    // silent, and so is the next round's opening sound.
    const std::vector<int16_t> first = game.playedSound(0, full);
    EXPECT_GT(levelOf(first, "wenvoke.wav"), kHeard);
    EXPECT_LT(levelOf(first, "win.wav"), kSilent);
    const double atFull = levelOf(first, "fail.wav");
    const double atFifty = levelOf(game.playedSound(full, fifty), "fail.wav");
    EXPECT_GT(atFull, kHeard);
    EXPECT_NEAR(20 * std::log10(atFifty / atFull), -10, 1);
    EXPECT_LT(levelOf(game.playedSound(fifty, zero), "fail.wav"), kSilent);
    EXPECT_LT(levelOf(game.playedSound(zero), "wenvoke.wav"), kSilent);
    EXPECT_EQ(game.log().find("cannot load"), std::string::npos) << game.log();
}

// Scrolls until the view's x is within 8 of `goal`, holding a key until the
// trace shows it there; a late release goes past, and the next move returns.
void scrollTo(Game& game, double goal) {
    for (double x = 0, moves = 0; std::abs(goal - x) > 8; ++moves) {
        ASSERT_LT(moves, 40) << "could not scroll to " << goal;
        const std::string key = goal > x ? "Right" : "Left";
        auto scrolls = [&game, from = game.traceLength()] { return game.traces("scroll ", from); };
        runCommand("xdotool keydown " + key);
        for (double end = nowMs() + 20000; nowMs() < end; game.process().drain(5)) {
            if (!scrolls().empty() && std::abs(goal - std::stod(scrolls().back())) <= 8) break;
        }
        runCommand("xdotool keyup " + key);
        for (size_t n = SIZE_MAX; n != scrolls().size(); game.process().drain(300))
            n = scrolls().size();
        if (!scrolls().empty()) x = std::stod(scrolls().back());
    }
}

TEST(Quillowen, ScrollingToHerWinsAKeyHeldOnCommitsNothingAndTheBestRunOutlivesTheGame) {
    // Near the start view, on its diagonal, far along the route.
    const uint32_t seed = seedWhere([](const quillowen::Round& r) {
        return r.figureX == r.figureY && r.figureX < 16 && quillowen::routeLength(r) >= 40;
    });
    TempFolder data;
    Game game(seed, data.path().string());
    double x = 0, y = 0;
    std::istringstream(game.waitForTrace("figure ", 20000).value_or("")) >> x >> y;
    // The probe is then on her body, which spans 11 pixels either side.
    scrollTo(game, 32 * (x + y) - 160);

    // W stays down from the win through the result into the next round.
    size_t from = game.traceLength();
    runCommand("xdotool keydown w");
    EXPECT_EQ(game.waitForTrace("commit ", 20000, from), "1");
    ASSERT_TRUE(game.waitForTrace("result shown", 20000, from));
    const size_t resultSound = game.soundPlayed();
    expectResultPicture(game, "win.png", from);
    EXPECT_EQ(game.waitForTrace("result ended by ", 20000, from), "time");
    EXPECT_EQ(game.waitForTrace("score ", 0, from), "1/1 run 1 best 1");
    ASSERT_TRUE(game.waitForTrace("round 2", 20000, from));
    const size_t roundTwo = game.traceLength();
    EXPECT_TRUE(game.waitForTrace("snail ", 20000, roundTwo, 2));
    runCommand("xdotool keyup w");
    EXPECT_TRUE(game.traces("commit ", roundTwo).empty()) << "the held key committed";
    // Pressed again (not at once, as auto-repeat would), it commits.
    EXPECT_TRUE(game.waitForTrace("snail ", 20000, game.traceLength()));
    EXPECT_TRUE(game.pressUntil("w", "commit "));
    EXPECT_EQ(game.quitWithEscape(), 0);  // the sound it played is then complete
    const std::vector<int16_t> played = game.playedSound(0, resultSound);
    EXPECT_GT(levelOf(played, "win.wav"), kHeard);
    EXPECT_LT(levelOf(played, "fail.wav"), kSilent);

    // The best run is the player's, in their data folder, for the next game.
    EXPECT_NE(readWholeFile(data.file("quillowen/quillowen.ini")).find("bestRun=1"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(buildBin() / "quillowen.ini"));
    // That game waits: the snail arrives and she is lost.
    Game again(seedWhere([](const quillowen::Round& r) { return quillowen::routeLength(r) <= 6; }),
               data.path().string());
    EXPECT_EQ(again.waitForTrace("score ", 20000), "0/0 run 0 best 1");
    const int n = std::stoi(again.waitForTrace("route ", 20000).value_or("0"));
    const double began = nowMs();
    ASSERT_TRUE(again.waitForTrace("arrived", 30000));
    // The snail shows on rows 1 to n - 1, then takes one more step.
    EXPECT_GE(nowMs() - began, (n - 1) * 700);
    EXPECT_TRUE(again.waitForTrace("snail " + std::to_string(n - 1) + " ", 0));
    EXPECT_EQ(again.waitForTrace("score ", 20000, 0, 2), "0/1 run 0 best 1");
    ASSERT_TRUE(again.waitForTrace("result shown", 20000));
    EXPECT_EQ(again.quitWithEscape(), 0);
    EXPECT_GT(levelOf(again.playedSound(), "fail.wav"), kHeard);
}

}  // namespace
}  // namespace vorlan::test
