// httpDownload against a server thread on loopback that replays scripted
// bytes and records the request it got.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vorlan/net.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "net/http_download.h"
#include "support/child_entry.h"
#include "support/loopback.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

using test::TempFolder;

enum class Ending { Close, Reset, Stall };

struct Script {
    std::vector<std::string> pieces;  // each sent with a short pause after it
    Ending ending = Ending::Close;
};

// Serves one connection per script, then records what the client sent.
class ScriptedServer {
  public:
    explicit ScriptedServer(Script script, double acceptMs = 3000)
        : script_(std::move(script)), acceptMs_(acceptMs) {
        listener_ = test::listenLoopback(port_);
        thread_ = std::thread([this] { serve(); });
    }
    ~ScriptedServer() {
        finish();
        ::close(listener_);
    }
    uint16_t port() const { return port_; }
    // Valid after the server thread ended (the destructor, or finish()).
    const std::string& request() const { return request_; }
    bool connected() const { return connected_; }
    void finish() {
        if (thread_.joinable()) thread_.join();
    }

  private:
    void serve() {
        int fd = test::acceptWithin(listener_, acceptMs_);
        if (fd < 0) return;
        connected_ = true;
        // The whole request arrives before the answer starts.
        while (request_.find("\r\n\r\n") == std::string::npos &&
               test::receiveFor(fd, request_, 50) && request_.size() < 4096) {
        }
        for (const std::string& piece : script_.pieces) {
            if (!test::sendAll(fd, piece)) break;
            if (script_.pieces.size() > 1)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (script_.ending == Ending::Reset) {
            test::closeWithReset(fd);
            return;
        }
        if (script_.ending == Ending::Stall) {
            // Holds the connection open until the client gives up.
            std::string ignored;
            while (test::receiveFor(fd, ignored, 100)) {
            }
        }
        ::close(fd);
    }

    Script script_;
    double acceptMs_;
    uint16_t port_ = 0;
    int listener_ = -1;
    std::string request_;
    bool connected_ = false;
    std::thread thread_;
};

std::vector<std::string> trickle(const std::string& bytes) {
    std::vector<std::string> pieces;
    for (char c : bytes) pieces.emplace_back(1, c);
    return pieces;
}

std::string bytePattern(size_t size) {
    std::string body(size, '\0');
    // NUL bytes every few places: the body is binary, not text.
    for (size_t i = 0; i < size; ++i)
        body[i] = static_cast<char>((i * 7919) % 251 % 5 == 0 ? 0 : i);
    return body;
}

const std::string kOk = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";
const std::string kGoodFile = "an earlier good download";

struct DownloadCase {
    const char* name;
    Script script;
    double expected;
    std::string expectedBody;  // when expected is 1
};

class HttpDownloadCases : public testing::TestWithParam<DownloadCase> {};

TEST_P(HttpDownloadCases, StoresBodyOnlyForCompleteResponses) {
    const DownloadCase& c = GetParam();
    TempFolder folder;
    std::string target = folder.file("got.bin").string();
    test::writeWholeFile(target, kGoodFile);
    httpTimeouts.idleMs = 400;
    ScriptedServer server(c.script);

    double result = httpDownload("127.0.0.1", "/file", server.port(), target.c_str());
    server.finish();

    EXPECT_EQ(result, c.expected);
    EXPECT_EQ(test::readWholeFile(target), c.expected == 1 ? c.expectedBody : kGoodFile);
    // Nothing but the target is left in the folder.
    size_t files = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(folder.path())) ++files;
    EXPECT_LE(files, 2u);  // the target and the runtime's log at most
    EXPECT_FALSE(std::filesystem::exists(target + ".part"));
}

