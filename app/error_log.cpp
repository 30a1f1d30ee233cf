#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "app/error_report.h"
#include "platform/temp_dir.h"

namespace vorlan {

std::string errorLogPath() {
    return platform::temporaryDirectory() + "ErrorLog.txt";
}

void appendErrorLog(const char* text) {
    // Opened and closed per line so the log survives a crash after any line.
    int fd = ::open(errorLogPath().c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
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
    ::unlink(errorLogPath().c_str());
}

}  // namespace vorlan
