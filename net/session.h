// The network session's limits and counters, kept apart from the API so
// that tests and benchmarks can tighten and read them, and its shutdown.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vorlan {

struct SessionLimits {
    // The host listens here; "" is every address of this machine.
    std::string listenAddress;
    // How long a request or a registration waits for the host's answer.
    double answerTimeoutMs = 5000;
    // Bytes a connection may have waiting to be sent before the relay
    // drops it (or, on an instance, before sendMessage refuses).
    size_t connectionQueueBytes = 4 * 1024 * 1024;
    // Messages a local player may have waiting before new ones are dropped.
    size_t playerQueueMessages = 16384;
    // Connections the host serves at once; more are closed at once.
    size_t maxConnections = 100;
};

extern SessionLimits sessionLimits;

struct SessionCounters {
    std::atomic<uint64_t> messagesDropped{0};     // a player's queue was full
    std::atomic<uint64_t> messagesForged{0};      // sender not registered on its connection
    std::atomic<uint64_t> connectionsDropped{0};  // queue over its bound
    std::atomic<uint64_t> connectionsRefused{0};  // beyond maxConnections
    std::atomic<uint64_t> bytesSkipped{0};        // not part of a valid record
};

extern SessionCounters sessionCounters;

// Sends the leave record of every registered local player, stops the worker
// and closes every connection. The runtime's shutdown calls it.
void closeNetworkSession();

}  // namespace vorlan
