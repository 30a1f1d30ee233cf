// The relay under load: a full house of connections broadcasting at once,
// and a peer that never reads among peers that do.
#include <poll.h>
#include <vorlan/net.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "session_peers.h"

namespace vorlan {
namespace {

using test::RawPeer;

std::string messageText(int32_t sender, int seq) {
    return "s" + std::to_string(sender) + "#" + std::to_string(seq);
}

// Per sender the next sequence number expected, and the messages out of
// place (own, misaddressed, lost, repeated).
struct Received {
    explicit Received(int32_t id) : self(id) {}
    int32_t self;
    std::map<int32_t, int> next;
    int faults = 0;
    int total = 0;

    // Takes the record; `padding` bytes at the end of its text are ignored.
    void take(const test::WireRecord& r, size_t padding = 0) {
        ++total;
        std::string text = r.text.substr(0, r.text.size() - padding);
        faults += r.sender == self || r.receiver != self ||
                  text != messageText(r.sender, next[r.sender]++);
    }
    bool complete(size_t senders, int each) const {
        return next.size() == senders &&
               std::all_of(next.begin(), next.end(), [&](auto& n) { return n.second == each; });
    }
};

using LoadSession = test::SessionTest;

TEST_F(LoadSession, HundredConnectionsBroadcastingEachGetExactlyTheirShare) {
    constexpr int kEach = 100;
    hostWithPlayer();  // the host's own game connection is one of the hundred
    Received hostGot(101);
    std::vector<std::unique_ptr<RawPeer>> peers;
    std::vector<Received> got;
    for (int i = 0; i < 99; ++i) {
        peers.push_back(std::make_unique<RawPeer>(port));
        got.emplace_back(peers.back()->registerPlayer("p", i + 1));
        ASSERT_GT(got.back().self, 101) << i;
    }
    RawPeer extra(port);
    EXPECT_TRUE(extra.closedWithin(5000)) << "a 101st connection stays open";
    ASSERT_EQ(countPlayers(), 100);

    for (int seq = 0; seq < kEach; ++seq) {
        ASSERT_EQ(sendMessage("101", "0", messageText(101, seq).c_str()), 1);
    }
    std::vector<pollfd> fds;
    for (size_t i = 0; i < peers.size(); ++i) {
        std::string burst;
        for (int seq = 0; seq < kEach; ++seq) {
            burst += test::wireRecord(3, -1, got[i].self, messageText(got[i].self, seq));
        }
        ASSERT_TRUE(peers[i]->send(burst));
        fds.push_back({peers[i]->fd, POLLIN, 0});
    }
    auto allComplete = [&] {
        return hostGot.complete(99, kEach) &&
               std::all_of(got.begin(), got.end(), [&](auto& r) { return r.complete(99, kEach); });
    };
    for (auto deadline = test::after(60000);
         !allComplete() && std::chrono::steady_clock::now() < deadline;) {
        ::poll(fds.data(), fds.size(), 10);
        for (size_t i = 0; i < peers.size(); ++i) {
            if (!(fds[i].revents & POLLIN)) continue;
            ASSERT_TRUE(peers[i]->readSome(0)) << "peer " << i << " was dropped";
            for (auto& r : peers[i]->pending) got[i].take(r);
            peers[i]->pending.clear();
        }
        for (RtString text = getMessage("101"); text.length() > 0; text = getMessage("101")) {
            hostGot.take({3, 101, int32_t(textToNumber(lastSender())), text.cStr()});
        }
    }
    EXPECT_TRUE(allComplete());
    got.push_back(hostGot);
    for (auto& peer : peers) peer->readSome(20);  // nothing more arrives later
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].faults, 0) << i;
        EXPECT_EQ(got[i].total + (i < peers.size() ? peers[i]->pending.size() : 0), 99u * kEach)
            << i;
    }
}

TEST_F(LoadSession, APeerThatNeverReadsIsDroppedWithoutStallingOthers) {
    constexpr int kMessages = 8000;
    sessionLimits.connectionQueueBytes = 256 * 1024;
    port = test::freeLoopbackPort();
    ASSERT_EQ(hostSession(port), 1);
    uint64_t droppedBefore = sessionCounters.connectionsDropped;
    RawPeer sink(port, 4096), reader(port), sender(port);
    ASSERT_GT(sink.registerPlayer("sink", 1), 0);
    Received got(reader.registerPlayer("reader", 2));
    int32_t senderId = sender.registerPlayer("sender", 3);
    ASSERT_GT(senderId, 0);

    std::string padding(1000, 'p');
    std::atomic<int> readerTotal{0};
    // Kept a little ahead of the reader, so that a slow machine cannot make
    // the reader look like a peer that never reads.
    std::thread flood([&] {
        for (int seq = 0; seq < kMessages; ++seq) {
            while (seq - readerTotal > 100)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (!sender.send(
                    test::wireRecord(3, -1, senderId, messageText(senderId, seq) + padding)))
                break;
        }
    });
    for (auto deadline = test::after(60000); got.total < kMessages &&
                                             std::chrono::steady_clock::now() < deadline &&
                                             reader.readSome(50);) {
        for (auto& r : reader.pending) got.take(r, padding.size());
        reader.pending.clear();
        readerTotal = got.total;
    }
    readerTotal = kMessages;  // lets a waiting sender finish
    flood.join();
    EXPECT_EQ(got.total, kMessages);
    EXPECT_EQ(got.faults, 0);
    EXPECT_EQ(sessionCounters.connectionsDropped - droppedBefore, 1u);
    EXPECT_TRUE(sink.closedWithin(10000));
    EXPECT_EQ(countPlayers(), 2);
}

}  // namespace
}  // namespace vorlan
