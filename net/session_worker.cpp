// The session's worker: all reading, the registrations of local players,
// and on the host the relay between every connection.
#include <algorithm>
#include <string>
#include <vector>

#include "core/warnings.h"
#include "net/session.h"
#include "net/session_state.h"
#include "platform/clock.h"
#include "platform/socket.h"

namespace vorlan {

namespace {

// --- The instance's side: records from its own host connection ----------

void sendRegistrations() {
    std::lock_guard<std::mutex> guard(session.lock);
    for (LocalPlayer& player : session.localPlayers) {
        if (player.id != kNotRegistered) continue;
        PlayerBlock block{-1, player.hidden, player.hostFlag, player.name};
        // One that never went out gets no answer and must not take one.
        if (session.client->sendRecord(
                makeRecord(RecordType::Register, kRelay, 0, encodePlayerBlock(block)))) {
            session.sentRegistrations.push_back(player.token);
        }
        player.id = kRegistering;
    }
    session.localPlayers.remove_if([](const LocalPlayer& p) { return p.id == kGivenUp; });
}

void takeAssignedId(const NetRecord& record) {
    if (session.sentRegistrations.empty()) return;  // nothing was asked for
    int32_t token = session.sentRegistrations.front();
    session.sentRegistrations.pop_front();
    for (LocalPlayer& player : session.localPlayers) {
        if (player.token == token && player.id == kRegistering) {
            player.id = record.receiver;
            session.answered.notify_all();
            return;
        }
    }
    // Its player gave up waiting: the id must not stay behind on the host.
    session.client->sendRecord(makeRecord(RecordType::Leave, kRelay, record.receiver));
}

void deliverMessage(const NetRecord& record) {
    if (record.receiver < 0) return;
    for (LocalPlayer& player : session.localPlayers) {
        if (player.id != record.receiver) continue;
        if (player.queue.size() >= sessionLimits.playerQueueMessages) {
            ++sessionCounters.messagesDropped;
            warn("messages for player " + std::to_string(player.id) +
                 " dropped: " + std::to_string(sessionLimits.playerQueueMessages) +
                 " wait unread (getMessage takes them)");
        } else {
            player.queue.push_back(record);
        }
        return;
    }
}

void handleFromHost(const NetRecord& record) {
    std::lock_guard<std::mutex> guard(session.lock);
    switch (record.kind()) {
        case RecordType::Message:
            deliverMessage(record);
            break;
        case RecordType::Assigned:
            if (record.sender == kRelay) takeAssignedId(record);
            break;
        case RecordType::CountPlayers:
        case RecordType::PlayerIdAt:
        case RecordType::PlayerName:
        case RecordType::JoinCheck:
            // Only a few answers are ever awaited; more are stale.
            if (record.sender == kRelay && session.replies.size() < 64) {
                session.replies.push_back(record);
                session.answered.notify_all();
            }
            break;
        default:
            break;
    }
}

void readFromHost() {
    bool open = session.client->receiveInto(session.clientIncoming);
    NetRecord record;
    while (session.clientIncoming.next(record)) handleFromHost(record);
    if (!open) session.answered.notify_all();  // waiting requests fail at once
}

// --- The host's relay ------------------------------------------------------

Relay& relay() {
    return session.relay;
}

Peer* findPeer(uint64_t number) {
    for (Peer& peer : relay().peers) {
        if (peer.number == number && !peer.dropped) return &peer;
    }
    return nullptr;
}

// A peer whose queue is over its bound is dropped rather than waited for.
void sendTo(Peer& peer, const NetRecord& record) {
    if (peer.dropped) return;
    if (!peer.connection->sendRecord(record)) {
        peer.dropped = true;
        if (!peer.connection->broken()) ++sessionCounters.connectionsDropped;
    }
}

void sendToPlayer(const RemotePlayer& player, NetRecord record) {
    if (Peer* peer = findPeer(player.peer)) {
        record.receiver = player.id;
        sendTo(*peer, record);
    }
}

// A connection speaks only for the players it registered: a record in
// another player's name is dropped, not passed on as theirs.
bool registeredOn(const Peer& peer, int32_t id) {
    return std::any_of(relay().players.begin(), relay().players.end(),
                       [&](const RemotePlayer& p) { return p.peer == peer.number && p.id == id; });
}

void relayMessage(const Peer& from, const NetRecord& record) {
    if (!registeredOn(from, record.sender)) {
        ++sessionCounters.messagesForged;
        return;
    }
    if (record.receiver == kEverybody) {
        for (const RemotePlayer& player : relay().players) {
            if (!player.hidden && player.id != record.sender) sendToPlayer(player, record);
        }
        return;
    }
    for (const RemotePlayer& player : relay().players) {
        if (player.id == record.receiver) {
            sendToPlayer(player, record);
            return;
        }
    }
}

void registerPlayer(Peer& peer, const NetRecord& record) {
    PlayerBlock block;
    if (!decodePlayerBlock(record.text, block)) return;
    int32_t id = relay().nextId++;
    relay().players.push_back({id, peer.number, block.hidden, block.hostFlag, block.name});
    sendTo(peer, makeRecord(RecordType::Assigned, id, kRelay));
}

// A leave removes only players that came in on the same connection.
void removePlayers(uint64_t peerNumber, int32_t id, bool anyId) {
    auto& players = relay().players;
    players.erase(std::remove_if(players.begin(), players.end(),
                                 [&](const RemotePlayer& p) {
                                     return p.peer == peerNumber && (anyId || p.id == id);
                                 }),
                  players.end());
}

void answerRequest(Peer& peer, const NetRecord& request) {
    NetRecord answer = makeRecord(request.kind(), request.sender, kRelay);
    const auto& players = relay().players;
    switch (request.kind()) {
        case RecordType::CountPlayers:
            answer.text = int32Text(static_cast<int32_t>(
                std::count_if(players.begin(), players.end(), [](auto& p) { return !p.hidden; })));
            break;
        case RecordType::PlayerIdAt: {
            int32_t index = readInt32(request.text);
            int32_t id = 0;
            for (const RemotePlayer& player : players) {
                if (player.hidden) continue;
                if (index-- == 0) {
                    id = player.id;
                    break;
                }
            }
            answer.text = int32Text(id);
            break;
        }
        case RecordType::PlayerName: {
            int32_t id = readInt32(request.text);
            auto found = std::find_if(players.begin(), players.end(),
                                      [&](auto& p) { return p.id == id && !p.name.empty(); });
            if (found == players.end()) return;
            answer.text = found->name;
            break;
        }
        default:
            answer.text = int32Text(1);
            break;
    }
    sendTo(peer, answer);
}

void handleFromPeer(Peer& peer, const NetRecord& record) {
    switch (record.kind()) {
        case RecordType::Register:
            registerPlayer(peer, record);
            break;
        case RecordType::Message:
            relayMessage(peer, record);
            break;
        case RecordType::Leave:
            removePlayers(peer.number, record.sender, false);
            break;
        case RecordType::CountPlayers:
        case RecordType::PlayerIdAt:
        case RecordType::PlayerName:
        case RecordType::JoinCheck:
            if (record.receiver == kRelay) answerRequest(peer, record);
            break;
        default:
            // Answers and ids come only from the host; a peer cannot send them.
            break;
    }
}

void acceptPending() {
    for (;;) {
        int socket = -1;
        platform::AcceptStatus status = platform::acceptConnection(relay().listener, socket);
        if (status == platform::AcceptStatus::NonePending) return;
        if (status != platform::AcceptStatus::Accepted) {
            // Out of descriptors or memory for now: try again a little later
            // rather than spin on the listener.
            relay().listenerPausedUntil = platform::nowMs() + 50;
            if (status == platform::AcceptStatus::Fatal) {
                platform::closeSocket(relay().listener);
                relay().listener = -1;
            }
            return;
        }
        if (relay().peers.size() >= sessionLimits.maxConnections) {
            platform::closeSocket(socket);
            ++sessionCounters.connectionsRefused;
            continue;
        }
        Peer peer;
        peer.number = relay().nextPeer++;
        peer.connection =
            std::make_shared<RecordConnection>(socket, sessionLimits.connectionQueueBytes);
        relay().peers.push_back(std::move(peer));
    }
}

void readFromPeer(Peer& peer) {
    bool open = peer.connection->receiveInto(peer.incoming);
    NetRecord record;
    while (peer.incoming.next(record)) handleFromPeer(peer, record);
    if (!open) peer.dropped = true;
}

void removeDroppedPeers() {
    auto& peers = relay().peers;
    for (Peer& peer : peers) {
        if (!peer.dropped && !peer.connection->broken()) continue;
        peer.dropped = true;
        removePlayers(peer.number, 0, true);
        sessionCounters.bytesSkipped += peer.incoming.skippedBytes();
    }
    peers.erase(std::remove_if(peers.begin(), peers.end(), [](const Peer& p) { return p.dropped; }),
                peers.end());
}

// --- The loop --------------------------------------------------------------

struct PollSet {
    std::vector<platform::PollEntry> entries;
    size_t clientAt = 0;
    size_t listenerAt = SIZE_MAX;
    size_t peersAt = 0;
};

void addEntry(PollSet& set, int socket, bool write) {
    platform::PollEntry entry;
    entry.socket = socket;
    entry.wantRead = true;
    entry.wantWrite = write;
    set.entries.push_back(entry);
}

PollSet buildPollSet() {
    PollSet set;
    addEntry(set, session.wake.descriptor(), false);
    set.clientAt = set.entries.size();
    // A lost host connection stays out of the set: it would be ready for ever.
    bool clientOpen = !session.client->broken();
    addEntry(set, clientOpen ? session.client->socket() : -1,
             clientOpen && session.client->hasQueued());
    if (relay().listener >= 0 && platform::nowMs() >= relay().listenerPausedUntil) {
        set.listenerAt = set.entries.size();
        addEntry(set, relay().listener, false);
    }
    set.peersAt = set.entries.size();
    for (const Peer& peer : relay().peers) {
        addEntry(set, peer.connection->socket(), peer.connection->hasQueued());
    }
    return set;
}

void serveOnce() {
    sendRegistrations();
    PollSet set = buildPollSet();
    if (!platform::pollSockets(set.entries, 100)) return;
    if (set.entries[0].readable) session.wake.clear();

    const platform::PollEntry& client = set.entries[set.clientAt];
    if (client.writable) session.client->flush();
    if (client.readable && !session.client->broken()) readFromHost();

    if (set.listenerAt != SIZE_MAX && set.entries[set.listenerAt].readable) acceptPending();
    // Peers accepted just now are polled next time round.
    for (size_t i = 0; set.peersAt + i < set.entries.size(); ++i) {
        const platform::PollEntry& entry = set.entries[set.peersAt + i];
        Peer& peer = relay().peers[i];
        if (entry.writable) peer.connection->flush();
        if (entry.readable && !peer.dropped) readFromPeer(peer);
    }
    removeDroppedPeers();
}

}  // namespace

void runSessionWorker() {
    while (!session.stopRequested.load()) serveOnce();
    sessionCounters.bytesSkipped += session.clientIncoming.skippedBytes();
}

}  // namespace vorlan
