// Exact wire bytes of the registration and its answer, and what an
// unanswered request gives back.
#include <vorlan/net.h>

#include <string>
#include <thread>

#include "session_peers.h"

namespace vorlan {
namespace {

using test::wireRecord;

class LetterSession : public test::SessionTest {};

TEST_F(LetterSession, RegistrationBlockCarriesNoneOfTheCreatorsOwnFields) {
    test::FakeHost fake;
    std::string registration;
    std::thread host([&] {
        if (!fake.accept()) return;
        fake.answerJoin(500);
        registration = fake.next(17 + 152);
        // An answer as the wire format has it: the id as receiver, no text.
        test::sendAll(fake.fd, wireRecord(2, 501, 0));
    });
    ASSERT_EQ(joinSession("127.0.0.1", fake.port), 1);
    EXPECT_STREQ(createPlayer("Brinna").cStr(), "501");
    host.join();
    std::string block = test::le32(-1) + test::le32(-1) + std::string(2, '\0') + "Brinna";
    block.resize(152, '\0');
    EXPECT_EQ(registration, wireRecord(1, 0, 0, block));
}

TEST_F(LetterSession, HostAnswersARegistrationWithTheBareId) {
    uint16_t port = test::freeLoopbackPort();
    ASSERT_EQ(hostSession(port), 1);
    ASSERT_STREQ(createPlayer("host").cStr(), "101");
    test::RawPeer peer(port);
    ASSERT_TRUE(peer.send(wireRecord(1, 0, 0, test::registrationBlock(-1, "raw"))));
    test::WireRecord answer;
    ASSERT_TRUE(peer.waitFor([](auto& r) { return r.type == 2; }, &answer));
    EXPECT_EQ(answer.receiver, 102);
    EXPECT_EQ(answer.sender, 0);
    EXPECT_EQ(answer.text, "");
    EXPECT_STREQ(playerName("102").cStr(), "raw");
}

TEST_F(LetterSession, UnansweredPlayerIdAtGivesTheIndexBack) {
    sessionLimits.answerTimeoutMs = 1e9;  // no session: no wait at all
    const std::pair<double, const char*> cases[] = {{0, "0"}, {7, "7"}, {7.9, "7"}, {-2.5, "-2"}};
    for (const auto& [index, text] : cases) EXPECT_STREQ(playerIdAt(index).cStr(), text) << index;
}

}  // namespace
}  // namespace vorlan
