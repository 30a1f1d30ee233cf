// The drawing state every command must leave behind, polygons, the
// viewport, and batched drawing giving the very same pixels as unbatched.
#include <vorlan/sprites.h>

#include <cmath>
#include <functional>
#include <map>

#include "app/frame_loop.h"
#include "gfx2d/gl_surface.h"

namespace vorlan {
namespace {

using test::gradient;
using test::Picture;
using test::picture;

// The GL state later commands rely on, keyed by its GL name.
std::map<GLenum, std::vector<float>> glState(bool withTextures) {
    flushQuads();
    std::map<GLenum, std::vector<float>> state;
    for (GLenum cap : {GL_BLEND, GL_ALPHA_TEST, GL_CULL_FACE, GL_SCISSOR_TEST, GL_DITHER,
                       GL_COLOR_MATERIAL, GL_VERTEX_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_COLOR_ARRAY,
                       withTextures ? GL_TEXTURE_2D : GL_BLEND}) {
        state[cap] = {static_cast<float>(glIsEnabled(cap))};
    }
    auto read = [&state](GLenum name, size_t count) {
        std::vector<float> value(16);
        glGetFloatv(name, value.data());
        value.resize(count);
        state[name] = value;
    };
    for (GLenum name :
         {GL_BLEND_SRC, GL_BLEND_DST, GL_ALPHA_TEST_FUNC, GL_ALPHA_TEST_REF, GL_ACTIVE_TEXTURE,
          GL_CLIENT_ACTIVE_TEXTURE, GL_MATRIX_MODE, GL_PROJECTION_STACK_DEPTH,
          GL_MODELVIEW_STACK_DEPTH, GL_FRONT_FACE, GL_READ_BUFFER, GL_PACK_ALIGNMENT,
          GL_PACK_ROW_LENGTH, GL_UNPACK_ALIGNMENT, GL_UNPACK_ROW_LENGTH, GL_SHADE_MODEL,
          GL_CURRENT_PROGRAM, GL_ARRAY_BUFFER_BINDING,
          withTextures ? GL_TEXTURE_BINDING_2D : GL_BLEND_SRC}) {
        read(name, 1);
    }
    for (GLenum name : {GL_CURRENT_COLOR, GL_VIEWPORT, GL_SCISSOR_BOX, GL_COLOR_CLEAR_VALUE,
                        GL_COLOR_WRITEMASK}) {
        read(name, 4);
    }
    read(GL_PROJECTION_MATRIX, 16);
    read(GL_MODELVIEW_MATRIX, 16);
    return state;
}

// Sprites of slots 1 to 3 side by side.
void drawSprites(int count) {
    for (int i = 0; i < count; ++i) drawSprite(1 + i % 3, i * 9, 4);
}

void drawTriangle(double slot) {
    startPolygon(slot);
    addPolygonVertex(150, 150, 0, 0, 0xFFFFFF);
    addPolygonVertex(150, 190, 0, 5, 0xFF);
    addPolygonVertex(190, 190, 5, 5, 0xFF00);
    endPolygon();
}

class DrawState : public test::GLSurface {
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

TEST_F(DrawState, EveryCommandLeavesTheStateLaterCommandsRelyOn) {
    struct Case {
        const char* name;
        std::function<void()> run;
        bool bindsTextures;  // draws: may leave another texture bound
    };
    const Case cases[] = {
        {"drawSprite", [] { drawSprite(1, 3, 4); }, true},
        {"drawSprite of an empty slot", [] { drawSprite(40, 3, 4); }, true},
        {"a batch of sprites", [] { drawSprites(9); }, true},
        {"mirrored drawSpriteStretched", [] { drawSpriteStretched(1, 50, 4, -20, 9); }, true},
        {"drawSpriteZoomed", [] { drawSpriteZoomed(2, 50, 4, 3, -2); }, true},
        {"drawSpriteRotoZoom", [] { drawSpriteRotoZoom(1, 50, 40, 33, 1.5); }, true},
        {"plotPoint", [] { plotPoint(5, 5, 0xFF); }, true},
        {"drawLine", [] { drawLine(5, 5, 60, 9, 0x8000FF); }, true},
        {"fillRect", [] { fillRect(5, 5, -6, 9, 0xFF00); }, true},
        {"polygon", [] { drawTriangle(1); }, true},
        {"getPixel", [] { getPixel(3, 3); }, false},
        {"grabSprite with the key probe", [] { grabSprite(3, 1, 1, 20, 20); }, false},
        {"spriteCollision", [] { spriteCollision(1, 0, 0, 2, 1, 1); }, false},
        {"loadSprite", [this] { loadSprite(file_.c_str(), 4); }, false},
        {"loadSprite into a font slot", [this] { loadSprite(file_.c_str(), 65504); }, false},
        {"loadBumpMap", [this] { loadBumpMap(file_.c_str(), 5); }, false},
        {"failing loadSprite", [] { loadSprite("no such file.png", 4); }, false},
        {"setTransparentColour", [] { setTransparentColour(0x102030); }, false},
        {"clearScreen", [] { clearScreen(); }, false},
    };
    setViewport(10, 10, 200, 200);
    setAlphaMode(-0.5);
    drawSprite(2, 0, 0);  // some texture is bound
    for (const Case& c : cases) {
        auto before = glState(!c.bindsTextures);
        c.run();
        auto after = glState(!c.bindsTextures);
        for (const auto& [name, value] : before) {
            EXPECT_EQ(after[name], value) << c.name << ": GL name 0x" << std::hex << name;
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << c.name;
    }
}

TEST_F(DrawState, PolygonsAreTexturedOrColouredPerVertex) {
    // Counter-clockwise on the screen, as sprites are.
    auto square = [](double slot, int colour) {
        startPolygon(slot);
        addPolygonVertex(20, 20, 0, 0, colour);
        addPolygonVertex(20, 26, 0, 6, colour);
        addPolygonVertex(28, 26, 8, 6, colour);
        addPolygonVertex(28, 20, 8, 0, colour);
        endPolygon();
    };
    square(1, 0xFFFFFF);
    Picture polygon = screen();
    clearScreen();
    drawSprite(1, 20, 20);
    EXPECT_EQ(polygon.pixels, screen().pixels) << "the texture as a sprite shows it";

    clearScreen();
    square(-1, 0x0000FF);
    EXPECT_EQ(getPixel(24, 23), 0xFF);
    clearScreen();
    square(-1, 0x8000FF);
    EXPECT_EQ(getPixel(24, 23), 0) << "key-coloured vertices have alpha 0";

    // Far beyond the first room of 512 vertices.
    clearScreen();
    startPolygon(-1);
    addPolygonVertex(160, 120, 0, 0, 0xFF00);
    const int n = 5000;
    for (int i = 0; i <= n; ++i) {
        double a = 2 * M_PI * i / n;
        addPolygonVertex(160 + 50 * std::cos(a), 120 - 50 * std::sin(a), 0, 0, 0xFF00);
    }
    endPolygon();
    EXPECT_EQ(getPixel(160, 120), 0xFF00);
    EXPECT_EQ(getPixel(160, 72), 0xFF00);
    EXPECT_EQ(getPixel(160, 60), 0);
}

TEST_F(DrawState, ViewportKeepsTheAlphaModeAndOffsetsDrawing) {
    setAlphaMode(-0.5);
    setViewport(30, 20, 100, 80);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 2.0f);
    setAlphaMode(0);
    drawSprite(1, 0, 0);
    Picture p = screen();
    EXPECT_EQ(p.at(30, 20)[0], source_.at(0, 0)[0]);
    EXPECT_EQ(p.at(30 + 7, 20 + 5)[1], source_.at(7, 5)[1]);
    fillRect(95, 0, 10, 10, 0xFFFFFF);
    EXPECT_EQ(getPixel(129, 20), 0xFFFFFF);
    EXPECT_EQ(getPixel(130, 20), 0) << "clipped at the viewport's edge";
    setViewport(0, 0, 0, 0);
    EXPECT_EQ(renderer->viewport.width + renderer->viewport.height, 320 + 240);
}

// One scene with every kind of draw, state changes between them, empty
// slots and read-backs in the middle.
void drawScene() {
    setAlphaMode(0);
    fillRect(0, 0, 320, 240, 0x202020);
    for (int i = 0; i < 300; ++i) {
        double slot = i % 5 == 0 ? 30 : (i / 7) % 3 + 1;  // slot 30 is empty
        drawSprite(slot, (i * 37) % 300, (i * 53) % 220);
        if (i % 50 == 0) setAlphaMode(i % 100 == 0 ? -0.6 : 0.3);
        if (i % 90 == 0) plotPoint(i % 320, i % 240, 0xFF00FF);
    }
    drawSpriteStretched(1, 200, 100, -40, 30);
    drawSpriteRotoZoom(2, 100, 100, 30, 2);
    grabSprite(4, 50, 50, 40, 40);
    drawSprite(4, 250, 180);
    spriteCollision(1, 0, 0, 2, 3, 3);
    drawSpriteZoomed(1, 10, 200, -1.5, 1.5);
    drawLine(0, 0, 319, 239, 0xFFFFFF);
    drawTriangle(3);
    drawSprites(100);
}

TEST_F(DrawState, BatchedDrawingGivesTheSameBytesAsUnbatched) {
    // Alpha from 0 to 255 across the picture: the alpha test and blending
    // both have edges to decide.
    Picture fading = gradient(16, 4);
    for (int x = 0; x < 16; ++x) {
        for (int y = 0; y < 4; ++y) fading.at(x, y)[3] = static_cast<uint8_t>(x * 17);
    }
    loadSprite(writePng("b.png", fading).c_str(), 3);
    setDrawBatching(false);
    drawScene();
    Picture unbatched = screen();
    clearScreen();
    setDrawBatching(true);
    drawScene();
    Picture batched = screen();
    EXPECT_TRUE(batched.pixels == unbatched.pixels);
    EXPECT_NE(batched.pixels, picture(320, 240).pixels) << "the scene drew something";
}

TEST_F(DrawState, PresentingFlushesTheQueueAndResetsTheAlphaMode) {
    setAlphaMode(-0.5);
    drawSprite(1, 30, 40);  // still queued
    drawSprite(1, 60, 40);
    presentFrame();
    // Quads left over would land in the next frame, which starts clear.
    EXPECT_EQ(getPixel(37, 45), 0);
    EXPECT_EQ(getPixel(67, 45), 0);
    // And it starts opaque at full strength.
    EXPECT_EQ(renderer->globalAlpha, 1.0f);
    fillRect(0, 0, 4, 4, 0xC0C0C0);
    EXPECT_EQ(getPixel(1, 1), 0xC0C0C0);
}

}  // namespace
}  // namespace vorlan
