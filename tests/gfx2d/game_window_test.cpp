// The window and its OpenGL context, against the real driver (Mesa) in a
// real X server.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "core/errors.h"
#include "gfx2d/game_window.h"
#include "gfx2d/gl_extensions.h"
#include "gfx2d/window_scale.h"
#include "platform/window.h"
#include "support/focus_lock.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

using test::readWholeFile;
using test::TempFolder;

// A window made for one test and destroyed after it. Showing it takes the
// focus, so it waits for the tests that type into their own window.
struct Window {
    explicit Window(int samples = 0, SurfaceOptions options = {}) {
        gameWindow = new GameWindow();
        made = gameWindow->createSurface(320, 240, 0, samples, options);
    }
    ~Window() {
        delete gameWindow;
        gameWindow = nullptr;
    }
    test::FocusLock focus;
    bool made = false;
};

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

TEST(Surface, MadeAsAskedAndSetUpForTwoDimensions) {
    TempFolder temp;
    Window window;
    ASSERT_TRUE(window.made);
    double w = 0, h = 0;
    getScreenSize(w, h);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    EXPECT_GE(gameWindow->bitsPerPixel, 24);
    // What the context asks for and what differs from OpenGL's defaults.
    const std::pair<GLenum, GLint> state[] = {
        {GL_DEPTH_BITS, 24},       {GL_STENCIL_BITS, 8}, {GL_ALPHA_TEST_FUNC, GL_GREATER},
        {GL_SHADE_MODEL, GL_FLAT}, {GL_TEXTURE_2D, 1},   {GL_CULL_FACE, 1},
        {GL_ALPHA_TEST, 1},        {GL_DITHER, 0},
    };
    for (auto [name, value] : state) EXPECT_EQ(integer(name), value) << "0x" << std::hex << name;
    GLfloat reference = 0;
    glGetFloatv(GL_ALPHA_TEST_REF, &reference);
    EXPECT_NEAR(reference, 0.15f, 1e-6);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(gameWindow->drawsOffscreen());
    // Fullscreen on the desktop's own mode, the picture 4 times in it.
    ASSERT_TRUE(gameWindow->enterFullscreen());
    platform::ScreenRect desktop = platform::usableDesktopArea();
    int drawableWidth = 0, drawableHeight = 0;
    platform::drawableSize(drawableWidth, drawableHeight);
    EXPECT_EQ(std::pair(drawableWidth, drawableHeight), std::pair(desktop.width, desktop.height));
    EXPECT_EQ(gameWindow->picture().width, 1280);
    EXPECT_TRUE(gameWindow->leaveFullscreen());
    platform::drawableSize(drawableWidth, drawableHeight);
    EXPECT_EQ(std::pair(drawableWidth, drawableHeight), std::pair(320, 240));
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    std::string first(list, std::strcspn(list, " "));
    EXPECT_TRUE(hasExtension(first.c_str()));
    EXPECT_FALSE(hasExtension(first.substr(0, first.size() - 1).c_str()));
}

TEST(Surface, DrawnStraightFullscreenNeedsAModeOfTheSurfacesSizeAndNoSizeIsRefused) {
    TempFolder temp;
    Window window(0, {.scale = 3, .offscreen = false});
    ASSERT_TRUE(window.made);
    EXPECT_FALSE(gameWindow->drawsOffscreen());
    EXPECT_EQ(gameWindow->windowScale, 1);
    // The virtual display has one mode, its own size; 320 x 240 is not one.
    EXPECT_FALSE(gameWindow->enterFullscreen());
    EXPECT_FALSE(gameWindow->fullscreen);
    EXPECT_NE(readWholeFile(temp.file("ErrorLog.txt")).find("No Fullscreen Mode available\r\n"),
              std::string::npos);
    GameWindow other;
    EXPECT_FALSE(other.createSurface(0, 240, 0, 0));
    EXPECT_FALSE(other.createSurface(320, -5, 0, 0));
}

