// Sprite drawing on one 320 x 240 window, against two yardsticks measured in
// the same run:
//   - N alpha-blended 32 x 32 sprites (N = 1000, 2500, 10000): the runtime
//     batched, the runtime unbatched (one immediate quad and one bind per
//     sprite), SDL2's own renderer (OpenGL driver, SDL_RenderCopyF) and one
//     raw glDrawArrays of all quads;
//   - the game's frame: a 50 x 50 diamond grid of cells in painter's order,
//     about half of them empty slots and most others one hedge picture, a
//     filled rectangle and a line of text (20 font cells through drawQuad,
//     as text printing draws them).
// Every frame ends in glFinish, so the time is the drawing's, not the
// queueing's. The software rasterizer draws on the calling thread (see
// machine.cpp), so a frame's CPU time is all the work it took, whatever else
// the machine runs; the ratios against SDL2, printed after the table,
// compare those CPU times (the fastest repetition each).
#include <GL/gl.h>
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <vorlan/sprites.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/run_times.h"
#include "gfx2d/draw_state.h"
#include "gfx2d/game_window.h"
#include "gfx2d/sprite_slots.h"
#include "tests/gfx2d/test_images.h"

namespace {

namespace fs = std::filesystem;
using vorlan::gameWindow;

constexpr int kSide = 32;
constexpr int kCellSlots = 4;  // slots 1..4 hold cell pictures
constexpr int kGrid = 50;

uint32_t nextRandom(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// A round, soft-edged picture: opaque inside, translucent rim, transparent
// corners, so blending and the alpha test both have work.
std::vector<uint8_t> spritePixels(int tint) {
    std::vector<uint8_t> rgba(kSide * kSide * 4);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            uint8_t* p = &rgba[(y * kSide + x) * 4];
            int dx = 2 * x - kSide + 1, dy = 2 * y - kSide + 1;
            int d2 = dx * dx + dy * dy;
            p[0] = static_cast<uint8_t>(x * 8 + tint * 50);
            p[1] = static_cast<uint8_t>(y * 8);
            p[2] = static_cast<uint8_t>(128 + tint * 30);
            p[3] = d2 < 24 * 24 ? 255 : (d2 < 31 * 31 ? 128 : 0);
        }
    }
    return rgba;
}

struct Placement {
    float x, y;
    int slot;
};

struct World {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    std::vector<Placement> sprites;  // 10000 random places
    std::vector<Placement> cells;    // the game's grid, slot 0 = empty
    SDL_Renderer* sdl = nullptr;
    SDL_Texture* sdlTextures[kCellSlots + 1] = {};
    GLuint rawTexture = 0;
};

World& world() {
    static World w = [] {
        World made;
        gameWindow = new vorlan::GameWindow();
        if (!gameWindow->createSurface(320, 240, 0, 0)) {
            std::fprintf(stderr, "no OpenGL window (run under xvfb-run)\n");
            std::exit(1);
        }
        made.window = SDL_GL_GetCurrentWindow();
        made.context = SDL_GL_GetCurrentContext();
        fs::path folder = fs::temp_directory_path() / "vorlan-sprite-bench";
        fs::create_directories(folder);
        for (int slot = 1; slot <= kCellSlots; ++slot) {
            fs::path file = folder / ("cell" + std::to_string(slot) + ".png");
            std::string png = vorlan::test::rgbaPng({kSide, kSide, spritePixels(slot)});
            std::FILE* f = std::fopen(file.c_str(), "wb");
            std::fwrite(png.data(), 1, png.size(), f);
            std::fclose(f);
            vorlan::loadSprite(file.c_str(), slot);
        }
        std::vector<uint8_t> font(128 * 64 * 4, 255);
        fs::path fontFile = folder / "font.png";
        std::string png = vorlan::test::rgbaPng({128, 64, font});
        std::FILE* f = std::fopen(fontFile.c_str(), "wb");
        std::fwrite(png.data(), 1, png.size(), f);
        std::fclose(f);
        vorlan::loadSprite(fontFile.c_str(), vorlan::FONT_SLOT_BASE);
        fs::remove_all(folder);

        uint32_t state = 99;
        for (int i = 0; i < 10000; ++i) {
            made.sprites.push_back({static_cast<float>(nextRandom(state) % (320 - kSide)),
                                    static_cast<float>(nextRandom(state) % (240 - kSide)),
                                    1 + static_cast<int>(nextRandom(state) % kCellSlots)});
        }
        // Painter's order, back rows first. As in the game's field: about
        // half the cells empty, the rest hedges (one picture) with a few
        // other figures among them.
        for (int row = 0; row < kGrid; ++row) {
            for (int column = 0; column < kGrid; ++column) {
                uint32_t pick = nextRandom(state) % 100;
                int slot = pick < 50 ? 40 : (pick < 97 ? 1 : 2 + static_cast<int>(pick % 3));
                made.cells.push_back({static_cast<float>((column - row) * 16 + 144),
                                      static_cast<float>((column + row) * 8 - 300), slot});
            }
        }
        return made;
    }();
    return w;
}

