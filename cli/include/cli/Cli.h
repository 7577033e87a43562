#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace miran::hid {
class HidPlatform;
}

namespace miran::cli {

// Exit codes of the command line.
enum ExitCode : int {
    kExitOk = 0,
    kExitUnexpected = 1, // an error the command line has no code for, reported instead of an abort
    kExitUsage = 2,
    kExitNoDevice = 3,
    kExitIdentifyFailed = 4,
    kExitUploadFailed = 5,
    kExitVerifyFailed = 6,
    kExitPermission = 7,    // a programmer is there but the user may not open it
    kExitInterrupted = 130, // SIGINT, SIGTERM or SIGHUP; an update under way was finished first
};

// What the command line takes from the process; tests replace the waits, the terminal check and the HID
// platform. `update --all` calls `sleep` from several threads at once.
struct Environment {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;
    std::function<void(std::chrono::milliseconds)> sleep;
    std::shared_ptr<hid::HidPlatform> platform{}; // without --simulate; the system's when empty
};

// Runs the command line (args without the program name) and returns the exit code. Meanwhile SIGINT, SIGTERM
// and SIGHUP end it only where no upload is under way, and SIGPIPE is ignored.
int RunCli(const std::vector<std::string>& args, Environment& env);

} // namespace miran::cli
