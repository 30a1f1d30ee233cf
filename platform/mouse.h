// The mouse pointer as the last event pump left it.
#pragma once

namespace vorlan::platform {

// Pointer position relative to the window and the two main buttons.
void mouseState(int& x, int& y, bool& left, bool& right);

}  // namespace vorlan::platform
