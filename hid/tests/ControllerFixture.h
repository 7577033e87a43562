#pragma once

#include "EventLoop.h"
#include "hid/HidDeviceController.h"
#include "hid/VirtualHidPlatform.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace miran::hid::testing {

// A controller over virtual interfaces that logs its events as "change", "arrival:NAME", "removal:NAME" and
// "unplug:NAME", NAME being the interface's serial string.
class ControllerFixture : public ::testing::Test {
protected:
    void CreateController() {
        controller = std::make_unique<THidDeviceController>(
            platform,
            THidDeviceController::Events{
                .OnDeviceChange = TNotifyEvent([this] { log.push_back("change"); }),
                .OnArrival = THidPlugEvent([this](THidDevice& d) { log.push_back("arrival:" + Name(d)); }),
                .OnRemoval = THidPlugEvent([this](THidDevice& d) { log.push_back("removal:" + Name(d)); }),
                .OnDeviceUnplug =
                    THidPlugEvent([this](THidDevice& d) { log.push_back("unplug:" + Name(d)); }),
            });
    }

    static std::string Name(THidDevice& device) { return device.SerialNumber(); }

    int Plug(const std::string& serial, VirtualInterface vi = {}) {
        vi.serial = serial;
        if (vi.attributes.VendorID == 0)
            vi.attributes = {0x16C0, 0x2AA8, 0x0100};
        return platform->Plug(std::move(vi));
    }

    bool NotificationPending() const { return testing::NotificationPending(*controller); }
    void Pump() { testing::Pump(*controller); }

    std::vector<std::string> TakeLog() { return std::exchange(log, {}); }

    // The devices in list order, as EnumerateDevices offers them (attached ones only).
    std::vector<THidDevice*> Listed() {
        std::vector<THidDevice*> devices;
        THidEnumerateEvent saved = controller->OnEnumerate();
        controller->SetOnEnumerate(THidEnumerateEvent([&](THidDevice& d, int) {
            devices.push_back(&d);
            return true;
        }));
        controller->EnumerateDevices();
        controller->SetOnEnumerate(saved);
        return devices;
    }

    std::shared_ptr<VirtualHidPlatform> platform = std::make_shared<VirtualHidPlatform>();
    std::vector<std::string> log; // outlives the controller, whose destruction may still log
    std::unique_ptr<THidDeviceController> controller;
};

} // namespace miran::hid::testing
