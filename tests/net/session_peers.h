// What the session tests share, including a client and a host written from
// the wire format alone, to play a foreign or hostile peer.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vorlan/net.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "net/session.h"
#include "support/loopback.h"

namespace vorlan::test {

inline uint16_t freeLoopbackPort() {
    uint16_t port = 0;
    ::close(listenLoopback(port));
    return port;
}

class SessionTest : public testing::Test {
  protected:
    void SetUp() override {
        sessionLimits = SessionLimits();
        sessionLimits.listenAddress = "127.0.0.1";
        sessionLimits.answerTimeoutMs = 2000;
    }
    void TearDown() override { closeNetworkSession(); }
    // Hosts on a free port; the host's own player is "101".
    void hostWithPlayer() {
        port = freeLoopbackPort();
        ASSERT_EQ(hostSession(port), 1);
        ASSERT_STREQ(createPlayer("host").cStr(), "101");
    }
    uint16_t port = 0;
};

inline std::chrono::steady_clock::time_point after(double ms) {
    return std::chrono::steady_clock::now() + std::chrono::microseconds(int64_t(ms * 1000));
}

// The player's next message within timeoutMs, or "".
inline std::string waitMessage(const RtString& player, double timeoutMs = 5000) {
    for (auto deadline = after(timeoutMs); std::chrono::steady_clock::now() < deadline;) {
        RtString text = getMessage(player);
        if (text.length() > 0) return text.cStr();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return "";
}

// Waits until countPlayers() gives `count`.
inline bool playersBecome(double count) {
    for (auto deadline = after(5000); std::chrono::steady_clock::now() < deadline;) {
        if (countPlayers() == count) return true;
        waitMessage("0", 10);
    }
    return false;
}

inline std::string le32(int32_t value) {
    auto bits = static_cast<uint32_t>(value);
    return {char(bits), char(bits >> 8), char(bits >> 16), char(bits >> 24)};
}

inline int32_t fromLe32(const std::string& bytes, size_t at) {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= uint32_t(uint8_t(bytes[at + i])) << (8 * i);
    return static_cast<int32_t>(bits);
}

// The header with any length, true or not, then the text.
inline std::string wireRecord(int type, int32_t receiver, int32_t sender, const std::string& text,
                              int32_t length) {
    return "VRLN" + std::string(1, char(type)) + le32(length) + le32(receiver) + le32(sender) +
           text;
}
inline std::string wireRecord(int type, int32_t receiver, int32_t sender,
                              const std::string& text = "") {
    return wireRecord(type, receiver, sender, text, int32_t(text.size()));
}

// A type-1 text: the socket field first (the host does not read it), the
// name at 10.
inline std::string registrationBlock(int32_t socketField, const std::string& name) {
    std::string block(152, '\0');
    return block.replace(0, 4, le32(socketField)).replace(10, name.size(), name);
}

struct WireRecord {
    int type = 0;
    int32_t receiver = 0;
    int32_t sender = 0;
    std::string text;
    std::string bytes() const { return wireRecord(type, receiver, sender, text); }
};

class RawPeer {
  public:
    explicit RawPeer(uint16_t port, int receiveBuffer = 0)
        : fd(connectLoopback(port, receiveBuffer)) {}
    ~RawPeer() { ::close(fd); }
    bool send(const std::string& bytes) { return sendAll(fd, bytes); }

    // Takes the first record that matches out of `pending`, reading until
    // one comes, the host closes or the time is up.
    template <typename Match>
    bool waitFor(Match match, WireRecord* found = nullptr, double timeoutMs = 5000) {
        for (auto deadline = after(timeoutMs);;) {
            for (auto it = pending.begin(); it != pending.end(); ++it) {
                if (!match(*it)) continue;
                if (found) *found = *it;
                pending.erase(it);
                return true;
            }
            if (std::chrono::steady_clock::now() >= deadline || !readSome(10)) return false;
        }
    }

    // The id the host gives a new player, or -1.
    int32_t registerPlayer(const std::string& name, int32_t socketField) {
        WireRecord answer;
        bool ok = send(wireRecord(1, 0, 0, registrationBlock(socketField, name))) &&
                  waitFor([&](auto& r) { return r.type == 2 && r.text.empty(); }, &answer);
        return ok ? answer.receiver : -1;
    }

    // Reads what arrives within timeoutMs into `pending`; false once the
    // host closed the connection.
    bool readSome(double timeoutMs) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, int(timeoutMs)) <= 0) return true;
        char chunk[65536];
        ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
        if (got <= 0) return false;
        buffer_.append(chunk, size_t(got));
        while (buffer_.size() >= 17 && buffer_.size() >= 17 + size_t(fromLe32(buffer_, 5))) {
            size_t length = size_t(fromLe32(buffer_, 5));
            pending.push_back({uint8_t(buffer_[4]), fromLe32(buffer_, 9), fromLe32(buffer_, 13),
                               buffer_.substr(17, length)});
            buffer_.erase(0, 17 + length);
        }
        return true;
    }

    bool closedWithin(double timeoutMs) {
        for (auto deadline = after(timeoutMs); std::chrono::steady_clock::now() < deadline;) {
            if (!readSome(50)) return true;
        }
        return false;
    }

    int fd;
    std::vector<WireRecord> pending;

  private:
    std::string buffer_;
};

// A host played by the test on a listening socket of its own.
struct FakeHost {
    FakeHost() : listener(listenLoopback(port)) {}
    ~FakeHost() {
        if (fd >= 0) ::close(fd);
        ::close(listener);
    }
    bool accept() { return (fd = acceptWithin(listener, 10000)) >= 0; }
    // The next `size` bytes from the instance; zeros when they do not come.
    std::string next(size_t size) {
        std::string got;
        return receiveAtLeast(fd, got, size, 5000) ? got : std::string(size, '\0');
    }
    // Takes the next registration and answers it with the id.
    void assign(int32_t id) {
        next(169);
        sendAll(fd, wireRecord(2, id, 0));
    }
    // A join: the request entry's registration, then the check.
    void answerJoin(int32_t requestId) {
        assign(requestId);
        next(17);
        sendAll(fd, wireRecord(104, requestId, 0, le32(1)));
    }
    uint16_t port = 0;
    int listener;
    int fd = -1;
};

}  // namespace vorlan::test
