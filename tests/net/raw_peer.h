// A session client written from the wire format alone, on plain sockets,
// for talking to a host the way a foreign or hostile peer would.
#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/loopback.h"

namespace vorlan::test {

inline std::string le32(int32_t value) {
    auto bits = static_cast<uint32_t>(value);
    std::string out;
    for (int i = 0; i < 4; ++i) out += static_cast<char>((bits >> (8 * i)) & 0xFF);
    return out;
}

inline int32_t fromLe32(const std::string& bytes, size_t at) {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    return static_cast<int32_t>(bits);
}

struct WireRecord {
    int type = 0;
    int32_t receiver = 0;
    int32_t sender = 0;
    std::string text;
};

// The header with any length, true or not, then the text.
inline std::string wireRecord(int type, int32_t receiver, int32_t sender, const std::string& text,
                              int32_t length) {
    return "VRLN" + std::string(1, static_cast<char>(type)) + le32(length) + le32(receiver) +
           le32(sender) + text;
}

inline std::string wireRecord(int type, int32_t receiver, int32_t sender,
                              const std::string& text = "") {
    return wireRecord(type, receiver, sender, text, static_cast<int32_t>(text.size()));
}

// A type-1 text: the token in the first four bytes, the name at 10.
inline std::string registrationBlock(int32_t token, const std::string& name, bool hidden = false) {
    std::string block(152, '\0');
    block.replace(0, 4, le32(token));
    block[8] = hidden ? 1 : 0;
    block.replace(10, name.size(), name);
    return block;
}

inline uint16_t freeLoopbackPort() {
    uint16_t port = 0;
    ::close(listenLoopback(port));
    return port;
}

class RawPeer {
  public:
    explicit RawPeer(uint16_t port, int receiveBuffer = 0)
        : fd_(connectLoopback(port, receiveBuffer)) {}
    ~RawPeer() {
        if (fd_ >= 0) ::close(fd_);
    }
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;

    bool connected() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    bool send(const std::string& bytes) { return sendAll(fd_, bytes); }

    // Reads until a record matches (it is taken out of `pending`), the
    // peer closes, or the time is up.
    bool waitFor(const std::function<bool(const WireRecord&)>& match, WireRecord* found,
                 double timeoutMs) {
        auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::microseconds(static_cast<int64_t>(timeoutMs * 1000));
        for (;;) {
            for (size_t i = 0; i < pending.size(); ++i) {
                if (!match(pending[i])) continue;
                if (found) *found = pending[i];
                pending.erase(pending.begin() + static_cast<long>(i));
                return true;
            }
            double left = std::chrono::duration<double, std::milli>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
            if (left <= 0 || !readSome(left)) return false;
        }
    }

    // Registers a player; its id, or -1.
    int32_t registerPlayer(const std::string& name, int32_t token) {
        if (!send(wireRecord(1, 0, 0, registrationBlock(token, name)))) return -1;
        WireRecord answer;
        bool got = waitFor(
            [&](const WireRecord& r) {
                return r.type == 2 && r.text.size() == 4 && fromLe32(r.text, 0) == token;
            },
            &answer, 5000);
        return got ? answer.receiver : -1;
    }

    // Reads what arrives within timeoutMs; false once the host closed.
    bool readSome(double timeoutMs) {
        pollfd entry{fd_, POLLIN, 0};
        if (::poll(&entry, 1, static_cast<int>(timeoutMs) + 1) <= 0) return true;
        char chunk[65536];
        ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
        if (got <= 0) return false;
        buffer_.append(chunk, static_cast<size_t>(got));
        bool open = true;
        while (buffer_.size() >= 17) {
            auto length = static_cast<size_t>(fromLe32(buffer_, 5));
            if (buffer_.size() < 17 + length) break;
            WireRecord record{static_cast<uint8_t>(buffer_[4]), fromLe32(buffer_, 9),
                              fromLe32(buffer_, 13), buffer_.substr(17, length)};
            pending.push_back(record);
            buffer_.erase(0, 17 + length);
        }
        return open;
    }

    // True when the host closes the connection within timeoutMs.
    bool closedWithin(double timeoutMs) {
        auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::microseconds(static_cast<int64_t>(timeoutMs * 1000));
        while (std::chrono::steady_clock::now() < deadline) {
            if (!readSome(50)) return true;
        }
        return false;
    }

    std::vector<WireRecord> pending;

  private:
    int fd_;
    std::string buffer_;
};

}  // namespace vorlan::test
