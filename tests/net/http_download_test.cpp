// httpDownload against a loopback server thread replaying scripted bytes.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <vorlan/net.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <optional>
#include <thread>

#include "net/http_download.h"
#include "support/loopback.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

enum class Ending { Close, Reset, Stall };

// Serves one connection, if one comes before finish(): takes the request,
// sends the pieces with short pauses and ends as told (a stall: until the client gives up).
struct ScriptedServer {
    ScriptedServer(const std::vector<std::string>& pieces, Ending ending)
        : listener(test::listenLoopback(port)), thread([=, this] { serve(pieces, ending); }) {}
    ~ScriptedServer() {
        finish();
        ::close(listener);
    }
    // Waits for the connection's end; then `request` and `connected` hold.
    void finish() {
        finishing = true;
        if (thread.joinable()) thread.join();
    }
    void serve(const std::vector<std::string>& pieces, Ending ending) {
        int fd = -1;
        // Once finishing, one last look for a connection the client made.
        for (bool last = false; fd < 0 && !last; fd = test::acceptWithin(listener, 20))
            last = finishing;
        if (fd < 0) return;
        connected = true;
        while (request.find("\r\n\r\n") == std::string::npos && test::receiveFor(fd, request, 50)) {
        }
        for (size_t i = 0; i < pieces.size() && test::sendAll(fd, pieces[i]); ++i)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        std::string ignored;
        while (ending == Ending::Stall && test::receiveFor(fd, ignored, 100)) {
        }
        ending == Ending::Reset ? test::closeWithReset(fd) : void(::close(fd));
    }

    uint16_t port = 0;
    int listener;
    std::string request;
    bool connected = false;
    std::atomic<bool> finishing{false};
    std::thread thread;  // last: starts once the rest is ready
};

const std::string kOk = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";
const std::string kGoodFile = "an earlier good download";

struct DownloadCase {
    const char* name;
    std::vector<std::string> pieces = {};
    std::optional<std::string> body = {};  // the file afterwards; none: the download fails
    Ending ending = Ending::Close;
    bool writeFails = false;  // under a file size limit of 1000 bytes
    const char *host = "127.0.0.1", *path = "/a/b?c=1", *target = "got.bin";
    bool connects = true;
    double totalMs = 60000;  // the limit on the whole download
};

std::vector<DownloadCase> downloadCases() {
    std::string big(10 * 1024 * 1024, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = char(i % 3 == 0 ? 0 : i * 7);
    const std::string mid = big.substr(0, 4096);
    std::vector<std::string> trickle, endless{kOk};
    for (char c : kOk + "slow body") trickle.emplace_back(1, c);
    endless.resize(5001, "x");  // never silent for long, but a second in all (5000 pauses)
    const std::string bigLength = "HTTP/1.0 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n";
    return {
        {"LineFeedsOnly", {"HTTP/1.0 200 OK\nA: b\n\nbody"}, "body"},
        {"OneByteTrickle", trickle, "slow body"},
        {"EmptyBody", {kOk}, ""},
        {"Body10MiBWithNuls", {kOk, big}, big},
        {"NotFoundPage", {"HTTP/1.0 404 Not Found\r\n\r\n<p>gone</p>"}, "<p>gone</p>"},
        {"ExactContentLength", {"HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nfour"}, "four"},
        {"ResetMidBody", {kOk, mid.substr(0, 1000)}, {}, Ending::Reset},
        {"CloseInsideHeader", {"HTTP/1.0 200 OK\r\nContent-"}},
        {"CloseBeforeAnything", {}},
        {"ShortContentLength", {"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nshort"}},
        {"HugeContentLength", {bigLength}},
        {"HeaderOver64KiB", {"HTTP/1.0 200 OK\r\nX: " + std::string(70000, 'a') + "\r\n\r\n"}},
        {"StalledServer", {"HTTP/1.0 200 OK\r\n"}, {}, Ending::Stall},
        {.name = "TrickleBeyondTheWholeLimit", .pieces = endless, .totalMs = 200},
        {.name = "FailedWrite", .pieces = {kOk, mid}, .writeFails = true},
        {.name = "LineBreakInHost", .host = "127.0.0.1\r\nX-Evil: 1", .connects = false},
        {.name = "LineBreakInPath", .path = "/a\nGET /b", .connects = false},
        {.name = "TargetFolderMissing", .target = "missing/a", .connects = false},
    };
}

// A good file survives every failure, and no temporary file is left.
TEST(HttpDownload, StoresTheBodyOnlyForACompleteResponse) {
    for (const DownloadCase& c : downloadCases()) {
        SCOPED_TRACE(c.name);
        test::TempFolder folder;
        const std::string target = folder.file(c.target).string();
        if (c.connects) test::writeWholeFile(target, kGoodFile);
        httpTimeouts.idleMs = 4000;
        httpTimeouts.totalMs = c.totalMs;
        ScriptedServer server(c.pieces, c.ending);
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        rlimit limited{c.writeFails ? 1000 : before.rlim_cur, before.rlim_max};
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limited);
        // 65536 more than the port, with a fraction: the same port.
        EXPECT_EQ(httpDownload(c.host, c.path, server.port + 65536.7, target.c_str()),
                  c.body ? 1 : 0);
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, oldHandler);
        server.finish();
        EXPECT_EQ(server.connected, c.connects);
        EXPECT_EQ(std::filesystem::exists(target), c.connects);
        if (c.connects) {
            EXPECT_EQ(server.request, std::string("GET ") + c.path + " HTTP/1.0\r\nHost:" + c.host +
                                          "\r\nAccept: */*\r\nUser-Agent: Vorlan game\r\n\r\n");
            EXPECT_EQ(test::readWholeFile(target), c.body.value_or(kGoodFile));
        }
        for (auto& entry : std::filesystem::directory_iterator(folder.path()))
            EXPECT_EQ(entry.path().filename(), std::filesystem::path(c.target).filename());
    }
}

}  // namespace
}  // namespace vorlan