TEST(Surface, ScalePlacementAndPictureGeometry) {
    const PixelRect desk{0, 0, 1920, 1080}, panels{0, 40, 1920, 1000};
    const struct {
        int32_t setting, width, height;
        PixelRect area;
        int32_t scale;
    } scales[] = {
        {0, 320, 240, desk, 4},   {0, 320, 240, panels, 4}, {0, 320, 240, {0, 0, 1920, 950}, 3},
        {0, 1600, 1200, desk, 1}, {3, 320, 240, desk, 3},   {9, 320, 240, desk, 9},
        {64, 4000, 10, desk, 4},  {0, 320, 240, {}, 1},
    };
    for (const auto& c : scales) {
        EXPECT_EQ(chooseWindowScale(c.setting, c.width, c.height, c.area), c.scale)
            << c.setting << " " << c.width << "x" << c.height << " in " << c.area.height;
    }
    EXPECT_EQ(placeWindow(panels, 960, 720), (PixelRect{480, 180, 960, 720}));
    EXPECT_EQ(placeWindow({0, 0, 1024, 768}, 1600, 1200), (PixelRect{0, 0, 1600, 1200}));
    EXPECT_EQ(placeWindow({100, 0, 1024, 768}, 1000, 1200), (PixelRect{112, 0, 1000, 1200}));
    // Drawable sizes: whole scales centred, and below 1 the aspect kept.
    const std::pair<std::pair<int32_t, int32_t>, PixelRect> pictures[] = {
        {{320, 240}, {0, 0, 320, 240}},       {{1000, 800}, {20, 40, 960, 720}},
        {{1920, 1080}, {320, 60, 1280, 960}}, {{160, 240}, {0, 60, 160, 120}},
        {{320, 100}, {93, 0, 133, 100}},      {{0, 240}, {}},
    };
    for (auto [drawable, picture] : pictures) {
        EXPECT_EQ(pictureRect(320, 240, drawable.first, drawable.second), picture)
            << drawable.first << "x" << drawable.second;
    }
    // Every window pixel of a 3x picture maps to the pixel it shows; each
    // surface pixel maps back into its own block.
    const PixelRect picture{20, 40, 960, 720};
    for (int32_t wx : {19, 20, 22, 23, 979, 980}) {
        int32_t x = wx, y = 40;
        drawableToSurface(picture, 320, 240, x, y);
        EXPECT_EQ(x, wx < 20 ? -1 : (wx - 20) / 3) << wx;
        surfaceToDrawable(picture, 320, 240, x, y);
        if (wx >= 20) {
            EXPECT_EQ(x, 20 + (wx - 20) / 3 * 3 + 1) << wx;
        }
    }
}

TEST(Surface, ScaleFromTheEnvironmentOnlyAWholeNumberInRange) {
    const std::pair<const char*, int32_t> values[] = {
        {"3", 3}, {"0", 0}, {"64", 64}, {"", 7}, {"65", 7}, {"-1", 7}, {"2x", 7}, {" 2", 7},
    };
    for (auto [text, scale] : values) {
        TempFolder temp;
        setenv("VORLAN_SCALE", text, 1);
        EXPECT_EQ(scaleSetting(7), scale) << "'" << text << "'";
        EXPECT_EQ(readWholeFile(temp.file("ErrorLog.txt")).empty(), scale != 7)
            << "'" << text << "'";
    }
    setenv("VORLAN_SCALE", "1", 1);
}

TEST(Surface, ExtensionWordsAndSoftwareRenderers) {
    const char* list = "GL_ARB_multitexture GL_EXT_bgra GL_ARB_multitexture_extra GL_X";
    const std::pair<const char*, bool> words[] = {{"GL_EXT_bgra", true},   {"GL_X", true},
                                                  {"GL_ARB_multi", false}, {"EXT_bgra", false},
                                                  {"GL_EXT_bgr", false},   {"", false}};
    for (auto [word, listed] : words) EXPECT_EQ(extensionListed(list, word), listed) << word;
    EXPECT_TRUE(isSoftwareRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(isSoftwareRenderer("softpipe"));
    EXPECT_FALSE(isSoftwareRenderer("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
}

TEST(Surface, MultisamplingHalvesAndTheSoftwareRendererIsLoggedOnce) {
    TempFolder temp;
    {
        Window window(8);
        ASSERT_TRUE(window.made);
        int got = gameWindow->multisampleSamples;
        EXPECT_TRUE(got == 8 || got == 4 || got == 2 || got <= 1) << got;
        EXPECT_EQ(integer(GL_SAMPLES), got);
    }
    Window window;
    // The software renderer is logged with the first window, never again.
    std::string log = readWholeFile(temp.file("ErrorLog.txt"));
    size_t at = log.find("OpenGL Software Emulation\r\n");
    if (at != std::string::npos) {
        EXPECT_EQ(log.find("OpenGL Software Emulation", at + 1), std::string::npos);
    }
}

}  // namespace
}  // namespace vorlan
