#include "input/keyboard.h"

#include <vorlan/input.h>
#include <vorlan/value.h>

#include <cmath>

#include "core/event_pump.h"
#include "core/runtime_state.h"
#include "input/input_state.h"
#include "input/joystick.h"
#include "platform/clock.h"
#include "platform/keyboard.h"

namespace vorlan {

namespace {

constexpr int kKeyEscapeAlias = 129;
constexpr int kKeyPadEnter = 156;

uint8_t keyState[platform::kKeyCount] = {};
// The character last reported, so that a held key types once.
uint8_t lastKeyChar = 0;

bool typesNothing(int scanCode) {
    switch (scanCode) {
        case 29:   // Control
        case 42:   // left Shift
        case 54:   // right Shift
        case 56:   // Alt
        case 58:   // Caps Lock
        case 69:   // Num Lock
        case 221:  // the menu key
            return true;
        default:
            return false;
    }
}

bool anyKeyHeld() {
    for (int code = 0; code <= 254; ++code) {
        if (keyHeld(code)) return true;
    }
    return false;
}

// The last pointer snapshot idleUntilInput compared against.
struct PointerSnapshot {
    double x = 0;
    double y = 0;
    double left = 0;
    double right = 0;
};

PointerSnapshot idleSnapshot;

// Reads the pointer, held inside the surface, and reports whether it or a
// button changed since the last snapshot.
bool pointerChanged() {
    PointerSnapshot now;
    readMouse(now.x, now.y, now.left, now.right);
    if (now.x == idleSnapshot.x && now.y == idleSnapshot.y && now.left == idleSnapshot.left &&
        now.right == idleSnapshot.right) {
        return false;
    }
    idleSnapshot = now;
    return true;
}

// The next newly typed character, or 0 when no held key types a new one.
uint8_t nextTypedCharacter() {
    readKeyboard();
    uint8_t character = 0;
    for (int code = 0; code <= 254 && character == 0; ++code) {
        if (keyHeld(code)) character = keyCharacter(code);
    }
    if (character == 0) {
        lastKeyChar = 0;
        return 0;
    }
    if ((keyHeld(kKeyLeftShift) || keyHeld(kKeyRightShift)) && character >= 'a' &&
        character <= 'z') {
        character = static_cast<uint8_t>(character - 'a' + 'A');
    }
    if (character == lastKeyChar) return 0;
    lastKeyChar = character;
    return character;
}

}  // namespace

void readKeyboard() {
    pumpMessages();
    platform::snapshotKeyboard(keyState);
}

bool keyHeld(int scanCode) {
    if (scanCode < 0 || scanCode >= platform::kKeyCount) return false;
    return (keyState[scanCode] & 0x80) != 0;
}

int scanCodeOf(double code) {
    if (!(std::fabs(code) < 2147483648.0)) return 0;
    return static_cast<int>(static_cast<int64_t>(code) & 0xFF);
}

uint8_t keyCharacter(int scanCode) {
    if (scanCode == kKeyBackspace) return 8;
    if (scanCode == kKeyEnter || scanCode == kKeyPadEnter) return 10;
    if (typesNothing(scanCode)) return 0;
    uint8_t character = platform::typedCharacter(scanCode);
    // Control characters other than these two type nothing.
    return character == 8 || character == 10 || character >= 32 ? character : 0;
}

double keyDown(double code) {
    readKeyboard();
    return keyHeld(scanCodeOf(code)) ? 1.0 : 0.0;
}

RtString readKeyChar() {
    // textFromCode gives the one-byte text, and empty text for 0.
    return textFromCode(nextTypedCharacter());
}

double keyCharPressed() {
    return nextTypedCharacter() != 0 ? 1.0 : 0.0;
}

void waitKey() {
    if (keyCharPressed() == 0) {
        do {
            pumpMessages();
            idleUntilInput();
        } while (keyCharPressed() == 0);
    }
    while (keyCharPressed() != 0) {
    }
}

bool escapeHeld() {
    return keyHeld(kKeyEscapeAlias) || keyHeld(kKeyEscape);
}

void idleUntilInput() {
    for (int pass = 0; pass < 15; ++pass) {
        pumpMessages();
        readKeyboard();
        markNewFrame();
        if (frameState.escQuits && escapeHeld()) endProgram();
        if (anyKeyHeld()) return;
        if (pointerChanged()) return;
        if (anyJoystickInput()) return;
        platform::sleepMs(5);
    }
}

}  // namespace vorlan
