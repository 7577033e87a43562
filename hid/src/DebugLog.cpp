#include "hid/DebugLog.h"

#include <atomic>
#include <cstring>
#include <mutex>

namespace miran::hid {

namespace {

std::mutex sinkMutex;
DebugSink sink;
std::atomic<bool> enabled{false};

} // namespace

void SetDebugSink(DebugSink newSink) {
    std::lock_guard lock(sinkMutex);
    sink = std::move(newSink);
    enabled = static_cast<bool>(sink);
}

bool DebugEnabled() {
    return enabled;
}

void DebugLog(const std::string& line) {
    if (!enabled)
        return;
    std::lock_guard lock(sinkMutex);
    if (sink)
        sink(line);
}

std::string ErrnoText(int error) {
    return std::string(std::strerror(error)) + " (errno " + std::to_string(error) + ")";
}

} // namespace miran::hid
