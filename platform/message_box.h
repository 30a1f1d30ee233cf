// Message boxes and the warning beep.
#pragma once

namespace vorlan::platform {

// True when VORLAN_NO_DIALOGS=1: automated runs must never block on a box.
bool dialogsDisabled();
// A modal warning box; returns at once when dialogs are disabled.
void showWarningBox(const char* caption, const char* text);
// The system's exclamation sound: the terminal bell here.
void beep();

}  // namespace vorlan::platform
