#pragma once

#include "hid/HidPlatform.h"
#include "hid/MainThreadSync.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace miran::hid {

class THidDevice;

// Reads input reports of one held device in the background and hands each report, or each failed read, to
// the device on the main thread. A failed read never ends the thread: it retries after one sleep time.
class THidDeviceReadThread {
public:
    THidDeviceReadThread(THidDevice& device, std::uint16_t inputReportLength);
    // Asks the thread to end and waits for it, running its calls to the main thread meanwhile.
    ~THidDeviceReadThread();

    // For a stop requested from inside one of the thread's own deliveries, which cannot wait for the thread:
    // the thread ends once the delivery returns and then frees itself.
    void Abandon();

    THidDeviceReadThread(const THidDeviceReadThread&) = delete;
    THidDeviceReadThread& operator=(const THidDeviceReadThread&) = delete;

private:
    void Execute(std::unique_ptr<HidHandle> handle);
    // Waits one sleep time; a termination request ends the wait early.
    void Pause(std::chrono::milliseconds duration);

    THidDevice& device_;
    std::shared_ptr<HidPlatform> platform_;
    std::shared_ptr<MainThreadSync> sync_;
    THidPnPInfo interface_;
    std::uint16_t inputReportLength_;
    std::vector<std::uint8_t> ReadBuffer;
    std::uint32_t BytesRead = 0;
    std::uint32_t LastError = 0;

    std::atomic<bool> ended_ = false;
    std::atomic<bool> abandoned_ = false;
    bool terminated_ = false;
    std::mutex mutex_;
    std::condition_variable terminate_;
    std::thread thread_;
};

} // namespace miran::hid
