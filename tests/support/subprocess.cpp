#include "support/subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "platform/clock.h"

extern char** environ;

namespace vorlan::test {

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
    double end = platform::nowMs() + timeoutMs;
    const std::string wanted = "\n" + line + "\n";
    while (("\n" + output_).find(wanted) == std::string::npos) {
        double left = end - platform::nowMs();
        // Once the child has exited, only what is left in the pipe can come.
        if (left <= 0 || (!readSome(left) && !running() && !readSome(0))) return false;
    }
    return true;
}

void Subprocess::drain(double ms) {
    double end = platform::nowMs() + ms;
    for (double left = ms; left > 0; left = end - platform::nowMs()) {
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
    double end = platform::nowMs() + timeoutMs;
    while (running()) {
        if (platform::nowMs() > end) {
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
