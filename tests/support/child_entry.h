// Code a test runs in a fresh process of its own program: the program is
// started again with VORLAN_TEST_CHILD naming an entry, and that entry runs
// instead of the tests, with the parent's environment.
#pragma once

#include <memory>

#include "support/subprocess.h"

namespace vorlan::test {

using ChildEntry = void (*)();

bool registerChildEntry(const char* name, ChildEntry entry);
// Run by the test programs' main: the named entry, then exit code 0.
[[noreturn]] void runChildEntry(const char* name);
// Starts this program again as the named child, with `env` over the
// environment.
std::unique_ptr<Subprocess> startChild(const std::string& name, std::vector<std::string> env = {});

}  // namespace vorlan::test

// Defines a child entry: VORLAN_TEST_CHILD(PrintDraws) { ... }
#define VORLAN_TEST_CHILD(name)                                      \
    static void name##ChildEntry();                                  \
    [[maybe_unused]] static const bool name##ChildRegistered =       \
        ::vorlan::test::registerChildEntry(#name, name##ChildEntry); \
    static void name##ChildEntry()
