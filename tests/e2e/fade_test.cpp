// The cross-fade as the X server shows it, captured from this process's
// window while the fade runs: no other window may cover it, so it runs here.
#include <vorlan/app.h>
#include <vorlan/backgrounds.h>
#include <vorlan/sprites.h>

#include <unistd.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

#include "core/event_pump.h"
#include "gfx2d/gl_surface.h"
#include "support/process_window.h"
#include "support/subprocess.h"

namespace vorlan {
namespace {

using Fade = test::GLSurface;

TEST_F(Fade, FadeBlendsBothPicturesAndLeavesNoBlending) {
    setAutoPause(0);
    // Old (200, 0, 100), new (0, 200, 40): a frame with old share f shows
    // (200 f, 200 (1 - f), 40 + 60 f).
    auto showOld = [] { fillRect(0, 0, 320, 240, 200 + 100 * 65536); };
    showOld();
    presentFrame();
    showOld();
    std::string next = writePng("next.png", test::picture(320, 240, 0x00C828FF));
    const std::string window = test::processWindow(getpid());
    ASSERT_FALSE(window.empty());
    const std::string centre = "import -window " + window + " -crop 1x1+160+120 -depth 8 'rgb:" +
                               temp_.file("centre.rgb").string() + "'";

    std::atomic<bool> fading = true;
    std::vector<std::array<uint8_t, 3>> frames;
    std::thread watcher([&] {
        while (fading) {
            test::runCommand(centre);
            std::string rgb = test::readWholeFile(temp_.file("centre.rgb"));
            if (rgb.size() == 3)
                frames.push_back({uint8_t(rgb[0]), uint8_t(rgb[1]), uint8_t(rgb[2])});
        }
    });
    double start = clockMs();
    fadeToBackground(next.c_str());
    double took = clockMs() - start;
    fading = false;
    watcher.join();

    EXPECT_GE(took, 1500);
    int middle = 0;
    for (auto [r, g, b] : frames) {
        double f = r / 200.0;
        EXPECT_NEAR(g, 200 * (1 - f), 2) << int{r} << " " << int{g} << " " << int{b};
        EXPECT_NEAR(b, 40 + 60 * f, 2) << int{r} << " " << int{g} << " " << int{b};
        if (r > 20 && r < 180) ++middle;
    }
    EXPECT_GE(middle, 2) << frames.size() << " captures";

    // The new picture is the background now, and nothing is added any more.
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(screen().at(10, 10)[1], 200);
    fillRect(0, 0, 10, 10, 0x0000FF);
    fillRect(0, 0, 10, 10, 0x00FF00);
    EXPECT_EQ(getPixel(5, 5), 0x00FF00);
}

}  // namespace
}  // namespace vorlan
