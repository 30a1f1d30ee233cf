#include "support/subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>

extern char** environ;

namespace vorlan::test {

namespace {

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

Subprocess::Subprocess(const std::vector<std::string>& argv) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int rc = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    outFd_ = fds[0];
    if (rc != 0) {
        close(outFd_);
        throw std::runtime_error("cannot start " + argv[0]);
    }
}

Subprocess::~Subprocess() {
    if (running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (outFd_ >= 0) close(outFd_);
}

bool Subprocess::readSome(double timeoutMs) {
    pollfd p{outFd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(timeoutMs)) <= 0) return false;
    char buffer[4096];
    ssize_t n = read(outFd_, buffer, sizeof buffer);
    if (n <= 0) return false;
    output_.append(buffer, static_cast<size_t>(n));
    return true;
}

bool Subprocess::waitForLine(const std::string& line, double timeoutMs) {
    double end = nowMs() + timeoutMs;
    for (;;) {
        size_t start = 0;
        while (start < output_.size()) {
            size_t newline = output_.find('\n', start);
            if (newline == std::string::npos) break;
            if (output_.compare(start, newline - start, line) == 0 &&
                newline - start == line.size())
                return true;
            start = newline + 1;
        }
        double left = end - nowMs();
        if (left <= 0) return false;
        if (!readSome(left) && !running()) {
            // Nothing more will come.
            if (!readSome(0)) return false;
        }
    }
}

void Subprocess::drain(double ms) {
    double end = nowMs() + ms;
    for (double left = ms; left > 0; left = end - nowMs()) {
        if (!readSome(left) && !running()) return;
    }
}

bool Subprocess::running() {
    if (exitCode_ || pid_ < 0) return false;
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == 0) return true;
    if (r == pid_) {
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }
    return false;
}

std::optional<int> Subprocess::waitForExit(double timeoutMs) {
    double end = nowMs() + timeoutMs;
    while (running()) {
        if (nowMs() > end) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            exitCode_ = std::nullopt;
            pid_ = -1;
            return std::nullopt;
        }
        readSome(10);
    }
    while (readSome(0)) {
    }
    return exitCode_;
}

std::string runCommand(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

}  // namespace vorlan::test
