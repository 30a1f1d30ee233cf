#include "input/input_events.h"

#include <vorlan/input.h>

#include <array>
#include <bitset>
#include <deque>
#include <limits>
#include <utility>

#include "input/joystick.h"
#include "platform/events.h"
#include "platform/joystick.h"

namespace vorlan {

namespace {

// One kind of key or button: what is held, what went down unseen, and how
// often each went down.
template <size_t N>
struct Presses {
    std::bitset<N> held;
    std::bitset<N> unseen;
    std::array<uint32_t, N> hits{};

    static bool valid(int i) { return i >= 0 && static_cast<size_t>(i) < N; }
    void press(int i) {
        if (!valid(i)) return;
        held.set(i);
        unseen.set(i);
        if (hits[i] < std::numeric_limits<uint32_t>::max()) ++hits[i];
    }
    bool takeUnseen(int i) {
        if (!valid(i)) return false;
        bool was = unseen[i];
        unseen.reset(i);
        return was;
    }
    uint32_t takeHits(int i) { return valid(i) ? std::exchange(hits[i], 0) : 0; }
};

constexpr int kEscapeAlias = 129;
constexpr int kPadEnter = 156;
// A program that never reads text keeps the latest characters typed.
constexpr size_t kTypedLimit = 1024;

struct Recorded {
    Presses<256> keys;
    Presses<3> buttons;
    std::deque<uint8_t> typed;
    // How many of the oldest characters were there when the last frame
    // began, and whether text was read since.
    size_t typedBeforeFrame = 0;
    bool textRead = false;
    bool escapePressed = false;
    bool altF4 = false;
    std::bitset<256> joystickUnseen[platform::kMaxJoysticks];
    std::bitset<32> padUnseen[platform::kMaxJoysticks];
    uint64_t events = 0;
};

Recorded recorded;

void dropOldestCharacter() {
    recorded.typed.pop_front();
    if (recorded.typedBeforeFrame > 0) --recorded.typedBeforeFrame;
}

void type(uint8_t character) {
    if (recorded.typed.size() >= kTypedLimit) dropOldestCharacter();
    recorded.typed.push_back(character);
}

void keyWentDown(int code) {
    Presses<256>& keys = recorded.keys;
    keys.press(code);
    if (code == kKeyEscape || code == kEscapeAlias) recorded.escapePressed = true;
    // The chord counts whichever of its keys comes second.
    if ((code == kKeyF4 && keys.held[kKeyLeftAlt]) || (code == kKeyLeftAlt && keys.held[kKeyF4])) {
        recorded.altF4 = true;
    }
    // These type no text of their own. Alt+Enter switches the window to or
    // from fullscreen and types nothing.
    bool alt = keys.held[kKeyLeftAlt] || keys.held[kKeyRightAlt];
    if ((code == kKeyEnter || code == kPadEnter) && !alt) type(10);
    if (code == kKeyBackspace) type(8);
}

bool validSlot(int slot) {
    return slot >= 0 && slot < platform::kMaxJoysticks;
}

void record(const platform::InputEvent& event) {
    using Kind = platform::InputEvent::Kind;
    int code = event.code;
    ++recorded.events;
    switch (event.kind) {
        case Kind::KeyDown:
            keyWentDown(code);
            break;
        case Kind::KeyUp:
            if (recorded.keys.valid(code)) recorded.keys.held.reset(code);
            break;
        case Kind::Character:
            type(static_cast<uint8_t>(code));
            break;
        case Kind::MouseDown:
            recorded.buttons.press(code);
            break;
        case Kind::JoystickDown:
            if (validSlot(event.slot) && code >= 0 && code < 256) {
                recorded.joystickUnseen[event.slot].set(code);
            }
            break;
        case Kind::PadDown:
            if (validSlot(event.slot) && code >= 0 && code < 32) {
                recorded.padUnseen[event.slot].set(code);
            }
            break;
        case Kind::JoystickAdded:
        case Kind::JoystickRemoved:
            if (!validSlot(event.slot)) break;
            // A new joystick in the slot inherits nothing.
            recorded.joystickUnseen[event.slot].reset();
            recorded.padUnseen[event.slot].reset();
            noteJoystickSlot(event.slot, event.kind == Kind::JoystickAdded);
            break;
    }
}

}  // namespace

void startInputEvents() {
    recorded = Recorded{};
    platform::setInputEventHandler(record);
}

void stopInputEvents() {
    platform::setInputEventHandler(nullptr);
}

bool keyHeld(int scanCode) {
    return recorded.keys.valid(scanCode) && recorded.keys.held[scanCode];
}

bool takeKeySeen(int scanCode) {
    bool pressed = recorded.keys.takeUnseen(scanCode);
    return pressed || keyHeld(scanCode);
}

uint32_t takeKeyHits(int scanCode) {
    return recorded.keys.takeHits(scanCode);
}

bool anyKeyHeld() {
    return recorded.keys.held.any();
}

uint64_t inputEventCount() {
    return recorded.events;
}

bool takeQuitKeys(bool escQuits) {
    bool escape = std::exchange(recorded.escapePressed, false) || keyHeld(kKeyEscape) ||
                  keyHeld(kEscapeAlias);
    bool altF4 = std::exchange(recorded.altF4, false) || (keyHeld(kKeyLeftAlt) && keyHeld(kKeyF4));
    return (escQuits && escape) || altF4;
}

uint8_t takeTypedCharacter() {
    recorded.textRead = true;
    if (recorded.typed.empty()) return 0;
    uint8_t character = recorded.typed.front();
    dropOldestCharacter();
    return character;
}

void ageTypedText() {
    if (!recorded.textRead) {
        while (recorded.typedBeforeFrame > 0) dropOldestCharacter();
    }
    recorded.typedBeforeFrame = recorded.typed.size();
    recorded.textRead = false;
}

bool takeButtonPress(int button) {
    return recorded.buttons.takeUnseen(button);
}

uint32_t takeButtonHits(int button) {
    return recorded.buttons.takeHits(button);
}

bool takeJoystickPress(int slot, int button) {
    if (!validSlot(slot) || button < 0 || button >= 256) return false;
    bool was = recorded.joystickUnseen[slot][button];
    recorded.joystickUnseen[slot].reset(button);
    return was;
}

bool takePadPress(int slot, int button) {
    if (!validSlot(slot) || button < 0 || button >= 32) return false;
    bool was = recorded.padUnseen[slot][button];
    recorded.padUnseen[slot].reset(button);
    return was;
}

}  // namespace vorlan
