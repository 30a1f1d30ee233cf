// The game's own lettering: 5 x 7 glyphs (capitals six rows tall, the last
// row for descenders) for the printable ASCII characters.
#pragma once

#include <string>

#include "canvas.h"

namespace media {

// True when the glyph of c has its pixel (column 0..4, row 0..6) set.
bool glyphPixel(char c, int column, int row);

// The 128 x 64 font picture: 16 x 8 cells of 8 x 8 for codes 0..127, each
// glyph in cream with a dark grey outline on black (black is transparent).
Canvas fontPicture();

// Draws text with glyphs scaled by `scale`, filled from `top` to `bottom`
// colour and outlined `border` pixels wide; (x, y) is the top-left corner.
void drawText(Canvas& canvas, const std::string& text, int x, int y, int scale, Colour top,
              Colour bottom, Colour border, int borderWidth);
// Width in pixels that drawText gives the text.
int textWidth(const std::string& text, int scale);

}  // namespace media
