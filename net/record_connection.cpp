#include "net/record_connection.h"

#include <vector>

#include "platform/clock.h"
#include "platform/socket.h"

namespace vorlan {

using platform::IoResult;

RecordConnection::RecordConnection(int socket, size_t queueLimit)
    : socket_(socket), queueLimit_(queueLimit) {}

RecordConnection::~RecordConnection() {
    platform::closeSocket(socket_);
}

bool RecordConnection::sendRecord(const NetRecord& record) {
    std::string bytes = encodeRecord(record);
    std::lock_guard<std::mutex> lock(writeLock_);
    if (broken_) return false;
    if (queue_.size() - queueStart_ + bytes.size() > queueLimit_) return false;
    queue_ += bytes;
    // Whether this flush failed: the reader may mark the link broken at
    // any moment after the bytes went out, which says nothing about them.
    return flushLocked();
}

void RecordConnection::flush() {
    std::lock_guard<std::mutex> lock(writeLock_);
    flushLocked();
}

bool RecordConnection::flushLocked() {
    bool failed = false;
    while (queueStart_ < queue_.size() && !broken_) {
        IoResult sent =
            platform::sendSome(socket_, queue_.data() + queueStart_, queue_.size() - queueStart_);
        if (sent.kind == IoResult::Kind::WouldBlock) break;
        if (sent.kind != IoResult::Kind::Data) {
            broken_ = true;
            failed = true;
            break;
        }
        queueStart_ += sent.bytes;
    }
    if (queueStart_ == queue_.size() || broken_) {
        queue_.clear();
        queueStart_ = 0;
    } else if (queueStart_ > 64 * 1024) {
        queue_.erase(0, queueStart_);
        queueStart_ = 0;
    }
    queued_ = queue_.size() - queueStart_;
    return !failed;
}

bool RecordConnection::receiveInto(RecordAssembler& assembler) {
    char buffer[16 * 1024];
    for (int reads = 0; reads < 4; ++reads) {
        IoResult got = platform::receiveSome(socket_, buffer, sizeof buffer);
        if (got.kind == IoResult::Kind::WouldBlock) return true;
        if (got.kind != IoResult::Kind::Data) {
            broken_ = true;
            return false;
        }
        assembler.feed(buffer, got.bytes);
    }
    return true;
}

void RecordConnection::closeGracefully(double waitMs) {
    double deadline = platform::nowMs() + waitMs;
    std::vector<platform::PollEntry> entry(1);
    entry[0].socket = socket_;
    for (flush(); hasQueued() && !broken(); flush()) {
        entry[0].wantWrite = true;
        double left = deadline - platform::nowMs();
        if (left <= 0 || !platform::pollSockets(entry, left)) return;
    }
    platform::shutdownSending(socket_);
    // Closing with unread bytes would reset the link and could discard
    // what the peer has not read yet; the peer's own close ends this.
    entry[0].wantWrite = false;
    entry[0].wantRead = true;
    char sink[4096];
    for (;;) {
        double left = deadline - platform::nowMs();
        if (left <= 0 || !platform::pollSockets(entry, left) || !entry[0].readable) return;
        IoResult got = platform::receiveSome(socket_, sink, sizeof sink);
        if (got.kind == IoResult::Kind::Closed || got.kind == IoResult::Kind::Failed) return;
    }
}

}  // namespace vorlan
