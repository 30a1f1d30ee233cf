// Runtime errors and the log: the internal side. Errors are numbers: the
// operation that meets a fatal condition raises one and then calls
// endProgram, which never returns.
#pragma once

#include <vorlan/app.h>

#include <string>

namespace vorlan {

// Full path of "ErrorLog.txt"; "" when there is no safe folder for it.
std::string errorLogPath();
void deleteErrorLog();

// The runtime's own fatal errors: raises the error, prints its one line
// naming the operation (the caller's name unless given), and ends the
// program with exit code 1.
[[noreturn]] void fatalRuntimeError(RuntimeError error,
                                    const char* operation = __builtin_FUNCTION());

}  // namespace vorlan
