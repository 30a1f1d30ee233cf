// Plain POSIX sockets on 127.0.0.1 for the tests' own servers and clients,
// written apart from the runtime's socket layer so that the two check each
// other.
#pragma once

#include <cstdint>
#include <string>

namespace vorlan::test {

// A listening socket on 127.0.0.1 and an ephemeral port.
int listenLoopback(uint16_t& port);
// A blocking connection to 127.0.0.1; -1 on failure. A receive buffer size
// above 0 is set before connecting.
int connectLoopback(uint16_t port, int receiveBuffer = 0);
// Waits up to timeoutMs for a connection; -1 when none came.
int acceptWithin(int listener, double timeoutMs);
bool sendAll(int fd, const std::string& bytes);
// Appends what arrives within timeoutMs; false once the peer has closed
// the connection (or reset it).
bool receiveFor(int fd, std::string& into, double timeoutMs);
// Reads until `count` bytes are in `into`, the peer closes, or time is up.
bool receiveAtLeast(int fd, std::string& into, size_t count, double timeoutMs);
// Closes with a reset instead of an orderly end.
void closeWithReset(int fd);

}  // namespace vorlan::test
