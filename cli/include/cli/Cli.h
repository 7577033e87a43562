#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace miran::cli {

// Exit codes of the command line.
enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 2,
    kExitNoDevice = 3,
    kExitIdentifyFailed = 4,
    kExitUploadFailed = 5,
    kExitVerifyFailed = 6,
    kExitPermission = 7, // a programmer is there but the user may not open it
};

// What the command line takes from the process; tests replace the waits and the terminal check. `update
// --all` calls `sleep` from several threads at once.
struct Environment {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;
    std::function<void(std::chrono::milliseconds)> sleep;
};

// Runs the command line (args without the program name) and returns the exit code.
int RunCli(const std::vector<std::string>& args, Environment& env);

} // namespace miran::cli
