#pragma once

#include "EventLoop.h"
#include "Interruption.h"
#include "hid/HidDeviceController.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace miran::cli {

// The attached programmers, kept up to date from the controller's device-change events. Runs the
// controller's event loop (EventLoop): its notifications, the calls other threads hand to this (main)
// thread, and the interruption, which ends any wait with Failure kExitInterrupted.
class DeviceSession {
public:
    DeviceSession(std::shared_ptr<hid::HidPlatform> platform, const Interruption& interruption);
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

    std::shared_ptr<hid::HidPlatform> platform_;
    EventLoop loop_;
    hid::THidDeviceController controller_;
    std::vector<hid::THidDevice*> programmers_;
    bool changed_ = false;
};

} // namespace miran::cli
