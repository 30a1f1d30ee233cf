// The record assembler on any bytes: fed whole, and fed in pieces cut at
// points the input picks, it must give the same records, none over the
// largest text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "net/net_record.h"

namespace {

std::vector<vorlan::NetRecord> assemble(const char* bytes, size_t size,
                                        const std::vector<size_t>& cuts) {
    vorlan::RecordAssembler assembler;
    std::vector<vorlan::NetRecord> records;
    size_t at = 0;
    auto take = [&](size_t end) {
        assembler.feed(bytes + at, end - at);
        at = end;
        vorlan::NetRecord record;
        while (assembler.next(record)) {
            if (record.text.size() > vorlan::kMaxRecordText) std::abort();
            records.push_back(record);
        }
    };
    for (size_t cut : cuts) take(cut);
    take(size);
    return records;
}

bool same(const vorlan::NetRecord& a, const vorlan::NetRecord& b) {
    return a.type == b.type && a.receiver == b.receiver && a.sender == b.sender && a.text == b.text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // The first two bytes seed the cut points; the rest is the stream.
    unsigned seed = data[0] | (data[1] << 8);
    const char* bytes = reinterpret_cast<const char*>(data + 2);
    size_t count = size - 2;
    std::vector<size_t> cuts;
    for (size_t at = 0; count > 0;) {
        seed = seed * 1103515245u + 12345u;
        at += 1 + (seed >> 16) % 64;
        if (at >= count) break;
        cuts.push_back(at);
    }
    auto whole = assemble(bytes, count, {});
    auto pieces = assemble(bytes, count, cuts);
    if (whole.size() != pieces.size()) std::abort();
    for (size_t i = 0; i < whole.size(); ++i) {
        if (!same(whole[i], pieces[i])) std::abort();
    }
    return 0;
}
