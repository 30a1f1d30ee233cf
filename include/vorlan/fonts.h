// Vorlan bitmap fonts and text: 32 fonts (0 to 31), each a picture of
// 16 columns of character cells (16 rows when taller than wide, else 8).
//
// Font numbers are truncated; one outside 0..31 (NaN too) names no font,
// and loadFont and setFont then change nothing but say so. Every byte of a text
// prints one cell at a fixed advance; bytes beyond the font's cells fold
// onto them. Without a window the commands do nothing.
#pragma once

#include <vorlan/rt_string.h>

namespace vorlan {

// Loads the picture into the font (0 to 31), or the built-in 8 x 8 font when
// it cannot be loaded, with a line naming the file and the cause (black
// pixels of a font file are transparent); the font becomes the current one.
// A font number outside 0 to 31 loads nothing and changes no font.
void loadFont(const RtString& fileName, double font);
// Makes the font (0 to 31) the current one; another number changes nothing.
void setFont(double font);
// Prints the text with the current font, the first cell's top-left corner
// at (x, y) rounded up to whole pixels.
void printText(const RtString& text, double x, double y);
// Prints the number as numberToText writes it.
void printNumber(double number, double x, double y);
// Cell width and height of the current font (0 x 0 when it is empty).
void getFontSize(double& width, double& height);

}  // namespace vorlan
