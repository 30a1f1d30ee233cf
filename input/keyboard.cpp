#include "input/keyboard.h"

#include "platform/keyboard.h"

namespace vorlan {

namespace {

uint8_t keyState[platform::kKeyCount] = {};

}  // namespace

void readKeyboard() {
    platform::snapshotKeyboard(keyState);
}

bool keyHeld(int scanCode) {
    if (scanCode < 0 || scanCode >= platform::kKeyCount) return false;
    return (keyState[scanCode] & 0x80) != 0;
}

}  // namespace vorlan
