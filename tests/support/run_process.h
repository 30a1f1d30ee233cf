// Runs a program to its end with extra environment variables, collecting its
// exit code, standard output and standard error.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vorlan::test {

struct ProcessResult {
    int exitCode = -1;  // -signal when killed by a signal
    std::string out;
    std::string err;
};

// `scratch` is a folder for the captured output files.
ProcessResult runProcess(const std::vector<std::string>& argv, const std::filesystem::path& scratch,
                         const std::vector<std::string>& extraEnvironment = {});

// The build's program folder (the test programs, the tools, the games).
std::filesystem::path buildBin();

}  // namespace vorlan::test
