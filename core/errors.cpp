#include "core/errors.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "core/runtime_state.h"
#include "core/warnings.h"
#include "platform/temp_dir.h"

namespace vorlan {

double raiseError(double code) {
    errorState.errorNumber = code;
    errorState.errorLine = errorState.currentLine;
    return code;
}

double raiseError(RuntimeError error) {
    return raiseError(static_cast<double>(error));
}

void fatalRuntimeError(RuntimeError error, const char* operation) {
    raiseError(error);
    reportFatalError(error, operation);
    errorState.exitStatus = 1;
    endProgram();
}

void setCurrentLine(double module, double line) {
    errorState.currentModule = module;
    errorState.currentLine = line;
}

std::string errorLogPath() {
    std::string dir = platform::temporaryDirectory();
    return dir.empty() ? dir : dir + "ErrorLog.txt";
}

void appendErrorLog(const char* text) {
    // Opened and closed per line so the log survives a crash after any line.
    // A link planted under the log's name is not followed.
    std::string path = errorLogPath();
    if (path.empty()) return;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return;
    // One write for the line and its CR LF keeps concurrent appenders apart.
    std::string line = text ? text : "";
    line += "\r\n";
    const char* p = line.data();
    size_t left = line.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n <= 0) break;
        p += n;
        left -= static_cast<size_t>(n);
    }
    ::close(fd);
}

void deleteErrorLog() {
    std::string path = errorLogPath();
    if (!path.empty()) ::unlink(path.c_str());
}

}  // namespace vorlan
