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

}  // namespace vorlan
