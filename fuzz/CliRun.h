#pragma once

#include "cli/Cli.h"

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace miran::fuzz {

// Runs the command line in process without waiting; it must end with a documented exit code, and with
// --json every line it prints must be JSON. A replay may also end with 1, naming the transfer that differs,
// or with the scan's error for a recorded interface that could not be opened or identified (the virtual
// programmers of a simulation file always can be).
inline int RunCliChecked(const std::vector<std::string>& args, bool replay = false) {
    std::ostringstream out, err;
    cli::Environment env{out, err, false, [](std::chrono::milliseconds) {}};
    const int code = cli::RunCli(args, env);
    static const std::set<int> documented = {0, 2, 3, 4, 5, 6, 7};
    const auto reported = [&](const char* text) {
        return err.str().find(std::string("Unexpected error: ") + text) != std::string::npos;
    };
    const bool replayEnded = replay && code == 1 &&
                             (reported("Replay: transfer ") || reported("Device cannot be identified") ||
                              reported("Device cannot be opened"));
    if (documented.count(code) == 0 && !replayEnded) {
        std::fprintf(stderr, "undocumented exit code %d\n%s", code, err.str().c_str());
        std::abort();
    }
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
        if (!nlohmann::json::accept(line)) {
            std::fprintf(stderr, "not a JSON line: %s\n", line.c_str());
            std::abort();
        }
    }
    return code;
}

} // namespace miran::fuzz
