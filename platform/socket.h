// TCP sockets on IPv4. Every socket is non-blocking; callers wait with
// pollSockets. Sends never raise SIGPIPE and EINTR is retried inside.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorlan::platform {

// Result of one send or receive: bytes moved, or why none were.
struct IoResult {
    enum class Kind { Data, WouldBlock, Closed, Failed };
    Kind kind = Kind::Failed;
    size_t bytes = 0;
};

// Connects to host ("" is this machine) on port; -1 on failure or when the
// connection is not made within timeoutMs.
int connectTcp(const std::string& host, uint16_t port, double timeoutMs);
// Listens on bindAddress ("" is every address); -1 on failure.
int listenTcp(const std::string& bindAddress, uint16_t port);

enum class AcceptStatus { Accepted, NonePending, Transient, Fatal };
// One pending connection, or why there is none.
AcceptStatus acceptConnection(int listener, int& accepted);

IoResult sendSome(int socket, const void* data, size_t size);
IoResult receiveSome(int socket, void* buffer, size_t size);

struct PollEntry {
    int socket = -1;
    bool wantRead = false;
    bool wantWrite = false;
    bool readable = false;  // also set on errors and hang-up: the next call reports them
    bool writable = false;
};
// Waits until an entry is ready or timeoutMs passes (0: do not wait).
// Returns false only when polling itself failed.
bool pollSockets(std::vector<PollEntry>& entries, double timeoutMs);

// Pending sends go out, then the peer sees the end of the stream.
void shutdownSending(int socket);
void closeSocket(int socket);

// This machine's IPv4 addresses, loopback included.
std::vector<std::string> localIpv4Addresses();

}  // namespace vorlan::platform
