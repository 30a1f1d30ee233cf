#include "net/http_download.h"

#include <vorlan/net.h>

#include <algorithm>
#include <string>
#include <vector>

#include "net/http_response.h"
#include "platform/clock.h"
#include "platform/file_replace.h"
#include "platform/socket.h"
#include "platform/temp_dir.h"
#include "value/number_conversion.h"

namespace vorlan {

HttpTimeouts httpTimeouts;

namespace {

bool hasLineBreak(const RtString& text) {
    for (const char* c = text.cStr(); *c; ++c) {
        if (*c == '\r' || *c == '\n') return true;
    }
    return false;
}

class Connection {
  public:
    Connection(int fd, double deadline) : fd_(fd), deadline_(deadline) {}
    ~Connection() { platform::closeSocket(fd_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool sendAll(const std::string& bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            platform::IoResult result =
                platform::sendSome(fd_, bytes.data() + sent, bytes.size() - sent);
            if (result.kind == platform::IoResult::Kind::Data) {
                sent += result.bytes;
            } else if (result.kind != platform::IoResult::Kind::WouldBlock || !await(true)) {
                return false;
            }
        }
        return true;
    }

    // Data, Closed for the normal end of the stream, or Failed (reset,
    // error, silence beyond the idle timeout).
    platform::IoResult receive(char* buffer, size_t size) {
        for (;;) {
            platform::IoResult result = platform::receiveSome(fd_, buffer, size);
            if (result.kind != platform::IoResult::Kind::WouldBlock) return result;
            if (!await(false)) return {platform::IoResult::Kind::Failed, 0};
        }
    }

  private:
    bool await(bool writing) {
        double left = deadline_ - platform::nowMs();
        if (!(left > 0)) return false;
        std::vector<platform::PollEntry> entries(1);
        entries[0].socket = fd_;
        entries[0].wantRead = !writing;
        entries[0].wantWrite = writing;
        if (!platform::pollSockets(entries, std::min(httpTimeouts.idleMs, left))) return false;
        return entries[0].readable || entries[0].writable;
    }

    int fd_;
    double deadline_;
};

bool bodyIsComplete(const std::string& header, uint64_t bodyBytes) {
    ContentLength length = findContentLength(header);
    if (length.kind == ContentLength::Kind::Invalid) return false;
    return length.kind == ContentLength::Kind::Absent || bodyBytes >= length.value;
}

}  // namespace

double httpDownload(const RtString& host, const RtString& path, double port,
                    const RtString& fileName) {
    // A line break would let the caller's text forge request lines.
    if (hasLineBreak(host) || hasLineBreak(path) || fileName.length() == 0) return 0;
    auto portNumber = static_cast<uint16_t>(static_cast<uint32_t>(truncateToInt32(port)) & 0xFFFF);
    double deadline = platform::nowMs() + httpTimeouts.totalMs;

    // The body lands beside the target and replaces it only when complete,
    // so a failed download never destroys a good file.
    platform::FileReplacement file;
    if (!file.begin(platform::nativePath(fileName.cStr()))) return 0;
    int fd = platform::connectTcp(host.cStr(), portNumber,
                                  std::min(httpTimeouts.connectMs, httpTimeouts.totalMs));
    if (fd < 0) return 0;
    Connection connection(fd, deadline);

    std::string request = "GET ";
    request += path.cStr();
    request += " HTTP/1.0\r\nHost:";
    request += host.cStr();
    request += "\r\nAccept: */*\r\nUser-Agent: Vorlan game\r\n\r\n";
    if (!connection.sendAll(request)) return 0;

    HttpHeaderScanner scanner;
    uint64_t bodyBytes = 0;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        platform::IoResult got = connection.receive(buffer.data(), buffer.size());
        if (got.kind == platform::IoResult::Kind::Closed) break;
        if (got.kind != platform::IoResult::Kind::Data) return 0;
        size_t headerPart = 0;
        if (scanner.state() == HttpHeaderScanner::State::InHeader) {
            headerPart = scanner.feed(buffer.data(), got.bytes);
            if (scanner.state() == HttpHeaderScanner::State::TooLong) return 0;
        }
        size_t bodyPart = got.bytes - headerPart;
        if (bodyPart > 0 && !file.write(buffer.data() + headerPart, bodyPart)) return 0;
        bodyBytes += bodyPart;
    }
    if (scanner.state() != HttpHeaderScanner::State::Complete) return 0;
    if (!bodyIsComplete(scanner.header(), bodyBytes)) return 0;
    return file.commit() ? 1 : 0;
}

}  // namespace vorlan
