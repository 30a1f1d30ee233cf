// Runs a program as a child process with its standard output on a pipe.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace vorlan::test {

class Subprocess {
  public:
    // Starts argv[0] (searched on PATH) with the current environment.
    explicit Subprocess(const std::vector<std::string>& argv);
    ~Subprocess();
    Subprocess(const Subprocess&) = delete;
    Subprocess& operator=(const Subprocess&) = delete;

    pid_t pid() const { return pid_; }
    // Reads output until a line equal to `line` arrives or the time runs out.
    bool waitForLine(const std::string& line, double timeoutMs);
    // Everything read from standard output so far.
    const std::string& output() const { return output_; }
    // Drains output for a while (so the child never blocks on the pipe).
    void drain(double ms);
    // The exit code once the child has exited, or nothing on time-out
    // (the child is then killed). A child killed by a signal gives -signal.
    std::optional<int> waitForExit(double timeoutMs);
    bool running();

  private:
    bool readSome(double timeoutMs);

    pid_t pid_ = -1;
    int outFd_ = -1;
    std::string output_;
    std::optional<int> exitCode_;
};

// Runs a shell command and returns what it printed (trailing newline cut).
std::string runCommand(const std::string& command);

}  // namespace vorlan::test
