// The game's three sounds, 16-bit mono at kSampleRate, each under 1.4 s so
// that a slot's single copy is free again for the next play.
#pragma once

#include <cstdint>
#include <vector>

namespace media {

inline constexpr int kSampleRate = 22050;

std::vector<int16_t> roundStartSound();
std::vector<int16_t> winSound();
std::vector<int16_t> failSound();

}  // namespace media
