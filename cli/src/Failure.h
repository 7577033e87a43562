#pragma once

#include <string>

namespace miran::cli {

// Ends a command (or one device's part of it) with a message and an exit code.
struct Failure {
    int code;
    std::string message;
};

} // namespace miran::cli
