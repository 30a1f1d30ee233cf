// The game's icon for launchers: the portrait of the girl to find, on a
// transparent 64 x 64 square (the size desktop menus ask for).
#include "art.h"

namespace media {

Canvas icon() {
    Canvas c(64, 64);
    c.paste(portrait(), 4, 4);
    return c;
}

}  // namespace media
