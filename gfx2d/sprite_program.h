// A shader doing exactly what the fixed pipeline does for a sprite (the
// texel times the current colour, the alpha test after it). The software
// rasterizer shades it about a fifth faster a pixel than the fixed
// pipeline's own program for the same quads.
#pragma once

namespace vorlan {

// Makes the program for the current colour current (building both on first
// use); false when the driver has no shader objects, and the fixed pipeline
// stays.
bool useSpriteProgram();
void stopSpriteProgram();
// Forgets the program: the context it lived in is going.
void releaseSpriteProgram();

}  // namespace vorlan
