// Sessions between separate processes, including killed and ending ones.
#include <signal.h>
#include <sys/resource.h>
#include <vorlan/app.h>
#include <vorlan/net.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "session_peers.h"
#include "support/child_entry.h"

namespace vorlan {
namespace {

using test::waitMessage;

double envPort() {
    return std::atof(std::getenv("VORLAN_TEST_PORT"));
}

std::unique_ptr<test::Subprocess> startOnPort(const char* child, uint16_t port) {
    setenv("VORLAN_TEST_PORT", std::to_string(port).c_str(), 1);
    return test::startChild(child);
}

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// A child's own session on the port its parent chose.
bool hostOnEnvPort() {
    sessionLimits.listenAddress = "127.0.0.1";
    if (hostSession(envPort()) == 1) return true;
    say("host failed");
    return false;
}

// Joins, waits for "go", greets all and the host, reports until "bye".
VORLAN_TEST_CHILD(SessionJoiner) {
    std::string name = std::getenv("VORLAN_TEST_NAME");
    if (joinSession("127.0.0.1", envPort()) != 1) return say("join failed");
    std::string me = createPlayer(name.c_str()).cStr();
    say("id " + me);
    if (waitMessage(me.c_str(), 20000) != "go") return say("no go");
    sendMessage(me.c_str(), "0", ("hello from " + name).c_str());
    sendMessage(me.c_str(), "101", ("direct " + name).c_str());
    for (std::string text; (text = waitMessage(me.c_str(), 20000)) != "" && text != "bye";) {
        say(std::string("got ") + lastSender().cStr() + " " + text);
    }
    say("done");
}

std::string idLine(test::Subprocess& child) {
    for (int i = 0; i < 100 && child.output().find('\n') == std::string::npos; ++i) child.drain(50);
    std::string out = child.output();
    return out.rfind("id ", 0) == 0 ? out.substr(3, out.find('\n') - 3) : "";
}

using ProcessSession = test::SessionTest;

TEST_F(ProcessSession, JoinersExchangeMessagesAndAKilledOneLosesItsPlayers) {
    hostWithPlayer();
    std::map<std::string, std::unique_ptr<test::Subprocess>> joiners;
    std::map<std::string, std::string> ids;
    for (const char* name : {"a", "b", "c"}) {
        setenv("VORLAN_TEST_NAME", name, 1);
        joiners[name] = startOnPort("SessionJoiner", port);
        ids[name] = idLine(*joiners[name]);
        ASSERT_FALSE(ids[name].empty()) << joiners[name]->output();
    }
    ASSERT_TRUE(test::playersBecome(4));
    ::kill(joiners["c"]->pid(), SIGKILL);
    ASSERT_TRUE(test::playersBecome(3));

    ASSERT_EQ(sendMessage("101", "0", "go"), 1);
    std::set<std::string> got;
    for (int i = 0; i < 4; ++i) {
        std::string text = waitMessage("101");
        got.insert(std::string(lastSender().cStr()) + " " + text);
    }
    EXPECT_EQ(got, (std::set<std::string>{ids["a"] + " hello from a", ids["a"] + " direct a",
                                          ids["b"] + " hello from b", ids["b"] + " direct b"}));
    ASSERT_EQ(sendMessage("101", "0", "bye"), 1);
    for (auto [self, other] : {std::pair{"a", "b"}, std::pair{"b", "a"}}) {
        EXPECT_EQ(joiners[self]->waitForExit(10000), 0);
        joiners[self]->drain(0);
        // Exactly the other's greeting: not its own, none from the dead one.
        EXPECT_EQ(joiners[self]->output(),
                  "id " + ids[self] + "\ngot " + ids[other] + " hello from " + other + "\ndone\n");
    }
}

// Hosts until a "stop" message, then reports what it saw.
VORLAN_TEST_CHILD(SessionHostUntilStop) {
    if (!hostOnEnvPort()) return;
    std::string me = createPlayer("far").cStr();
    say("hosting " + me);
    int visits = 0;
    for (std::string text; (text = waitMessage(me.c_str(), 30000)) != "" && text != "stop";) {
        ++visits;
    }
    say("visits " + std::to_string(visits) + " players " + std::to_string(int(countPlayers())));
}

TEST_F(ProcessSession, HostingAndJoiningInTurns) {
    uint16_t farPort = test::freeLoopbackPort();
    auto far = startOnPort("SessionHostUntilStop", farPort);
    ASSERT_TRUE(far->waitForLine("hosting 101", 10000)) << far->output();
    uint16_t ownPort = test::freeLoopbackPort();
    RtString visitor;
    for (int round = 0; round < 50; ++round) {
        ASSERT_EQ(hostSession(ownPort), 1) << round;
        ASSERT_STREQ(createPlayer("me").cStr(), "101") << round;
        ASSERT_EQ(joinSession("127.0.0.1", farPort), 1) << round;
        visitor = createPlayer("visitor");
        ASSERT_NE(textToNumber(visitor), -1) << round;
        ASSERT_EQ(sendMessage(visitor, "101", "visit"), 1) << round;
    }
    // The last visitor stays; every earlier one left with its connection.
    ASSERT_EQ(sendMessage(visitor, "101", "stop"), 1);
    EXPECT_EQ(far->waitForExit(10000), 0);
    EXPECT_NE(far->output().find("visits 50 players 2\n"), std::string::npos) << far->output();
}

// Hosts and ends the program while a peer floods its player.
VORLAN_TEST_CHILD(SessionHostEndsMidTraffic) {
    if (!hostOnEnvPort()) return;
    std::string me = createPlayer("busy").cStr();
    say("ready");
    for (int taken = 0; taken < 200;) {
        if (!waitMessage(me.c_str(), 10000).empty()) ++taken;
    }
    say("ending");
    endProgram();
}

TEST_F(ProcessSession, EndProgramDuringTraffic) {
    port = test::freeLoopbackPort();
    auto child = startOnPort("SessionHostEndsMidTraffic", port);
    ASSERT_TRUE(child->waitForLine("ready", 10000)) << child->output();
    test::RawPeer peer(port);
    int32_t id = peer.registerPlayer("flood", 3);
    ASSERT_GT(id, 101);
    std::string burst;
    for (int i = 0; i < 50; ++i) burst += test::wireRecord(3, 101, id, "m" + std::to_string(i));
    int bursts = 0;
    while (bursts < 2000 && peer.send(burst)) {
        ++bursts;
        if (!peer.readSome(0)) break;
    }
    EXPECT_EQ(child->waitForExit(10000), 0);
    EXPECT_NE(child->output().find("ending\n"), std::string::npos);
    EXPECT_TRUE(peer.closedWithin(5000));
}

// Joins a host written in the test, registers, and ends the program.
VORLAN_TEST_CHILD(SessionJoinerEnds) {
    if (joinSession("127.0.0.1", envPort()) != 1) return say("join failed");
    say(std::string("id ") + createPlayer("leaving").cStr());
    endProgram();
}

TEST_F(ProcessSession, LeaveRecordsArriveBeforeTheClose) {
    test::FakeHost fake;
    auto child = startOnPort("SessionJoinerEnds", fake.port);
    ASSERT_TRUE(fake.accept());
    fake.answerJoin(500);
    fake.assign(700);
    // Unread messages wait at the joiner while it ends.
    ASSERT_TRUE(test::sendAll(fake.fd, test::wireRecord(3, 700, 5, std::string(1000, 'u'))));
    std::string got;
    while (test::receiveFor(fake.fd, got, 5000) && got.size() < 34) {
    }
    EXPECT_EQ(child->waitForExit(10000), 0);
    // Both registered entries said goodbye, in whole records, before the end.
    EXPECT_EQ(got, test::wireRecord(4, 0, 500) + test::wireRecord(4, 0, 700));
}

// Hosts with room for one more descriptor only, and reports its messages.
VORLAN_TEST_CHILD(SessionHostShortOfDescriptors) {
    if (!hostOnEnvPort() || std::string(createPlayer("host").cStr()) != "101") return;
    {
        // Every path the host takes later runs once while the sanitizers
        // can still open files.
        test::RawPeer warmUp(static_cast<uint16_t>(envPort()));
        warmUp.registerPlayer("warm-up", 1);
    }
    test::playersBecome(1);
    rlim_t open = 0;
    for ([[maybe_unused]] auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) ++open;
    rlimit limit{open, open};
    setrlimit(RLIMIT_NOFILE, &limit);
    say("ready");
    for (std::string text; (text = waitMessage("101", 20000)) != "";) say("got " + text);
}

TEST_F(ProcessSession, RunningOutOfDescriptorsDoesNotEndTheSession) {
    port = test::freeLoopbackPort();
    auto child = startOnPort("SessionHostShortOfDescriptors", port);
    ASSERT_TRUE(child->waitForLine("ready", 10000)) << child->output();
    {
        // More connections than descriptors: the host cannot accept them all.
        test::RawPeer a(port), b(port), c(port);
        a.readSome(200);
    }
    test::RawPeer late(port);
    int32_t id = late.registerPlayer("late", 9);
    ASSERT_GT(id, 101);
    ASSERT_TRUE(late.send(test::wireRecord(3, 101, id, "after")));
    EXPECT_TRUE(child->waitForLine("got after", 10000)) << child->output();
    ::kill(child->pid(), SIGKILL);
}

}  // namespace
}  // namespace vorlan
