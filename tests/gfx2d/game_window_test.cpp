// The window and its OpenGL context, on the real driver in a real X server.
#include <vorlan/app.h>

#include <cstring>
#include <filesystem>

#include "gfx2d/gl_extensions.h"
#include "gfx2d/gl_surface.h"
#include "gfx2d/window_scale.h"
#include "support/child_entry.h"

namespace vorlan::test {
namespace {

using Surface = GLSurface;

TEST_F(Surface, MadeAsAskedAndSetUpForTwoDimensions) {
    double w = 0, h = 0;
    getScreenSize(w, h);
    EXPECT_TRUE(w == 320 && h == 240) << w << " x " << h;
    EXPECT_GE(gameWindow->bitsPerPixel, 24);
    // What the context asks for; DrawState pins the shade model, alpha test and dither.
    const std::pair<GLenum, GLint> state[] = {
        {GL_DEPTH_BITS, 24}, {GL_STENCIL_BITS, 8}, {GL_ALPHA_TEST_FUNC, GL_GREATER},
        {GL_TEXTURE_2D, 1},  {GL_CULL_FACE, 1},
    };
    for (auto [name, value] : state) {
        GLint got = 0;
        glGetIntegerv(name, &got);
        EXPECT_EQ(got, value) << "0x" << std::hex << name;
    }
    GLfloat reference = 0;
    glGetFloatv(GL_ALPHA_TEST_REF, &reference);
    EXPECT_NEAR(reference, 0.15f, 1e-6);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    // Extensions are whole words of the driver's list.
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    std::string first(list, std::strcspn(list, " "));
    EXPECT_TRUE(hasExtension(first.c_str()));
    EXPECT_FALSE(hasExtension(first.substr(0, first.size() - 1).c_str()));
    EXPECT_TRUE(isSoftwareRenderer("softpipe"));
    EXPECT_FALSE(isSoftwareRenderer("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
}

TEST_F(Surface, DrawnStraightFullscreenNeedsAModeOfTheSurfacesSizeAndNoSizeIsRefused) {
    remake(320, 240, 0, {.scale = 3, .offscreen = false});
    // The virtual display has one mode, its own size; 320 x 240 is not one.
    EXPECT_FALSE(gameWindow->enterFullscreen());
    EXPECT_FALSE(gameWindow->fullscreen);
    EXPECT_NE(readWholeFile(temp_.file("ErrorLog.txt")).find("No Fullscreen Mode available\r\n"),
              std::string::npos);
    GameWindow other;
    EXPECT_FALSE(other.createSurface(0, 240, 0, 0));
    EXPECT_FALSE(other.createSurface(320, -5, 0, 0));
}

// What the program's tests cannot reach on their one screen size.
TEST(WindowScale, ForPanelsAndPicturesBelowOneAndTheScaleVariable) {
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

// Two surfaces one after the other in a fresh process, as a game starts.
VORLAN_TEST_CHILD(TwoSurfaces) {
    for (int i = 0; i < 2; ++i) {
        gameWindow = new GameWindow();
        bool made = gameWindow->createSurface(320, 240, 0, 0);
        const char* renderer = made ? reinterpret_cast<const char*>(glGetString(GL_RENDERER)) : "";
        std::puts(!made ? "refused" : isSoftwareRenderer(renderer) ? "software" : "hardware");
        delete gameWindow;
    }
}

// With no display SDL would draw off screen: the game would run with no
// window, and whoever waits for it would wait for ever. A software renderer
// is logged with the first window only.
TEST(SurfaceProcess, RefusedWithoutADisplayAndTheSoftwareRendererLoggedOnce) {
    for (std::string display : {":65000", ""}) {
        SCOPED_TRACE(display);
        TempFolder temp;
        auto child = startChild(
            "TwoSurfaces", {"DISPLAY=" + (display.empty() ? std::getenv("DISPLAY") : display)});
        ASSERT_EQ(child->waitForExit(60000), 0) << child->errors();
        std::string out = child->output(), log = "";
        if (std::filesystem::exists(temp.file("ErrorLog.txt")))
            log = readWholeFile(temp.file("ErrorLog.txt"));
        EXPECT_TRUE(display.empty() ? out == "software\nsoftware\n" || out == "hardware\nhardware\n"
                                    : out == "refused\nrefused\n")
            << out;
        size_t at = log.find("OpenGL Software Emulation\r\n");
        EXPECT_EQ(at != std::string::npos, out.starts_with("software")) << log;
        EXPECT_EQ(log.find("OpenGL Software Emulation", at + 1), std::string::npos) << log;
    }
}

}  // namespace
}  // namespace vorlan::test
