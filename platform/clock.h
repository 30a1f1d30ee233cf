// The monotonic clock and sleeping.
#pragma once

namespace vorlan::platform {

// Milliseconds on a monotonic clock with sub-microsecond resolution.
double nowMs();
void sleepMs(double ms);
// Process CPU time in milliseconds (for measuring the frame wait).
double cpuTimeMs();

}  // namespace vorlan::platform
