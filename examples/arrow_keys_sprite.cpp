// A sprite moved with the arrow keys over a background. The sprite is drawn
// once and grabbed into slot 1, so the example needs no picture files.
#include <vorlan/vorlan.h>

using namespace vorlan;

namespace {

constexpr double kSpriteSize = 24, kSpeed = 3;

void drawBackground() {
    for (int y = 0; y < 240; y += 20) {
        for (int x = 0; x < 320; x += 20) {
            fillRect(x, y, 20, 20, (x + y) % 40 == 0 ? 0x503010 : 0x402808);
        }
    }
}

void makeSprite() {
    setTransparentColour(0);  // black corners stay see-through
    clearScreen();
    fillRect(4, 0, 16, 24, 0x20C0F0);
    fillRect(0, 8, 24, 8, 0x20C0F0);
    fillRect(8, 8, 8, 8, 0xFFFFFF);
    grabSprite(1, 0, 0, kSpriteSize, kSpriteSize);
}

}  // namespace

void vorlan::configureRuntime(RuntimeSettings& settings) {
    settings.title = "Arrow keys";
}

void vorlan::gameMain() {
    makeSprite();
    double x = 148, y = 108;
    for (;;) {
        x += (keyDown(kKeyRight) - keyDown(kKeyLeft)) * kSpeed;
        y += (keyDown(kKeyDown) - keyDown(kKeyUp)) * kSpeed;
        x = x < 0 ? 0 : x > 320 - kSpriteSize ? 320 - kSpriteSize : x;
        y = y < 0 ? 0 : y > 240 - kSpriteSize ? 240 - kSpriteSize : y;
        drawBackground();
        drawSprite(1, x, y);
        presentFrame();  // Escape quits
    }
}
