// The relay under load: a full house of connections broadcasting at once,
// and a peer that never reads among peers that do.
#include <poll.h>
#include <vorlan/net.h>

#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "raw_peer.h"
#include "session_support.h"
#include "value/number_conversion.h"

namespace vorlan {
namespace {

using test::RawPeer;
using test::WireRecord;

std::string messageText(int32_t sender, int seq) {
    return "s" + std::to_string(sender) + "#" + std::to_string(seq);
}

// What one player got: per sender the next sequence number expected, and
// everything that was out of place.
struct Received {
    std::map<int32_t, int> next;
    int faults = 0;
    int total = 0;

    void take(int32_t self, int32_t receiver, int32_t sender, const std::string& text) {
        ++total;
        int& expected = next[sender];
        if (sender == self || receiver != self || text != messageText(sender, expected)) ++faults;
        ++expected;
    }
    bool complete(size_t senders, int each) const {
        if (next.size() != senders) return false;
        for (auto& [sender, count] : next) {
            if (count != each) return false;
        }
        return true;
    }
};

class LoadSession : public test::SessionTest {
  protected:
    void SetUp() override {
        SessionTest::SetUp();
        port = test::freeLoopbackPort();
        ASSERT_EQ(hostSession(port), 1);
    }
    uint16_t port = 0;
};

TEST_F(LoadSession, HundredConnectionsBroadcastingEachGetExactlyTheirShare) {
    constexpr int kEach = 100;
    // The host's own game connection is one of the hundred.
    std::string host = createPlayer("host").cStr();
    std::vector<std::unique_ptr<RawPeer>> peers;
    std::vector<int32_t> ids;
    for (int i = 0; i < 99; ++i) {
        peers.push_back(std::make_unique<RawPeer>(port));
        ids.push_back(peers.back()->registerPlayer("p" + std::to_string(i), i + 1));
        ASSERT_GT(ids.back(), 0) << i;
    }
    RawPeer extra(port);
    EXPECT_TRUE(extra.closedWithin(5000)) << "a 101st connection stays open";
    ASSERT_EQ(countPlayers(), 100);

    for (int seq = 0; seq < kEach; ++seq) {
        ASSERT_EQ(sendMessage(host.c_str(), "0", messageText(101, seq).c_str()), 1);
    }
    for (size_t i = 0; i < peers.size(); ++i) {
        std::string burst;
        for (int seq = 0; seq < kEach; ++seq) {
            burst += test::wireRecord(3, -1, ids[i], messageText(ids[i], seq));
        }
        ASSERT_TRUE(peers[i]->send(burst));
    }

    std::vector<Received> got(peers.size());
    Received hostGot;
    std::vector<pollfd> fds;
    for (auto& peer : peers) fds.push_back({peer->fd(), POLLIN, 0});
    auto allComplete = [&] {
        if (!hostGot.complete(99, kEach)) return false;
        for (const Received& r : got) {
            if (!r.complete(99, kEach)) return false;
        }
        return true;
    };
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!allComplete() && std::chrono::steady_clock::now() < deadline) {
        ::poll(fds.data(), fds.size(), 10);
        for (size_t i = 0; i < peers.size(); ++i) {
            if (!(fds[i].revents & POLLIN)) continue;
            ASSERT_TRUE(peers[i]->readSome(0)) << "peer " << i << " was dropped";
            for (const WireRecord& r : peers[i]->pending)
                got[i].take(ids[i], r.receiver, r.sender, r.text);
            peers[i]->pending.clear();
        }
        for (RtString text = getMessage(host.c_str()); text.length() > 0;
             text = getMessage(host.c_str())) {
            hostGot.take(101, 101, truncateToInt32(textToNumber(lastSender())), text.cStr());
        }
    }
    EXPECT_TRUE(allComplete());
    EXPECT_EQ(hostGot.faults, 0);
    EXPECT_EQ(hostGot.total, 99 * kEach);
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].faults, 0) << i;
        EXPECT_EQ(got[i].total, 99 * kEach) << i;
    }
    // Nothing more than that arrives later.
    for (auto& peer : peers) {
        peer->readSome(20);
        EXPECT_TRUE(peer->pending.empty());
    }
}

TEST_F(LoadSession, APeerThatNeverReadsIsDroppedWithoutStallingOthers) {
    constexpr int kMessages = 8000;
    sessionLimits.connectionQueueBytes = 256 * 1024;
    uint64_t droppedBefore = sessionCounters.connectionsDropped;
    RawPeer sink(port, 4096);
    RawPeer reader(port);
    RawPeer sender(port);
    ASSERT_GT(sink.registerPlayer("sink", 1), 0);
    int32_t readerId = reader.registerPlayer("reader", 2);
    int32_t senderId = sender.registerPlayer("sender", 3);
    ASSERT_GT(readerId, 0);
    ASSERT_GT(senderId, 0);

    std::string padding(1000, 'p');
    std::thread flood([&] {
        for (int seq = 0; seq < kMessages; ++seq) {
            if (!sender.send(
                    test::wireRecord(3, -1, senderId, messageText(senderId, seq) + padding))) {
                break;
            }
        }
    });
    Received got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (got.total < kMessages && std::chrono::steady_clock::now() < deadline) {
        if (!reader.readSome(50)) break;
        for (const WireRecord& r : reader.pending) {
            got.take(readerId, r.receiver, r.sender,
                     r.text.substr(0, r.text.size() - padding.size()));
        }
        reader.pending.clear();
    }
    flood.join();
    EXPECT_EQ(got.total, kMessages);
    EXPECT_EQ(got.faults, 0);
    EXPECT_EQ(sessionCounters.connectionsDropped - droppedBefore, 1u);
    EXPECT_TRUE(sink.closedWithin(10000));
    EXPECT_EQ(countPlayers(), 2);
}

}  // namespace
}  // namespace vorlan
