// The game's events on standard output, one flushed line each, when
// QUILLOWEN_TRACE=1: scripted runs follow a game through them.
#pragma once

namespace quillowen {

bool tracing();
void trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace quillowen
