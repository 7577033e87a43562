#pragma once

#include <exception>
#include <string>
#include <utility>

namespace miran::cli {

// Ends a command (or one device's part of it) with a message and an exit code.
struct Failure : std::exception {
    Failure(int exitCode, std::string text) : code(exitCode), message(std::move(text)) {}

    const char* what() const noexcept override { return message.c_str(); }

    int code;
    std::string message;
};

} // namespace miran::cli
