// Vorlan bitmap fonts and text: 32 fonts (0 to 31), each a picture of
// 16 columns of character cells (16 rows when taller than wide, else 8).
//
// Cell n of the picture (counted from the top-left, row by row) holds
// character n: the first cell is character 0, "A" (65) is row 4, column 1.
// Font numbers are truncated; one outside 0..31 (NaN too) names no font, and
// loadFont and setFont then change nothing but say so. Every character
// prints one cell at a fixed advance; codes beyond the font's cells fold onto
// them (in a 128-cell font "é", 233, prints cell 105). Texts are read as
// UTF-8: a character U+0080..U+00FF prints its own cell, any other beyond
// ASCII a "?"; a byte that is no valid UTF-8 prints its own cell, so Latin-1
// text prints too. Without a window the commands do nothing.
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
// The width in pixels printText gives the text with the current font:
// characters (not bytes) times the cell width; 0 without a window.
double textWidth(const RtString& text);

}  // namespace vorlan
