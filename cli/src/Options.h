#pragma once

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace miran::cli {

struct Options {
    std::string command; // image-info, list, info, update; empty with --help, --version and
                         // --print-udev-rules
    bool help = false;
    bool version = false;
    bool printUdevRules = false;
    bool simulate = false;
    std::optional<std::string> simulateFile;
    std::optional<std::string> record; // the HID session is written to this file
    bool trace = false;
    bool debug = false; // what the HID layer decided, on stderr
    bool json = false;
    bool verify = false;
    std::optional<std::string> image;
    std::optional<std::string> serial;
    std::optional<std::string> usbSerial;
    std::chrono::milliseconds verifyTimeout{10000};
    bool all = false;
    bool ifNeeded = false; // write nothing into a programmer that runs the image with the digits already
    bool watch = false;    // update every programmer plugged in until interrupted; implies all
    std::optional<std::string> log;
    std::optional<std::chrono::milliseconds> wait; // how long to wait for a matching programmer
};

// Throws UsageError for anything it cannot take.
Options ParseOptions(const std::vector<std::string>& args);

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

extern const char* const kUsage;

} // namespace miran::cli
