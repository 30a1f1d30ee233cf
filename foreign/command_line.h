// Splitting a command line into a program and its arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorlan {

// The usual command-line quoting rules: blanks (space, tab) separate;
// double quotes group and are removed; inside quotes "" is one quote;
// 2n backslashes before a quote give n backslashes and the quote groups,
// 2n + 1 give n backslashes and a literal quote; other backslashes are
// literal. The program name (the first word) ends at the first blank
// outside quotes and knows no backslash rules. A blank line gives nothing.
std::vector<std::string> splitCommandLine(std::string_view line);

}  // namespace vorlan
