// Vorlan bitmap fonts and text: 32 fonts (0 to 31), each a picture of
// 16 columns of character cells (16 rows when taller than wide, else 8).
//
// Font numbers are limited to 0..31 (NaN is 0). Every byte of a text
// prints one cell at a fixed advance; bytes beyond the font's cells fold
// onto them. Without a window the commands do nothing.
#pragma once

#include <vorlan/rt_string.h>

namespace vorlan {

// Loads the picture into the font, or the built-in 8 x 8 font when it
// cannot be loaded (black pixels of a font file are transparent); the font
// becomes the current one.
void loadFont(const RtString& fileName, double font);
// Makes the font the current one.
void setFont(double font);
// Prints the text with the current font, the first cell's top-left corner
// at (x, y) rounded up to whole pixels.
void printText(const RtString& text, double x, double y);
// Prints the number as numberToText writes it.
void printNumber(double number, double x, double y);
// Cell width and height of the current font (0 x 0 when it is empty).
void getFontSize(double& width, double& height);

}  // namespace vorlan
