// Code a test runs in a fresh process of its own program: the program
// starts again with VORLAN_TEST_CHILD naming an entry, and main runs that
// entry instead of the tests.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "support/subprocess.h"

namespace vorlan::test {

using ChildEntry = void (*)();

inline std::map<std::string, ChildEntry>& childEntries() {
    static std::map<std::string, ChildEntry> registered;
    return registered;
}

// The named entry (an unknown name aborts), then exit code 0.
[[noreturn]] inline void runChildEntry(const char* name) {
    childEntries().at(name)();
    std::fflush(stdout);
    std::exit(0);
}

// This program started again as the named child, `env` over the environment.
inline std::unique_ptr<Subprocess> startChild(const std::string& name,
                                              std::vector<std::string> env = {}) {
    env.push_back("VORLAN_TEST_CHILD=" + name);
    return std::make_unique<Subprocess>(std::vector<std::string>{"/proc/self/exe"}, env);
}

}  // namespace vorlan::test

// Defines a child entry: VORLAN_TEST_CHILD(PrintDraws) { ... }
#define VORLAN_TEST_CHILD(name)                                           \
    static void name##ChildEntry();                                       \
    [[maybe_unused]] static const bool name##ChildRegistered =            \
        (::vorlan::test::childEntries()[#name] = name##ChildEntry, true); \
    static void name##ChildEntry()
