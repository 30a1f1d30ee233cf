// Music at program end: the internal side of the music operations.
#pragma once

namespace vorlan {

// Stops the music and frees its name; safe at any time.
void closeMusic();

}  // namespace vorlan
