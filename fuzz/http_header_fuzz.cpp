// The response header scanner and the Content-Length reader on any bytes:
// the first byte picks where the stream is cut in two, and the header found
// must not depend on the cut.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/http_response.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t cut = data[0] % size;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    size_t count = size - 1;

    vorlan::HttpHeaderScanner whole;
    size_t wholeUsed = whole.feed(bytes, count);

    vorlan::HttpHeaderScanner split;
    size_t splitUsed = split.feed(bytes, cut);
    if (split.state() == vorlan::HttpHeaderScanner::State::InHeader) {
        splitUsed += split.feed(bytes + cut, count - cut);
    }
    if (wholeUsed != splitUsed || whole.state() != split.state() ||
        whole.header() != split.header() ||
        whole.header().size() > vorlan::HttpHeaderScanner::kMaxHeaderBytes) {
        std::abort();
    }
    vorlan::ContentLength length = vorlan::findContentLength(whole.header());
    if (length.kind != vorlan::ContentLength::Kind::Present && length.value != 0) std::abort();
    return 0;
}
