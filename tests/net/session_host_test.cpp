// One process hosting a session and playing on it with several players,
// and requests with no session or a lost host.
#include <vorlan/net.h>

#include <string>
#include <thread>
#include <vector>

#include "session_peers.h"

namespace vorlan {
namespace {

using test::waitMessage;

class HostedSession : public test::SessionTest {
  protected:
    void SetUp() override {
        SessionTest::SetUp();
        hostWithPlayer();
        for (const char* name : {"bob", "cy"}) ids.push_back(createPlayer(name).cStr());
    }
    std::vector<std::string> ids{"101"};
};

TEST_F(HostedSession, IdsCountAndNames) {
    EXPECT_EQ(ids, (std::vector<std::string>{"101", "102", "103"}));
    // The hidden request entry takes an id but is no game player.
    EXPECT_EQ(countPlayers(), 3);
    for (size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(playerIdAt(i).cStr(), ids[i]);
    EXPECT_STREQ(playerIdAt(3).cStr(), "0");
    EXPECT_STREQ(playerName("102").cStr(), "bob");
    sessionLimits.answerTimeoutMs = 200;
    EXPECT_STREQ(playerName("999").cStr(), "NO_DATA");
}

TEST_F(HostedSession, BroadcastsSkipTheSenderAndQueuesKeepTheirOrder) {
    ASSERT_EQ(sendMessage("101", "0", "to all"), 1);
    EXPECT_EQ(waitMessage("102"), "to all");
    EXPECT_EQ(waitMessage("103"), "to all");
    EXPECT_STREQ(lastSender().cStr(), "101");
    for (const char* text : {"one", "two", "three"}) ASSERT_EQ(sendMessage("102", "103", text), 1);
    for (const char* text : {"one", "two", "three"}) EXPECT_EQ(waitMessage("103"), text);
    EXPECT_STREQ(lastSender().cStr(), "102");
    // Nothing more came, and the sender got none of its own broadcast.
    EXPECT_EQ(waitMessage("101", 100), "");
    EXPECT_EQ(waitMessage("103", 100), "");
    // Unknown players have no messages and leave the last sender alone.
    EXPECT_STREQ(getMessage("555").cStr(), "");
    EXPECT_STREQ(getMessage("-1").cStr(), "");
    EXPECT_STREQ(lastSender().cStr(), "102");
}

TEST_F(HostedSession, AddressListKeepsTheSessionAndTextsUpTo1024BytesTravelWhole) {
    std::string addresses = localAddresses().cStr();
    EXPECT_NE(("|" + addresses + "|").find("|127.0.0.1|"), std::string::npos) << addresses;
    std::string longest = "a" + std::string(1022, 'x') + "z";
    EXPECT_EQ(sendMessage("101", "102", longest.c_str()), 1);
    EXPECT_EQ(waitMessage("102"), longest);
    EXPECT_EQ(sendMessage("101", "102", std::string(1025, 'y').c_str()), 0);
    EXPECT_EQ(waitMessage("102", 200), "");
}

TEST_F(HostedSession, FullPlayerQueuesDropAndCount) {
    sessionLimits.playerQueueMessages = 10;
    uint64_t droppedBefore = sessionCounters.messagesDropped;
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(sendMessage("101", "102", std::to_string(i).c_str()), 1);
    }
    // Sent after the 30, so once it is there the 30 have been handled.
    ASSERT_EQ(sendMessage("101", "103", "marker"), 1);
    EXPECT_EQ(waitMessage("103"), "marker");
    for (int i = 0; i < 10; ++i) EXPECT_EQ(waitMessage("102"), std::to_string(i));
    EXPECT_EQ(waitMessage("102", 100), "");
    EXPECT_EQ(sessionCounters.messagesDropped - droppedBefore, 20u);
}

using NoSession = test::SessionTest;

TEST_F(NoSession, EveryOperationFailsAtOnce) {
    // Were any of these to wait for an answer, the test would hang.
    sessionLimits.answerTimeoutMs = 1e9;
    EXPECT_STREQ(createPlayer("x").cStr(), "-1");
    EXPECT_EQ(countPlayers(), 0);
    EXPECT_STREQ(playerName("101").cStr(), "NO_DATA");
    EXPECT_EQ(sendMessage("101", "0", "hi"), 0);
    EXPECT_STREQ(getMessage("101").cStr(), "");
    // An unanswered playerIdAt gives the index back.
    const std::pair<double, const char*> cases[] = {{0, "0"}, {7, "7"}, {7.9, "7"}, {-2.5, "-2"}};
    for (const auto& [index, text] : cases) EXPECT_STREQ(playerIdAt(index).cStr(), text) << index;
    // Joining nobody and hosting on a taken port fail, and leave no session.
    EXPECT_EQ(joinSession("127.0.0.1", test::freeLoopbackPort()), 0);
    uint16_t taken = 0;
    int listener = test::listenLoopback(taken);
    EXPECT_EQ(hostSession(taken), 0);
    ::close(listener);
    EXPECT_STREQ(createPlayer("x").cStr(), "-1");
}

TEST_F(NoSession, LostHostFailsRequestsAtOnce) {
    test::FakeHost fake;
    // The host answers the join, then goes away.
    std::thread host([&] {
        if (fake.accept()) fake.answerJoin(500);
        ::close(fake.fd);
        fake.fd = -1;
    });
    EXPECT_EQ(joinSession("127.0.0.1", fake.port), 1);
    host.join();
    sessionLimits.answerTimeoutMs = 1e9;
    EXPECT_STREQ(createPlayer("late").cStr(), "-1");
    EXPECT_EQ(countPlayers(), 0);
}

}  // namespace
}  // namespace vorlan
