#pragma once

#include "core/UniqueFd.h"
#include "hid/HidDeviceController.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace miran::cli {

// The attached programmers, kept up to date from the controller's device-change events. Runs the
// controller's event loop with poll: its notification descriptor, a descriptor of its own for the calls
// other threads hand to this (main) thread, and the interruption's descriptor, which ends any wait with
// Failure kExitInterrupted.
class DeviceSession {
public:
    DeviceSession(std::shared_ptr<hid::HidPlatform> platform, int interruptFd);
    ~DeviceSession();

    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // False in the platform's silent state: nothing can ever be attached.
    bool Available() const { return platform_->Loaded(); }
    // Runs the event loop until the first scan has listed what is attached.
    void WaitFirstScan();
    // Runs the event loop until a device change or the deadline; false on timeout.
    bool WaitForChange(std::chrono::steady_clock::time_point deadline);
    // Runs the event loop until `found` holds after a device change (or already holds); false on timeout.
    bool WaitUntil(const std::function<bool()>& found, std::chrono::steady_clock::time_point deadline);

    // The programmers listed at the last device change, acquired, in enumeration order.
    const std::vector<hid::THidDevice*>& Programmers() const { return programmers_; }
    hid::THidDevice* FindBySerial(const std::string& serial) const;

private:
    void Rebuild();
    void ReleaseAll();
    // Waits for one event and handles it; false on timeout.
    bool Dispatch(std::chrono::milliseconds timeout);
    void Post(std::function<void()> call);
    void RunPosted();

    std::shared_ptr<hid::HidPlatform> platform_;
    int interruptFd_;
    UniqueFd postedFd_;
    std::mutex postedMutex_;
    std::deque<std::function<void()>> posted_;
    hid::THidDeviceController controller_;
    std::vector<hid::THidDevice*> programmers_;
    bool changed_ = false;
};

} // namespace miran::cli