std::vector<DownloadCase> downloadCases() {
    std::string big = bytePattern(10 * 1024 * 1024);
    std::string page = "<html>not here</html>";
    std::string mid = bytePattern(4096);
    return {
        {"SmallBody", {{kOk + "hello"}}, 1, "hello"},
        {"LineFeedsOnly", {{"HTTP/1.0 200 OK\nA: b\n\nbody"}}, 1, "body"},
        {"HeaderEndSplit", {{"HTTP/1.0 200 OK\r\n\r", "\nafter"}}, 1, "after"},
        {"OneByteTrickle", {trickle(kOk + "slow body")}, 1, "slow body"},
        {"EmptyBody", {{kOk}}, 1, ""},
        {"Body4096", {{kOk, mid}}, 1, mid},
        {"Body10MiBWithNuls", {{kOk, big}}, 1, big},
        {"NotFoundPage", {{"HTTP/1.0 404 Not Found\r\n\r\n" + page}}, 1, page},
        {"ExactContentLength", {{"HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nfour"}}, 1, "four"},
        {"ResetMidBody", {{kOk, mid.substr(0, 1000)}, Ending::Reset}, 0, ""},
        {"CloseInsideHeader", {{"HTTP/1.0 200 OK\r\nContent-"}}, 0, ""},
        {"CloseBeforeAnything", {{}}, 0, ""},
        {"ShortContentLength", {{"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nshort"}}, 0, ""},
        {"OverflowingContentLength",
         {{"HTTP/1.0 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\nx"}},
         0,
         ""},
        {"HeaderOver64KiB",
         {{"HTTP/1.0 200 OK\r\nX: " + std::string(70000, 'a') + "\r\n\r\nb"}},
         0,
         ""},
        {"StalledServer", {{"HTTP/1.0 200 OK\r\n"}, Ending::Stall}, 0, ""},
    };
}

INSTANTIATE_TEST_SUITE_P(Responses, HttpDownloadCases, testing::ValuesIn(downloadCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HttpDownload, SendsTheRequestBytesAndTakesTheLow16BitsOfThePort) {
    TempFolder folder;
    ScriptedServer server({{kOk}});
    // 65536 more than the port, with a fraction: the same port.
    double port = server.port() + 65536.0 + 0.7;
    EXPECT_EQ(httpDownload("127.0.0.1", "/a/b?c=1", port, folder.file("x").c_str()), 1);
    server.finish();
    EXPECT_EQ(server.request(),
              "GET /a/b?c=1 HTTP/1.0\r\nHost:127.0.0.1\r\nAccept: */*\r\n"
              "User-Agent: Vorlan game\r\n\r\n");
}

TEST(HttpDownload, RefusesWithoutSendingAnything) {
    struct Refused {
        const char* host;
        const char* path;
        std::string target;  // relative to the folder
    };
    const Refused cases[] = {
        {"127.0.0.1\r\nX-Evil: 1", "/", "a"},
        {"127.0.0.1", "/a\nGET /b", "a"},
        {"127.0.0.1", "/a\r", "a"},
        {"127.0.0.1", "/", "missing/folder/a"},
    };
    for (const Refused& c : cases) {
        TempFolder folder;
        ScriptedServer server({{kOk + "body"}}, 300);
        std::string target = (folder.path() / c.target).string();
        EXPECT_EQ(httpDownload(c.host, c.path, server.port(), target.c_str()), 0) << c.path;
        // Let the server give up waiting, then see that nobody came.
        server.finish();
        EXPECT_FALSE(server.connected()) << c.host << c.path;
        EXPECT_FALSE(std::filesystem::exists(target));
    }
}

TEST(HttpDownload, ClosedPortFailsAndKeepsTheFile) {
    TempFolder folder;
    uint16_t port = 0;
    int listener = test::listenLoopback(port);
    ::close(listener);  // the port is now closed: connections are refused
    std::string target = folder.file("keep").string();
    test::writeWholeFile(target, kGoodFile);
    EXPECT_EQ(httpDownload("127.0.0.1", "/", port, target.c_str()), 0);
    EXPECT_EQ(test::readWholeFile(target), kGoodFile);
}

// A file size limit makes the body's write fail part of the way.
VORLAN_TEST_CHILD(DownloadPastFileSizeLimit) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{1000, 1000};
    setrlimit(RLIMIT_FSIZE, &limit);
    double port = std::atof(std::getenv("VORLAN_TEST_PORT"));
    std::printf("%g\n", httpDownload("127.0.0.1", "/", port, std::getenv("VORLAN_TEST_TARGET")));
}

TEST(HttpDownload, FailedWriteIsAFailure) {
    TempFolder folder;
    std::string target = folder.file("limited").string();
    test::writeWholeFile(target, kGoodFile);
    ScriptedServer server({{kOk, bytePattern(4096)}});
    setenv("VORLAN_TEST_PORT", std::to_string(server.port()).c_str(), 1);
    setenv("VORLAN_TEST_TARGET", target.c_str(), 1);
    auto child = test::startChild("DownloadPastFileSizeLimit");
    EXPECT_EQ(child->waitForExit(10000), 0);
    EXPECT_EQ(child->output(), "0\n");
    EXPECT_EQ(test::readWholeFile(target), kGoodFile);
}

}  // namespace
}  // namespace vorlan
