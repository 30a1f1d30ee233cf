#include "platform/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/clock.h"

namespace vorlan::platform {

namespace {

bool resolveIpv4(const std::string& host, uint16_t port, sockaddr_in& address) {
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (host.empty()) {
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return true;
    }
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) == 1) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    address.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

int newStreamSocket() {
    return ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

int waitMs(double deadline) {
    double left = deadline - nowMs();
    if (left <= 0) return 0;
    return left > INT_MAX ? INT_MAX : static_cast<int>(left) + 1;
}

}  // namespace

int connectTcp(const std::string& host, uint16_t port, double timeoutMs) {
    sockaddr_in address{};
    if (!resolveIpv4(host, port, address)) return -1;
    int fd = newStreamSocket();
    if (fd < 0) return -1;
    int one = 1;
    // Records are small and latency matters more than packet count.
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    if (errno != EINPROGRESS && errno != EINTR) {
        ::close(fd);
        return -1;
    }
    double deadline = nowMs() + timeoutMs;
    pollfd entry{fd, POLLOUT, 0};
    for (;;) {
        int ready = ::poll(&entry, 1, waitMs(deadline));
        if (ready > 0) break;
        if (ready == 0 || errno != EINTR) {
            ::close(fd);
            return -1;
        }
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int listenTcp(const std::string& bindAddress, uint16_t port) {
    sockaddr_in address{};
    if (bindAddress.empty()) {
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_ANY);
    } else if (!resolveIpv4(bindAddress, port, address)) {
        return -1;
    }
    int fd = newStreamSocket();
    if (fd < 0) return -1;
    int one = 1;
    // A new session may follow the last one on the same port at once.
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, SOMAXCONN) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

AcceptStatus acceptConnection(int listener, int& accepted) {
    accepted = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (accepted >= 0) {
        int one = 1;
        setsockopt(accepted, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return AcceptStatus::Accepted;
    }
    switch (errno) {
        case EAGAIN:
            return AcceptStatus::NonePending;
        case EINTR:
        case ECONNABORTED:
        case EMFILE:
        case ENFILE:
        case ENOBUFS:
        case ENOMEM:
        case EPROTO:
        case EPERM:
            return AcceptStatus::Transient;
        default:
            return AcceptStatus::Fatal;
    }
}

IoResult sendSome(int socket, const void* data, size_t size) {
    for (;;) {
        ssize_t sent = ::send(socket, data, size, MSG_NOSIGNAL);
        if (sent >= 0) return {IoResult::Kind::Data, static_cast<size_t>(sent)};
        if (errno == EINTR) continue;
        if (errno == EAGAIN) return {IoResult::Kind::WouldBlock, 0};
        if (errno == EPIPE || errno == ECONNRESET) return {IoResult::Kind::Closed, 0};
        return {IoResult::Kind::Failed, 0};
    }
}

IoResult receiveSome(int socket, void* buffer, size_t size) {
    for (;;) {
        ssize_t got = ::recv(socket, buffer, size, 0);
        if (got > 0) return {IoResult::Kind::Data, static_cast<size_t>(got)};
        if (got == 0) return {IoResult::Kind::Closed, 0};
        if (errno == EINTR) continue;
        if (errno == EAGAIN) return {IoResult::Kind::WouldBlock, 0};
        return {IoResult::Kind::Failed, 0};
    }
}

bool pollSockets(std::vector<PollEntry>& entries, double timeoutMs) {
    std::vector<pollfd> fds(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        fds[i].fd = entries[i].socket;
        fds[i].events = static_cast<short>((entries[i].wantRead ? POLLIN : 0) |
                                           (entries[i].wantWrite ? POLLOUT : 0));
    }
    double deadline = nowMs() + timeoutMs;
    int ready;
    for (;;) {
        ready = ::poll(fds.data(), fds.size(), timeoutMs <= 0 ? 0 : waitMs(deadline));
        if (ready >= 0) break;
        if (errno != EINTR) return false;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        short got = fds[i].revents;
        entries[i].readable = (got & (POLLIN | POLLHUP | POLLERR)) != 0;
        entries[i].writable = (got & (POLLOUT | POLLERR)) != 0;
    }
    return true;
}

void shutdownSending(int socket) {
    if (socket >= 0) ::shutdown(socket, SHUT_WR);
}

void closeSocket(int socket) {
    if (socket >= 0) ::close(socket);
}

std::vector<std::string> localIpv4Addresses() {
    std::vector<std::string> addresses;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return addresses;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
        char text[INET_ADDRSTRLEN] = {};
        auto* address = reinterpret_cast<sockaddr_in*>(entry->ifa_addr);
        if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text)) addresses.push_back(text);
    }
    freeifaddrs(list);
    return addresses;
}

}  // namespace vorlan::platform
