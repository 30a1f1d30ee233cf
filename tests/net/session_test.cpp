// Sessions on real sockets: the wire against peers written from the wire format
// alone (broken, split, forged records), load, and sessions between processes.
#include <sys/resource.h>
#include <unistd.h>
#include <vorlan/app.h>
#include <vorlan/net.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <map>
#include <thread>

#include "net/net_record.h"
#include "net/session.h"
#include "support/bytes.h"
#include "support/child_entry.h"
#include "support/eventually.h"
#include "support/loopback.h"

namespace vorlan {
namespace {

using namespace test;

uint16_t freeLoopbackPort() {
    uint16_t port = 0;
    ::close(listenLoopback(port));
    return port;
}

// The player's next message within timeoutMs, or "".
std::string waitMessage(const RtString& player, double timeoutMs = 10000) {
    std::string text;
    eventually([&] { return !(text = getMessage(player).cStr()).empty(); }, timeoutMs, 1);
    return text;
}

class SessionTest : public testing::Test {
  protected:
    void SetUp() override {
        sessionLimits = SessionLimits();
        sessionLimits.listenAddress = "127.0.0.1";
        sessionLimits.answerTimeoutMs = 5000;
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

std::string le32(int32_t value) {
    std::string bytes;
    appendLe(bytes, uint32_t(value), 4);
    return bytes;
}

// The header with any length, true or not, then the text.
std::string wireRecord(int type, int32_t receiver, int32_t sender, const std::string& text = "",
                       int64_t length = -2) {
    return "VRLN" + std::string(1, char(type)) +
           le32(int32_t(length == -2 ? text.size() : length)) + le32(receiver) + le32(sender) +
           text;
}

// A type-1 text: the socket field (the host does not read it), the name at 10.
std::string registrationBlock(int32_t socketField, const std::string& name) {
    std::string block(152, '\0');
    return block.replace(0, 4, le32(socketField)).replace(10, name.size(), name);
}

class RawPeer {
  public:
    explicit RawPeer(uint16_t port, int receiveBuffer = 0)
        : fd(connectLoopback(port, receiveBuffer)) {}
    ~RawPeer() { ::close(fd); }
    bool send(const std::string& bytes) { return sendAll(fd, bytes); }

    // Takes the first matching record out of `pending`, reading until one
    // comes, the host closes or the time is up.
    template <typename Match>
    bool waitFor(Match match, NetRecord* found = nullptr, double timeoutMs = 10000) {
        for (double end = platform::nowMs() + timeoutMs;;) {
            for (auto it = pending.begin(); it != pending.end(); ++it) {
                if (!match(*it)) continue;
                if (found) *found = *it;
                pending.erase(it);
                return true;
            }
            if (platform::nowMs() >= end || !readSome(10)) return false;
        }
    }

    // The id the host gives a new player, or -1.
    int32_t registerPlayer(const std::string& name, int32_t socketField) {
        NetRecord answer;
        bool ok = send(wireRecord(1, 0, 0, registrationBlock(socketField, name))) &&
                  waitFor([&](auto& r) { return r.type == 2 && r.text.empty(); }, &answer);
        return ok ? answer.receiver : -1;
    }

    // Reads what arrives within timeoutMs; false once the host closed.
    bool readSome(double timeoutMs) {
        bool open = receiveFor(fd, buffer_, timeoutMs);
        for (size_t length;
             buffer_.size() >= 17 && buffer_.size() >= 17 + (length = size_t(le(5)));) {
            pending.push_back({uint8_t(buffer_[4]), le(9), le(13), buffer_.substr(17, length)});
            buffer_.erase(0, 17 + length);
        }
        return open;
    }

    bool closedWithin(double timeoutMs) {
        return eventually([&] { return !readSome(50); }, timeoutMs, 0);
    }

    int fd;
    std::vector<NetRecord> pending;

  private:
    int32_t le(size_t at) const {
        int32_t value;
        std::memcpy(&value, buffer_.data() + at, 4);  // the wire is little-endian, as this host
        return value;
    }
    std::string buffer_;
};

// A host played by the test on a listening socket of its own.
struct FakeHost {
    FakeHost() : listener(listenLoopback(port)) {}
    ~FakeHost() {
        if (fd >= 0) ::close(fd);
        ::close(listener);
    }
    bool accept() { return (fd = acceptWithin(listener, 20000)) >= 0; }
    // The next `size` bytes from the instance; zeros when they do not come.
    std::string next(size_t size) {
        std::string got;
        return receiveAtLeast(fd, got, size, 10000) ? got : std::string(size, '\0');
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

TEST(RecordStream, SameRecordsForEverySplit) {
    const std::string hello = wireRecord(3, 102, 101, "hello"), empty = wireRecord(104, 0, 7);
    const std::string longest = wireRecord(3, -1, 9, std::string(1024, 'z'));
    const std::string withTag = wireRecord(3, 3, 4, "a VRLN inside");
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {hello + empty, {hello, empty}},
        {longest, {longest}},
        {withTag + empty, {withTag, empty}},
        {wireRecord(3, 1, 2, "", 1025) + empty, {empty}},  // a length just over
        {hello + longest.substr(0, 500), {hello}},
        {std::string(3000, 'V'), {}}};
    for (const auto& [bytes, expected] : cases) {
        for (size_t piece :
             std::initializer_list<size_t>{bytes.size(), 1, 2, 3, 16, 17, 18, 1000}) {
            RecordAssembler assembler;
            std::vector<std::string> got;
            for (size_t at = 0; at < bytes.size(); at += piece) {
                assembler.feed(bytes.data() + at, std::min(piece, bytes.size() - at));
                for (NetRecord record; assembler.next(record);) got.push_back(encodeRecord(record));
            }
            EXPECT_EQ(got, expected) << bytes.substr(0, 20) << " in pieces of " << piece;
        }
    }
}

// Garbage, lengths -1 and 100000 and a short block skip to the next tag;
// then a registration one byte at a time, and two in one write, each get
// the bare 17-byte answer with their id, and the connection works both ways.
TEST_F(SessionTest, BrokenSplitMergedAndForgedInput) {
    hostWithPlayer();
    RawPeer peer(port);
    ASSERT_TRUE(peer.send("this is not a record at all VRL" + wireRecord(3, 101, 5, "", -1) +
                          wireRecord(3, 101, 5, std::string(64, 'h'), 100000) +
                          wireRecord(1, 0, 0, std::string(151, '\0'))));
    for (char byte : wireRecord(1, 0, 0, registrationBlock(77, "raw")))
        ASSERT_TRUE(peer.send(std::string(1, byte)));
    ASSERT_TRUE(peer.send(wireRecord(1, 0, 0, registrationBlock(-1, "b")) +
                          wireRecord(1, 0, 0, registrationBlock(2, std::string(200, 'n')))));
    for (int32_t id : {102, 103, 104}) {
        NetRecord answer;
        ASSERT_TRUE(peer.waitFor([](auto& r) { return r.type == 2; }, &answer));
        EXPECT_EQ(wireRecord(answer.type, answer.receiver, answer.sender, answer.text),
                  wireRecord(2, id, 0));
    }
    // A name ends at its NUL or after 127 bytes.
    EXPECT_STREQ(playerName("102").cStr(), "raw");
    EXPECT_EQ(playerName("104").cStr(), std::string(127, 'n'));
    // A message to one and a broadcast from the host's player, each addressed.
    ASSERT_EQ(sendMessage("101", "102", "direct"), 1);
    ASSERT_EQ(sendMessage("101", "0", "both"), 1);
    for (auto [id, text] :
         {std::pair{102, "direct"}, {102, "both"}, {103, "both"}, {104, "both"}}) {
        EXPECT_TRUE(peer.waitFor([&](auto& r) {
            return r.type == 3 && r.receiver == id && r.sender == 101 && r.text == text;
        })) << id
            << text;
    }
    EXPECT_EQ(waitMessage("101", 100), "");  // the broken headers never reached it
    // Forged answers, ids, leaves and messages in the host's name (or nobody's),
    // to every receiver from the hidden request entry on, change nothing.
    const int32_t raw = 104;
    ASSERT_EQ(countPlayers(), 4);
    uint64_t forgedBefore = sessionCounters.messagesForged;
    for (int32_t target = 100; target <= raw + 2; ++target) {
        ASSERT_TRUE(peer.send(
            wireRecord(2, target, 0, le32(1)) + wireRecord(101, target, 0, le32(999)) +
            wireRecord(103, target, 0, "forged name") + wireRecord(4, 0, 101) +
            wireRecord(3, target, 101, "as the host") + wireRecord(3, target, 0, "as nobody")));
    }
    // Only a message in the sender's own name gets through.
    ASSERT_TRUE(peer.send(wireRecord(3, 101, raw, "genuine")));
    EXPECT_EQ(waitMessage("101"), "genuine");
    EXPECT_EQ(sessionCounters.messagesForged - forgedBefore, 2u * (raw + 3 - 100));
    // The requests still get the host's true answers.
    EXPECT_EQ(countPlayers(), 4);
    EXPECT_STREQ(playerName("101").cStr(), "host");
    EXPECT_STREQ(playerIdAt(0).cStr(), "101");
    // The forger's own leave removes its own player only.
    ASSERT_TRUE(peer.send(wireRecord(4, 0, raw)));
    EXPECT_TRUE(eventually([] { return countPlayers() == 3; }, 10000, 1));
    EXPECT_STREQ(playerIdAt(0).cStr(), "101");
    // A peer gone without a word (killed) loses its players.
    ::shutdown(peer.fd, SHUT_RDWR);
    EXPECT_TRUE(eventually([] { return countPlayers() == 1; }, 10000, 1));
}

// A registration block carries none of the creator's own fields. "early" is
// answered (600, in order) only after it gave up and "Brinna" asked: the
// host gets the late id back, so no ghost player stays there.
TEST_F(SessionTest, RegistrationBlocksNoGhostNothingAfterTheHostLeftAndLeavesBeforeTheClose) {
    FakeHost fake;
    std::string registrations;
    bool lateIdReturned = false;
    std::thread host([&] {
        if (!fake.accept()) return;
        fake.answerJoin(500);
        registrations = fake.next(2 * 169);
        sendAll(fake.fd, wireRecord(2, 600, 0) + wireRecord(2, 601, 0));
        lateIdReturned = fake.next(17) == wireRecord(4, 0, 600);
    });
    ASSERT_EQ(joinSession("127.0.0.1", fake.port), 1);
    sessionLimits.answerTimeoutMs = 300;
    EXPECT_STREQ(createPlayer("early").cStr(), "-1");
    sessionLimits.answerTimeoutMs = 10000;
    EXPECT_STREQ(createPlayer("Brinna").cStr(), "601");
    host.join();
    EXPECT_TRUE(lateIdReturned);
    // A joined player's messages, both ways, with its own id.
    ASSERT_EQ(sendMessage("601", "0", "all") + sendMessage("601", "101", "direct"), 2);
    EXPECT_EQ(fake.next(20 + 23),
              wireRecord(3, -1, 601, "all") + wireRecord(3, 101, 601, "direct"));
    ASSERT_TRUE(sendAll(fake.fd, wireRecord(3, 601, 5, "hi")));
    EXPECT_EQ(waitMessage("601"), "hi");
    EXPECT_STREQ(lastSender().cStr(), "5");
    // A host gone away, even while a request waits, ends the session: nothing
    // waits for its answers, or the test would hang. An unanswered
    // playerIdAt gives the index back.
    sessionLimits.answerTimeoutMs = 1e9;
    host = std::thread([&] {
        fake.next(169);
        ::close(std::exchange(fake.fd, -1));
    });
    EXPECT_STREQ(createPlayer("late").cStr(), "-1");
    host.join();
    EXPECT_EQ(countPlayers(), 0);
    EXPECT_STREQ(playerName("601").cStr(), "NO_DATA");
    EXPECT_EQ(sendMessage("601", "0", "hi"), 0);
    EXPECT_STREQ(getMessage("601").cStr(), "");
    for (auto [index, text] : {std::pair{0.0, "0"}, {7.0, "7"}, {7.9, "7"}, {-2.5, "-2"}})
        EXPECT_STREQ(playerIdAt(index).cStr(), text) << index;
    std::string block = le32(-1) + le32(-1) + std::string(2, '\0') + "Brinna";
    block.resize(152, '\0');
    EXPECT_EQ(registrations.substr(169), wireRecord(1, 0, 0, block));
    // Leaving (as endProgram does) with a message unread: both entries say
    // goodbye, in whole records, before the close.
    sessionLimits.answerTimeoutMs = 10000;
    host = std::thread([&] {
        if (fake.accept()) fake.answerJoin(500), fake.assign(700);
    });
    ASSERT_EQ(joinSession("127.0.0.1", fake.port), 1);
    EXPECT_STREQ(createPlayer("leaving").cStr(), "700");
    host.join();
    ASSERT_TRUE(sendAll(fake.fd, wireRecord(3, 700, 5, std::string(1000, 'u'))));
    closeNetworkSession();
    EXPECT_EQ(fake.next(34), wireRecord(4, 0, 500) + wireRecord(4, 0, 700));
}

// The hidden request entry takes an id but is no game player. Queues keep
// their order, and a full one drops and counts. Unknown players have no
// messages and leave the last sender alone.
TEST_F(SessionTest, IdsMessagesBoundedQueuesAndFailedStarts) {
    hostWithPlayer();
    ASSERT_STREQ(createPlayer("bob").cStr(), "102");
    ASSERT_STREQ(createPlayer("cy").cStr(), "103");
    EXPECT_EQ(countPlayers(), 3);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(playerIdAt(i).cStr(), std::to_string(i < 3 ? 101 + i : 0));
    EXPECT_STREQ(playerName("102").cStr(), "bob");
    std::string addresses = localAddresses().cStr();  // and the session goes on
    EXPECT_NE(("|" + addresses + "|").find("|127.0.0.1|"), std::string::npos) << addresses;
    const std::string longest = "a" + std::string(1022, 'x') + "z";
    for (std::string text : {"one", "two", longest.c_str()})
        ASSERT_EQ(sendMessage("102", "103", text.c_str()), 1);
    EXPECT_EQ(sendMessage("102", "103", std::string(1025, 'y').c_str()), 0);
    for (std::string text : {"one", "two", longest.c_str()}) EXPECT_EQ(waitMessage("103"), text);
    EXPECT_STREQ(lastSender().cStr(), "102");
    EXPECT_EQ(waitMessage("101", 100), "");
    EXPECT_EQ(waitMessage("103", 100), "");
    EXPECT_STREQ(getMessage("555").cStr(), "");
    EXPECT_STREQ(getMessage("-1").cStr(), "");
    EXPECT_STREQ(lastSender().cStr(), "102");
    sessionLimits.playerQueueMessages = 10;
    uint64_t droppedBefore = sessionCounters.messagesDropped;
    for (int i = 0; i < 30; ++i) ASSERT_EQ(sendMessage("101", "102", std::to_string(i).c_str()), 1);
    // Sent after the 30, so once it is there the 30 have been handled.
    ASSERT_EQ(sendMessage("101", "103", "marker"), 1);
    EXPECT_EQ(waitMessage("103"), "marker");
    for (int i = 0; i < 10; ++i) EXPECT_EQ(waitMessage("102"), std::to_string(i));
    EXPECT_EQ(waitMessage("102", 100), "");
    EXPECT_EQ(sessionCounters.messagesDropped - droppedBefore, 20u);
    sessionLimits.answerTimeoutMs = 200;
    EXPECT_STREQ(playerName("999").cStr(), "NO_DATA");
    // Joining nobody or hosting on a taken port fails, and leaves no session.
    closeNetworkSession();
    sessionLimits.answerTimeoutMs = 1e9;
    EXPECT_EQ(joinSession("127.0.0.1", freeLoopbackPort()), 0);
    uint16_t taken = 0;
    int listener = listenLoopback(taken);
    EXPECT_EQ(hostSession(taken), 0);
    ::close(listener);
    EXPECT_STREQ(createPlayer("x").cStr(), "-1");
}

std::string messageText(int32_t sender, int seq) {
    return "s" + std::to_string(sender) + "#" + std::to_string(seq);
}

// Per sender the next sequence number; faults: own, misaddressed, lost, repeated.
struct Received {
    int32_t self;
    std::map<int32_t, int> next = {};
    int faults = 0, total = 0;

    // Takes the records; `padding` bytes at the end of a text are ignored.
    void take(std::vector<NetRecord>& records, size_t padding = 0) {
        for (const NetRecord& r : records) {
            ++total;
            faults += r.sender == self || r.receiver != self ||
                      r.text.substr(0, r.text.size() - padding) !=
                          messageText(r.sender, next[r.sender]++);
        }
        records.clear();
    }
    bool complete(size_t senders, int each) const {
        return next.size() == senders &&
               std::all_of(next.begin(), next.end(), [&](auto& n) { return n.second == each; });
    }
};

// The host's own game connection is one of the hundred.
TEST_F(SessionTest, HundredConnectionsGetTheirShareAndAPeerThatNeverReadsIsDropped) {
    constexpr int kEach = 100;
    hostWithPlayer();
    std::vector<std::unique_ptr<RawPeer>> peers;
    std::vector<Received> got;
    for (int i = 0; i < 99; ++i) {
        peers.push_back(std::make_unique<RawPeer>(port));
        got.push_back({peers.back()->registerPlayer("p", i + 1)});
        ASSERT_GT(got.back().self, 101) << i;
    }
    RawPeer extra(port);
    EXPECT_TRUE(extra.closedWithin(10000)) << "a 101st connection stays open";
    ASSERT_EQ(countPlayers(), 100);
    got.push_back({101});  // the host's player, last
    for (int seq = 0; seq < kEach; ++seq)
        ASSERT_EQ(sendMessage("101", "0", messageText(101, seq).c_str()), 1);
    for (size_t i = 0; i < peers.size(); ++i) {
        std::string burst;
        for (int seq = 0; seq < kEach; ++seq)
            burst += wireRecord(3, -1, got[i].self, messageText(got[i].self, seq));
        ASSERT_TRUE(peers[i]->send(burst));
    }
    auto allComplete = [&] {
        return std::all_of(got.begin(), got.end(), [&](auto& r) { return r.complete(99, kEach); });
    };
    for (double end = platform::nowMs() + 120000; !allComplete() && platform::nowMs() < end;
         platform::sleepMs(5)) {
        for (size_t i = 0; i < peers.size(); ++i) {
            ASSERT_TRUE(peers[i]->readSome(0)) << "peer " << i << " was dropped";
            got[i].take(peers[i]->pending);
        }
        std::vector<NetRecord> hostRecords;
        for (RtString text = getMessage("101"); text.length() > 0; text = getMessage("101")) {
            hostRecords.push_back({3, 101, int32_t(textToNumber(lastSender())), text.cStr()});
        }
        got.back().take(hostRecords);
    }
    EXPECT_TRUE(allComplete());
    for (size_t i = 0; i < got.size(); ++i) {
        if (i < peers.size()) peers[i]->readSome(20);  // nothing more arrives later
        EXPECT_EQ(got[i].faults, 0) << i;
        EXPECT_EQ(got[i].total + (i < peers.size() ? peers[i]->pending.size() : 0), 99u * kEach)
            << i;
    }
    // The flood is kept a little ahead of the reader, so that a slow machine
    // cannot make the reader look like a peer that never reads.
    closeNetworkSession();
    constexpr int kMessages = 8000;
    sessionLimits.connectionQueueBytes = 256 * 1024;
    port = freeLoopbackPort();
    ASSERT_EQ(hostSession(port), 1);
    uint64_t droppedBefore = sessionCounters.connectionsDropped;
    RawPeer sink(port, 4096), reader(port), sender(port);
    ASSERT_GT(sink.registerPlayer("sink", 1), 0);
    Received seen{reader.registerPlayer("reader", 2)};
    int32_t senderId = sender.registerPlayer("sender", 3);
    ASSERT_GT(senderId, 0);
    const std::string padding(1000, 'p');
    std::atomic<int> readerTotal{0};
    std::thread flood([&] {
        for (int seq = 0; seq < kMessages; ++seq) {
            while (seq - readerTotal > 100) platform::sleepMs(1);
            if (!sender.send(wireRecord(3, -1, senderId, messageText(senderId, seq) + padding)))
                break;
        }
    });
    for (double end = platform::nowMs() + 120000;
         seen.total < kMessages && platform::nowMs() < end && reader.readSome(50);) {
        seen.take(reader.pending, padding.size());
        readerTotal = seen.total;
    }
    readerTotal = kMessages;  // lets a waiting sender finish
    flood.join();
    EXPECT_EQ(seen.total, kMessages);
    EXPECT_EQ(seen.faults, 0);
    EXPECT_EQ(sessionCounters.connectionsDropped - droppedBefore, 1u);
    EXPECT_TRUE(sink.closedWithin(20000));
    EXPECT_EQ(countPlayers(), 2);
}

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Hosts on the parent's port, reporting each message and, on "count", the
// visits so far. From "short" to "after" it has room for few more descriptors
// (every path runs once before, while the sanitizers can still open files:
// they need them too, so the limit goes before the end). The 200th message
// ends the program.
VORLAN_TEST_CHILD(SessionHost) {
    const double port = std::atof(std::getenv("VORLAN_TEST_PORT"));
    sessionLimits.listenAddress = "127.0.0.1";
    if (hostSession(port) != 1 || createPlayer("far") != "101") return say("failed");
    RawPeer(static_cast<uint16_t>(port)).registerPlayer("warm-up", 1);
    eventually([] { return countPlayers() == 1; }, 10000, 1);
    rlimit original;
    getrlimit(RLIMIT_NOFILE, &original);
    say("ready");
    for (int visits = 0;; ++visits) {
        const std::string text = waitMessage("101", 60000);
        if (text.empty()) return;
        rlimit limit = original;
        if (text == "short") {
            limit.rlim_cur = 0;
            for ([[maybe_unused]] auto& fd : std::filesystem::directory_iterator("/proc/self/fd"))
                ++limit.rlim_cur;
        }
        if (text == "short" || text == "after") setrlimit(RLIMIT_NOFILE, &limit);
        say("got " + text);
        if (text == "count")
            say("visits " + std::to_string(visits) + " players " +
                std::to_string(int(countPlayers())));
        if (visits == 199) say("ending"), endProgram();
    }
}

// The last visitor stays, every earlier one left with its connection; more
// connections than descriptors do not end the session; then the host ends
// the program while a peer floods its player.
TEST_F(SessionTest, HostingAndJoiningInTurnsOutOfDescriptorsAndEndProgramDuringTraffic) {
    uint16_t farPort = freeLoopbackPort(), ownPort = freeLoopbackPort();
    auto far = startChild("SessionHost", {"VORLAN_TEST_PORT=" + std::to_string(farPort)});
    ASSERT_TRUE(far->waitForLine("ready", 60000)) << far->output() << far->errors();
    RtString visitor;
    for (int round = 0; round < 50; ++round) {
        ASSERT_EQ(hostSession(ownPort), 1) << round;
        ASSERT_STREQ(createPlayer("me").cStr(), "101") << round;
        ASSERT_EQ(joinSession("127.0.0.1", farPort), 1) << round;
        visitor = createPlayer("visitor");
        ASSERT_NE(textToNumber(visitor), -1) << round;
        ASSERT_EQ(sendMessage(visitor, "101", "visit"), 1) << round;
    }
    ASSERT_EQ(sendMessage(visitor, "101", "count"), 1);
    EXPECT_TRUE(far->waitForLine("visits 50 players 2", 60000)) << far->output();
    ASSERT_EQ(sendMessage(visitor, "101", "short"), 1);
    ASSERT_TRUE(far->waitForLine("got short", 60000)) << far->output();
    closeNetworkSession();
    {
        RawPeer a(farPort), b(farPort), c(farPort);
        a.readSome(200);
    }
    RawPeer peer(farPort);
    int32_t id = peer.registerPlayer("flood", 3);
    ASSERT_GT(id, 101);
    ASSERT_TRUE(peer.send(wireRecord(3, 101, id, "after")));
    EXPECT_TRUE(far->waitForLine("got after", 60000)) << far->output();
    std::string burst;
    for (int i = 0; i < 50; ++i) burst += wireRecord(3, 101, id, "m" + std::to_string(i));
    for (int bursts = 0; bursts < 2000 && peer.send(burst) && peer.readSome(0); ++bursts) {
    }
    EXPECT_EQ(far->waitForExit(60000), 0) << far->errors();
    EXPECT_NE(far->output().find("ending\n"), std::string::npos);
    EXPECT_TRUE(peer.closedWithin(20000));
}

}  // namespace
}  // namespace vorlan
