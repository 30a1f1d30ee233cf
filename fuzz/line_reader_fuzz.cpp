// Cuts arbitrary bytes into lines twice: read all at once, and read in
// pieces whose sizes the first input byte picks. The lines must be the
// same, each at most 1024 bytes and free of line feeds, and together they
// must use up every byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "files/read_buffer.h"

namespace {

std::vector<std::string> linesOf(vorlan::ReadBuffer& reader) {
    std::vector<std::string> lines;
    std::string line;
    while (reader.readLine(line)) {
        if (line.size() > vorlan::kLongestLine || line.find('\n') != std::string::npos) {
            std::abort();
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t piece = data[0] % 67 + 1;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    vorlan::ReadBuffer whole(vorlan::memorySource(bytes));
    vorlan::ReadBuffer pieces(vorlan::memorySource(bytes, piece), 1 + data[0] * 16);
    std::vector<std::string> expected = linesOf(whole);
    if (linesOf(pieces) != expected) std::abort();
    if (whole.consumed() != bytes.size() || pieces.consumed() != bytes.size()) std::abort();
    return 0;
}
