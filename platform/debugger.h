// The debugger's string channel. Linux has no OutputDebugString: strings go
// to standard error, and only while a tracer (a debugger) is attached.
#pragma once

namespace vorlan::platform {

bool debuggerAttached();
void sendDebugString(const char* text);

}  // namespace vorlan::platform
