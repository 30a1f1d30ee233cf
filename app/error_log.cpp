#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "app/error_report.h"
#include "platform/temp_dir.h"

namespace vorlan {

RtString errorLogPath() {
    std::string path = platform::temporaryDirectory() + "ErrorLog.txt";
    return RtString(path.c_str());
}

void appendErrorLog(const char* text) {
    // Opened and closed per line so the log survives a crash after any line.
    int fd = ::open(errorLogPath().cStr(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    size_t length = text ? std::strlen(text) : 0;
    // One write for the line and its CR LF keeps concurrent appenders apart.
    std::string line(text ? text : "", length);
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
    ::unlink(errorLogPath().cStr());
}

}  // namespace vorlan