void useRuntimeContext() {
    World& w = world();
    SDL_GL_MakeCurrent(w.window, w.context);
    vorlan::forgetTextureBinding();
    gameWindow->setup2D(0, 0, 0, 0);
}

void finishFrame() {
    vorlan::flushQuads();
    glFinish();
}

void printLine() {
    // The text printer binds the font slot and emits one quad per cell.
    vorlan::bindSlotTextures(vorlan::FONT_SLOT_BASE, -1, false);
    for (int i = 0; i < 20; ++i) {
        float x = 8.0f + i * 8, y = 220, s = (i % 16) / 16.0f, t = 0.5f;
        vorlan::drawQuad({{x, y + 8, s, t - 0.125f},
                          {x + 8, y + 8, s + 0.0625f, t - 0.125f},
                          {x + 8, y, s + 0.0625f, t},
                          {x, y, s, t}});
    }
}

void runtimeSprites(benchmark::State& state, bool batched) {
    useRuntimeContext();
    vorlan::setDrawBatching(batched);
    const auto& sprites = world().sprites;
    int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        vorlan::clearScreen();
        vorlan::setAlphaMode(-1);
        for (int i = 0; i < n; ++i) vorlan::drawSprite(sprites[i].slot, sprites[i].x, sprites[i].y);
        finishFrame();
    }
    vorlan::setDrawBatching(true);
}

void BM_Sprites_Batched(benchmark::State& state) {
    runtimeSprites(state, true);
}

void BM_Sprites_Unbatched(benchmark::State& state) {
    runtimeSprites(state, false);
}

// All quads of one texture in one call: the floor for this driver.
void BM_Sprites_RawDrawArrays(benchmark::State& state) {
    useRuntimeContext();
    const auto& sprites = world().sprites;
    int n = static_cast<int>(state.range(0));
    std::vector<float> vertices;
    float s = 1, t = 1;
    for (int i = 0; i < n; ++i) {
        float x = sprites[i].x, y = sprites[i].y;
        float quad[16] = {x + kSide, y,         s, t, x,         y,         0, t,
                          x,         y + kSide, 0, 0, x + kSide, y + kSide, s, 0};
        vertices.insert(vertices.end(), quad, quad + 16);
    }
    vorlan::bindSlotTextures(1, -1, false);
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glVertexPointer(2, GL_FLOAT, 16, vertices.data());
        glTexCoordPointer(2, GL_FLOAT, 16, vertices.data() + 2);
        glDrawArrays(GL_QUADS, 0, n * 4);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        glFinish();
    }
}

SDL_Renderer* sdlRenderer() {
    World& w = world();
    if (w.sdl) return w.sdl;
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    w.sdl = SDL_CreateRenderer(w.window, -1, SDL_RENDERER_ACCELERATED);
    if (!w.sdl) {
        std::fprintf(stderr, "SDL renderer: %s\n", SDL_GetError());
        std::exit(1);
    }
    for (int slot = 1; slot <= kCellSlots; ++slot) {
        std::vector<uint8_t> pixels = spritePixels(slot);
        SDL_Texture* texture = SDL_CreateTexture(w.sdl, SDL_PIXELFORMAT_ABGR8888,
                                                 SDL_TEXTUREACCESS_STATIC, kSide, kSide);
        SDL_UpdateTexture(texture, nullptr, pixels.data(), kSide * 4);
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
        w.sdlTextures[slot] = texture;
    }
    std::vector<uint8_t> font(8 * 8 * 4, 255);
    SDL_Texture* glyph =
        SDL_CreateTexture(w.sdl, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, 8, 8);
    SDL_UpdateTexture(glyph, nullptr, font.data(), 8 * 4);
    w.sdlTextures[0] = glyph;
    return w.sdl;
}

void sdlFinish(SDL_Renderer* r) {
    SDL_RenderFlush(r);
    glFinish();
}

// SDL2 samples its textures nearest by default; the runtime filters
// linearly. The Linear variants sample as the runtime does.
void useScaleMode(SDL_ScaleMode mode) {
    sdlRenderer();
    for (SDL_Texture* texture : world().sdlTextures) SDL_SetTextureScaleMode(texture, mode);
}

void sdlSprites(benchmark::State& state, SDL_ScaleMode mode) {
    useScaleMode(mode);
    SDL_Renderer* r = sdlRenderer();
    World& w = world();
    int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
        SDL_RenderClear(r);
        for (int i = 0; i < n; ++i) {
            SDL_FRect to{w.sprites[i].x, w.sprites[i].y, kSide, kSide};
            SDL_RenderCopyF(r, w.sdlTextures[w.sprites[i].slot], nullptr, &to);
        }
        sdlFinish(r);
    }
}

