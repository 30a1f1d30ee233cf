// The game's pictures. Field pictures stand with the middle of their bottom
// edge on the cell's anchor, the front corner of a 64 x 64 diamond; the
// figures' and the snail's lowest pixels sit 36 rows above it, so that
// nothing drawn in front of them (hedges 24 rows high, other figures one
// cell lower) reaches their bodies.
#pragma once

#include "canvas.h"

namespace media {

struct FigureLook {
    Colour hair;
    Colour dress;
    bool apron = true;
    bool braids = true;
    bool hat = false;
};

// The figure to find, then the six decoys: each differs from her in one or
// two features.
FigureLook figureLook(int index);

Canvas hedge();                         // 64 x 88
Canvas snail();                         // 40 x 58
Canvas figure(const FigureLook& look);  // 32 x 88
Canvas crossHair();                     // 64 x 32, centred on the screen's middle
Canvas probe();                         // 1 x 1
Canvas snailMarker();                   // 32 x 14, the progress bar's marker
Canvas portrait();                      // 56 x 56, the figure's face in a frame
Canvas winPicture();                    // 320 x 240
Canvas failPicture();                   // 320 x 240
Canvas icon();                          // 64 x 64, the portrait for menus and launchers

}  // namespace media
