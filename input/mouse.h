// One raw reading of the mouse.
#pragma once

#include <cstdint>

namespace vorlan {

struct MouseSample {
    int16_t left = 0;  // non-zero while pressed
    int16_t right = 0;
    int16_t middle = 0;
    int16_t dx = 0;  // movement in this frame
    int16_t dy = 0;
    int16_t wheel = 0;  // -1, 0 or +1; 0 without the mouse device
};

// Takes a sample: pumps the window's events, takes fresh movement on the
// first read of a frame and repeats it on the later ones, and reads the
// buttons anew each time.
MouseSample readMouseSample();

// Integer helpers that saturate instead of wrapping.
int16_t saturateToInt16(int64_t value);
int32_t saturatingAdd(int32_t a, int32_t b);

}  // namespace vorlan
