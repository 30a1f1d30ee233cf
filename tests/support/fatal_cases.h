// Cases that end the program with a runtime error, each in a fresh process
// of this test program (started again as a child), in debug mode unless
// the case says otherwise. Each must exit with status 1, print the one line
// "<program>: runtime error N (what) in OPERATION" on standard error and
// leave the end report in the log.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vorlan::test {

struct FatalCase {
    std::string what;
    int error;              // 3, 7 or 9; 0: ends through endProgram, status 0, no line
    std::string operation;  // as the line names it
    std::function<void()> body;
    // The report after "-End On Line\r\n"; "": the error, then -1, 0 and 0.
    std::string endReport = "";
    bool debugMode = true;      // outside it there is no report and no log
    bool capMemory = false;     // 256 MB beyond what the process holds
    long long capFileSize = 0;  // writes past it fail with EFBIG
};

class FatalCases {
  public:
    // At namespace scope, so that the child finds its case too. `prepare`
    // runs in the child before the cap and the case.
    FatalCases(std::string name, std::vector<FatalCase> cases, std::function<void()> prepare = {});
    // Runs every case, each with a fresh folder as TMPDIR, and checks it.
    void check() const;

    std::string name;
    std::vector<FatalCase> cases;
    std::function<void()> prepare;
};

}  // namespace vorlan::test
