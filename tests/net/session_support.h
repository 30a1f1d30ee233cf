// What the session tests share: a fresh loopback-only session per test and
// waiting for a player's messages.
#pragma once

#include <gtest/gtest.h>
#include <vorlan/net.h>

#include <chrono>
#include <string>
#include <thread>

#include "net/session.h"

namespace vorlan::test {

// Loopback only, short answer waits, default bounds; no session running.
class SessionTest : public testing::Test {
  protected:
    void SetUp() override {
        sessionLimits = SessionLimits();
        sessionLimits.listenAddress = "127.0.0.1";
        sessionLimits.answerTimeoutMs = 2000;
    }
    void TearDown() override { closeNetworkSession(); }
};

// The player's next message within timeoutMs, or "".
inline std::string waitMessage(const RtString& player, double timeoutMs = 5000) {
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::microseconds(static_cast<int64_t>(timeoutMs * 1000));
    do {
        RtString text = getMessage(player);
        if (text.length() > 0) return text.cStr();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (std::chrono::steady_clock::now() < deadline);
    return "";
}

}  // namespace vorlan::test
