#pragma once

#include <chrono>
#include <iostream>
#include <string>

namespace miran::rig {

// One line per device event on stdout: milliseconds since start, the device's serial, what happened.
class EventLog {
public:
    void Write(const std::string& serial, const std::string& what) {
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
        std::cout << ms.count() << ' ' << serial << ' ' << what << std::endl;
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace miran::rig
