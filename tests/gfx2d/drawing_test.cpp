// Sprite and primitive drawing on the real driver, read back from the back buffer.
#include <vorlan/app.h>

#include <cmath>
#include <functional>
#include <map>
#include <tuple>

#include "gfx2d/gl_surface.h"
#include "support/fatal_cases.h"

namespace vorlan::test {
namespace {

struct Box {
    int32_t left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
    bool operator==(const Box&) const = default;
};

// The smallest box around every non-black pixel.
Box litBox(const Picture& p) {
    Box box;
    for (int32_t y = 0; y < p.height; ++y) {
        for (int32_t x = 0; x < p.width; ++x) {
            const uint8_t* px = p.at(x, y);
            if (px[0] + px[1] + px[2] == 0) continue;
            box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                   std::max(box.bottom, y)};
        }
    }
    return box;
}

// Counter-clockwise on the screen, as sprites are.
void drawSquare(double slot, int colour) {
    startPolygon(slot);
    for (auto [x, y] : {std::pair{0, 0}, {0, 6}, {8, 6}, {8, 0}}) {
        addPolygonVertex(20 + x, 20 + y, x, y, colour);
    }
    endPolygon();
}

// Slot 1: an 8 x 6 gradient; slot 2: a 3 x 3 magenta square.
class SpriteDraw : public GLSurface {
  protected:
    void SetUp() override {
        GLSurface::SetUp();
        source_ = gradient(8, 6);
        file_ = writePng("g.png", source_);
        loadSprite(file_.c_str(), 1);
        loadSprite(writePng("t.png", picture(3, 3, 0xFF00FFFF)).c_str(), 2);
    }
    Picture source_;
    std::string file_;
};

// How a draw shows slot 1's picture, pixel for pixel; kOther: not 1:1.
enum Shows { kOther, kUpright, kFlipX, kFlipY, kFlipXY };

TEST_F(SpriteDraw, DrawsCoverExactlyTheirPixels) {
    struct Case {
        const char* name;
        std::function<void()> draw;
        Box box;
        Shows shows = kOther;
        int32_t colour = -1;  // at the box's centre, when given
    };
    const Case cases[] = {
        {"point", [] { plotPoint(5, 7, 255); }, {5, 7, 5, 7}, kOther, 255},
        {"line with both ends", [] { drawLine(10, 20, 30, 20, 255); }, {10, 20, 30, 20}},
        {"line upwards", [] { drawLine(50, 40, 50, 30, 255); }, {50, 30, 50, 40}},
        {"rectangle", [] { fillRect(100, 100, 10, 5, 255); }, {100, 100, 109, 104}},
        {"negative width", [] { fillRect(100, 100, -10, 5, 255); }, {91, 100, 100, 104}},
        {"negative height", [] { fillRect(100, 100, 10, -5, 255); }, {100, 96, 109, 100}},
        {"key colour, translucent",
         [] {
             setAlphaMode(-1);
             drawLine(10, 10, 200, 150, 0x8000FF);
             fillRect(20, 20, 30, 30, 0x8000FF);
             setAlphaMode(0);
         },
         {}},
        // Clipped at the viewport's edge; no size: the whole surface again.
        {"in a viewport",
         [] {
             setViewport(30, 20, 100, 80);
             drawSprite(1, 0, 0);
             fillRect(95, 0, 10, 10, 0xFFFFFF);
             setViewport(0, 0, 0, 0);
         },
         {30, 20, 129, 29},
         kUpright},
        {"sprite at 10.2 as at 11", [] { drawSprite(1, 10.2, 5); }, {11, 5, 18, 10}, kUpright},
        {"stretched", [] { drawSpriteStretched(1, 100, 50, 8, 6); }, {100, 50, 107, 55}, kUpright},
        {"mirrored", [] { drawSpriteStretched(1, 100, 50, -8, 6); }, {92, 50, 99, 55}, kFlipX},
        {"upside down", [] { drawSpriteStretched(1, 100, 50, 8, -6); }, {100, 44, 107, 49}, kFlipY},
        {"both", [] { drawSpriteStretched(1, 100, 50, -8, -6); }, {92, 44, 99, 49}, kFlipXY},
        // The centre stays where the unzoomed picture's centre was.
        {"zoomed", [] { drawSpriteZoomed(1, 100, 50, 2, 3); }, {96, 44, 111, 61}},
        {"roto-zoomed", [] { drawSpriteRotoZoom(1, 100, 100, 0, 2); }, {96, 97, 111, 108}},
        {"textured polygon", [] { drawSquare(1, 0xFFFFFF); }, {20, 20, 27, 25}, kUpright},
        {"key-coloured vertices have alpha 0", [] { drawSquare(-1, 0x8000FF); }, {}},
        // Far beyond the first room of 512 vertices: all but the last two on one edge.
        {"polygon of 5003 vertices",
         [] {
             startPolygon(-1);
             for (int i = 0; i <= 5000; ++i) addPolygonVertex(100, 100 + i / 100.0, 0, 0, 0xFF00);
             addPolygonVertex(150, 150, 0, 0, 0xFF00);
             addPolygonVertex(150, 100, 0, 0, 0xFF00);
             endPolygon();
         },
         {100, 100, 149, 149},
         kOther,
         0xFF00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clearScreen();
        c.draw();
        Picture p = screen();
        EXPECT_EQ(litBox(p), c.box);
        if (c.colour >= 0) {
            EXPECT_EQ(getPixel((c.box.left + c.box.right) / 2, (c.box.top + c.box.bottom) / 2),
                      c.colour);
        }
        bool flipX = c.shows == kFlipX || c.shows == kFlipXY;
        bool flipY = c.shows == kFlipY || c.shows == kFlipXY;
        for (int32_t i = 0; c.shows != kOther && i < 48; ++i) {
            int32_t x = i % 8, y = i / 8;
            ASSERT_EQ(p.rgbAt(c.box.left + x, c.box.top + y),
                      source_.rgbAt(flipX ? 7 - x : x, flipY ? 5 - y : y))
                << x << "," << y;
        }
    }
    // Presenting flushes what is queued (the next frame starts clear) and
    // resets the alpha mode.
    setAlphaMode(-0.5);
    drawSprite(1, 30, 40);
    presentFrame();
    plotPoint(6, 7, 0x123456);
    EXPECT_EQ(getPixel(6.9, 7), 0x123456) << "truncated";
    EXPECT_EQ(litBox(screen()), (Box{6, 7, 6, 7}));
    // Outside the surface: -1, never whatever memory held.
    for (auto [x, y] :
         {std::pair{-1.0, 0.0}, {0.0, -1.0}, {320.0, 5.0}, {5.0, 240.0}, {1e12, 0.0}}) {
        EXPECT_EQ(getPixel(x, y), -1) << x << "," << y;
    }
}

// Red grows to the right of slot 1's picture: where it is highest shows the turn.
TEST_F(SpriteDraw, PositiveAnglesTurnCounterClockwise) {
    // Angle, then the reddest and least red point around the centre (104, 103).
    for (auto [angle, redX, redY, leastX, leastY] :
         {std::array{90, 104, 100, 104, 105}, {180, 101, 103, 106, 103}}) {
        clearScreen();
        drawSpriteRotated(1, 100, 100, angle);
        Picture p = screen();
        EXPECT_GT(p.at(redX, redY)[0], p.at(leastX, leastY)[0] + 20) << angle;
    }
}

// Grey 200 sprite and rectangle over grey 100, within 1 of the blend formulas.
TEST_F(SpriteDraw, AlphaModesFollowTheirBlendFormulas) {
    loadSprite(writePng("c.png", picture(8, 8, 0xC8C8C8FF)).c_str(), 3);
    const double s = 200, d = 100;
    auto clampByte = [](double v) { return std::min(255.0, v); };
    double primitiveAlpha = std::floor(0.1 * 255) / 255;
    const std::array<double, 3> cases[] = {
        // mode, sprite, rectangle
        {0, s, s},
        {std::nan(""), s, s},
        {-0.5, s * 0.25 + d * 0.5, std::floor(s * 0.5) * (127 / 255.0) + d * (1 - 127 / 255.0)},
        {-2, s, s},
        {0.5, clampByte(s * 0.5 + d), clampByte(std::floor(s * 0.5) + d)},
        {2, clampByte(s + d), clampByte(s + d)},
        // At 0.15 or less the alpha test drops every textured fragment.
        {-0.1, d, std::floor(s * 0.1f) * primitiveAlpha + d * (1 - primitiveAlpha)},
    };
    for (auto [mode, sprite, rect] : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        setAlphaMode(0);
        fillRect(0, 0, 100, 100, 100 * 0x010101);
        setAlphaMode(mode);
        setViewport(0, 0, 320, 240);  // keeps the mode
        drawSprite(3, 10, 10);
        fillRect(40, 10, 8, 8, 200 * 0x010101);
        Picture p = screen();
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(p.at(14, 14)[k], sprite, 1.0);
            EXPECT_NEAR(p.at(44, 14)[k], rect, 1.0);
        }
    }
}

// The GL state later commands rely on, keyed by its GL name.
std::map<GLenum, std::array<float, 16>> glState(bool bindsTextures) {
    flushQuads();
    std::map<GLenum, std::array<float, 16>> state;
    // clang-format off
    const GLenum names[] = {
        GL_BLEND, GL_ALPHA_TEST, GL_CULL_FACE, GL_SCISSOR_TEST, GL_DITHER,
        GL_COLOR_MATERIAL, GL_VERTEX_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_COLOR_ARRAY,
        GL_BLEND_SRC, GL_BLEND_DST, GL_ALPHA_TEST_FUNC, GL_ALPHA_TEST_REF,
        GL_ACTIVE_TEXTURE, GL_CLIENT_ACTIVE_TEXTURE, GL_MATRIX_MODE,
        GL_PROJECTION_STACK_DEPTH, GL_MODELVIEW_STACK_DEPTH, GL_FRONT_FACE,
        GL_READ_BUFFER, GL_PACK_ALIGNMENT, GL_PACK_ROW_LENGTH, GL_UNPACK_ALIGNMENT,
        GL_UNPACK_ROW_LENGTH, GL_SHADE_MODEL, GL_CURRENT_PROGRAM,
        GL_ARRAY_BUFFER_BINDING, GL_CURRENT_COLOR, GL_VIEWPORT, GL_SCISSOR_BOX,
        GL_COLOR_CLEAR_VALUE, GL_COLOR_WRITEMASK, GL_PROJECTION_MATRIX,
        GL_MODELVIEW_MATRIX, GL_TEXTURE_2D, GL_TEXTURE_BINDING_2D};
    // clang-format on
    for (GLenum name : names) {
        if (bindsTextures && (name == GL_TEXTURE_2D || name == GL_TEXTURE_BINDING_2D)) continue;
        glGetFloatv(name, state[name].data());
    }
    return state;
}

void drawSprites(int count) {
    for (int i = 0; i < count; ++i) drawSprite(1 + i % 3, i * 9, 4);
}

using DrawState = SpriteDraw;

TEST_F(DrawState, EveryCommandLeavesTheStateLaterCommandsRelyOn) {
    // What runs, and whether it draws (and may leave another texture bound);
    // the others, the key probe too, leave every pixel as it was.
    const std::tuple<const char*, std::function<void()>, bool> cases[] = {
        {"drawSprite", [] { drawSprite(1, 3, 4); }, true},
        {"drawSprite of an empty slot", [] { drawSprite(40, 3, 4); }, true},
        {"a batch of sprites", [] { drawSprites(9); }, true},
        {"mirrored drawSpriteStretched", [] { drawSpriteStretched(1, 50, 4, -20, 9); }, true},
        {"drawSpriteZoomed", [] { drawSpriteZoomed(2, 50, 4, 3, -2); }, true},
        {"drawSpriteRotoZoom", [] { drawSpriteRotoZoom(1, 50, 40, 33, 1.5); }, true},
        {"plotPoint", [] { plotPoint(5, 5, 0xFF); }, true},
        {"drawLine", [] { drawLine(5, 5, 60, 9, 0x8000FF); }, true},
        {"fillRect", [] { fillRect(5, 5, -6, 9, 0xFF00); }, true},
        {"polygon", [] { drawSquare(1, 0xFF); }, true},
        {"getPixel", [] { getPixel(3, 3); }, false},
        {"grabSprite with the key probe", [] { grabSprite(3, 1, 1, 20, 20); }, false},
        {"spriteCollision", [] { spriteCollision(1, 0, 0, 2, 1, 1); }, false},
        {"loadSprite", [this] { loadSprite(file_.c_str(), 4); }, false},
        {"loadSprite into a font slot", [this] { loadSprite(file_.c_str(), 65504); }, false},
        {"loadBumpMap", [this] { loadBumpMap(file_.c_str(), 5); }, false},
        {"failing loadSprite", [] { loadSprite("no such file.png", 4); }, false},
        {"setTransparentColour", [] { setTransparentColour(0x102030); }, false},
        {"clearScreen", [] { clearScreen(); }, true},
    };
    setViewport(10, 10, 200, 200);
    setAlphaMode(-0.5);
    drawSprite(2, 0, 0);  // some texture is bound
    for (const auto& [name, run, draws] : cases) {
        Picture shown = screen();
        auto before = glState(draws);
        run();
        auto after = glState(draws);
        EXPECT_TRUE(draws || screen().pixels == shown.pixels) << name;
        for (const auto& [name, value] : before) {
            EXPECT_EQ(after[name], value) << name << ": GL name 0x" << std::hex << name;
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << name;
    }
}

// Every kind of draw, state changes, empty slots and read-backs in between.
void drawScene() {
    setAlphaMode(0);
    fillRect(0, 0, 320, 240, 0x202020);
    for (int i = 0; i < 300; ++i) {
        double slot = i % 5 == 0 ? 30 : (i / 7) % 3 + 1;  // slot 30 is empty
        drawSprite(slot, (i * 37) % 300, (i * 53) % 220);
        if (i % 50 == 0) setAlphaMode(i % 100 == 0 ? -0.6 : 0.3);
        if (i % 90 == 0) plotPoint(i % 320, i % 240, 0xFF00FF);
    }
    // Translucent and overlapping, so that order shows; then on, across and
    // just beyond the view's edges.
    setAlphaMode(-0.6);
    for (int i = 0; i < 60; ++i) drawSprite(i % 3 + 1, (i * 7) % 40 + 100, (i * 5) % 30 + 100);
    for (double x : {-9, -8, -7, 150, 312, 319, 320}) {
        for (double y : {-7, -6, -5, 150, 234, 239, 240}) drawSprite(1, x, y);
    }
    drawSpriteStretched(1, 200, 100, -40, 30);
    drawSpriteRotoZoom(2, 100, 100, 30, 2);
    grabSprite(4, 50, 50, 40, 40);
    drawSprite(4, 250, 180);
    spriteCollision(1, 0, 0, 2, 3, 3);
    drawSpriteZoomed(1, 10, 200, -1.5, 1.5);
    drawLine(0, 0, 319, 239, 0xFFFFFF);
    drawSquare(3, 0xFF00);
    drawSprites(100);
}

TEST_F(DrawState, BatchedDrawingGivesTheSameBytesAsUnbatched) {
    // Alpha from 0 to 255 across: the alpha test and blending have edges to decide.
    Picture fading = gradient(16, 4);
    for (int i = 0; i < 64; ++i) fading.at(i % 16, i / 16)[3] = static_cast<uint8_t>(i % 16 * 17);
    loadSprite(writePng("b.png", fading).c_str(), 3);
    setDrawBatching(false);
    drawScene();
    Picture unbatched = screen();
    clearScreen();
    setDrawBatching(true);
    drawScene();
    EXPECT_TRUE(screen().pixels == unbatched.pixels);
}

// 32 bytes a vertex: the list passes the memory cap long before the end.
void growPolygon() {
    startPolygon(-1);
    for (int i = 0; i < 200000000; ++i) addPolygonVertex(i % 320, i % 240, 0, 0, 0xFF);
}
const FatalCases kPolygonErrors("PolygonErrors",
                                {{"a vertex list that cannot grow", 7, "addPolygonVertex",
                                  growPolygon, "", true, true}},
                                [] {
                                    gameWindow = new GameWindow();
                                    if (!gameWindow->createSurface(320, 240, 0, 0)) std::exit(3);
                                });

TEST(PolygonErrors, AVertexListThatCannotGrowIsFatalError7) {
    kPolygonErrors.check();
}

}  // namespace
}  // namespace vorlan::test
