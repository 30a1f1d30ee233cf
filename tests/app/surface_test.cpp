// The window and its OpenGL context, against the real driver (Mesa) in a
// real X server.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/error_report.h"
#include "app/renderer.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

using test::TempFolder;

class Surface : public testing::Test {
  protected:
    void SetUp() override {
        renderer = new OpenGLZererazo();
        ASSERT_TRUE(renderer->createSurface(320, 240, 0, 60, 0));
    }
    void TearDown() override {
        delete renderer;
        renderer = nullptr;
    }

    static bool enabled(GLenum cap) { return glIsEnabled(cap) == GL_TRUE; }
    TempFolder temp_;
};

TEST_F(Surface, CreatesTheAskedSizeWithDesktopDepth) {
    EXPECT_EQ(renderer->screenWidth, 320);
    EXPECT_EQ(renderer->screenHeight, 240);
    EXPECT_GE(renderer->bitsPerPixel, 24);
    EXPECT_TRUE(renderer->contextReady);
    EXPECT_DOUBLE_EQ(renderer->frameTime, static_cast<double>(1000.0f / 60.0f));
    double w = 0, h = 0;
    getScreenSize(w, h);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    GLint depth = 0, stencil = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    glGetIntegerv(GL_STENCIL_BITS, &stencil);
    EXPECT_EQ(depth, 24);
    EXPECT_EQ(stencil, 8);
}

TEST_F(Surface, Setup2DLeavesExactlyTheTwoDimensionalState) {
    renderer->setup2D(10, 20, 100, 50);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    // y counts from the bottom in OpenGL: 240 - 50 - 20.
    EXPECT_EQ(viewport[0], 10);
    EXPECT_EQ(viewport[1], 170);
    EXPECT_EQ(viewport[2], 100);
    EXPECT_EQ(viewport[3], 50);

    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    // glOrtho(0, 100, 50, 0, -1, 1): y grows downwards.
    EXPECT_FLOAT_EQ(projection[0], 2.0f / 100);
    EXPECT_FLOAT_EQ(projection[5], -2.0f / 50);
    EXPECT_DOUBLE_EQ(projection[12], -1.0);
    EXPECT_DOUBLE_EQ(projection[13], 1.0);
    GLdouble modelView[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    for (int i = 0; i < 16; ++i) EXPECT_DOUBLE_EQ(modelView[i], i % 5 == 0 ? 1.0 : 0.0);

    EXPECT_TRUE(enabled(GL_TEXTURE_2D));
    EXPECT_FALSE(enabled(GL_DEPTH_TEST));
    EXPECT_TRUE(enabled(GL_CULL_FACE));
    EXPECT_TRUE(enabled(GL_ALPHA_TEST));
    GLint value = 0;
    glGetIntegerv(GL_FRONT_FACE, &value);
    EXPECT_EQ(value, GL_CCW);
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &value);
    EXPECT_EQ(value, GL_GREATER);
    GLfloat reference = 0;
    glGetFloatv(GL_ALPHA_TEST_REF, &reference);
    EXPECT_NEAR(reference, 0.15f, 1e-6);
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_FLAT);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, colour);
    EXPECT_EQ(colour[0] + colour[1] + colour[2], 0.0f);
    EXPECT_EQ(colour[3], 1.0f);
    for (GLenum cap :
         {GL_DITHER, GL_FOG, GL_LINE_SMOOTH, GL_POINT_SMOOTH, GL_POLYGON_SMOOTH, GL_STENCIL_TEST,
          GL_POLYGON_OFFSET_POINT, GL_COLOR_MATERIAL, GL_AUTO_NORMAL, GL_NORMALIZE, GL_LIGHTING}) {
        EXPECT_FALSE(enabled(cap)) << "capability 0x" << std::hex << cap;
    }
    glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
    EXPECT_EQ(value, GL_FASTEST);
    glGetIntegerv(GL_POLYGON_SMOOTH_HINT, &value);
    EXPECT_EQ(value, GL_FASTEST);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Surface, Setup2DWithoutASizeTakesTheWholeSurface) {
    renderer->setup2D(30, 40, 0, 10);
    EXPECT_EQ(renderer->viewport.x, 0);
    EXPECT_EQ(renderer->viewport.y, 0);
    EXPECT_EQ(renderer->viewport.width, 320);
    EXPECT_EQ(renderer->viewport.height, 240);
}

