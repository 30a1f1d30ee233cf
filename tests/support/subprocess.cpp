#include "support/subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "platform/clock.h"

extern char** environ;

namespace vorlan::test {

Subprocess::Subprocess(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<char*> args, environment;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : env) environment.push_back(const_cast<char*>(e.c_str()));
    // An inherited variable the caller sets again is left out: the first wins.
    for (char** e = environ; *e != nullptr; ++e) {
        bool replaced = false;
        for (const std::string& mine : env) {
            size_t name = mine.find('=');
            replaced = replaced || (name != std::string::npos &&
                                    std::string_view(*e).starts_with(mine.substr(0, name + 1)));
        }
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
    if (running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    for (int fd : fds_) {
        if (fd >= 0) close(fd);
    }
}

bool Subprocess::readSome(double timeoutMs) {
    pollfd p[2] = {{fds_[0], POLLIN, 0}, {fds_[1], POLLIN, 0}};
    if (poll(p, 2, static_cast<int>(timeoutMs)) <= 0) return false;
    bool read = false;
    for (int i = 0; i < 2; ++i) {
        if (p[i].revents == 0) continue;
        char buffer[65536];
        ssize_t n = ::read(fds_[i], buffer, sizeof buffer);
        if (n > 0) {
            out_[i].append(buffer, static_cast<size_t>(n));
            read = true;
        } else {
            close(fds_[i]);  // at its end: poll skips it from now on
            fds_[i] = -1;
        }
    }
    return read;
}

bool Subprocess::waitForLine(const std::string& line, double timeoutMs) {
    double end = platform::nowMs() + timeoutMs;
    const std::string wanted = "\n" + line + "\n";
    while (("\n" + output()).find(wanted) == std::string::npos) {
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
            pid_ = -1;
            return std::nullopt;
        }
        readSome(10);
    }
    while (readSome(0)) {
    }
    return exitCode_;
}

ProcessResult runToEnd(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                       double timeoutMs) {
    try {
        Subprocess process(argv, env);
        int code = process.waitForExit(timeoutMs).value_or(-SIGKILL);
        return {code, process.output(), process.errors()};
    } catch (const std::runtime_error& e) {
        return {-1, "", e.what()};
    }
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

std::filesystem::path buildBin() {
    const char* bin = std::getenv("VORLAN_BUILD_BIN");
    return bin != nullptr ? std::filesystem::path(bin) : std::filesystem::path();
}

}  // namespace vorlan::test
