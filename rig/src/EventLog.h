#pragma once

#include <chrono>
#include <iostream>
#include <mutex>
#include <string>

namespace miran::rig {

// One line per device event on stdout: milliseconds since start, the device's serial, what happened.
// Devices write from their own threads.
class EventLog {
public:
    void Write(const std::string& serial, const std::string& what) {
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
        std::lock_guard lock(mutex_);
        std::cout << ms.count() << ' ' << serial << ' ' << what << std::endl;
    }

private:
    std::mutex mutex_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace miran::rig
