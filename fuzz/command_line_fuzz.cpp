// Feeds arbitrary text to the command-line splitter behind runProgram.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "foreign/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view line(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> words = vorlan::splitCommandLine(line);
    // Every byte of a word comes from its own byte of the line: the words
    // together are never longer, and a line of blanks gives no words.
    size_t total = 0;
    for (const std::string& word : words) total += word.size();
    if (total > size) std::abort();
    if (line.find_first_not_of(" \t") == std::string_view::npos && !words.empty()) std::abort();
    // The same line splits the same way again.
    if (vorlan::splitCommandLine(line) != words) std::abort();
    return 0;
}
