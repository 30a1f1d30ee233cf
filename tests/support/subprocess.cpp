#include "support/subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "platform/clock.h"
#include "support/process_window.h"

extern char** environ;

namespace vorlan::test {

Subprocess::Subprocess(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<char*> args, environment;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : env) environment.push_back(const_cast<char*>(e.c_str()));
    // An inherited variable that `env` sets again is left out.
    for (char** e = environ; *e != nullptr; ++e) {
        std::string name = std::string(*e).substr(0, std::string(*e).find('=') + 1);
        bool replaced = false;
        for (const std::string& mine : env) replaced = replaced || mine.starts_with(name);
        if (!replaced) environment.push_back(*e);
    }
    args.push_back(nullptr);
    environment.push_back(nullptr);
    int rc = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    fds_[0] = out[0];
    fds_[1] = err[0];
    if (rc != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + argv[0]);
    }
}

Subprocess::~Subprocess() {
    waitForExit(0);
    for (int fd : fds_) {
        if (fd >= 0) close(fd);
    }
}

bool Subprocess::readSome(double timeoutMs) {
    pollfd p[2] = {{fds_[0], POLLIN, 0}, {fds_[1], POLLIN, 0}};
    // A deadline already passed means "look once": poll waits for ever on a negative time.
    if (poll(p, 2, static_cast<int>(std::max(timeoutMs, 0.0))) <= 0) return false;
    bool read = false;
    for (int i = 0; i < 2; ++i) {
        char buffer[65536];
        ssize_t n = p[i].revents == 0 ? 0 : ::read(fds_[i], buffer, sizeof buffer);
        if (n > 0) out_[i].append(buffer, static_cast<size_t>(n));
        read = read || n > 0;
        if (p[i].revents != 0 && n <= 0) {
            close(fds_[i]);  // at its end: poll skips it from now on
            fds_[i] = -1;
        }
    }
    return read;
}

bool Subprocess::waitForLine(const std::string& line, double timeoutMs) {
    double end = platform::nowMs() + timeoutMs;
    while (("\n" + output()).find("\n" + line + "\n") == std::string::npos) {
        double left = end - platform::nowMs();
        // Once the child has exited, only what is left in the pipe can come.
        if (left <= 0 || (!readSome(left) && !running() && !readSome(0))) return false;
    }
    return true;
}

void Subprocess::drain(double ms) {
    for (double end = platform::nowMs() + ms; platform::nowMs() < end;) {
        if (!readSome(end - platform::nowMs()) && !running()) return;
    }
}

bool Subprocess::running() {
    int status = 0;
    if (exitCode_ || pid_ < 0) return false;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return r == 0;
}

std::optional<int> Subprocess::waitForExit(double timeoutMs) {
    for (double end = platform::nowMs() + timeoutMs; running(); readSome(10)) {
        if (platform::nowMs() >= end) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
            return std::nullopt;
        }
    }
    while (readSome(0)) {
    }
    return exitCode_;
}

ProcessResult runToEnd(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                       double timeoutMs) {
    Subprocess process(argv, env);
    int code = process.waitForExit(timeoutMs).value_or(-SIGKILL);
    return {code, process.output(), process.errors()};
}

std::string runCommand(const std::string& command) {
    std::string out = runToEnd({"/bin/sh", "-c", command}).out;
    while (out.ends_with('\n') || out.ends_with('\r')) out.pop_back();
    return out;
}

std::filesystem::path buildBin() {
    const char* bin = std::getenv("VORLAN_BUILD_BIN");
    return bin != nullptr ? bin : "";
}

std::string processWindow(pid_t pid, int seconds) {
    // Not xdotool's --sync: xdotool ends at the first X error, which a window
    // closed by another program during the search raises, so we search again.
    const std::string search = "timeout 5 xdotool search --onlyvisible --pid " +
                               std::to_string(pid) + " 2>/dev/null | head -1";
    for (double end = platform::nowMs() + seconds * 1000.0;; platform::sleepMs(100)) {
        std::string window = runCommand(search);
        if (!window.empty() || platform::nowMs() > end) return window;
    }
}

}  // namespace vorlan::test
