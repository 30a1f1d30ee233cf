#include "core/warnings.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "core/runtime_state.h"
#include "platform/program_path.h"

namespace vorlan {

namespace {

// Beyond this many distinct lines a program is failing in a loop over
// ever new names; one more line says so and the rest stay unseen.
constexpr size_t kMostLines = 200;

// Made on first use: a static constructor of the game may warn before
// this file's own globals exist.
struct Shown {
    std::mutex lock;
    std::set<std::string> lines;
    bool absent[4] = {};
};

Shown& shownState() {
    static Shown state;
    return state;
}

bool quiet() {
    const char* value = std::getenv("VORLAN_QUIET");
    return value && std::strcmp(value, "1") == 0;
}

void writeLine(const std::string& line, bool toTerminal) {
    if (toTerminal) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
    }
    appendErrorLog(line.c_str());
}

const char* errorName(RuntimeError error) {
    switch (error) {
        case RuntimeError::FileFailed:
            return "file read or write failed";
        case RuntimeError::OutOfRange:
            return "out of range or out of memory";
        case RuntimeError::IndexOutOfRange:
            return "index out of range";
    }
    return "unknown";
}

}  // namespace

std::string numberText(double number) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", std::trunc(number));
    return text;
}

const std::string& programName() {
    static const std::string name = [] {
        std::string base = platform::programName();
        return base.empty() ? std::string("vorlan") : base;
    }();
    return name;
}

void warn(const std::string& message) {
    std::string line = programName() + ": " + message;
    Shown& shown = shownState();
    std::lock_guard<std::mutex> guard(shown.lock);
    if (shown.lines.size() > kMostLines || shown.lines.count(line) != 0) return;
    shown.lines.insert(line);
    if (shown.lines.size() > kMostLines) {
        line = programName() + ": more warnings follow; they are not shown";
    }
    writeLine(line, !quiet());
}

void warnFailedFile(const char* action, const char* fileName, const std::string& target,
                    const std::string& cause) {
    warn(std::string("cannot ") + action + " '" + (fileName ? fileName : "") + "'" + target + ": " +
         cause);
}

std::string notFoundCause(const char* fileName) {
    if (!fileName || !*fileName) return "no file name given";
    if (fileName[0] == '/') return "not found";
    std::string folder = platform::currentDirectory();
    return folder.empty() ? "not found" : "not found in " + folder;
}

std::string fileErrorCause(int error) {
    if (error == ENOENT || error == ENOTDIR) return "not found";
    std::string cause = std::strerror(error);
    if (!cause.empty()) cause[0] = static_cast<char>(std::tolower(cause[0]));
    return cause;
}

std::string outOfRange(int highest) {
    return "out of range (0 to " + std::to_string(highest) + ")";
}

void warnBadNumber(const char* what, double number, int highest, const char* effect) {
    warn(std::string(what) + " " + numberText(number) + " is " + outOfRange(highest) + ": " +
         effect);
}

void warnRuntimeAbsent(const char* operation) {
    RuntimePhase phase = frameState.phase;
    {
        Shown& shown = shownState();
        std::lock_guard<std::mutex> guard(shown.lock);
        bool& once = shown.absent[static_cast<int>(phase)];
        if (once) return;
        once = true;
    }
    std::string op = operation;
    switch (phase) {
        case RuntimePhase::Configuring:
            warn(op +
                 " called from configureRuntime, before the runtime started: it does "
                 "nothing there; call it from gameMain()");
            break;
        case RuntimePhase::ShutDown:
            warn(op + " called after the runtime shut down: it does nothing");
            break;
        default:
            warn(op +
                 " called before the runtime started (from a static constructor, or from a main() "
                 "of the program's own): it does nothing. Call it from gameMain(); the "
                 "runtime's own main(), in vorlan_main, starts the runtime and then calls "
                 "gameMain()");
            break;
    }
}

void reportFatal(const std::string& message) {
    std::string line = programName() + ": " + message;
    std::lock_guard<std::mutex> guard(shownState().lock);
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void reportFatalError(RuntimeError error, const char* operation) {
    reportFatal("runtime error " + std::to_string(static_cast<int>(error)) + " (" +
                errorName(error) + ") in " + operation);
}

}  // namespace vorlan
