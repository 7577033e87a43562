#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace miran::cli::test_support {

// A device that never ends (/dev/zero, NUL): no image file, no simulation file.
extern const char* const kEndlessDevice;

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace miran::cli::test_support
