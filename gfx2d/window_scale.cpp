#include "gfx2d/window_scale.h"

#include <vorlan/app.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace vorlan {

namespace {

// Rounds toward minus infinity, so that positions left of or above the
// picture map to negative pixels, not to pixel 0.
int64_t floorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int32_t startOf(int32_t areaStart, int32_t areaSide, int32_t side) {
    return side >= areaSide ? areaStart : areaStart + (areaSide - side) / 2;
}

}  // namespace

int32_t chooseWindowScale(int32_t setting, int32_t width, int32_t height, const PixelRect& area) {
    if (width <= 0 || height <= 0) return 1;
    int32_t largest = std::max(1, kLargestWindowSide / std::max(width, height));
    int32_t scale = setting;
    if (scale <= 0) scale = std::min(area.width / width, area.height / height);
    return std::clamp(scale, 1, largest);
}

PixelRect placeWindow(const PixelRect& area, int32_t width, int32_t height) {
    return {startOf(area.x, area.width, width), startOf(area.y, area.height, height), width,
            height};
}

PixelRect pictureRect(int32_t surfaceWidth, int32_t surfaceHeight, int32_t drawableWidth,
                      int32_t drawableHeight) {
    if (surfaceWidth <= 0 || surfaceHeight <= 0 || drawableWidth <= 0 || drawableHeight <= 0) {
        return {};
    }
    int32_t scale = std::min(drawableWidth / surfaceWidth, drawableHeight / surfaceHeight);
    int64_t width = int64_t{surfaceWidth} * scale;
    int64_t height = int64_t{surfaceHeight} * scale;
    if (scale == 0) {
        // Whichever side limits the picture fills the drawable.
        if (int64_t{drawableWidth} * surfaceHeight <= int64_t{drawableHeight} * surfaceWidth) {
            width = drawableWidth;
            height = std::max<int64_t>(1, int64_t{drawableWidth} * surfaceHeight / surfaceWidth);
        } else {
            height = drawableHeight;
            width = std::max<int64_t>(1, int64_t{drawableHeight} * surfaceWidth / surfaceHeight);
        }
    }
    return {static_cast<int32_t>((drawableWidth - width) / 2),
            static_cast<int32_t>((drawableHeight - height) / 2), static_cast<int32_t>(width),
            static_cast<int32_t>(height)};
}

void drawableToSurface(const PixelRect& picture, int32_t surfaceWidth, int32_t surfaceHeight,
                       int32_t& x, int32_t& y) {
    if (picture.width <= 0 || picture.height <= 0) return;
    x = static_cast<int32_t>(floorDiv((int64_t{x} - picture.x) * surfaceWidth, picture.width));
    y = static_cast<int32_t>(floorDiv((int64_t{y} - picture.y) * surfaceHeight, picture.height));
}

void surfaceToDrawable(const PixelRect& picture, int32_t surfaceWidth, int32_t surfaceHeight,
                       int32_t& x, int32_t& y) {
    if (surfaceWidth <= 0 || surfaceHeight <= 0) return;
    x = picture.x +
        static_cast<int32_t>(floorDiv((2 * int64_t{x} + 1) * picture.width, 2 * surfaceWidth));
    y = picture.y +
        static_cast<int32_t>(floorDiv((2 * int64_t{y} + 1) * picture.height, 2 * surfaceHeight));
}

int32_t scaleSetting(int32_t fromSettings) {
    const char* text = std::getenv("VORLAN_SCALE");
    if (!text) return fromSettings;
    size_t length = std::strlen(text);
    bool digits = length > 0 && length <= 2 && std::strspn(text, "0123456789") == length;
    if (digits && std::atoi(text) <= kLargestScaleSetting) return std::atoi(text);
    std::string line = "VORLAN_SCALE ignored, not a whole number 0.." +
                       std::to_string(kLargestScaleSetting) + ": " + text;
    appendErrorLog(line.c_str());
    return fromSettings;
}

bool directDrawingAsked() {
    const char* text = std::getenv("VORLAN_DIRECT");
    return text && std::strcmp(text, "1") == 0;
}

}  // namespace vorlan
