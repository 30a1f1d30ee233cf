#include <vorlan/system.h>

#include "foreign/command_line.h"
#include "platform/spawn.h"
#include "platform/temp_dir.h"
#include "value/number_conversion.h"

namespace vorlan {

double runProgram(const RtString& commandLine, double wait, double show, double& exitCode) {
    // Programs here have no start-up window state to set.
    (void)show;
    exitCode = 0;
    std::vector<std::string> argv = splitCommandLine(commandLine.cStr());
    if (argv.empty()) return 0;
    argv[0] = platform::nativePath(argv[0].c_str());
    int pid = platform::spawnProgram(argv);
    if (pid < 0) return 0;
    if (truthOf(wait)) {
        exitCode = platform::waitForProgram(pid);
    } else {
        platform::reapWhenDone(pid);
    }
    return 1;
}

}  // namespace vorlan
