// How the surface shows in the window: the whole-number scale the window is
// made at, where it is placed on the desktop, where the picture lands in
// the window's drawing area, and the way back from a window position to the
// surface pixel under it.
#pragma once

#include <cstdint>

namespace vorlan {

struct PixelRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const PixelRect&) const = default;
};

// No window side grows beyond this (the largest viewport drivers take).
constexpr int32_t kLargestWindowSide = 16384;
constexpr int32_t kLargestScaleSetting = 64;

// The window's scale for a width x height surface: the setting when
// positive, else the largest whole scale that fits the area; never a side
// beyond kLargestWindowSide, never below 1.
int32_t chooseWindowScale(int32_t setting, int32_t width, int32_t height, const PixelRect& area);
// A width x height window centred in the area; a side larger than the area
// starts at the area's edge, so the top-left corner is always on the screen.
PixelRect placeWindow(const PixelRect& area, int32_t width, int32_t height);
// Where the surface goes in a drawable (y from the top): the largest whole
// scale, centred; when even 1 does not fit, scaled down with its aspect kept.
PixelRect pictureRect(int32_t surfaceWidth, int32_t surfaceHeight, int32_t drawableWidth,
                      int32_t drawableHeight);
// A drawable pixel to the surface pixel under it; outside the picture the
// result lies outside the surface. And back, to the middle of the pixel.
void drawableToSurface(const PixelRect& picture, int32_t surfaceWidth, int32_t surfaceHeight,
                       int32_t& x, int32_t& y);
void surfaceToDrawable(const PixelRect& picture, int32_t surfaceWidth, int32_t surfaceHeight,
                       int32_t& x, int32_t& y);

// The scale setting as VORLAN_SCALE overrides it: a whole number
// 0..kLargestScaleSetting (0: automatic); anything else is ignored, with a
// line in the log.
int32_t scaleSetting(int32_t fromSettings);
// VORLAN_DIRECT=1: no off-screen surface, the game draws straight into a
// window of its own size.
bool directDrawingAsked();

}  // namespace vorlan
