// Runs a program as a child process, its standard output and error on pipes.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vorlan::test {

class Subprocess {
  public:
    // Starts argv[0] (searched on PATH) with the current environment, and
    // `env` (NAME=value) over it; standard input is /dev/null.
    explicit Subprocess(const std::vector<std::string>& argv,
                        const std::vector<std::string>& env = {});
    ~Subprocess();
    Subprocess(const Subprocess&) = delete;
    Subprocess& operator=(const Subprocess&) = delete;

    pid_t pid() const { return pid_; }
    // Reads output until a line equal to `line` arrives or the time runs out.
    bool waitForLine(const std::string& line, double timeoutMs);
    // Everything read from standard output and standard error so far.
    const std::string& output() const { return out_[0]; }
    const std::string& errors() const { return out_[1]; }
    // Drains output for a while (so the child never blocks on the pipe).
    void drain(double ms);
    // The exit code once the child has exited, or nothing on time-out
    // (the child is then killed). A child killed by a signal gives -signal.
    std::optional<int> waitForExit(double timeoutMs);
    bool running();

  private:
    bool readSome(double timeoutMs);

    pid_t pid_ = -1;
    int fds_[2] = {-1, -1};
    std::string out_[2];
    std::optional<int> exitCode_;
};

struct ProcessResult {
    int exitCode = -1;  // -signal; -9 when it ran out of time
    std::string out, err;
};
// Runs a program to its end, for at most `timeoutMs`.
ProcessResult runToEnd(const std::vector<std::string>& argv,
                       const std::vector<std::string>& env = {}, double timeoutMs = 240000);

// Runs a shell command and returns what it printed (trailing newline cut).
std::string runCommand(const std::string& command);

// The build's program folder (the test programs, the tools, the games).
std::filesystem::path buildBin();

}  // namespace vorlan::test
