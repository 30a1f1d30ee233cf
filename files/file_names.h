// Names the game passes for files.
#pragma once

#include <string>

#include <vorlan/rt_string.h>

namespace vorlan {

inline constexpr size_t kLongestFileName = 1023;

// The name as the file system wants it; false for an empty name or one
// longer than kLongestFileName bytes.
bool nativeFileName(const RtString& name, std::string& path);

// ASCII letters folded to lower case; other bytes unchanged.
inline char foldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Bytes equal with ASCII letters folded.
bool equalIgnoringCase(const std::string& a, const std::string& b);

}  // namespace vorlan
