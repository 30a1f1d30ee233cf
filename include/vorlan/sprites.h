// Vorlan sprites and 2D drawing: pictures in numbered slots (0 to 65535),
// sprite and primitive drawing into the back buffer, the alpha mode.
//
// Slot numbers are truncated toward zero; numbers outside 0..65535 make
// loads, grabs and frees do nothing, sizes 0 x 0, collisions 0 and draws
// draw nothing, and loads, grabs, sizes and draws say so once on standard
// error. Coordinates are pixels from the top-left of the viewport.
// Colours are red + 256 x green + 65536 x blue, written 0xBBGGRR: 0x0000FF
// is red, 0x00FF00 green, 0xFF0000 blue, 0x00FFFF yellow, 0x0080FF orange,
// 0xFFFFFF white and 0x808080 grey. Without a window every command does
// nothing; before start-up or after shutdown one line says so.
#pragma once

#include <vorlan/rt_string.h>

namespace vorlan {

// --- The sprite store ------------------------------------------------------

// Loads a BMP or PNG picture into the slot; pixels in the key colour become
// transparent. A failed load leaves the slot empty and names the file and
// the cause on standard error and in the log.
void loadSprite(const RtString& fileName, double slot);
// Loads the picture as a normal map of its blue channel.
void loadBumpMap(const RtString& fileName, double slot);
// Copies a rectangle of the back buffer into the slot; back-buffer pixels
// in the key colour become transparent.
void grabSprite(double slot, double x, double y, double width, double height);
// The key colour of later sprite and font loads and grabs; -1 turns keying
// off. Until it is called sprites key 0x8000FF, a pink pictures rarely
// hold (so in effect nothing), and fonts key black.
void setTransparentColour(double colour);
// The picture size; 0 x 0 for an empty slot.
void getSpriteSize(double slot, double& width, double& height);
// 1 when an opaque pixel of one sprite drawn at its position covers an
// opaque pixel of the other, else 0.
double spriteCollision(double slotA, double xA, double yA, double slotB, double xB, double yB);

// --- Drawing ---------------------------------------------------------------

// Clears the back buffer to black and drops the background picture.
void clearScreen();
// 0: opaque; negative: translucent with alpha -a; positive: additive with
// strength a. The magnitude is limited to 1.
void setAlphaMode(double alpha);
// The picture with its top-left corner at (x, y), rounded up to whole
// pixels; an empty slot draws nothing.
void drawSprite(double slot, double x, double y);
// Negative sizes mirror the picture.
void drawSpriteStretched(double slot, double x, double y, double width, double height);
// Scaled about the picture's centre.
void drawSpriteZoomed(double slot, double x, double y, double zoomX, double zoomY);
// Turned counter-clockwise about the picture's centre, angle in degrees.
void drawSpriteRotated(double slot, double x, double y, double angle);
// Turned as drawSpriteRotated and scaled by zoom, both about the centre.
void drawSpriteRotoZoom(double slot, double x, double y, double angle, double zoom);

// One pixel.
void plotPoint(double x, double y, double colour);
// Both end pixels included.
void drawLine(double x1, double y1, double x2, double y2, double colour);
// A negative width or height reaches left or up from (x, y).
void fillRect(double x, double y, double width, double height, double colour);
// The back-buffer colour at (x, y); -1 outside the surface.
double getPixel(double x, double y);

// A triangle fan, textured from the slot (-1 for none) and coloured per
// vertex; texture x and y are picture pixels from its top-left.
void startPolygon(double slot);
// The next corner of the fan.
void addPolygonVertex(double x, double y, double textureX, double textureY, double colour);
// Draws the fan; nothing without corners.
void endPolygon();

// The 2D viewport; a width or height not positive means the whole surface.
void setViewport(double x, double y, double width, double height);

}  // namespace vorlan
