// The one wait of the tests: a condition looked at until it holds, with a
// limit generous enough for a busy machine.
#pragma once

#include "platform/clock.h"

namespace vorlan::test {

// Looks at `done` every `stepMs` until it holds (true) or `timeoutMs` has
// passed (false).
template <typename Done>
bool eventually(Done done, double timeoutMs = 30000, double stepMs = 50) {
    for (double end = platform::nowMs() + timeoutMs; !done(); platform::sleepMs(stepMs)) {
        if (platform::nowMs() > end) return false;
    }
    return true;
}

}  // namespace vorlan::test
