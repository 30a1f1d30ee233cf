// Whether the player typed a character or holds a mouse button, from the
// state of the last event pump.
#pragma once

namespace vorlan::platform {

// True when a key that types a character went down since the last call,
// or when the left, right or middle button is held. Escape, the shift keys
// and the other keys without a character never count.
bool characterTypedOrButtonHeld();

}  // namespace vorlan::platform
