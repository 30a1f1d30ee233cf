// Programs run as child processes, their standard output and error on pipes.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vorlan::test {

class Subprocess {
  public:
    // argv[0] is searched on PATH; `env` (NAME=value) goes over the current
    // environment; standard input is /dev/null.
    explicit Subprocess(const std::vector<std::string>& argv,
                        const std::vector<std::string>& env = {});
    ~Subprocess();
    Subprocess(const Subprocess&) = delete;
    Subprocess& operator=(const Subprocess&) = delete;

    pid_t pid() const { return pid_; }
    // Reads until a line equal to `line` is on standard output, or time is up.
    bool waitForLine(const std::string& line, double timeoutMs);
    const std::string& output() const { return out_[0]; }
    const std::string& errors() const { return out_[1]; }
    // Reads for a while, so that the child never blocks on a full pipe.
    void drain(double ms);
    // The exit code (-signal when killed), or nothing on time-out: the
    // child is killed then.
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
// Throws when the program cannot start.
ProcessResult runToEnd(const std::vector<std::string>& argv,
                       const std::vector<std::string>& env = {}, double timeoutMs = 240000);

// What a shell command printed, its trailing newline cut.
std::string runCommand(const std::string& command);

// The build's program folder (the test programs, the tools, the games).
std::filesystem::path buildBin();

}  // namespace vorlan::test
