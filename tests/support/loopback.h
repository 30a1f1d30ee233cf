// Plain POSIX sockets on 127.0.0.1 for the tests' own servers and clients,
// apart from the runtime's socket layer so that the two check each other.
#pragma once

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace vorlan::test {

inline sockaddr_in loopbackAddress(uint16_t port) {
    return {.sin_family = AF_INET,
            .sin_port = htons(port),
            .sin_addr = {htonl(INADDR_LOOPBACK)},
            .sin_zero = {}};
}

inline bool readableWithin(int fd, double timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs > 0 ? static_cast<int>(timeoutMs) : 0) > 0;
}

// Listens on an ephemeral port, which it sets.
inline int listenLoopback(uint16_t& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopbackAddress(0);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 256) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

// A blocking connection, -1 on failure; a receive buffer above 0 is set first.
inline int connectLoopback(uint16_t port, int receiveBuffer = 0) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0) {
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    sockaddr_in address = loopbackAddress(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    ::close(fd);
    return -1;
}

// A connection accepted within the time, or -1.
inline int acceptWithin(int listener, double timeoutMs) {
    return readableWithin(listener, timeoutMs) ? ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC)
                                               : -1;
}

inline bool sendAll(int fd, const std::string& bytes) {
    for (size_t sent = 0; sent < bytes.size();) {
        ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0 && !(n < 0 && errno == EINTR)) return false;
        if (n > 0) sent += static_cast<size_t>(n);
    }
    return true;
}

// Appends what arrives until `into` holds `count` bytes (true); false when
// the peer closed (`closed` tells) or, the time up, nothing more waits.
inline bool receiveAtLeast(int fd, std::string& into, size_t count, double timeoutMs,
                           bool* closed = nullptr) {
    char buffer[65536];
    for (double end = platform::nowMs() + timeoutMs; into.size() < count;) {
        if (!readableWithin(fd, end - platform::nowMs())) return false;
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0) into.append(buffer, static_cast<size_t>(n));
        if (n == 0 || (n < 0 && errno != EINTR)) {
            if (closed) *closed = true;
            return false;
        }
    }
    return true;
}

// Appends what arrives within the time; false once the peer has closed.
inline bool receiveFor(int fd, std::string& into, double timeoutMs) {
    bool closed = false;
    receiveAtLeast(fd, into, SIZE_MAX, timeoutMs, &closed);
    return !closed;
}

// Closes with a reset instead of an orderly end.
inline void closeWithReset(int fd) {
    linger off{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &off, sizeof off);
    ::close(fd);
}

}  // namespace vorlan::test
