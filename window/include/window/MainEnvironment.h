#pragma once

#include "hid/HidPlatform.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace miran::window {

// What the main window takes from the process; tests replace the platform and the waits.
struct MainEnvironment {
    std::shared_ptr<hid::HidPlatform> platform;
    std::vector<std::string> arguments; // command-line arguments, program name excluded
    std::filesystem::path executable;
    std::function<bool()> builderWindowExists;
    std::function<void(std::chrono::milliseconds)> sleep;
    // The platform's executable suffix for the release copy.
    std::string executableSuffix;
};

} // namespace miran::window
