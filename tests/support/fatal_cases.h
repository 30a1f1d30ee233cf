// Cases that end the program with a runtime error, each in a fresh child
// process of this test program with a fresh folder as TMPDIR. Each exits
// with status 1, prints one line "<program>: runtime error N (what) in
// OPERATION" on standard error and leaves the end report in the log.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vorlan::test {

struct FatalCase {
    std::string what;
    int error;  // 3, 7 or 9; 0: ends through endProgram, status 0, no line
    std::string operation;
    std::function<void()> body;
    std::string endReport = "";  // after "-End On Line\r\n"; "": error, -1, 0, 0
    bool debugMode = true;       // outside it there is no report and no log
    bool capMemory = false;      // 256 MB beyond what the process holds
    long long capFileSize = 0;   // writes past it fail with EFBIG
};

// At namespace scope, so that the child finds its case too. `prepare` runs
// in the child before the caps and the case.
struct FatalCases {
    FatalCases(std::string name, std::vector<FatalCase> cases, std::function<void()> prepare = {});
    void check() const;

    std::string name;
    std::vector<FatalCase> cases;
    std::function<void()> prepare;
};

}  // namespace vorlan::test
