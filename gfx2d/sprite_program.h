// A shader doing exactly what the fixed pipeline does for a sprite (the
// texel times the current colour, the alpha test after it). With it a
// texture change does not make the driver rebuild its fixed-pipeline
// program, which is most of the cost of a sprite on a software renderer.
#pragma once

namespace vorlan {

// Makes the program current (building it on first use); false when the
// driver has no shader objects, and the fixed pipeline stays.
bool useSpriteProgram();
void stopSpriteProgram();
// Forgets the program: the context it lived in is going.
void releaseSpriteProgram();

}  // namespace vorlan
