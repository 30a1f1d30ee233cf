// Vorlan background pictures, screen grabs and saved pictures.
//
// The background is drawn as the first layer of every frame. Saved files
// are PNG when the name ends in ".png" (any case), else 24-bit BMP; a save
// replaces an old file only once the new one is complete. Without a window
// the commands do nothing.
#pragma once

#include <vorlan/rt_string.h>

namespace vorlan {

// Loads the picture as the background and draws it once; when it cannot be
// loaded the background is empty, the screen cleared, and a line names the
// file and the cause.
void loadBackground(const RtString& fileName);
// Cross-fades from the screen as it is to the picture over 1.5 seconds,
// presenting the frames itself, then makes the picture the background.
// A picture that cannot be loaded fades to black and no background.
void fadeToBackground(const RtString& fileName);
// Makes a copy of the back buffer the background.
void grabBackground();
// Writes the back buffer to a picture file as the screen shows it: the key
// colour plays no part.
void saveScreen(const RtString& fileName);
// Writes the sprite's picture to a file; an empty slot writes nothing.
// Pixels in the key colour are saved as 0x8000FF in a BMP and transparent
// in a PNG.
void saveSprite(double slot, const RtString& fileName);

}  // namespace vorlan
