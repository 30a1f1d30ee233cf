#include "support/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/clock.h"

namespace vorlan::test {

namespace {

sockaddr_in loopbackAddress(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool waitReadable(int fd, double timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, static_cast<int>(timeoutMs)) > 0;
}

enum class Received { kCount, kTimeUp, kClosed };

// Appends what arrives until `into` holds `count` bytes, the time is up or
// the peer closes (or resets) the connection.
Received receive(int fd, std::string& into, size_t count, double timeoutMs) {
    double deadline = platform::nowMs() + timeoutMs;
    char buffer[65536];
    while (into.size() < count) {
        double left = deadline - platform::nowMs();
        if (left <= 0 || !waitReadable(fd, left)) return Received::kTimeUp;
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Received::kClosed;
        into.append(buffer, static_cast<size_t>(n));
    }
    return Received::kCount;
}

}  // namespace

int listenLoopback(uint16_t& port) {
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

int connectLoopback(uint16_t port, int receiveBuffer) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0) {
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    sockaddr_in address = loopbackAddress(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int acceptWithin(int listener, double timeoutMs) {
    if (!waitReadable(listener, timeoutMs)) return -1;
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

bool sendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool receiveFor(int fd, std::string& into, double timeoutMs) {
    return receive(fd, into, SIZE_MAX, timeoutMs) != Received::kClosed;
}

bool receiveAtLeast(int fd, std::string& into, size_t count, double timeoutMs) {
    return receive(fd, into, count, timeoutMs) == Received::kCount;
}

void closeWithReset(int fd) {
    linger off{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &off, sizeof off);
    ::close(fd);
}

}  // namespace vorlan::test
