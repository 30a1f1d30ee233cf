// Kept only until its last callers move to runToEnd (subprocess.h).
#pragma once

#include "support/subprocess.h"

namespace vorlan::test {

inline ProcessResult runProcess(const std::vector<std::string>& argv, const std::filesystem::path&,
                                const std::vector<std::string>& env = {}) {
    return runToEnd(argv, env);
}

}  // namespace vorlan::test
