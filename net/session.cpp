// The game's side of a network session: hosting, joining, players,
// messages and requests to the host. Socket traffic is the worker's; these
// operations queue records and wait for answers.
#include "net/session.h"

#include <vorlan/net.h>

#include <chrono>

#include "net/session_state.h"
#include "platform/socket.h"
#include "value/number_conversion.h"

namespace vorlan {

SessionLimits sessionLimits;
SessionCounters sessionCounters;
Session session;

namespace {

constexpr uint16_t kDefaultPort = 26000;
constexpr double kConnectTimeoutMs = 5000;
// How long a closing instance waits for its leave records to get out.
constexpr double kCloseWaitMs = 500;

double lastSenderId = 0;

uint16_t sessionPort(double port) {
    int32_t number = truncateToInt32(port);
    return number <= 0 ? kDefaultPort : static_cast<uint16_t>(number & 0xFFFF);
}

int32_t idOf(const RtString& text) {
    return truncateToInt32(textToNumber(text));
}

RtString idText(int32_t id) {
    return numberToText(static_cast<double>(id));
}

std::chrono::steady_clock::time_point answerDeadline() {
    return std::chrono::steady_clock::now() +
           std::chrono::microseconds(static_cast<int64_t>(sessionLimits.answerTimeoutMs * 1000));
}

bool usable() {
    return session.active && session.client && !session.client->broken();
}

bool send(const NetRecord& record) {
    if (!usable() || !session.client->sendRecord(record)) return false;
    // Whatever did not fit into the socket now is the worker's to send.
    if (session.client->hasQueued()) session.wake.raise();
    return true;
}

void stopSession(bool sendLeaves) {
    if (!session.worker.started() && !session.active) return;
    if (sendLeaves && usable()) {
        std::lock_guard<std::mutex> guard(session.lock);
        for (const LocalPlayer& player : session.localPlayers) {
            if (player.id >= 0) {
                session.client->sendRecord(makeRecord(RecordType::Leave, kRelay, player.id));
            }
        }
    }
    session.stopRequested = true;
    session.wake.raise();
    session.worker.join();
    // A host's own connection leads to its own relay, which is gone now.
    if (session.client && !session.hosting) session.client->closeGracefully(kCloseWaitMs);
    session.client.reset();
    platform::closeSocket(session.relay.listener);
    session.relay = Relay();
    session.clientIncoming = RecordAssembler();
    std::lock_guard<std::mutex> guard(session.lock);
    session.localPlayers.clear();
    session.replies.clear();
    session.sentRegistrations.clear();
    session.active = false;
    session.hosting = false;
    session.requestId = -1;
    session.stopRequested = false;
}

void startWorker(int clientSocket, bool hosting) {
    session.client =
        std::make_shared<RecordConnection>(clientSocket, sessionLimits.connectionQueueBytes);
    session.hosting = hosting;
    session.active = true;
    session.worker.start(runSessionWorker);
}

// Appends an entry and waits for the host to assign its id; -1 on time-out.
int32_t registerLocal(const RtString& name, bool hidden) {
    if (!usable()) return -1;
    std::unique_lock<std::mutex> guard(session.lock);
    LocalPlayer& player = session.localPlayers.emplace_back();
    player.token = session.nextToken++;
    player.hidden = hidden;
    player.hostFlag = session.hosting;
    player.name = name.cStr();
    session.wake.raise();
    bool done = session.answered.wait_until(
        guard, answerDeadline(), [&] { return player.id >= 0 || session.client->broken(); });
    if (done && player.id >= 0) return player.id;
    // The worker removes it; a late id is handed back to the host.
    player.id = kGivenUp;
    return -1;
}

// Sends a request to the host's relay and waits for the answer of the same
// type from the host connection.
bool request(NetRecord& record) {
    if (!usable()) return false;
    if (session.requestId < 0) session.requestId = registerLocal("", true);
    if (session.requestId < 0) return false;
    {
        std::lock_guard<std::mutex> guard(session.lock);
        session.replies.clear();
    }
    record.sender = session.requestId;
    record.receiver = kRelay;
    if (!send(record)) return false;
    std::unique_lock<std::mutex> guard(session.lock);
    bool answered = session.answered.wait_until(guard, answerDeadline(), [&] {
        for (auto& reply : session.replies) {
            if (reply.type == record.type) return true;
        }
        return session.client->broken();
    });
    if (!answered) return false;
    while (!session.replies.empty()) {
        NetRecord reply = std::move(session.replies.front());
        session.replies.pop_front();
        if (reply.type == record.type) {
            record = std::move(reply);
            return true;
        }
    }
    return false;
}

}  // namespace

double hostSession(double port) {
    stopSession(false);
    uint16_t number = sessionPort(port);
    int listener = platform::listenTcp(sessionLimits.listenAddress, number);
    if (listener < 0) return 0;
    int client = platform::connectTcp("127.0.0.1", number, kConnectTimeoutMs);
    if (client < 0) {
        platform::closeSocket(listener);
        return 0;
    }
    session.relay.listener = listener;
    startWorker(client, true);
    return 1;
}

double joinSession(const RtString& host, double port) {
    stopSession(false);
    int client = platform::connectTcp(host.cStr(), sessionPort(port), kConnectTimeoutMs);
    if (client < 0) return 0;
    startWorker(client, false);
    NetRecord check = makeRecord(RecordType::JoinCheck, kRelay, 0);
    if (request(check)) return 1;

    stopSession(false);
    return 0;
}

RtString createPlayer(const RtString& name) {
    return idText(registerLocal(name, false));
}

double sendMessage(const RtString& sender, const RtString& receiver, const RtString& text) {
    if (text.length() > kMaxRecordText) return 0;
    int32_t to = idOf(receiver);
    NetRecord record =
        makeRecord(RecordType::Message, to == 0 ? kEverybody : to, idOf(sender), text.cStr());
    return send(record) ? 1 : 0;
}

RtString getMessage(const RtString& player) {
    int32_t id = idOf(player);
    if (id < 0) return RtString();
    std::lock_guard<std::mutex> guard(session.lock);
    for (LocalPlayer& local : session.localPlayers) {
        if (local.id != id) continue;
        if (local.queue.empty()) return RtString();
        NetRecord record = std::move(local.queue.front());
        local.queue.pop_front();
        lastSenderId = record.sender;
        return RtString(record.text.c_str());
    }
    return RtString();
}

RtString lastSender() {
    return numberToText(lastSenderId);
}

double countPlayers() {
    NetRecord record = makeRecord(RecordType::CountPlayers, kRelay, 0);
    return request(record) ? readInt32(record.text) : 0;
}

RtString playerIdAt(double index) {
    // Unanswered, the request's own integer comes back.
    NetRecord record =
        makeRecord(RecordType::PlayerIdAt, kRelay, 0, int32Text(truncateToInt32(index)));
    request(record);
    return idText(readInt32(record.text));
}

RtString playerName(const RtString& player) {
    NetRecord record = makeRecord(RecordType::PlayerName, kRelay, 0, int32Text(idOf(player)));
    if (!request(record)) return RtString("NO_DATA");
    return RtString(record.text.c_str());
}

RtString localAddresses() {
    // Listing the addresses leaves a running session alone.
    RtString joined;
    constexpr uint32_t kLimit = 4096 - 32;
    for (const std::string& address : platform::localIpv4Addresses()) {
        uint32_t extra = static_cast<uint32_t>(address.size()) + (joined.length() > 0 ? 1 : 0);
        if (joined.length() + extra > kLimit) break;
        if (joined.length() > 0) joined += "|";
        joined += address.c_str();
    }
    return joined;
}

void closeNetworkSession() {
    stopSession(true);
}

}  // namespace vorlan
