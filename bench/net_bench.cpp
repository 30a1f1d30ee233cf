// Networking on loopback:
//   - the session relay: messages per second and the 99th percentile of the
//     delivery time, with 2, 10 and 100 connections, each connection
//     sending one message to the next one per round;
//   - httpDownload of a 100 MB body against a plain recv loop writing the
//     same file from the same local server.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vorlan/net.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "net/session.h"
#include "support/loopback.h"

namespace {

double nowUs() {
    using namespace std::chrono;
    return duration<double, std::micro>(steady_clock::now().time_since_epoch()).count();
}

int listenOnLoopback(uint16_t& port) {
    int fd = vorlan::test::listenLoopback(port);
    if (fd < 0) std::abort();
    return fd;
}

int connectTo(uint16_t port) {
    int fd = vorlan::test::connectLoopback(port);
    if (fd < 0) std::abort();
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

void sendAll(int fd, const std::string& bytes) {
    if (!vorlan::test::sendAll(fd, bytes)) std::abort();
}

std::string le32(int32_t value) {
    std::string out(4, '\0');
    std::memcpy(out.data(), &value, 4);
    return out;
}

int32_t fromLe32(const char* bytes) {
    int32_t value;
    std::memcpy(&value, bytes, 4);
    return value;
}

std::string record(int type, int32_t receiver, int32_t sender, const std::string& text) {
    return "VRLN" + std::string(1, static_cast<char>(type)) +
           le32(static_cast<int32_t>(text.size())) + le32(receiver) + le32(sender) + text;
}

// One raw connection to the relay with its player.
struct Peer {
    int fd = -1;
    int32_t id = 0;
    std::string buffer;

    // Complete records' texts, oldest first.
    void readTexts(std::vector<std::string>& texts) {
        char chunk[65536];
        ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) buffer.append(chunk, static_cast<size_t>(n));
        size_t at = 0;
        while (buffer.size() - at >= 17) {
            auto length = static_cast<size_t>(fromLe32(buffer.data() + at + 5));
            if (buffer.size() - at < 17 + length) break;
            texts.push_back(buffer.substr(at + 17, length));
            at += 17 + length;
        }
        buffer.erase(0, at);
    }
};

void BM_RelayRound(benchmark::State& state) {
    const auto connections = static_cast<size_t>(state.range(0));
    vorlan::sessionLimits.listenAddress = "127.0.0.1";
    vorlan::sessionLimits.maxConnections = connections + 1;
    uint16_t port = 0;
    ::close(listenOnLoopback(port));
    if (vorlan::hostSession(port) != 1) std::abort();

    std::vector<Peer> peers(connections);
    for (size_t i = 0; i < connections; ++i) {
        peers[i].fd = connectTo(port);
        std::string block(152, '\0');
        sendAll(peers[i].fd, record(1, 0, 0, block));
        // The answer's receiver field holds the new id.
        char answer[21];
        for (size_t got = 0; got < sizeof answer;) {
            ssize_t n = ::recv(peers[i].fd, answer + got, sizeof answer - got, 0);
            if (n <= 0) std::abort();
            got += static_cast<size_t>(n);
        }
        peers[i].id = fromLe32(answer + 9);
    }
    std::vector<pollfd> fds;
    for (Peer& peer : peers) fds.push_back({peer.fd, POLLIN, 0});

    std::vector<double> delays;
    for (auto _ : state) {
        for (size_t i = 0; i < connections; ++i) {
            const Peer& to = peers[(i + 1) % connections];
            char stamp[32];
            std::snprintf(stamp, sizeof stamp, "%.3f", nowUs());
            sendAll(peers[i].fd, record(3, to.id, peers[i].id, stamp));
        }
        size_t arrived = 0;
        while (arrived < connections) {
            ::poll(fds.data(), fds.size(), 1000);
            for (size_t i = 0; i < connections; ++i) {
                if (!(fds[i].revents & POLLIN)) continue;
                std::vector<std::string> texts;
                peers[i].readTexts(texts);
                double now = nowUs();
                for (const std::string& text : texts)
                    delays.push_back(now - std::atof(text.c_str()));
                arrived += texts.size();
            }
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * connections));
    std::sort(delays.begin(), delays.end());
    if (!delays.empty()) {
        state.counters["p99_us"] = delays[delays.size() * 99 / 100];
        state.counters["p50_us"] = delays[delays.size() / 2];
    }
    for (Peer& peer : peers) ::close(peer.fd);
    vorlan::closeNetworkSession();
}
BENCHMARK(BM_RelayRound)->Arg(2)->Arg(10)->Arg(100)->UseRealTime();

// --- HTTP -------------------------------------------------------------------

constexpr size_t kBodyBytes = 100 * 1024 * 1024;

// Serves the same 100 MB response to every connection until stopped.
class BodyServer {
  public:
    BodyServer() : body_(kBodyBytes, 'b') {
        listener_ = listenOnLoopback(port_);
        thread_ = std::thread([this] { serve(); });
    }
    ~BodyServer() {
        stop_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        thread_.join();
        ::close(listener_);
    }
    uint16_t port() const { return port_; }

  private:
    void serve() {
        while (!stop_) {
            int fd = ::accept(listener_, nullptr, nullptr);
            if (fd < 0) return;
            char request[4096];
            ssize_t got = ::recv(fd, request, sizeof request, 0);
            if (got > 0) {
                sendAll(fd, "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n");
                sendAll(fd, body_);
            }
            ::close(fd);
        }
    }

    std::string body_;
    uint16_t port_ = 0;
    int listener_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::string targetFile() {
    return (std::filesystem::temp_directory_path() / "vorlan_net_bench.bin").string();
}

void BM_HttpDownload_Vorlan(benchmark::State& state) {
    BodyServer server;
    std::string target = targetFile();
    for (auto _ : state) {
        if (vorlan::httpDownload("127.0.0.1", "/big", server.port(), target.c_str()) != 1) {
            state.SkipWithError("download failed");
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodyBytes));
    std::filesystem::remove(target);
}
BENCHMARK(BM_HttpDownload_Vorlan)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The least a download must do: connect, send, and write what arrives.
void BM_HttpDownload_PlainRecv(benchmark::State& state) {
    BodyServer server;
    std::string target = targetFile();
    std::vector<char> buffer(64 * 1024);
    for (auto _ : state) {
        int fd = connectTo(server.port());
        sendAll(fd, "GET /big HTTP/1.0\r\nHost:127.0.0.1\r\n\r\n");
        int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        for (ssize_t n; (n = ::recv(fd, buffer.data(), buffer.size(), 0)) > 0;) {
            if (::write(out, buffer.data(), static_cast<size_t>(n)) != n) std::abort();
        }
        ::close(out);
        ::close(fd);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodyBytes));
    std::filesystem::remove(target);
}
BENCHMARK(BM_HttpDownload_PlainRecv)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
