#include "input/keyboard.h"

#include <vorlan/input.h>
#include <vorlan/value.h>

#include <cmath>

#include "core/event_pump.h"
#include "core/runtime_state.h"
#include "input/input_events.h"
#include "input/input_state.h"
#include "input/joystick.h"
#include "platform/clock.h"

namespace vorlan {

namespace {

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

uint8_t nextTypedCharacter() {
    readKeyboard();
    return takeTypedCharacter();
}

}  // namespace

void readKeyboard() {
    pumpMessages();
}

void beginInputFrame() {
    readKeyboard();
    markNewFrame();
    ageTypedText();
}

bool quitKeysPressed() {
    return takeQuitKeys(frameState.escQuits);
}

int scanCodeOf(double code) {
    if (!(std::fabs(code) < 2147483648.0)) return 0;
    return static_cast<int>(static_cast<int64_t>(code) & 0xFF);
}

double keyDown(double code) {
    readKeyboard();
    return takeKeySeen(scanCodeOf(code)) ? 1.0 : 0.0;
}

double keyHit(double code) {
    readKeyboard();
    return takeKeyHits(scanCodeOf(code));
}

RtString readKeyChar() {
    // textFromCode gives the one-byte text, and empty text for 0.
    return textFromCode(nextTypedCharacter());
}

double keyCharPressed() {
    return nextTypedCharacter() != 0 ? 1.0 : 0.0;
}

void waitKey() {
    while (keyCharPressed() == 0) idleUntilInput();
}

void idleUntilInput() {
    uint64_t before = inputEventCount();
    for (int pass = 0; pass < 15; ++pass) {
        readKeyboard();
        markNewFrame();
        if (quitKeysPressed()) endProgram();
        // A press, click or character that came during the wait ends it
        // even when it is over by now.
        if (anyKeyHeld() || inputEventCount() != before) return;
        if (pointerChanged()) return;
        if (anyJoystickInput()) return;
        platform::sleepMs(5);
    }
}

}  // namespace vorlan
