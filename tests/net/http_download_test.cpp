// httpDownload against a server thread on loopback that replays scripted
// bytes and records the request it got.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vorlan/net.h>

#include <atomic>
#include <csignal>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/http_download.h"
#include "support/loopback.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

enum class Ending { Close, Reset, Stall };

struct Script {
    std::vector<std::string> pieces;  // sent with a short pause between them
    Ending ending = Ending::Close;
};

// Serves one connection with the script on a thread of its own.
struct ScriptedServer {
    explicit ScriptedServer(const Script& script)
        : listener(test::listenLoopback(port)), thread([this, script] { serve(script); }) {}
    ~ScriptedServer() {
        finish();
        ::close(listener);
    }
    // Waits for the connection's end; then `request` and `connected` hold.
    void finish() {
        finishing = true;
        if (thread.joinable()) thread.join();
    }
    void serve(const Script& script) {
        int fd = -1;
        // Once finishing, one last look for a connection the client made.
        for (bool last = false; fd < 0 && !last;) {
            last = finishing;
            fd = test::acceptWithin(listener, 20);
        }
        if (fd < 0) return;
        connected = true;
        while (request.find("\r\n\r\n") == std::string::npos && test::receiveFor(fd, request, 50)) {
        }
        for (const std::string& piece : script.pieces) {
            if (!test::sendAll(fd, piece)) break;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        std::string ignored;
        // A stalled server holds the connection until the client gives up.
        while (script.ending == Ending::Stall && test::receiveFor(fd, ignored, 100)) {
        }
        if (script.ending == Ending::Reset) return test::closeWithReset(fd);
        ::close(fd);
    }

    uint16_t port = 0;
    int listener;
    std::string request;
    bool connected = false;
    std::atomic<bool> finishing{false};
    std::thread thread;  // last: starts once the rest is ready
};

std::string binaryBody(size_t size) {
    std::string body(size, '\0');
    for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>(i % 3 == 0 ? 0 : i * 7);
    return body;
}

const std::string kOk = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";
const std::string kGoodFile = "an earlier good download";

struct DownloadCase {
    const char* name;
    Script script;
    std::optional<std::string> body = {};  // the file afterwards; none: the download fails
    bool writeFails = false;               // under a file size limit of 1000 bytes
    const char* host = "127.0.0.1";
    const char* path = "/a/b?c=1";
    const char* target = "got.bin";
    bool connects = true;
    double totalMs = 60000;  // the limit on the whole download
};

// Keeps the case's bytes out of the test's listed name.
void PrintTo(const DownloadCase& c, std::ostream* out) {
    *out << c.name;
}

class HttpDownloadCases : public testing::TestWithParam<DownloadCase> {};

TEST_P(HttpDownloadCases, StoresTheBodyOnlyForACompleteResponse) {
    const DownloadCase& c = GetParam();
    test::TempFolder folder;
    std::string target = folder.file(c.target).string();
    if (c.connects) test::writeWholeFile(target, kGoodFile);
    httpTimeouts.idleMs = 1500;
    httpTimeouts.totalMs = c.totalMs;
    ScriptedServer server(c.script);
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    rlimit limited{1000, before.rlim_max};
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (c.writeFails) setrlimit(RLIMIT_FSIZE, &limited);
    // 65536 more than the port, with a fraction: the same port.
    EXPECT_EQ(httpDownload(c.host, c.path, server.port + 65536.7, target.c_str()), c.body ? 1 : 0);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    server.finish();
    EXPECT_EQ(server.connected, c.connects);
    if (c.connects) {
        EXPECT_EQ(server.request, std::string("GET ") + c.path + " HTTP/1.0\r\nHost:" + c.host +
                                      "\r\nAccept: */*\r\nUser-Agent: Vorlan game\r\n\r\n");
        EXPECT_EQ(test::readWholeFile(target), c.body.value_or(kGoodFile));
    } else {
        EXPECT_FALSE(std::filesystem::exists(target));
    }
    // No temporary file is left beside the target.
    for (auto& entry : std::filesystem::directory_iterator(folder.path())) {
        EXPECT_EQ(entry.path().filename(), std::filesystem::path(c.target).filename());
    }
}

std::vector<DownloadCase> downloadCases() {
    std::string big = binaryBody(10 * 1024 * 1024);
    std::string mid = binaryBody(4096);
    std::vector<std::string> trickle;
    for (char c : kOk + "slow body") trickle.emplace_back(1, c);
    // Never silent for long, but at least a second in all (5000 pauses).
    std::vector<std::string> endless{kOk};
    endless.resize(5001, "x");
    return {
        {"LineFeedsOnly", {{"HTTP/1.0 200 OK\nA: b\n\nbody"}}, "body"},
        {"HeaderEndSplit", {{"HTTP/1.0 200 OK\r\n\r", "\nafter"}}, "after"},
        {"OneByteTrickle", {trickle}, "slow body"},
        {"EmptyBody", {{kOk}}, ""},
        {"Body4096", {{kOk, mid}}, mid},
        {"Body10MiBWithNuls", {{kOk, big}}, big},
        {"NotFoundPage", {{"HTTP/1.0 404 Not Found\r\n\r\n<p>gone</p>"}}, "<p>gone</p>"},
        {"ExactContentLength", {{"HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nfour"}}, "four"},
        {"ResetMidBody", {{kOk, mid.substr(0, 1000)}, Ending::Reset}},
        {"CloseInsideHeader", {{"HTTP/1.0 200 OK\r\nContent-"}}},
        {"CloseBeforeAnything", {}},
        {"ShortContentLength", {{"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nshort"}}},
        {"HugeContentLength",
         {{"HTTP/1.0 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n"}}},
        {"HeaderOver64KiB", {{"HTTP/1.0 200 OK\r\nX: " + std::string(70000, 'a') + "\r\n\r\n"}}},
        {"StalledServer", {{"HTTP/1.0 200 OK\r\n"}, Ending::Stall}},
        {"TrickleBeyondTheWholeLimit",
         {endless},
         {},
         false,
         "127.0.0.1",
         "/",
         "got.bin",
         true,
         200},
        {"FailedWrite", {{kOk, mid}}, {}, true},
        {"LineBreakInHost", {{kOk}}, {}, false, "127.0.0.1\r\nX-Evil: 1", "/", "a", false},
        {"LineBreakInPath", {{kOk}}, {}, false, "127.0.0.1", "/a\nGET /b", "a", false},
        {"TargetFolderMissing", {{kOk}}, {}, false, "127.0.0.1", "/", "missing/a", false},
    };
}

INSTANTIATE_TEST_SUITE_P(Responses, HttpDownloadCases, testing::ValuesIn(downloadCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorlan
