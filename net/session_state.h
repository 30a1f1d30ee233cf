// The session shared by the game's operations and the worker thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/net_record.h"
#include "net/record_connection.h"
#include "platform/wake_signal.h"
#include "platform/worker_thread.h"

namespace vorlan {

// Registration states of a local entry (ids of 0 and above are assigned).
constexpr int32_t kNotRegistered = -1;
constexpr int32_t kGivenUp = -2;
constexpr int32_t kRegistering = -3;

struct LocalPlayer {
    int32_t id = kNotRegistered;
    int32_t token = 0;
    bool hidden = false;
    bool hostFlag = false;
    std::string name;
    std::deque<NetRecord> queue;
};

// A connection the host accepted, and what it has sent so far.
struct Peer {
    uint64_t number = 0;
    std::shared_ptr<RecordConnection> connection;
    RecordAssembler incoming;
    bool dropped = false;
};

struct RemotePlayer {
    int32_t id = 0;
    uint64_t peer = 0;
    bool hidden = false;
    bool hostFlag = false;
    std::string name;
};

// The host's side, touched only by the worker while it runs.
struct Relay {
    int listener = -1;
    double listenerPausedUntil = 0;
    std::vector<Peer> peers;
    std::vector<RemotePlayer> players;  // in registration order
    int32_t nextId = 101;
    uint64_t nextPeer = 1;
};

struct Session {
    // A program that ends without the runtime's shutdown still stops the
    // worker before the state it uses goes away.
    ~Session() {
        stopRequested = true;
        wake.raise();
        worker.join();
    }

    // Guards every field below up to the worker's own.
    std::mutex lock;
    std::condition_variable answered;
    bool active = false;
    bool hosting = false;
    int32_t requestId = -1;
    int32_t nextToken = 1;
    // Tokens of the local entries whose registrations went out, oldest
    // first: the host answers them in that order on this connection, so a
    // late id is known to belong to an entry that gave up.
    std::deque<int32_t> sentRegistrations;
    std::list<LocalPlayer> localPlayers;
    std::deque<NetRecord> replies;

    // Set before the worker starts and cleared after it ended.
    std::shared_ptr<RecordConnection> client;
    RecordAssembler clientIncoming;
    Relay relay;

    std::atomic<bool> stopRequested{false};
    platform::WakeSignal wake;
    platform::WorkerThread worker;
};

extern Session session;

// The worker's body: runs until stopRequested.
void runSessionWorker();

}  // namespace vorlan
