#pragma once

#include "hid/HidDeviceController.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace miran::cli {

// The attached programmers, kept up to date from the controller's device-change events.
class DeviceSession {
public:
    explicit DeviceSession(std::shared_ptr<hid::HidPlatform> platform);
    ~DeviceSession();

    // Runs the event loop until the first scan has listed what is attached.
    void WaitFirstScan();
    // Runs the event loop until a device change or the deadline; false on timeout.
    bool WaitForChange(std::chrono::steady_clock::time_point deadline);

    // The programmers listed at the last device change, acquired, in enumeration order.
    const std::vector<hid::THidDevice*>& Programmers() const { return programmers_; }
    hid::THidDevice* FindBySerial(const std::string& serial) const;

private:
    void Rebuild();
    void ReleaseAll();
    bool Dispatch(std::chrono::milliseconds timeout);

    std::shared_ptr<hid::HidPlatform> platform_;
    hid::THidDeviceController controller_;
    std::vector<hid::THidDevice*> programmers_;
    bool changed_ = false;
};

} // namespace miran::cli
