// A host against clients written in the test from the wire format (broken,
// split, merged and forged records), and the registration's exact bytes.
#include <vorlan/net.h>

#include <string>
#include <thread>

#include "session_peers.h"

namespace vorlan {
namespace {

using test::RawPeer;
using test::WireRecord;
using test::wireRecord;

bool isAnswer(const WireRecord& r) {
    return r.type == 2;
}

using WireSession = test::SessionTest;
using LetterSession = test::SessionTest;

TEST_F(WireSession, BrokenAndOddlySplitInputStillRegisters) {
    hostWithPlayer();
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
        SCOPED_TRACE(c.name);
        RawPeer peer(port);
        ASSERT_TRUE(peer.send(c.before));
        if (c.oneByteAtATime) {
            for (char byte : registration) ASSERT_TRUE(peer.send(std::string(1, byte)));
        } else {
            ASSERT_TRUE(peer.send(registration));
        }
        WireRecord answer, got;
        ASSERT_TRUE(peer.waitFor(isAnswer, &answer));
        // The connection still works both ways.
        std::string text = std::string("after ") + c.name;
        ASSERT_EQ(sendMessage("101", std::to_string(answer.receiver).c_str(), text.c_str()), 1);
        ASSERT_TRUE(peer.waitFor([&](auto& r) { return r.type == 3 && r.text == text; }, &got));
        EXPECT_EQ(got.receiver, answer.receiver);
        EXPECT_EQ(got.sender, 101);
    }
    // The broken headers never reached the host's player.
    EXPECT_EQ(test::waitMessage("101", 100), "");
}

TEST_F(WireSession, ForgedAnswersLeavesAndSendersChangeNothing) {
    hostWithPlayer();
    RawPeer peer(port);
    int32_t raw = peer.registerPlayer("forger", 5);
    ASSERT_GT(raw, 101);
    ASSERT_EQ(countPlayers(), 2);
    // Answers, ids, leaves and messages in the host's name (or nobody's),
    // to every receiver from the host's hidden request entry on.
    uint64_t forgedBefore = sessionCounters.messagesForged;
    for (int32_t target = 100; target <= raw + 2; ++target) {
        ASSERT_TRUE(peer.send(
            wireRecord(2, target, 0, test::le32(1)) + wireRecord(101, target, 0, test::le32(999)) +
            wireRecord(103, target, 0, "forged name") + wireRecord(4, 0, 101) +
            wireRecord(3, target, 101, "as the host") + wireRecord(3, target, 0, "as nobody")));
    }
    // Only a message in the sender's own name gets through.
    ASSERT_TRUE(peer.send(wireRecord(3, 101, raw, "genuine")));
    EXPECT_EQ(test::waitMessage("101"), "genuine");
    EXPECT_EQ(sessionCounters.messagesForged - forgedBefore, 2u * (raw + 3 - 100));
    // The requests still get the host's true answers.
    EXPECT_EQ(countPlayers(), 2);
    EXPECT_STREQ(playerName("101").cStr(), "host");
    EXPECT_STREQ(playerIdAt(0).cStr(), "101");
    // The forger's own leave removes its own player only.
    ASSERT_TRUE(peer.send(wireRecord(4, 0, raw)));
    EXPECT_TRUE(test::playersBecome(1));
    EXPECT_STREQ(playerIdAt(0).cStr(), "101");
}

TEST_F(WireSession, AGivenUpRegistrationLeavesNoGhost) {
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
        lateIdReturned = fake.next(17) == wireRecord(4, 0, 600);
    });
    ASSERT_EQ(joinSession("127.0.0.1", fake.port), 1);
    sessionLimits.answerTimeoutMs = 300;
    EXPECT_STREQ(createPlayer("early").cStr(), "-1");
    sessionLimits.answerTimeoutMs = 5000;
    EXPECT_STREQ(createPlayer("second").cStr(), "601");
    host.join();
    // The host got the late id back, so no ghost player stays there.
    EXPECT_TRUE(lateIdReturned);
}

TEST_F(LetterSession, RegistrationBlockCarriesNoneOfTheCreatorsOwnFields) {
    test::FakeHost fake;
    std::string registration;
    std::thread host([&] {
        if (!fake.accept()) return;
        fake.answerJoin(500);
        registration = fake.next(17 + 152);
        test::sendAll(fake.fd, wireRecord(2, 501, 0));
    });
    ASSERT_EQ(joinSession("127.0.0.1", fake.port), 1);
    EXPECT_STREQ(createPlayer("Brinna").cStr(), "501");
    host.join();
    std::string block = test::le32(-1) + test::le32(-1) + std::string(2, '\0') + "Brinna";
    block.resize(152, '\0');
    EXPECT_EQ(registration, wireRecord(1, 0, 0, block));
}

// Two registrations in one write, each answered with a bare 17-byte record.
TEST_F(LetterSession, HostAnswersARegistrationWithTheBareId) {
    hostWithPlayer();
    RawPeer peer(port);
    ASSERT_TRUE(peer.send(wireRecord(1, 0, 0, test::registrationBlock(-1, "raw")) +
                          wireRecord(1, 0, 0, test::registrationBlock(2, "b"))));
    WireRecord first, second;
    ASSERT_TRUE(peer.waitFor(isAnswer, &first));
    ASSERT_TRUE(peer.waitFor(isAnswer, &second));
    EXPECT_EQ(first.bytes(), wireRecord(2, 102, 0));
    EXPECT_EQ(second.bytes(), wireRecord(2, 103, 0));
    EXPECT_STREQ(playerName("102").cStr(), "raw");
    // A broadcast from the host's player reaches both, each addressed.
    ASSERT_EQ(sendMessage("101", "0", "both"), 1);
    for (int32_t id : {102, 103}) {
        EXPECT_TRUE(peer.waitFor([&](auto& r) { return r.type == 3 && r.receiver == id; }));
    }
}

}  // namespace
}  // namespace vorlan
