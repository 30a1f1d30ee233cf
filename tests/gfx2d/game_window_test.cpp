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

// What the program's tests cannot reach on their one screen size.
TEST(Surface, ScaleForPanelsAndPicturesBelowOneAndTheScaleVariable) {
    EXPECT_EQ(chooseWindowScale(0, 320, 240, {0, 40, 1920, 1040}), 4);
    EXPECT_EQ(chooseWindowScale(0, 320, 240, {0, 40, 1920, 950}), 3);
    EXPECT_EQ(chooseWindowScale(64, 4000, 10, {0, 0, 1920, 1080}), 4);  // 16384 wide at most
    EXPECT_EQ(pictureRect(320, 240, 160, 240), (PixelRect{0, 60, 160, 120}));
    EXPECT_EQ(pictureRect(320, 240, 320, 100), (PixelRect{93, 0, 133, 100}));
    EXPECT_EQ(pictureRect(320, 240, 0, 240), PixelRect{});
    const std::pair<const char*, int> values[] = {{"64", 64}, {"0", 0}, {"65", 7}, {" 2", 7}};
    for (auto [text, scale] : values) {
        TempFolder temp;
        setenv("VORLAN_SCALE", text, 1);
        EXPECT_EQ(scaleSetting(7), scale) << text;
        EXPECT_EQ(readWholeFile(temp.file("ErrorLog.txt")).empty(), scale != 7) << text;
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
