// Runtime errors and the log: the internal side. Errors are numbers: the
// operation that meets a fatal condition calls raiseError and then
// endProgram, which never returns. Numbers in use: 3 file read or write
// failed, 7 argument out of range or no storage, 9 array index out of range.
#pragma once

#include <vorlan/app.h>

#include <string>

namespace vorlan {

// Full path of "ErrorLog.txt"; "" when there is no safe folder for it.
std::string errorLogPath();
void deleteErrorLog();

}  // namespace vorlan
