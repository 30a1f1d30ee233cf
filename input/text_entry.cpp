#include <vorlan/app.h>
#include <vorlan/fonts.h>
#include <vorlan/input.h>

#include <cmath>

#include "gfx2d/tile_sets.h"

namespace vorlan {

namespace {

// The screen behind the line is kept in this tile set while it is edited.
constexpr int32_t kScreenCopy = 3;
// Frames without typing between two blinks of the cursor.
constexpr int kBlinkFrames = 20;

}  // namespace

void inputLine(RtString& text, double x, double y) {
    grabTileSet(kScreenCopy);
    drawTileSet(kScreenCopy);
    printText(text, x, y);
    int idleFrames = 0;
    bool cursorOn = false;
    for (;;) {
        presentFrame();
        // Everything typed since the last frame, up to the line's end: what
        // comes after the Enter is left for the next read.
        bool typedAny = false;
        for (RtString typed = readKeyChar(); typed.length() > 0; typed = readKeyChar()) {
            typedAny = true;
            int character = static_cast<unsigned char>(typed.cStr()[0]);
            if (character == 10) {
                freeTileSet(kScreenCopy);
                return;
            }
            if (character == 8) {
                // One byte is one character: typed text arrives as Latin-1.
                if (text.length() > 0) text.truncateAt(text.length() - 1);
            } else {
                text += typed;
            }
        }
        if (!typedAny && ++idleFrames > kBlinkFrames) {
            idleFrames = 0;
            cursorOn = !cursorOn;
        }
        drawTileSet(kScreenCopy);
        printText(cursorOn ? concat(text, "_") : text, std::trunc(x), std::trunc(y));
    }
}

}  // namespace vorlan
