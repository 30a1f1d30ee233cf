#include "support/child_entry.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace vorlan::test {

namespace {

std::map<std::string, ChildEntry>& entries() {
    static std::map<std::string, ChildEntry> registered;
    return registered;
}

}  // namespace

bool registerChildEntry(const char* name, ChildEntry entry) {
    entries()[name] = entry;
    return true;
}

void runChildEntry(const char* name) {
    auto found = entries().find(name);
    if (found == entries().end()) {
        std::fprintf(stderr, "no child entry named %s\n", name);
        std::exit(2);
    }
    found->second();
    std::fflush(stdout);
    std::exit(0);
}

std::unique_ptr<Subprocess> startChild(const std::string& name, std::vector<std::string> env) {
    env.push_back("VORLAN_TEST_CHILD=" + name);
    return std::make_unique<Subprocess>(std::vector<std::string>{"/proc/self/exe"}, env);
}

}  // namespace vorlan::test
