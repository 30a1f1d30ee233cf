// A host against a client written in the test from the wire format:
// broken, split, merged and forged records.
#include <vorlan/net.h>

#include <string>

#include "session_peers.h"

namespace vorlan {
namespace {

using test::RawPeer;
using test::WireRecord;
using test::wireRecord;

class WireSession : public test::SessionTest {
  protected:
    void SetUp() override {
        SessionTest::SetUp();
        port = test::freeLoopbackPort();
        ASSERT_EQ(hostSession(port), 1);
        host = createPlayer("host").cStr();
        ASSERT_EQ(host, "101");
    }

    // The raw peer's player receives a message from the host's player,
    // which shows that its connection still works.
    void expectDelivery(RawPeer& peer, int32_t id, const std::string& text) {
        ASSERT_EQ(sendMessage(host.c_str(), std::to_string(id).c_str(), text.c_str()), 1);
        WireRecord got;
        ASSERT_TRUE(peer.waitFor([&](const WireRecord& r) { return r.type == 3 && r.text == text; },
                                 &got, 5000))
            << text;
        EXPECT_EQ(got.receiver, id);
        EXPECT_EQ(got.sender, 101);
    }

    uint16_t port = 0;
    std::string host;
};

TEST_F(WireSession, BrokenAndOddlySplitInputStillRegisters) {
    std::string registration = wireRecord(1, 0, 0, test::registrationBlock(77, "raw"));
    struct Case {
        const char* name;
        std::string before;  // sent ahead of the registration
        bool oneByteAtATime;
    };
    const Case cases[] = {
        {"garbage", "this is not a record at all VRL", false},
        {"negative length", wireRecord(3, 101, 5, "", -1), false},
        {"huge length", wireRecord(3, 101, 5, std::string(64, 'h'), 100000), false},
        {"short block", wireRecord(1, 0, 0, std::string(20, '\0')), false},
        {"trickle", "", true},
    };
    for (const Case& c : cases) {
        RawPeer peer(port);
        ASSERT_TRUE(peer.send(c.before));
        if (c.oneByteAtATime) {
            for (char byte : registration) ASSERT_TRUE(peer.send(std::string(1, byte)));
        } else {
            ASSERT_TRUE(peer.send(registration));
        }
        WireRecord answer;
        ASSERT_TRUE(peer.waitFor([](const WireRecord& r) { return r.type == 2; }, &answer, 5000))
            << c.name;
        EXPECT_EQ(answer.text, "") << c.name;
        expectDelivery(peer, answer.receiver, std::string("after ") + c.name);
    }
    // The broken headers never reached the host's player.
    EXPECT_EQ(test::waitMessage(host.c_str(), 100), "");
}

TEST_F(WireSession, TwoRecordsInOneWrite) {
    RawPeer peer(port);
    ASSERT_TRUE(peer.send(wireRecord(1, 0, 0, test::registrationBlock(1, "a")) +
                          wireRecord(1, 0, 0, test::registrationBlock(2, "b"))));
    WireRecord first, second;
    ASSERT_TRUE(peer.waitFor([](const WireRecord& r) { return r.type == 2; }, &first, 5000));
    ASSERT_TRUE(peer.waitFor([](const WireRecord& r) { return r.type == 2; }, &second, 5000));
    EXPECT_EQ(first.text, "");
    EXPECT_EQ(second.text, "");
    EXPECT_EQ(second.receiver, first.receiver + 1);
    // A broadcast from the host's player reaches both, each addressed.
    ASSERT_EQ(sendMessage(host.c_str(), "0", "both"), 1);
    for (int32_t id : {first.receiver, second.receiver}) {
        EXPECT_TRUE(peer.waitFor(
            [&](const WireRecord& r) { return r.type == 3 && r.receiver == id; }, nullptr, 5000));
    }
}

TEST_F(WireSession, ForgedAnswersAndLeavesChangeNothing) {
    RawPeer peer(port);
    int32_t raw = peer.registerPlayer("forger", 5);
    ASSERT_GT(raw, 101);
    ASSERT_EQ(countPlayers(), 2);
    // Answers and ids as if from the host, and a leave in the host's name.
    // Receivers cover the host's player and its hidden request entry.
    for (int32_t target = 100; target <= raw + 2; ++target) {
        ASSERT_TRUE(peer.send(wireRecord(2, target, 0, test::le32(1)) +
                              wireRecord(101, target, 0, test::le32(999)) +
                              wireRecord(103, target, 0, "forged name") + wireRecord(4, 0, 101)));
    }
    // The requests still get the host's true answers.
    EXPECT_EQ(countPlayers(), 2);
    EXPECT_STREQ(playerName("101").cStr(), "host");
    EXPECT_STREQ(playerIdAt(0).cStr(), "101");
    // The forger's own leave removes its own player only.
    ASSERT_TRUE(peer.send(wireRecord(4, 0, raw)));
    for (int i = 0; i < 200 && countPlayers() != 1; ++i) test::waitMessage("0", 10);
    EXPECT_EQ(countPlayers(), 1);
    EXPECT_STREQ(playerIdAt(0).cStr(), "101");
}

TEST_F(WireSession, AGivenUpRegistrationLeavesNoGhost) {
    closeNetworkSession();
    test::FakeHost fake;
    bool lateIdReturned = false;
    std::thread host([&] {
        if (!fake.accept()) return;
        fake.answerJoin(500);
        // "early" is answered only after it gave up and "second" asked:
        // in order, as a host answers, the late 600 first.
        fake.next(169);
        fake.next(169);
        test::sendAll(fake.fd, wireRecord(2, 600, 0) + wireRecord(2, 601, 0));
        std::string leave = fake.next(17);
        lateIdReturned = leave == wireRecord(4, 0, 600);
    });
    ASSERT_EQ(joinSession("127.0.0.1", fake.port), 1);
    sessionLimits.answerTimeoutMs = 300;
    EXPECT_STREQ(createPlayer("early").cStr(), "-1");
    sessionLimits.answerTimeoutMs = 5000;
    // The late answer for "early" must not become this player's id.
    EXPECT_STREQ(createPlayer("second").cStr(), "601");
    host.join();
    // The host got the late id back, so no ghost player stays there.
    EXPECT_TRUE(lateIdReturned);
}

}  // namespace
}  // namespace vorlan
