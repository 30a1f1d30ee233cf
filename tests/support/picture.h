// Pictures as ImageMagick reads them (files the runtime wrote, pictures a
// test expects, windows as the X server shows them), apart from the
// runtime's own decoders so that the two check each other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorlan::test {

// RGBA bytes, top row first; rgbAt gives 0xRRGGBB.
struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;

    uint8_t* at(int32_t x, int32_t y) { return &pixels[(size_t(y) * width + x) * 4]; }
    const uint8_t* at(int32_t x, int32_t y) const { return &pixels[(size_t(y) * width + x) * 4]; }
    uint32_t rgbAt(int32_t x, int32_t y) const {
        return uint32_t{at(x, y)[0]} << 16 | uint32_t{at(x, y)[1]} << 8 | at(x, y)[2];
    }
};

// One colour, 0xRRGGBBAA, all over.
Picture picture(int32_t width, int32_t height, uint32_t rgba = 0);
// A file or "x:WINDOW" (the window as the X server shows it now); 0 x 0
// when ImageMagick cannot read it.
Picture loadPicture(const std::string& source);
// Mean absolute difference of the colour channels, 0 to 255; 255 when the
// sizes differ.
double meanDifference(const Picture& a, const Picture& b);

}  // namespace vorlan::test