TEST_F(Surface, KnowsTheDriversExtensions) {
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    ASSERT_NE(list, nullptr);
    std::string first(list, std::strcspn(list, " "));
    EXPECT_TRUE(hasExtension(first.c_str()));
    EXPECT_FALSE(hasExtension(first.substr(0, first.size() - 1).c_str()));
    EXPECT_FALSE(hasExtension("GL_VORLAN_no_such_thing"));
}

TEST_F(Surface, FullscreenWithoutSuchAModeStaysWindowedAndSaysSo) {
    // The virtual display has one mode, its own size; 320 × 240 is not one.
    EXPECT_FALSE(renderer->enterFullscreen());
    EXPECT_FALSE(renderer->fullscreen);
    EXPECT_NE(
        test::readWholeFile(temp_.file("ErrorLog.txt")).find("No Fullscreen Mode available\r\n"),
        std::string::npos);
}

TEST(ExtensionList, MatchesWholeWordsOnly) {
    const char* list = "GL_ARB_multitexture GL_EXT_bgra GL_ARB_multitexture_extra GL_X";
    EXPECT_TRUE(extensionListed(list, "GL_ARB_multitexture"));
    EXPECT_TRUE(extensionListed(list, "GL_EXT_bgra"));
    EXPECT_TRUE(extensionListed(list, "GL_X"));
    EXPECT_FALSE(extensionListed(list, "GL_ARB_multi"));
    EXPECT_FALSE(extensionListed(list, "EXT_bgra"));
    EXPECT_FALSE(extensionListed(list, "GL_EXT_bgr"));
    EXPECT_FALSE(extensionListed("GL_ARB_multitexture_extra", "GL_ARB_multitexture"));
    EXPECT_FALSE(extensionListed(list, ""));
    EXPECT_FALSE(extensionListed(nullptr, "GL_X"));
}

TEST(SoftwareRenderer, MesaSoftwareRasterizersCountAsEmulation) {
    EXPECT_TRUE(isSoftwareRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(isSoftwareRenderer("softpipe"));
    EXPECT_TRUE(isSoftwareRenderer("Software Rasterizer"));
    EXPECT_FALSE(isSoftwareRenderer("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
    EXPECT_FALSE(isSoftwareRenderer(nullptr));
}

TEST(SoftwareRenderer, WarningIsLoggedOncePerProcess) {
    TempFolder temp;
    for (int i = 0; i < 2; ++i) {
        renderer = new OpenGLZererazo();
        ASSERT_TRUE(renderer->createSurface(320, 240, 0, 60, 0));
        delete renderer;
        renderer = nullptr;
    }
    std::string log = test::readWholeFile(temp.file("ErrorLog.txt"));
    size_t first = log.find("OpenGL Software Emulation\r\n");
    // Some earlier test of this process may have shown it already; never twice.
    if (first != std::string::npos) {
        EXPECT_EQ(log.find("OpenGL Software Emulation", first + 1), std::string::npos);
    }
}

TEST(Multisampling, HalvesUntilTheDriverGivesAFormat) {
    TempFolder temp;
    renderer = new OpenGLZererazo();
    ASSERT_TRUE(renderer->createSurface(320, 240, 0, 60, 8));
    int got = renderer->multisampleSamples;
    EXPECT_TRUE(got == 8 || got == 4 || got == 2 || got == 1 || got == 0) << got;
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_EQ(samples, got);
    delete renderer;
    renderer = nullptr;
}

TEST(FrameRateSetting, NonPositiveRateGivesTwoMilliseconds) {
    TempFolder temp;
    renderer = new OpenGLZererazo();
    ASSERT_TRUE(renderer->createSurface(320, 240, 0, 0, 0));
    EXPECT_DOUBLE_EQ(renderer->frameTime, 2.0);
    setFrameLimit(25);
    EXPECT_DOUBLE_EQ(renderer->frameTime, 40.0);
    setFrameLimit(-5);
    EXPECT_DOUBLE_EQ(renderer->frameTime, 2.0);
    delete renderer;
    renderer = nullptr;
}

}  // namespace
}  // namespace vorlan
