// One TCP connection of a session. Any thread may queue records on it; each
// record is queued whole under the connection's own lock, so records from
// two threads never interleave on the wire. Queued bytes go out without
// blocking; a queue over its bound refuses the record, so that one peer
// that stops reading cannot stall the thread that serves everyone.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>

#include "net/net_record.h"

namespace vorlan {

class RecordConnection {
  public:
    RecordConnection(int socket, size_t queueLimit);
    ~RecordConnection();
    RecordConnection(const RecordConnection&) = delete;
    RecordConnection& operator=(const RecordConnection&) = delete;

    int socket() const { return socket_; }
    bool broken() const { return broken_.load(); }
    bool hasQueued() const { return queued_.load() > 0; }

    // False when the connection is broken or the record would overfill
    // the queue; the record is then not sent at all.
    bool sendRecord(const NetRecord& record);
    // Sends queued bytes until the socket would block.
    void flush();
    // Reads what has arrived (up to a share, so others get their turn)
    // into the assembler; false once the peer closed or the link failed.
    bool receiveInto(RecordAssembler& assembler);
    // Gets queued records out, shuts the sending side so the peer reads
    // them all before the end, and waits briefly for the peer to close.
    void closeGracefully(double waitMs);

  private:
    // False when sending failed.
    bool flushLocked();

    int socket_;
    size_t queueLimit_;
    std::mutex writeLock_;
    std::string queue_;
    size_t queueStart_ = 0;
    std::atomic<size_t> queued_{0};
    std::atomic<bool> broken_{false};
};

}  // namespace vorlan