void runtimeGameFrame(benchmark::State& state, bool batched) {
    useRuntimeContext();
    vorlan::setDrawBatching(batched);
    const auto& cells = world().cells;
    for (auto _ : state) {
        vorlan::clearScreen();
        vorlan::setAlphaMode(0);
        vorlan::fillRect(0, 0, 320, 240, 0x206020);
        for (const Placement& c : cells) vorlan::drawSprite(c.slot, c.x, c.y);
        printLine();
        finishFrame();
    }
    vorlan::setDrawBatching(true);
}

void BM_GameFrame_Batched(benchmark::State& state) {
    runtimeGameFrame(state, true);
}

void BM_GameFrame_Unbatched(benchmark::State& state) {
    runtimeGameFrame(state, false);
}

void sdlGameFrame(benchmark::State& state, SDL_ScaleMode mode) {
    useScaleMode(mode);
    SDL_Renderer* r = sdlRenderer();
    World& w = world();
    for (auto _ : state) {
        SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
        SDL_RenderClear(r);
        SDL_SetRenderDrawColor(r, 0x20, 0x60, 0x20, 255);
        SDL_FRect ground{0, 0, 320, 240};
        SDL_RenderFillRectF(r, &ground);
        for (const Placement& c : w.cells) {
            if (c.slot > kCellSlots) continue;  // the empty slots
            SDL_FRect to{c.x, c.y, kSide, kSide};
            SDL_RenderCopyF(r, w.sdlTextures[c.slot], nullptr, &to);
        }
        for (int i = 0; i < 20; ++i) {
            SDL_FRect to{8.0f + i * 8, 220, 8, 8};
            SDL_RenderCopyF(r, w.sdlTextures[0], nullptr, &to);
        }
        sdlFinish(r);
    }
}

void BM_Sprites_SDLRenderer(benchmark::State& state) {
    sdlSprites(state, SDL_ScaleModeNearest);
}

void BM_Sprites_SDLRendererLinear(benchmark::State& state) {
    sdlSprites(state, SDL_ScaleModeLinear);
}

void BM_GameFrame_SDLRenderer(benchmark::State& state) {
    sdlGameFrame(state, SDL_ScaleModeNearest);
}

void BM_GameFrame_SDLRendererLinear(benchmark::State& state) {
    sdlGameFrame(state, SDL_ScaleModeLinear);
}

// The runtime's benchmarks first: the SDL renderer takes over the window
// once made.
BENCHMARK(BM_Sprites_Batched)->Arg(1000)->Arg(2500)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sprites_Unbatched)->Arg(1000)->Arg(2500)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sprites_RawDrawArrays)
    ->Arg(1000)
    ->Arg(2500)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GameFrame_Batched)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GameFrame_Unbatched)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sprites_SDLRenderer)->Arg(1000)->Arg(2500)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GameFrame_SDLRenderer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sprites_SDLRendererLinear)
    ->Arg(1000)
    ->Arg(2500)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GameFrame_SDLRendererLinear)->Unit(benchmark::kMillisecond);

// Prints the table as usual and keeps each benchmark's fastest CPU time
// per frame.
class RatioReporter : public vorlan::bench::RunTimesReporter {
  public:
    void printRatios() const {
        for (const char* sdl : {"SDLRenderer", "SDLRendererLinear"}) {
            std::printf("\nCPU ms per frame and ratio to %s (below 1: faster):\n", sdl);
            for (const char* n : {"/1000", "/2500", "/10000"}) {
                std::string suffix = n;
                for (const char* kind : {"Batched", "Unbatched", "RawDrawArrays"}) {
                    ratio("BM_Sprites_" + std::string(kind) + suffix,
                          "BM_Sprites_" + std::string(sdl) + suffix);
                }
            }
            ratio("BM_GameFrame_Batched", "BM_GameFrame_" + std::string(sdl));
            ratio("BM_GameFrame_Unbatched", "BM_GameFrame_" + std::string(sdl));
        }
        std::printf("\nBatched against raw glDrawArrays (goal: at most 1.5):\n");
        for (const char* n : {"/1000", "/2500", "/10000"}) {
            ratio("BM_Sprites_Batched" + std::string(n),
                  "BM_Sprites_RawDrawArrays" + std::string(n));
        }
    }

  protected:
    void keep(const benchmark::BenchmarkName& name, double, double cpuSeconds) override {
        double ms = cpuSeconds * 1e3;
        auto [it, fresh] = ms_.emplace(name.str(), ms);
        if (!fresh && ms < it->second) it->second = ms;
    }

  private:
    void ratio(const std::string& own, const std::string& base) const {
        auto a = ms_.find(own);
        auto b = ms_.find(base);
        if (a == ms_.end() || b == ms_.end()) return;
        std::printf("  %-34s %8.3f ms   against %8.3f ms   ratio %5.2f\n", own.c_str(), a->second,
                    b->second, a->second / b->second);
    }
    std::map<std::string, double> ms_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    world();  // the window and pictures, made before the clock runs
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
